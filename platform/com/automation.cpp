#include "platform/com/automation.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

#include "platform/com/idispatch.h"

namespace com {

// Strings --------------------------------------------------------------------------------------

namespace {

constexpr std::size_t kPrefix = sizeof(std::uint32_t);
// Room for the prefix, the text and a two-byte terminator must fit the 32-bit byte count.
constexpr UINT kMaxBytes = std::numeric_limits<std::uint32_t>::max() - 16;

char* prefixOf(BSTR text) {
    return reinterpret_cast<char*>(text) - kPrefix;
}

// A string of `byteLength` bytes copied from `bytes` (zeros when null), then the terminator.
BSTR allocateBytes(const void* bytes, UINT byteLength) {
    if (byteLength > kMaxBytes) {
        return nullptr;
    }
    auto* block = static_cast<char*>(std::malloc(kPrefix + byteLength + sizeof(OLECHAR)));
    if (!block) {
        return nullptr;
    }
    const std::uint32_t length = byteLength;
    std::memcpy(block, &length, kPrefix);
    char* text = block + kPrefix;
    if (bytes) {
        std::memcpy(text, bytes, byteLength);
    } else {
        std::memset(text, 0, byteLength);
    }
    std::memset(text + byteLength, 0, sizeof(OLECHAR));
    return reinterpret_cast<BSTR>(text);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

constexpr char32_t kReplacement = 0xFFFD;

// The code point that starts at `pos`; leaves `pos` after it. A malformed sequence gives the
// replacement character and skips only its first byte.
char32_t decodeUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) {
        return lead;
    }
    std::size_t extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        c = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        c = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        c = lead & 0x07;
        minimum = 0x10000;
    } else {
        return kReplacement;
    }
    if (pos + extra > text.size()) {
        return kReplacement;
    }
    for (std::size_t i = 0; i < extra; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            return kReplacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return kReplacement;
    }
    pos += extra;
    return c;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) {
        return nullptr;
    }
    return SysAllocString(std::u16string_view(text));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    if (length > kMaxBytes / sizeof(OLECHAR)) {
        return nullptr;
    }
    return allocateBytes(text, length * static_cast<UINT>(sizeof(OLECHAR)));
}

BSTR SysAllocStringByteLen(const char* bytes, UINT length) {
    return allocateBytes(bytes, length);
}

void SysFreeString(BSTR text) {
    if (text) {
        std::free(prefixOf(text));
    }
}

UINT SysStringByteLen(BSTR text) {
    if (!text) {
        return 0;
    }
    std::uint32_t length = 0;
    std::memcpy(&length, prefixOf(text), kPrefix);
    return length;
}

UINT SysStringLen(BSTR text) {
    return SysStringByteLen(text) / static_cast<UINT>(sizeof(OLECHAR));
}

BSTR SysAllocString(std::u16string_view text) {
    if (text.size() > kMaxBytes / sizeof(OLECHAR)) {
        return nullptr;
    }
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

std::u16string_view bstrView(BSTR text) {
    if (!text) {
        return {};
    }
    return {text, SysStringLen(text)};
}

BSTR bstrFromUtf8(std::string_view text) {
    std::u16string wide;
    wide.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        appendUtf16(wide, decodeUtf8(text, pos));
    }
    return SysAllocString(std::u16string_view(wide));
}

std::string utf8FromBstr(BSTR text) {
    const std::u16string_view wide = bstrView(text);
    std::string result;
    result.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char16_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            appendUtf8(result, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
                                   (static_cast<char32_t>(wide[i + 1]) - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            appendUtf8(result, kReplacement);
        } else {
            appendUtf8(result, c);
        }
    }
    return result;
}

// Safe arrays ----------------------------------------------------------------------------------

