// Automation types of the component-object frame: length-prefixed UTF-16 strings (BSTR), the
// automation Boolean, a VARIANT and a one-dimensional safe array of bytes, as far as the tag
// library's members and their callers need them. Free of Qt.
//
// Ownership follows the usual rules: whoever receives a BSTR, SAFEARRAY or VARIANT through an
// out parameter owns it and frees it (SysFreeString, SafeArrayDestroy, VariantClear); [in]
// arguments stay owned by the caller. The memory comes from malloc, so a string allocated in
// one module (the tag library) may be freed in another (the program) even though each links
// its own copy of these functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/com/automationtypes.h"
#include "platform/com/com.h"

namespace com {

// Strings ------------------------------------------------------------------------------------

// A copy of the zero-terminated `text`; null for a null `text` or when memory runs out.
BSTR SysAllocString(const OLECHAR* text);
// `length` characters of `text`, which may hold NULs; with a null `text` the characters are
// zero. Null when memory runs out or the length is too large.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// `length` bytes of `bytes` (may be odd); with a null `bytes` they are zero.
BSTR SysAllocStringByteLen(const char* bytes, UINT length);
// Frees a string from the functions above; null is allowed.
void SysFreeString(BSTR text);
// Length in characters (byte length / 2, rounded down); 0 for null.
UINT SysStringLen(BSTR text);
// Length in bytes, without the terminator; 0 for null.
UINT SysStringByteLen(BSTR text);

// Conveniences for C++ code. The views never own; a null BSTR gives an empty view.
BSTR SysAllocString(std::u16string_view text);
std::u16string_view bstrView(BSTR text);
// UTF-8 in and out (invalid UTF-8 becomes U+FFFD; unpaired surrogates become U+FFFD).
BSTR bstrFromUtf8(std::string_view text);
std::string utf8FromBstr(BSTR text);

// Owns one BSTR and frees it when it goes.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::u16string_view text) : text_(SysAllocString(text)) {}
    // Takes over a string the caller already owns.
    static Bstr attach(BSTR text) {
        Bstr result;
        result.text_ = text;
        return result;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : text_(other.detach()) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            reset(other.detach());
        }
        return *this;
    }
    ~Bstr() { SysFreeString(text_); }

    BSTR get() const { return text_; }
    std::u16string_view view() const { return bstrView(text_); }
    UINT length() const { return SysStringLen(text_); }
    // Hands the string over to the caller, who now owns it.
    BSTR detach() {
        BSTR result = text_;
        text_ = nullptr;
        return result;
    }
    void reset(BSTR text = nullptr) {
        SysFreeString(text_);
        text_ = text;
    }
    // For out parameters: frees what is held and hands out the slot.
    BSTR* put() {
        reset();
        return &text_;
    }

private:
    BSTR text_ = nullptr;
};

// Booleans -----------------------------------------------------------------------------------

using VARIANT_BOOL = std::int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

inline VARIANT_BOOL toVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// Safe arrays --------------------------------------------------------------------------------

struct SAFEARRAYBOUND {
    UINT cElements = 0;
    LONG lLbound = 0;
};

// Only one-dimensional arrays of VT_UI1 are made here. The descriptor and its data are one
// block; pvData points into it.
struct SAFEARRAY {
    USHORT cDims = 0;
    USHORT fFeatures = 0;
    UINT cbElements = 0;
    UINT cLocks = 0;
    void* pvData = nullptr;
    SAFEARRAYBOUND rgsabound[1];
};

constexpr USHORT FADF_HAVEVARTYPE = 0x0080;

// A vector of `count` zero bytes whose first index is `lowerBound`. Null for any `vt` other
// than VT_UI1 and when memory runs out.
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, UINT count);
// Frees the array and its data; null is allowed. DISP_E_ARRAYISLOCKED while it is locked.
HRESULT SafeArrayDestroy(SAFEARRAY* array);
// A new array with the same bounds and bytes (null `array` gives a null copy and S_OK).
HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy);
HRESULT SafeArrayLock(SAFEARRAY* array);
HRESULT SafeArrayUnlock(SAFEARRAY* array);  // E_FAIL when it is not locked
// Locks the array and hands out its data; SafeArrayUnaccessData unlocks it.
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
UINT SafeArrayGetDim(SAFEARRAY* array);
UINT SafeArrayGetElemsize(SAFEARRAY* array);
// `dimension` counts from 1. DISP_E_BADINDEX for any dimension other than 1.
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dimension, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dimension, LONG* bound);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);
// One element by index (within the bounds, else DISP_E_BADINDEX).
HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* index, void* value);
HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* index, const void* value);

