// IDispatch and the pieces that a server builds its classes from: a table of each class's members
// with fixed dispatch identifiers (it plays the part of a type library for GetIDsOfNames and
// Invoke), a base template that implements IUnknown and IDispatch from such a table, and a
// class-factory template. Free of Qt.
//
// A class of a server looks like this:
//
//     class IThing : public com::IDispatch {          // slots: IUnknown, IDispatch, then these
//     public:
//         virtual com::HRESULT get_Name(com::BSTR* result) = 0;
//         virtual com::HRESULT Find(com::BSTR* what, com::LONG* result) = 0;
//     protected:
//         ~IThing() = default;
//     };
//     inline constexpr com::IID IID_IThing = {...};
//
//     class Thing final : public com::DispatchObject<Thing, IThing, IID_IThing> {
//     public:
//         static const com::DispatchTable<Thing>& dispatchTable() {
//             static const com::DispatchTable<Thing> table{
//                 com::propertyGet<Thing, &IThing::get_Name>("Name", 1),
//                 com::function<Thing, &IThing::Find>("Find", 2),
//             };
//             return table;
//         }
//         com::HRESULT get_Name(com::BSTR* result) override;
//         com::HRESULT Find(com::BSTR* what, com::LONG* result) override;
//     };
//
//     auto thing = Thing::create();                   // ComPtr<Thing>, null when out of memory
//     HRESULT hr = com::getClassObject<Thing>(iid, object);   // inside DllGetClassObject
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <new>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/com/automation.h"
#include "platform/com/com.h"
#include "platform/com/idispatch.h"

// Functions whose state must stay private to each module (the program, each server library)
// although every module links its own copy of this frame.
#define QUENZA_COM_MODULE_LOCAL __attribute__((visibility("hidden")))

namespace com {

// Frees the strings an Invoke left in `info` and empties it.
void clearExcepInfo(EXCEPINFO& info);

// Module lifetime ------------------------------------------------------------------------------
// Objects made with DispatchObject, class factories and LockServer locks count as alive; a
// server's DllCanUnloadNow returns canUnloadNow(). Each module has its own count.

QUENZA_COM_MODULE_LOCAL void moduleLock();
QUENZA_COM_MODULE_LOCAL void moduleUnlock();
QUENZA_COM_MODULE_LOCAL long moduleLockCount();
// S_OK when nothing is alive, S_FALSE otherwise.
QUENZA_COM_MODULE_LOCAL HRESULT canUnloadNow();

// Arguments ----------------------------------------------------------------------------------

// The arguments of one call in the order the member declares them (the first one first). The
// typed reads follow VT_BYREF (also through VT_VARIANT | VT_BYREF); when one does not fit they
// remember the argument and answer DISP_E_TYPEMISMATCH, which Invoke reports with argError.
class Arguments {
public:
    Arguments(VARIANT* lastFirst, std::size_t count) : args_(lastFirst), count_(count) {}

    std::size_t size() const { return count_; }
    // The `index`th argument, counted from the first one declared.
    VARIANT& operator[](std::size_t index) { return args_[count_ - 1 - index]; }

    // VT_I4, VT_I2, VT_UI1, VT_BOOL (-1 / 0) and VT_EMPTY (0).
    HRESULT getLong(std::size_t index, LONG& out);
    // VT_BOOL and the integers of getLong (not 0 is true), VT_EMPTY (false).
    HRESULT getBool(std::size_t index, VARIANT_BOOL& out);
    // VT_BSTR and VT_EMPTY (null, the empty string). The string stays owned by the caller.
    HRESULT getString(std::size_t index, BSTR& out);
    // Where a by-reference argument of exactly this type lives: the caller's storage for
    // VT_BYREF, the variant's own field for a value passed by value. Anything else mismatches.
    HRESULT refLong(std::size_t index, LONG*& out);
    HRESULT refString(std::size_t index, BSTR*& out);
    HRESULT refBool(std::size_t index, VARIANT_BOOL*& out);
    // The same storage, or null, without remembering a mismatch: for callers that fall back to
    // a converted copy.
    LONG* longStorage(std::size_t index);
    BSTR* stringStorage(std::size_t index);
    VARIANT_BOOL* boolStorage(std::size_t index);

    // The argument (counted from the first declared) that a typed read refused, if any.
    std::optional<std::size_t> failedArgument() const { return failed_; }

private:
    HRESULT mismatch(std::size_t index);
    const VARIANT* value(std::size_t index);  // follows VT_BYREF | VT_VARIANT