namespace {

bool isByteVector(const SAFEARRAY* array) {
    return array && array->cDims == 1 && array->cbElements == 1;
}

// The offset of `index` into the data, or nothing when it lies outside the bounds.
std::optional<std::size_t> offsetOf(const SAFEARRAY* array, const LONG* index) {
    if (!isByteVector(array) || !index) {
        return std::nullopt;
    }
    const std::int64_t offset =
        static_cast<std::int64_t>(*index) - static_cast<std::int64_t>(array->rgsabound[0].lLbound);
    if (offset < 0 || offset >= static_cast<std::int64_t>(array->rgsabound[0].cElements)) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(offset);
}

}  // namespace

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, UINT count) {
    if (vt != VT_UI1) {
        return nullptr;
    }
    // Descriptor and data in one block, as the system's vectors are.
    const std::size_t size = sizeof(SAFEARRAY) + count;
    void* block = std::calloc(1, size);
    if (!block) {
        return nullptr;
    }
    auto* array = new (block) SAFEARRAY;
    array->cDims = 1;
    array->fFeatures = FADF_HAVEVARTYPE;
    array->cbElements = 1;
    array->pvData = static_cast<char*>(block) + sizeof(SAFEARRAY);
    array->rgsabound[0].cElements = count;
    array->rgsabound[0].lLbound = lowerBound;
    return array;
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
    if (!array) {
        return S_OK;
    }
    if (array->cLocks > 0) {
        return DISP_E_ARRAYISLOCKED;
    }
    array->~SAFEARRAY();
    std::free(array);
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy) {
    if (!copy) {
        return E_INVALIDARG;
    }
    *copy = nullptr;
    if (!array) {
        return S_OK;
    }
    if (!isByteVector(array)) {
        return E_INVALIDARG;
    }
    const SAFEARRAYBOUND bound = array->rgsabound[0];
    SAFEARRAY* result = SafeArrayCreateVector(VT_UI1, bound.lLbound, bound.cElements);
    if (!result) {
        return E_OUTOFMEMORY;
    }
    if (bound.cElements > 0) {
        std::memcpy(result->pvData, array->pvData, bound.cElements);
    }
    *copy = result;
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* array) {
    if (!array) {
        return E_INVALIDARG;
    }
    ++array->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array) {
    if (!array) {
        return E_INVALIDARG;
    }
    if (array->cLocks == 0) {
        return E_FAIL;
    }
    --array->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
    if (!array || !data) {
        return E_INVALIDARG;
    }
    ++array->cLocks;
    *data = array->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
    return SafeArrayUnlock(array);
}

UINT SafeArrayGetDim(SAFEARRAY* array) {
    return array ? array->cDims : 0;
}

UINT SafeArrayGetElemsize(SAFEARRAY* array) {
    return array ? array->cbElements : 0;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dimension, LONG* bound) {
    if (!array || !bound) {
        return E_INVALIDARG;
    }
    if (dimension != 1 || array->cDims != 1) {
        return DISP_E_BADINDEX;
    }
    *bound = array->rgsabound[0].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dimension, LONG* bound) {
    if (!array || !bound) {
        return E_INVALIDARG;
    }
    if (dimension != 1 || array->cDims != 1) {
        return DISP_E_BADINDEX;
    }
    // An empty vector has an upper bound one below its lower bound.
    *bound = static_cast<LONG>(static_cast<std::int64_t>(array->rgsabound[0].lLbound) +
                               array->rgsabound[0].cElements - 1);
    return S_OK;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
    if (!array || !vt) {
        return E_INVALIDARG;
    }
    if (!(array->fFeatures & FADF_HAVEVARTYPE) || !isByteVector(array)) {
        return E_INVALIDARG;
    }
    *vt = VT_UI1;
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* index, void* value) {
    if (!array || !index || !value) {
        return E_INVALIDARG;
    }
    const auto offset = offsetOf(array, index);
    if (!offset) {
        return DISP_E_BADINDEX;
    }
    *static_cast<std::uint8_t*>(value) = static_cast<const std::uint8_t*>(array->pvData)[*offset];
    return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* index, const void* value) {
    if (!array || !index || !value) {
        return E_INVALIDARG;
    }
    const auto offset = offsetOf(array, index);
    if (!offset) {
        return DISP_E_BADINDEX;
    }
    static_cast<std::uint8_t*>(array->pvData)[*offset] = *static_cast<const std::uint8_t*>(value);
    return S_OK;
}

SAFEARRAY* byteArray(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > std::numeric_limits<UINT>::max() - sizeof(SAFEARRAY)) {
        return nullptr;
    }
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<UINT>(bytes.size()));
    if (array && !bytes.empty()) {
        std::memcpy(array->pvData, bytes.data(), bytes.size());
    }
    return array;
}

