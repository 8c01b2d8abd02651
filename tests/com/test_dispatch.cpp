#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/com/automation.h"
#include "platform/com/dispatch.h"

namespace {

using namespace com;

// {9A4E2C61-0B7D-4E3F-8C15-D2A6F0B93E47}
constexpr IID IID_ISample = {
    0x9A4E2C61, 0x0B7D, 0x4E3F, {0x8C, 0x15, 0xD2, 0xA6, 0xF0, 0xB9, 0x3E, 0x47}};

class ISample : public IDispatch {
public:
    virtual HRESULT get_Name(BSTR* result) = 0;
    virtual HRESULT get_Count(LONG* result) = 0;
    virtual HRESULT get_Enabled(VARIANT_BOOL* result) = 0;
    virtual HRESULT get_Child(ISample** result) = 0;
    virtual HRESULT get_Data(SAFEARRAY** result) = 0;
    virtual HRESULT get_Value(VARIANT* result) = 0;
    // "<prefix> <number>"; both by reference, neither changed.
    virtual HRESULT Describe(BSTR* prefix, LONG* number, BSTR* result) = 0;
    // Adds `*amount` to Count and hands the new count back through `amount`.
    virtual HRESULT Bump(LONG* amount) = 0;
    virtual HRESULT Fail(LONG* result) = 0;

protected:
    ~ISample() = default;
};

class Sample final : public DispatchObject<Sample, ISample, IID_ISample> {
public:
    static inline int alive = 0;

    explicit Sample(std::u16string name = u"sample") : name_(std::move(name)) { ++alive; }
    ~Sample() { --alive; }

    static const DispatchTable<Sample>& dispatchTable() {
        static const DispatchTable<Sample> table{
            propertyGet<Sample, &ISample::get_Name>("Name", 1),
            propertyGet<Sample, &ISample::get_Count>("Count", 2),
            propertyGet<Sample, &ISample::get_Enabled>("Enabled", 3),
            propertyGet<Sample, &ISample::get_Child>("Child", 4),
            propertyGet<Sample, &ISample::get_Data>("Data", 5),
            propertyGet<Sample, &ISample::get_Value>("Value", 6),
            function<Sample, &ISample::Describe>("Describe", 7),
            method<Sample, &ISample::Bump>("Bump", 8),
            function<Sample, &ISample::Fail>("Fail", 9),
            // Written by hand instead of through the virtual table.
            {"Sum", 10, MemberKind::Method, 2,
             [](Sample&, Arguments& args, VARIANT& result) {
                 LONG a = 0;
                 LONG b = 0;
                 HRESULT hr = args.getLong(0, a);
                 if (succeeded(hr)) {
                     hr = args.getLong(1, b);
                 }
                 if (succeeded(hr)) {
                     setLong(result, a + b);
                 }
                 return hr;
             }},
            {"Throws", 11, MemberKind::Method, 0,
             [](Sample&, Arguments&, VARIANT&) -> HRESULT { throw std::runtime_error("escaped"); }},
        };
        return table;
    }

