#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/com/automation.h"
#include "platform/com/dispatch.h"

namespace {

using namespace com;

// The four bytes in front of a string hold its byte length.
std::uint32_t storedByteLength(BSTR text) {
    std::uint32_t length = 0;
    std::memcpy(&length, reinterpret_cast<const char*>(text) - 4, 4);
    return length;
}

TEST(Bstr, RoundTripsEveryTextWithItsLength) {
    const std::u16string texts[] = {
        u"",
        u"a",
        u"Title",
        std::u16string(u"nul\0inside\0", 12),
        u"\u00e9\u00df\u20ac",
        u"\U0001F3B5 music",  // a surrogate pair counts as two characters
        std::u16string(1000, u'x'),
    };
    for (const auto& text : texts) {
        const Bstr b(text);
        ASSERT_NE(b.get(), nullptr);
        EXPECT_EQ(b.view(), text);
        EXPECT_EQ(SysStringLen(b.get()), text.size());
        EXPECT_EQ(SysStringByteLen(b.get()), text.size() * 2);
        EXPECT_EQ(storedByteLength(b.get()), text.size() * 2);
        EXPECT_EQ(b.get()[text.size()], u'\0') << "terminated after its length";
    }
}

TEST(Bstr, AllocationFunctionsFollowTheirCLikeContracts) {
    const char16_t withNul[] = u"ab\0cd";
    // SysAllocString stops at the first NUL; SysAllocStringLen takes the count it is given.
    Bstr zeroTerminated = Bstr::attach(SysAllocString(withNul));
    EXPECT_EQ(zeroTerminated.view(), u"ab");
    Bstr counted = Bstr::attach(SysAllocStringLen(withNul, 5));
    EXPECT_EQ(counted.view(), std::u16string_view(withNul, 5));

    // Without a source the characters are zero.
    Bstr zeros = Bstr::attach(SysAllocStringLen(nullptr, 3));
    EXPECT_EQ(zeros.view(), std::u16string_view(u"\0\0\0", 3));

    // An odd byte length is kept; the character length rounds down.
    Bstr odd = Bstr::attach(SysAllocStringByteLen("abc", 3));
    EXPECT_EQ(SysStringByteLen(odd.get()), 3u);
    EXPECT_EQ(SysStringLen(odd.get()), 1u);
    EXPECT_EQ(std::memcmp(odd.get(), "abc\0\0", 5), 0);

    // A null BSTR is the empty string everywhere.
    EXPECT_EQ(SysAllocString(static_cast<const OLECHAR*>(nullptr)), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    EXPECT_TRUE(bstrView(nullptr).empty());
    SysFreeString(nullptr);

    // Far too long: refused instead of wrapping the 32-bit byte count.
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFF0u), nullptr);
}

TEST(Bstr, HolderOwnsExactlyOneString) {
    Bstr first(u"first");
    Bstr second = std::move(first);
    EXPECT_EQ(first.get(), nullptr);
    EXPECT_EQ(second.view(), u"first");
    second = Bstr(u"replaced");  // frees "first"
    EXPECT_EQ(second.view(), u"replaced");
    *second.put() = SysAllocString(u"through put");  // frees "replaced"
    EXPECT_EQ(second.view(), u"through put");
    BSTR detached = second.detach();
    EXPECT_EQ(second.get(), nullptr);
    SysFreeString(detached);
}

TEST(Bstr, ConvertsFromAndToUtf8) {
    const struct {
        const char* utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"plain", u"plain"},
        {"Gr\xC3\xBC\xC3\x9F"
         "e \xE2\x82\xAC",
         u"Gr\u00fc\u00dfe \u20ac"},
        {"\xF0\x9F\x8E\xB5", u"\U0001F3B5"},
    };
    for (const auto& c : cases) {
        Bstr b = Bstr::attach(bstrFromUtf8(c.utf8));
        EXPECT_EQ(b.view(), c.utf16) << c.utf8;
        EXPECT_EQ(utf8FromBstr(b.get()), c.utf8);
    }
    // Bad input in either direction becomes U+FFFD instead of being dropped or passed on.
    Bstr bad =
        Bstr::attach(bstrFromUtf8("a\xFF"
                                  "b\xC3"));
    EXPECT_EQ(bad.view(), u"a\uFFFDb\uFFFD");
    const char16_t lone[] = {u'x', 0xD800, u'y'};
    Bstr loneSurrogate = Bstr::attach(SysAllocStringLen(lone, 3));
    EXPECT_EQ(utf8FromBstr(loneSurrogate.get()), "x\xEF\xBF\xBDy");
}