// Conveniences: a new byte array (lower bound 0) holding `bytes`, null when memory runs out;
// and a view of an array's bytes (empty for null or for an array that is not of bytes).
SAFEARRAY* byteArray(std::span<const std::uint8_t> bytes);
std::span<const std::uint8_t> byteArrayView(const SAFEARRAY* array);

// Variants -----------------------------------------------------------------------------------

class IDispatch;  // platform/com/idispatch.h

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_UI1 = 17,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

// The VARIANT of automation, flattened to one union. A variant owns what its type says it
// holds (the string, one reference to the interface, the array) unless VT_BYREF is set, in
// which case it only points at storage of the caller.
struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    WORD wReserved1 = 0;
    WORD wReserved2 = 0;
    WORD wReserved3 = 0;
    union {
        std::int64_t llVal = 0;  // sizes the union; unused otherwise
        std::uint8_t bVal;       // VT_UI1
        std::int16_t iVal;       // VT_I2
        LONG lVal;               // VT_I4
        VARIANT_BOOL boolVal;    // VT_BOOL
        SCODE scode;             // VT_ERROR
        BSTR bstrVal;            // VT_BSTR
        IUnknown* punkVal;       // VT_UNKNOWN
        IDispatch* pdispVal;     // VT_DISPATCH
        SAFEARRAY* parray;       // VT_ARRAY | VT_UI1
        std::uint8_t* pbVal;     // VT_BYREF | VT_UI1
        std::int16_t* piVal;     // VT_BYREF | VT_I2
        LONG* plVal;             // VT_BYREF | VT_I4
        VARIANT_BOOL* pboolVal;  // VT_BYREF | VT_BOOL
        BSTR* pbstrVal;          // VT_BYREF | VT_BSTR
        IUnknown** ppunkVal;     // VT_BYREF | VT_UNKNOWN
        IDispatch** ppdispVal;   // VT_BYREF | VT_DISPATCH
        SAFEARRAY** pparray;     // VT_BYREF | VT_ARRAY | VT_UI1
        VARIANT* pvarVal;        // VT_BYREF | VT_VARIANT
        void* byref;             // any VT_BYREF
    };
};

// Makes `v` empty without looking at what it held.
void VariantInit(VARIANT* v);
// Frees what `v` owns and makes it empty. DISP_E_BADVARTYPE (and `v` unchanged) for a type
// this frame does not know; DISP_E_ARRAYISLOCKED for a locked array.
HRESULT VariantClear(VARIANT* v);
// Clears `dest`, then makes it a deep copy of `src`: strings and arrays are duplicated,
// interfaces get one more reference, by-reference variants copy only the pointer.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);

// Setters for result variants: each clears `v` first, then stores the value. The owning ones
// take over what they are given (the string, one reference, the array).
void setLong(VARIANT& v, LONG value);
void setBool(VARIANT& v, bool value);
void setBstr(VARIANT& v, BSTR owned);
void setString(VARIANT& v, std::u16string_view text);     // allocates a copy
void setDispatch(VARIANT& v, IDispatch* ownedReference);  // null is allowed
void setUnknown(VARIANT& v, IUnknown* ownedReference);    // null is allowed
void setByteArray(VARIANT& v, SAFEARRAY* owned);          // VT_ARRAY | VT_UI1

// Owns one VARIANT and clears it when it goes.
class Variant {
public:
    Variant() = default;
    Variant(const Variant& other) { VariantCopy(&value_, &other.value_); }
    Variant& operator=(const Variant& other) {
        if (this != &other) {
            VariantCopy(&value_, &other.value_);
        }
        return *this;
    }
    ~Variant() { VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }
    VARIANT& operator*() { return value_; }
    VARIANT* operator->() { return &value_; }
    const VARIANT* operator->() const { return &value_; }

private:
    VARIANT value_;
};

}  // namespace com