    VARIANT* args_;
    std::size_t count_;
    std::optional<std::size_t> failed_;
};

// Member tables --------------------------------------------------------------------------------

enum class MemberKind {
    PropertyGet,  // invoked with DISPATCH_PROPERTYGET
    Method,       // invoked with DISPATCH_METHOD (with or without a result)
};

template <class Self>
struct DispatchMember {
    std::string name;  // ASCII; matched without regard to letter case
    DISPID id = 0;
    MemberKind kind = MemberKind::PropertyGet;
    std::size_t argumentCount = 0;  // Invoke refuses any other count with DISP_E_BADPARAMCOUNT
    // Receives exactly `argumentCount` arguments and an empty `result`, which it fills (or
    // leaves empty). A failed HRESULT becomes DISP_E_EXCEPTION, unless it is
    // DISP_E_TYPEMISMATCH / DISP_E_PARAMNOTFOUND from a typed read of `args`.
    std::function<HRESULT(Self& self, Arguments& args, VARIANT& result)> call;
};

namespace detail {

// Shared, non-template parts of DispatchTable.
bool sameMemberName(std::string_view ascii, const OLECHAR* name);
// What Invoke refuses before it looks at the member: another riid, named arguments.
HRESULT checkInvoke(const IID& riid, const DISPPARAMS* params);
HRESULT checkArgumentCount(const DISPPARAMS* params, std::size_t argumentCount);
bool flagsFit(MemberKind kind, WORD flags);
// Turns what a member call answered into what Invoke answers.
HRESULT finishInvoke(HRESULT hr, const Arguments& args, UINT argumentCount, VARIANT& result,
                     EXCEPINFO* exception, UINT* argError);
HRESULT exceptionResult(HRESULT hr, EXCEPINFO* exception);

}  // namespace detail

template <class Self>
class DispatchTable {
public:
    DispatchTable(std::initializer_list<DispatchMember<Self>> members) : members_(members) {}
    explicit DispatchTable(std::vector<DispatchMember<Self>> members)
        : members_(std::move(members)) {}

    const std::vector<DispatchMember<Self>>& members() const { return members_; }

    const DispatchMember<Self>* find(DISPID id) const {
        for (const auto& member : members_) {
            if (member.id == id) {
                return &member;
            }
        }
        return nullptr;
    }
    const DispatchMember<Self>* find(const OLECHAR* name) const {
        for (const auto& member : members_) {
            if (detail::sameMemberName(member.name, name)) {
                return &member;
            }
        }
        return nullptr;
    }

    HRESULT getIDsOfNames(const IID& riid, OLECHAR** names, UINT count, DISPID* ids) const {
        if (!(riid == IID_NULL)) {
            return DISP_E_UNKNOWNINTERFACE;
        }
        if (count == 0) {
            return S_OK;
        }
        if (!names || !ids) {
            return E_POINTER;
        }
        const DispatchMember<Self>* member = names[0] ? find(names[0]) : nullptr;
        ids[0] = member ? member->id : DISPID_UNKNOWN;
        for (UINT i = 1; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;  // parameter names are not known
        }
        return member && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }

    HRESULT invoke(Self& self, DISPID id, const IID& riid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError) const {
        HRESULT hr = detail::checkInvoke(riid, params);
        if (failed(hr)) {
            return hr;
        }
        const DispatchMember<Self>* member = find(id);
        if (!member || !detail::flagsFit(member->kind, flags)) {
            return DISP_E_MEMBERNOTFOUND;
        }
        hr = detail::checkArgumentCount(params, member->argumentCount);
        if (failed(hr)) {
            return hr;
        }
        VARIANT local;
        VARIANT& out = result ? *result : local;
        VariantInit(&out);
        Arguments args(params ? params->rgvarg : nullptr, member->argumentCount);
        try {
            hr = member->call(self, args, out);
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        } catch (...) {
            hr = E_FAIL;  // a member must not let an exception out; if one does, it stops here
        }
        hr = detail::finishInvoke(hr, args, static_cast<UINT>(member->argumentCount), out,
                                  exception, argError);
        if (!result) {
            VariantClear(&local);
        }
        return hr;
    }

private:
    std::vector<DispatchMember<Self>> members_;
};

// Adapters from virtual-table members ------------------------------------------------------
// Build table entries that call the class's own interface members, so that IDispatch and the
// virtual table share one implementation. Supported parameter types: LONG, BSTR, VARIANT_BOOL
// (by value or by reference through a pointer); result types (the final pointer parameter):
// BSTR, LONG, VARIANT_BOOL (as VT_BOOL: std::int16_t always means an automation Boolean here),
// VARIANT, SAFEARRAY* (VT_ARRAY | VT_UI1), and a pointer to an interface derived from
// IDispatch (VT_DISPATCH, null allowed) or from IUnknown only (VT_UNKNOWN).

namespace detail {

template <class T>
struct MemberTraits;
template <class C, class... P>
struct MemberTraits<HRESULT (C::*)(P...)> {
    using Class = C;
    using Params = std::tuple<P...>;
    static constexpr std::size_t count = sizeof...(P);
};

// One argument, read into what the member's parameter wants.
template <class P>
struct ArgumentSlot;
template <>
struct ArgumentSlot<LONG> {
    LONG value = 0;
    HRESULT read(Arguments& args, std::size_t i) { return args.getLong(i, value); }
    LONG pass() { return value; }
};
template <>
struct ArgumentSlot<VARIANT_BOOL> {
    VARIANT_BOOL value = VARIANT_FALSE;
    HRESULT read(Arguments& args, std::size_t i) { return args.getBool(i, value); }
    VARIANT_BOOL pass() { return value; }
};
template <>
struct ArgumentSlot<BSTR> {
    BSTR value = nullptr;  // borrowed from the caller
    HRESULT read(Arguments& args, std::size_t i) { return args.getString(i, value); }
    BSTR pass() { return value; }
};
// By reference: the caller's own storage when the type matches exactly, else a converted
// copy (the members of our servers never change their by-reference arguments).
template <class T, T* (Arguments::*Storage)(std::size_t), class Value>
struct RefSlot {
    Value copy;
    T* where = nullptr;
    HRESULT read(Arguments& args, std::size_t i) {
        where = (args.*Storage)(i);
        return where ? S_OK : copy.read(args, i);
    }
    T* pass() { return where ? where : &copy.value; }
};
template <>
struct ArgumentSlot<LONG*> : RefSlot<LONG, &Arguments::longStorage, ArgumentSlot<LONG>> {};
template <>
struct ArgumentSlot<BSTR*> : RefSlot<BSTR, &Arguments::stringStorage, ArgumentSlot<BSTR>> {};
template <>
struct ArgumentSlot<VARIANT_BOOL*>
    : RefSlot<VARIANT_BOOL, &Arguments::boolStorage, ArgumentSlot<VARIANT_BOOL>> {};

// A value the member handed out, moved into the result variant.
template <class R>
struct ResultSlot {
    static_assert(std::is_pointer_v<R> && std::is_base_of_v<IUnknown, std::remove_pointer_t<R>>,
                  "unsupported result type");
    R value = nullptr;
    void store(VARIANT& v) {
        if constexpr (std::is_base_of_v<IDispatch, std::remove_pointer_t<R>>) {
            setDispatch(v, value);
        } else {
            setUnknown(v, value);
        }
    }
    void drop() {
        if (value) {
            value->Release();
        }
    }
};
template <>
struct ResultSlot<BSTR> {
    BSTR value = nullptr;
    void store(VARIANT& v) { setBstr(v, value); }
    void drop() { SysFreeString(value); }
};
template <>
struct ResultSlot<LONG> {
    LONG value = 0;
    void store(VARIANT& v) { setLong(v, value); }
    void drop() {}
};
template <>
struct ResultSlot<VARIANT_BOOL> {
    VARIANT_BOOL value = VARIANT_FALSE;
    void store(VARIANT& v) { setBool(v, value != VARIANT_FALSE); }
    void drop() {}
};
template <>
struct ResultSlot<VARIANT> {
    VARIANT value;
    void store(VARIANT& v) {
        VariantClear(&v);
        v = value;  // takes over what the member handed out
        VariantInit(&value);
    }
    void drop() { VariantClear(&value); }
};
template <>
struct ResultSlot<SAFEARRAY*> {
    SAFEARRAY* value = nullptr;
    void store(VARIANT& v) { setByteArray(v, value); }
    void drop() { SafeArrayDestroy(value); }
};

template <class Self, auto Member, bool HasResult, std::size_t... I>
HRESULT callMember(Self& self, Arguments& args, VARIANT& result, std::index_sequence<I...>) {
    using Traits = MemberTraits<decltype(Member)>;
    using Params = typename Traits::Params;
    // Not named "slots": Qt defines that word as a macro, and this header reaches Qt code.
    std::tuple<ArgumentSlot<std::remove_cv_t<std::tuple_element_t<I, Params>>>...> argumentSlots;
    HRESULT hr = S_OK;
    // Reads every argument in order and stops at the first that does not fit.
    ((succeeded(hr) ? (hr = std::get<I>(argumentSlots).read(args, I), 0) : 0), ...);
    if (failed(hr)) {
        return hr;
    }
    auto& object = static_cast<typename Traits::Class&>(self);
    if constexpr (HasResult) {
        using R = std::remove_pointer_t<std::tuple_element_t<Traits::count - 1, Params>>;
        ResultSlot<R> out;
        hr = (object.*Member)(std::get<I>(argumentSlots).pass()..., &out.value);
        if (failed(hr)) {
            out.drop();
            return hr;
        }
        out.store(result);
        return hr;
    } else {
        return (object.*Member)(std::get<I>(argumentSlots).pass()...);
    }
}

}  // namespace detail

// A read-only property: `Getter` is HRESULT (Interface::*)(T* result).
template <class Self, auto Getter>
DispatchMember<Self> propertyGet(std::string name, DISPID id) {
    static_assert(detail::MemberTraits<decltype(Getter)>::count == 1);
    return {std::move(name), id, MemberKind::PropertyGet, 0,
            [](Self& self, Arguments& args, VARIANT& result) {
                return detail::callMember<Self, Getter, true>(self, args, result,
                                                              std::index_sequence<>{});
            }};
}

// A method with a result in its final pointer parameter: HRESULT (Interface::*)(A..., R*).
template <class Self, auto Function>
DispatchMember<Self> function(std::string name, DISPID id) {
    constexpr std::size_t count = detail::MemberTraits<decltype(Function)>::count;
    static_assert(count >= 1);
    return {std::move(name), id, MemberKind::Method, count - 1,
            [](Self& self, Arguments& args, VARIANT& result) {
                return detail::callMember<Self, Function, true>(
                    self, args, result, std::make_index_sequence<count - 1>{});
            }};
}

// A method without a result: HRESULT (Interface::*)(A...).
template <class Self, auto Method>
DispatchMember<Self> method(std::string name, DISPID id) {
    constexpr std::size_t count = detail::MemberTraits<decltype(Method)>::count;
    return {std::move(name), id, MemberKind::Method, count,
            [](Self& self, Arguments& args, VARIANT& result) {
                return detail::callMember<Self, Method, false>(self, args, result,
                                                               std::make_index_sequence<count>{});
            }};
}

// Objects --------------------------------------------------------------------------------------

// Implements IUnknown (a thread-safe reference count; QueryInterface for IID_IUnknown,
// IID_IDispatch and `InterfaceId`) and IDispatch (from Derived::dispatchTable(), a static
// member returning const DispatchTable<Derived>&) for a class with one dual interface.
// Objects live on the heap and go away with their last Release; they count towards the
// module's canUnloadNow. Derived needs a public destructor (the implicit one will do).
template <class Derived, class Interface, const IID& InterfaceId>
class DispatchObject : public Interface {
    static_assert(std::is_base_of_v<IDispatch, Interface>, "the interface must be dual");

public:
    // A new object holding one reference, which the result owns; null when memory runs out.
    template <class... A>
    static ComPtr<Derived> create(A&&... args) {
        return ComPtr<Derived>::attach(new (std::nothrow) Derived(std::forward<A>(args)...));
    }