    HRESULT get_Name(BSTR* result) override {
        *result = SysAllocString(name_);
        return S_OK;
    }
    HRESULT get_Count(LONG* result) override {
        *result = count_;
        return S_OK;
    }
    HRESULT get_Enabled(VARIANT_BOOL* result) override {
        *result = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT get_Child(ISample** result) override {
        const auto child = create(u"child");
        if (!child) {
            return E_OUTOFMEMORY;
        }
        child->AddRef();  // the caller's reference; `child` drops its own
        *result = child.get();
        return S_OK;
    }
    HRESULT get_Data(SAFEARRAY** result) override {
        const std::uint8_t bytes[] = {0x49, 0x44, 0x33};
        *result = byteArray(bytes);
        return S_OK;
    }
    HRESULT get_Value(VARIANT* result) override {
        setString(*result, u"variant");
        return S_OK;
    }
    HRESULT Describe(BSTR* prefix, LONG* number, BSTR* result) override {
        const std::string digits = std::to_string(*number);
        *result = SysAllocString(std::u16string(bstrView(*prefix)) + u" " +
                                 std::u16string(digits.begin(), digits.end()));
        return S_OK;
    }
    HRESULT Bump(LONG* amount) override {
        count_ += *amount;
        *amount = count_;
        return S_OK;
    }
    HRESULT Fail(LONG*) override { return E_INVALIDARG; }

private:
    std::u16string name_;
    LONG count_ = 0;
};

DISPID idOf(IDispatch* object, const char16_t* name) {
    OLECHAR* names[] = {const_cast<OLECHAR*>(name)};
    DISPID id = 12345;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << "no member";
    return id;
}

struct Call {
    HRESULT hr = S_OK;
    Variant result;
    UINT argError = 999;
    EXCEPINFO exception;
};

// Invokes `name` with `args` given first to last (DISPPARAMS wants them the other way round).
Call invoke(IDispatch* object, const char16_t* name, WORD flags, std::vector<VARIANT> args = {}) {
    Call call;
    std::vector<VARIANT> lastFirst(args.rbegin(), args.rend());
    DISPPARAMS params;
    params.rgvarg = lastFirst.data();
    params.cArgs = static_cast<UINT>(lastFirst.size());
    call.hr = object->Invoke(idOf(object, name), IID_NULL, 0, flags, &params, call.result.get(),
                             &call.exception, &call.argError);
    return call;
}

VARIANT longArg(LONG value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

class DispatchTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(moduleLockCount(), 0); }
    void TearDown() override {
        EXPECT_EQ(Sample::alive, 0) << "every object was released";
        EXPECT_EQ(moduleLockCount(), 0);
        EXPECT_EQ(canUnloadNow(), S_OK);
    }
};

TEST_F(DispatchTest, QueryInterfaceAnswersItsThreeInterfacesWithOneObject) {
    ComPtr<Sample> sample = Sample::create();
    ASSERT_TRUE(sample);
    EXPECT_EQ(moduleLockCount(), 1);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    for (const IID& iid : {IID_IUnknown, IID_IDispatch, IID_ISample}) {
        void* raw = nullptr;
        ASSERT_EQ(sample->QueryInterface(iid, &raw), S_OK) << guidText(iid);
        EXPECT_EQ(raw, static_cast<ISample*>(sample.get()));
        EXPECT_EQ(static_cast<IUnknown*>(raw)->Release(), 1u) << "QueryInterface added one";
    }
    void* raw = reinterpret_cast<void*>(1);
    EXPECT_EQ(sample->QueryInterface(IID_IClassFactory, &raw), E_NOINTERFACE);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(sample->QueryInterface(IID_ISample, nullptr), E_POINTER);

    EXPECT_EQ(sample->AddRef(), 2u);
    EXPECT_EQ(sample->Release(), 1u);
    sample.reset();
    EXPECT_EQ(Sample::alive, 0);
}

TEST_F(DispatchTest, GetIDsOfNamesIgnoresLetterCase) {
    const auto sample = Sample::create();
    const struct {
        const char16_t* name;
        DISPID id;
    } known[] = {{u"Name", 1}, {u"NAME", 1}, {u"name", 1}, {u"dEsCrIbE", 7}, {u"sum", 10}};
    for (const auto& c : known) {
        OLECHAR* names[] = {const_cast<OLECHAR*>(c.name)};
        DISPID id = 0;
        EXPECT_EQ(sample->GetIDsOfNames(IID_NULL, names, 1, 0x0409, &id), S_OK);
        EXPECT_EQ(id, c.id);
    }
    for (const char16_t* unknown : {u"Nam", u"Names", u"", u"Name ", u"N\u00e1me"}) {
        OLECHAR* names[] = {const_cast<OLECHAR*>(unknown)};
        DISPID id = 0;
        EXPECT_EQ(sample->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
        EXPECT_EQ(id, DISPID_UNKNOWN);
    }
    // Parameter names are not known: the member's id still comes back.
    OLECHAR* withParameter[] = {const_cast<OLECHAR*>(u"Describe"), const_cast<OLECHAR*>(u"prefix")};
    DISPID ids[2] = {};
    EXPECT_EQ(sample->GetIDsOfNames(IID_NULL, withParameter, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 7);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    EXPECT_EQ(sample->GetIDsOfNames(IID_ISample, withParameter, 1, 0, ids),
              DISP_E_UNKNOWNINTERFACE);

    UINT count = 7;
    EXPECT_EQ(sample->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(sample->GetTypeInfo(0, 0, &info), DISP_E_BADINDEX);
    EXPECT_EQ(info, nullptr);
}

TEST_F(DispatchTest, PropertyGetsFillTheResultByType) {
    const auto sample = Sample::create();
    IDispatch* object = sample.get();
    {
        const Call name = invoke(object, u"name", DISPATCH_PROPERTYGET);
        ASSERT_EQ(name.hr, S_OK);
        EXPECT_EQ(name.result->vt, VT_BSTR);
        EXPECT_EQ(bstrView(name.result->bstrVal), u"sample");
    }
    {
        // Script hosts ask with both flags when they cannot tell a property from a method.
        const Call count = invoke(object, u"Count", DISPATCH_METHOD | DISPATCH_PROPERTYGET);
        ASSERT_EQ(count.hr, S_OK);
        EXPECT_EQ(count.result->vt, VT_I4);
        EXPECT_EQ(count.result->lVal, 0);
    }
    {
        const Call enabled = invoke(object, u"Enabled", DISPATCH_PROPERTYGET);
        EXPECT_EQ(enabled.result->vt, VT_BOOL);
        EXPECT_EQ(enabled.result->boolVal, VARIANT_TRUE);
    }
    {
        const Call data = invoke(object, u"Data", DISPATCH_PROPERTYGET);
        ASSERT_EQ(data.result->vt, VT_ARRAY | VT_UI1);
        const auto bytes = byteArrayView(data.result->parray);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "ID3");
    }
    {
        const Call value = invoke(object, u"Value", DISPATCH_PROPERTYGET);
        EXPECT_EQ(value.result->vt, VT_BSTR);
        EXPECT_EQ(bstrView(value.result->bstrVal), u"variant");
    }
    {
        // An object comes back as VT_DISPATCH holding the one reference; clearing releases it.
        Call child = invoke(object, u"Child", DISPATCH_PROPERTYGET);
        ASSERT_EQ(child.result->vt, VT_DISPATCH);
        ASSERT_NE(child.result->pdispVal, nullptr);
        EXPECT_EQ(Sample::alive, 2);
        const Call childName = invoke(child.result->pdispVal, u"Name", DISPATCH_PROPERTYGET);
        EXPECT_EQ(bstrView(childName.result->bstrVal), u"child");
        VariantClear(child.result.get());
        EXPECT_EQ(Sample::alive, 1);
    }
    // A property is not a method, and there are no setters.
    EXPECT_EQ(invoke(object, u"Name", DISPATCH_METHOD).hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(invoke(object, u"Name", DISPATCH_PROPERTYPUT, {longArg(1)}).hr,
              DISP_E_MEMBERNOTFOUND);
    // No place for the result: the value is made and thrown away without a leak.
    DISPPARAMS none;
    EXPECT_EQ(
        object->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(
        object->Invoke(99, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
        DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTest, MethodsTakeArgumentsByReferenceOrByValue) {
    const auto sample = Sample::create();
    IDispatch* object = sample.get();

    BSTR prefix = SysAllocString(u"Track");
    LONG number = 7;
    std::int16_t shortNumber = 8;
    VARIANT prefixRef;
    prefixRef.vt = VT_BYREF | VT_BSTR;
    prefixRef.pbstrVal = &prefix;
    VARIANT numberRef;
    numberRef.vt = VT_BYREF | VT_I4;
    numberRef.plVal = &number;
    VARIANT shortRef;
    shortRef.vt = VT_BYREF | VT_I2;
    shortRef.piVal = &shortNumber;
    VARIANT prefixValue;
    prefixValue.vt = VT_BSTR;
    prefixValue.bstrVal = prefix;  // borrowed: freed once below
    VARIANT throughVariant;
    throughVariant.vt = VT_BYREF | VT_VARIANT;
    throughVariant.pvarVal = &numberRef;

    const struct {
        std::vector<VARIANT> args;
        const char16_t* expected;
    } cases[] = {
        {{prefixRef, numberRef}, u"Track 7"},
        {{prefixValue, longArg(9)}, u"Track 9"},
        {{prefixRef, shortRef}, u"Track 8"},  // converted into a Long
        {{prefixRef, throughVariant}, u"Track 7"},
    };
    for (const auto& c : cases) {
        const Call call = invoke(object, u"Describe", DISPATCH_METHOD, c.args);
        ASSERT_EQ(call.hr, S_OK);
        EXPECT_EQ(bstrView(call.result->bstrVal), std::u16string_view(c.expected));
    }
    EXPECT_EQ(bstrView(prefix), u"Track");
    EXPECT_EQ(number, 7);

    // A member that writes through its by-reference argument reaches the caller's storage.
    LONG amount = 5;
    VARIANT amountRef;
    amountRef.vt = VT_BYREF | VT_I4;
    amountRef.plVal = &amount;
    EXPECT_EQ(invoke(object, u"Bump", DISPATCH_METHOD, {amountRef}).hr, S_OK);
    EXPECT_EQ(invoke(object, u"Bump", DISPATCH_METHOD, {amountRef}).hr, S_OK);
    EXPECT_EQ(amount, 10);
    LONG count = 0;
    ASSERT_EQ(sample->get_Count(&count), S_OK);  // the same object through its virtual table
    EXPECT_EQ(count, 10);

    const Call sum = invoke(object, u"Sum", DISPATCH_METHOD, {longArg(2), shortRef});
    EXPECT_EQ(sum.result->lVal, 10);
    SysFreeString(prefix);
}

TEST_F(DispatchTest, InvokeRefusesBadCallsAndReportsFailures) {
    const auto sample = Sample::create();
    IDispatch* object = sample.get();
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = nullptr;

    // The wrong type: argError counts in rgvarg, which holds the arguments last first.
    const struct {
        std::vector<VARIANT> args;
        UINT argError;
    } mismatches[] = {
        {{text, text}, 0},              // the second argument (Long) is a string
        {{longArg(1), longArg(2)}, 1},  // the first argument (String) is a Long
        // An empty first argument stands for the empty string and is not the one to blame.
        {{VARIANT{}, text}, 0},
    };
    for (const auto& c : mismatches) {
        const Call call = invoke(object, u"Describe", DISPATCH_METHOD, c.args);
        EXPECT_EQ(call.hr, DISP_E_TYPEMISMATCH);
        EXPECT_EQ(call.argError, c.argError);
        EXPECT_EQ(call.result->vt, VT_EMPTY);
    }
    EXPECT_EQ(invoke(object, u"Sum", DISPATCH_METHOD, {longArg(1), text}).argError, 0u);

    EXPECT_EQ(invoke(object, u"Describe", DISPATCH_METHOD, {text}).hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(invoke(object, u"Count", DISPATCH_PROPERTYGET, {longArg(1)}).hr,
              DISP_E_BADPARAMCOUNT);

    VARIANT args[2] = {longArg(1), longArg(2)};
    DISPID named = 0;
    DISPPARAMS params{args, &named, 2, 1};
    EXPECT_EQ(object->Invoke(10, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_NONAMEDARGS);
    params.cNamedArgs = 0;
    EXPECT_EQ(
        object->Invoke(10, IID_ISample, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
        DISP_E_UNKNOWNINTERFACE);

    // A member's own failure, and an exception that escaped a member, come back as exceptions.
    const struct {
        const char16_t* name;
        HRESULT scode;
    } failures[] = {{u"Fail", E_INVALIDARG}, {u"Throws", E_FAIL}};
    for (const auto& c : failures) {
        Call call = invoke(object, c.name, DISPATCH_METHOD);
        EXPECT_EQ(call.hr, DISP_E_EXCEPTION);
        EXPECT_EQ(call.exception.scode, c.scode);
        EXPECT_EQ(call.result->vt, VT_EMPTY);
        clearExcepInfo(call.exception);
    }
}

TEST_F(DispatchTest, ClassFactoryCreatesObjectsAndLocksTheModule) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject<Sample>(IID_IClassFactory, factory.put()), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);

    ComPtr<ISample> sample;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ISample, sample.put()), S_OK);
    BSTR name = nullptr;
    ASSERT_EQ(sample->get_Name(&name), S_OK);
    EXPECT_EQ(bstrView(name), u"sample");
    SysFreeString(name);
    sample.reset();

    void* raw = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &raw), E_NOINTERFACE);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(Sample::alive, 0) << "a refused interface leaves no object behind";
    EXPECT_EQ(factory->CreateInstance(factory.get(), IID_ISample, &raw), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(getClassObject<Sample>(IID_ISample, &raw), E_NOINTERFACE);

    EXPECT_EQ(factory->LockServer(1), S_OK);
    factory.reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "locked without any object";
    ASSERT_EQ(getClassObject<Sample>(IID_IUnknown, factory.put()), S_OK);
    EXPECT_EQ(factory->LockServer(0), S_OK);
}

}  // namespace
