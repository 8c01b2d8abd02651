// A small component-object frame of our own, shaped like COM so that the program and the tag
// library meet only through interfaces created by class identifier at run time. Free of Qt.
// Interfaces are C++ classes whose virtual-table slots follow IUnknown (and, where needed,
// IDispatch) and then their members in declaration order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace com {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x8004F001u);
constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);

inline bool succeeded(HRESULT hr) {
    return hr >= 0;
}
inline bool failed(HRESULT hr) {
    return hr < 0;
}

struct GUID {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};
    friend bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;

// "{6E10C0BC-6B07-460F-97BF-006765E982C4}" (braces optional, any letter case).
std::optional<GUID> parseGuid(std::string_view text);
// Upper-case text with braces, as the registry stores it.
std::string guidText(const GUID& guid);

// The well-known identifiers, with their usual values.
extern const IID IID_IUnknown;
extern const IID IID_IClassFactory;
extern const IID IID_IDispatch;

class IUnknown {
public:
    virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;  // objects go away through Release, never delete
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
    virtual HRESULT LockServer(std::int32_t lock) = 0;

protected:
    ~IClassFactory() = default;
};

// Holds one reference and releases it when it goes.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}  // NOLINT(google-explicit-constructor)
    // Takes over a reference the caller already owns.
    static ComPtr attach(T* raw) {
        ComPtr result;
        result.ptr_ = raw;
        return result;
    }
    ComPtr(const ComPtr& other) : ptr_(other.ptr_) {
        if (ptr_) {
            ptr_->AddRef();
        }
    }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(ptr_, other.ptr_);
        return *this;
    }
    ~ComPtr() { reset(); }

    void reset() {
        if (ptr_) {
            std::exchange(ptr_, nullptr)->Release();
        }
    }
    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // For out parameters: releases what is held and hands out the slot.
    void** put() {
        reset();
        return reinterpret_cast<void**>(&ptr_);
    }

private:
    T* ptr_ = nullptr;
};

}  // namespace com