// An object that counts its references and never deletes itself (it lives on the stack).
class CountedObject final : public IDispatch {
public:
    HRESULT QueryInterface(const IID&, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(const IID&, OLECHAR**, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, const IID&, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                   UINT*) override {
        return E_NOTIMPL;
    }
    ULONG refs = 1;
};

TEST(Variant, CopyIsDeepAndClearFreesWhatTheVariantOwns) {
    VARIANT text;
    setString(text, std::u16string(u"a\0b", 3));
    VARIANT copy;
    ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_NE(copy.bstrVal, text.bstrVal);
    ASSERT_EQ(VariantClear(&text), S_OK);
    EXPECT_EQ(text.vt, VT_EMPTY);
    EXPECT_EQ(bstrView(copy.bstrVal), std::u16string_view(u"a\0b", 3));

    // Copying over a variant that holds something frees what it held (LeakSanitizer checks).
    VARIANT bytes;
    const std::uint8_t data[] = {1, 2, 3};
    setByteArray(bytes, byteArray(data));
    ASSERT_EQ(VariantCopy(&copy, &bytes), S_OK);
    EXPECT_EQ(copy.vt, VT_ARRAY | VT_UI1);
    EXPECT_NE(copy.parray, bytes.parray);
    ASSERT_EQ(VariantClear(&bytes), S_OK);
    EXPECT_EQ(std::vector<std::uint8_t>(byteArrayView(copy.parray).begin(),
                                        byteArrayView(copy.parray).end()),
              (std::vector<std::uint8_t>{1, 2, 3}));
    ASSERT_EQ(VariantCopy(&copy, &copy), S_OK);  // onto itself: nothing happens
    ASSERT_EQ(VariantClear(&copy), S_OK);

    // A null string and a null array are values too.
    VARIANT nullText;
    setBstr(nullText, nullptr);
    ASSERT_EQ(VariantCopy(&copy, &nullText), S_OK);
    EXPECT_EQ(copy.vt, VT_BSTR);
    EXPECT_EQ(copy.bstrVal, nullptr);
    VariantClear(&copy);
}

TEST(Variant, InterfacesAreCountedAndReferencesOnlyPointed) {
    CountedObject object;
    for (const VARTYPE vt : {VT_UNKNOWN, VT_DISPATCH}) {
        VARIANT held;
        // Each setter takes over the creator's reference.
        if (vt == VT_UNKNOWN) {
            setUnknown(held, &object);
        } else {
            setDispatch(held, &object);
        }
        EXPECT_EQ(held.vt, vt);
        {
            Variant copy;
            ASSERT_EQ(VariantCopy(copy.get(), &held), S_OK);
            EXPECT_EQ(object.refs, 2u);
        }
        EXPECT_EQ(object.refs, 1u);
        ASSERT_EQ(VariantClear(&held), S_OK);
        EXPECT_EQ(object.refs, 0u);
        object.refs = 1;
    }

    // By reference: the copy points at the same storage and clearing frees nothing.
    BSTR owned = SysAllocString(u"kept");
    VARIANT ref;
    ref.vt = VT_BYREF | VT_BSTR;
    ref.pbstrVal = &owned;
    VARIANT copy;
    ASSERT_EQ(VariantCopy(&copy, &ref), S_OK);
    EXPECT_EQ(copy.pbstrVal, &owned);
    ASSERT_EQ(VariantClear(&copy), S_OK);
    ASSERT_EQ(VariantClear(&ref), S_OK);
    EXPECT_EQ(bstrView(owned), u"kept");
    SysFreeString(owned);
}

TEST(Variant, RefusesWhatItCannotHold) {
    VARIANT strange;
    strange.vt = 0x0040;  // a type this frame does not know
    strange.lVal = 7;
    EXPECT_EQ(VariantClear(&strange), DISP_E_BADVARTYPE);
    EXPECT_EQ(strange.vt, 0x0040);
    VARIANT copy;
    setLong(copy, 5);
    EXPECT_EQ(VariantCopy(&copy, &strange), DISP_E_BADVARTYPE);
    EXPECT_EQ(copy.vt, VT_EMPTY);

    // A locked array cannot be cleared away.
    VARIANT bytes;
    setByteArray(bytes, SafeArrayCreateVector(VT_UI1, 0, 2));
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(bytes.parray, &data), S_OK);
    EXPECT_EQ(VariantClear(&bytes), DISP_E_ARRAYISLOCKED);
    ASSERT_EQ(SafeArrayUnaccessData(bytes.parray), S_OK);
    EXPECT_EQ(VariantClear(&bytes), S_OK);
}