    HRESULT QueryInterface(const IID& iid, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == InterfaceId) {
            // One chain of single inheritance: every one of them is the same pointer.
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override {
        const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) {
            delete static_cast<Derived*>(this);
        }
        return left;
    }

    HRESULT GetTypeInfoCount(UINT* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (!info) {
            return E_POINTER;
        }
        *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT GetIDsOfNames(const IID& riid, OLECHAR** names, UINT count, LCID,
                          DISPID* ids) override {
        return Derived::dispatchTable().getIDsOfNames(riid, names, count, ids);
    }
    HRESULT Invoke(DISPID id, const IID& riid, LCID, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
        return Derived::dispatchTable().invoke(static_cast<Derived&>(*this), id, riid, flags,
                                               params, result, exception, argError);
    }

protected:
    DispatchObject() { moduleLock(); }
    ~DispatchObject() { moduleUnlock(); }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

private:
    std::atomic<ULONG> refs_{1};
};

// The class factory of a creatable class: CreateInstance makes Object::create() and asks it
// for the interface; aggregation is refused.
template <class Object>
class ClassFactory final : public IClassFactory {
public:
    ClassFactory() { moduleLock(); }
    ~ClassFactory() { moduleUnlock(); }
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT QueryInterface(const IID& iid, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override {
        const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        *object = nullptr;
        if (outer) {
            return CLASS_E_NOAGGREGATION;
        }
        const ComPtr<Object> created = Object::create();
        if (!created) {
            return E_OUTOFMEMORY;
        }
        // The caller's reference comes from QueryInterface; ours goes with `created`, so a
        // refused interface leaves nothing behind.
        return created->QueryInterface(iid, object);
    }
    HRESULT LockServer(std::int32_t lock) override {
        if (lock) {
            moduleLock();
        } else {
            moduleUnlock();
        }
        return S_OK;
    }

private:
    std::atomic<ULONG> refs_{1};
};

// For DllGetClassObject once the class identifier matched: a new factory of Object, asked for
// `iid` (normally IID_IClassFactory).
template <class Object>
HRESULT getClassObject(const IID& iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    auto* factory = new (std::nothrow) ClassFactory<Object>;
    if (!factory) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = factory->QueryInterface(iid, object);
    factory->Release();
    return hr;
}

}  // namespace com