std::span<const std::uint8_t> byteArrayView(const SAFEARRAY* array) {
    if (!isByteVector(array) || array->rgsabound[0].cElements == 0) {
        return {};
    }
    return {static_cast<const std::uint8_t*>(array->pvData), array->rgsabound[0].cElements};
}

// Variants -------------------------------------------------------------------------------------

void VariantInit(VARIANT* v) {
    if (v) {
        *v = VARIANT{};
    }
}

HRESULT VariantClear(VARIANT* v) {
    if (!v) {
        return E_INVALIDARG;
    }
    if (v->vt & VT_BYREF) {
        // Points at the caller's storage and owns nothing.
        VariantInit(v);
        return S_OK;
    }
    switch (v->vt) {
        case VT_EMPTY:
        case VT_NULL:
        case VT_I2:
        case VT_I4:
        case VT_ERROR:
        case VT_BOOL:
        case VT_UI1:
            break;
        case VT_BSTR:
            SysFreeString(v->bstrVal);
            break;
        case VT_DISPATCH:
            if (v->pdispVal) {
                v->pdispVal->Release();
            }
            break;
        case VT_UNKNOWN:
            if (v->punkVal) {
                v->punkVal->Release();
            }
            break;
        case VT_ARRAY | VT_UI1: {
            const HRESULT hr = SafeArrayDestroy(v->parray);
            if (failed(hr)) {
                return hr;
            }
            break;
        }
        default:
            return DISP_E_BADVARTYPE;
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src) {
        return E_INVALIDARG;
    }
    if (dest == src) {
        return S_OK;
    }
    HRESULT hr = VariantClear(dest);
    if (failed(hr)) {
        return hr;
    }
    VARIANT copy = *src;
    if (!(src->vt & VT_BYREF)) {
        switch (src->vt) {
            case VT_EMPTY:
            case VT_NULL:
            case VT_I2:
            case VT_I4:
            case VT_ERROR:
            case VT_BOOL:
            case VT_UI1:
                break;
            case VT_BSTR:
                if (src->bstrVal) {
                    // By bytes, so that a string of odd byte length stays what it was.
                    copy.bstrVal =
                        SysAllocStringByteLen(reinterpret_cast<const char*>(src->bstrVal),
                                              SysStringByteLen(src->bstrVal));
                    if (!copy.bstrVal) {
                        return E_OUTOFMEMORY;
                    }
                }
                break;
            case VT_DISPATCH:
                if (src->pdispVal) {
                    src->pdispVal->AddRef();
                }
                break;
            case VT_UNKNOWN:
                if (src->punkVal) {
                    src->punkVal->AddRef();
                }
                break;
            case VT_ARRAY | VT_UI1:
                hr = SafeArrayCopy(src->parray, &copy.parray);
                if (failed(hr)) {
                    return hr;
                }
                break;
            default:
                return DISP_E_BADVARTYPE;
        }
    }
    *dest = copy;
    return S_OK;
}

void setLong(VARIANT& v, LONG value) {
    VariantClear(&v);
    v.vt = VT_I4;
    v.lVal = value;
}

void setBool(VARIANT& v, bool value) {
    VariantClear(&v);
    v.vt = VT_BOOL;
    v.boolVal = toVariantBool(value);
}

void setBstr(VARIANT& v, BSTR owned) {
    VariantClear(&v);
    v.vt = VT_BSTR;
    v.bstrVal = owned;
}

void setString(VARIANT& v, std::u16string_view text) {
    setBstr(v, SysAllocString(text));
}

void setDispatch(VARIANT& v, IDispatch* ownedReference) {
    VariantClear(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = ownedReference;
}

void setUnknown(VARIANT& v, IUnknown* ownedReference) {
    VariantClear(&v);
    v.vt = VT_UNKNOWN;
    v.punkVal = ownedReference;
}

void setByteArray(VARIANT& v, SAFEARRAY* owned) {
    VariantClear(&v);
    v.vt = static_cast<VARTYPE>(VT_ARRAY | VT_UI1);
    v.parray = owned;
}

}  // namespace com