TEST(Variant, SettersStoreTheirTypes) {
    Variant v;
    setLong(*v, -5);
    EXPECT_EQ(v->vt, VT_I4);
    EXPECT_EQ(v->lVal, -5);
    setBool(*v, true);
    EXPECT_EQ(v->vt, VT_BOOL);
    EXPECT_EQ(v->boolVal, VARIANT_TRUE);
    setBool(*v, false);
    EXPECT_EQ(v->boolVal, VARIANT_FALSE);
    setString(*v, u"text");
    EXPECT_EQ(bstrView(v->bstrVal), u"text");
    setLong(*v, 1);  // frees the string
    Variant copied = v;
    EXPECT_EQ(copied->lVal, 1);
}

TEST(SafeArray, ByteVectorKeepsItsBoundsAndBytes) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 5, 3);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(SafeArrayGetDim(array), 1u);
    EXPECT_EQ(SafeArrayGetElemsize(array), 1u);
    VARTYPE vt = VT_EMPTY;
    ASSERT_EQ(SafeArrayGetVartype(array, &vt), S_OK);
    EXPECT_EQ(vt, VT_UI1);
    LONG lower = 0;
    LONG upper = 0;
    ASSERT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
    ASSERT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
    EXPECT_EQ(lower, 5);
    EXPECT_EQ(upper, 7);
    EXPECT_EQ(SafeArrayGetLBound(array, 2, &lower), DISP_E_BADINDEX);

    // Elements start zeroed and are addressed from the lower bound.
    for (LONG i = 5; i <= 7; ++i) {
        std::uint8_t byte = 0xAA;
        ASSERT_EQ(SafeArrayGetElement(array, &i, &byte), S_OK);
        EXPECT_EQ(byte, 0);
        const std::uint8_t value = static_cast<std::uint8_t>(i * 10);
        ASSERT_EQ(SafeArrayPutElement(array, &i, &value), S_OK);
    }
    for (const LONG outside : {4, 8, -1}) {
        std::uint8_t byte = 0;
        EXPECT_EQ(SafeArrayGetElement(array, &outside, &byte), DISP_E_BADINDEX) << outside;
        EXPECT_EQ(SafeArrayPutElement(array, &outside, &byte), DISP_E_BADINDEX) << outside;
    }

    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
    EXPECT_EQ(std::memcmp(data, "\x32\x3C\x46", 3), 0);
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(array), E_FAIL) << "unlocked twice";

    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
    ASSERT_EQ(SafeArrayDestroy(array), S_OK);
    ASSERT_EQ(SafeArrayGetLBound(copy, 1, &lower), S_OK);
    EXPECT_EQ(lower, 5);
    const auto view = byteArrayView(copy);
    EXPECT_EQ(std::vector<std::uint8_t>(view.begin(), view.end()),
              (std::vector<std::uint8_t>{50, 60, 70}));
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
}

TEST(SafeArray, EmptyVectorsAndOtherTypes) {
    SAFEARRAY* empty = byteArray({});
    ASSERT_NE(empty, nullptr);
    LONG lower = -1;
    LONG upper = 0;
    ASSERT_EQ(SafeArrayGetLBound(empty, 1, &lower), S_OK);
    ASSERT_EQ(SafeArrayGetUBound(empty, 1, &upper), S_OK);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, -1);
    EXPECT_TRUE(byteArrayView(empty).empty());
    SafeArrayDestroy(empty);

    EXPECT_EQ(SafeArrayCreateVector(VT_I4, 0, 4), nullptr);
    EXPECT_TRUE(byteArrayView(nullptr).empty());
    SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(1);
    EXPECT_EQ(SafeArrayCopy(nullptr, &copy), S_OK);
    EXPECT_EQ(copy, nullptr);
}

}  // namespace
