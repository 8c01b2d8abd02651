// IDispatch, the interface through which a client calls the members of a server's classes by
// number, with what its calls take and answer: the invoke flags, the arguments, the exception
// record and the dispatch error codes. Free of Qt. The frame that implements it for a server's
// classes is platform/com/dispatch.h.
#pragma once

#include "platform/com/automationtypes.h"
#include "platform/com/com.h"

namespace com {

struct VARIANT;  // platform/com/automation.h

inline constexpr IID IID_NULL{};

constexpr DISPID DISPID_UNKNOWN = -1;

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004u);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
constexpr HRESULT DISP_E_NONAMEDARGS = static_cast<HRESULT>(0x80020007u);
constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008u);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);
constexpr HRESULT DISP_E_ARRAYISLOCKED = static_cast<HRESULT>(0x8002000Du);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);

// The arguments of one Invoke call: rgvarg holds them last first, rgdispidNamedArgs names
// none (named arguments are refused with DISP_E_NONAMEDARGS).
struct DISPPARAMS {
    VARIANT* rgvarg = nullptr;
    DISPID* rgdispidNamedArgs = nullptr;
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

// Filled when Invoke answers DISP_E_EXCEPTION: `scode` is what the member returned. The caller
// owns the strings (clearExcepInfo frees them); this frame leaves them null.
struct EXCEPINFO {
    WORD wCode = 0;
    WORD wReserved = 0;
    BSTR bstrSource = nullptr;
    BSTR bstrDescription = nullptr;
    BSTR bstrHelpFile = nullptr;
    DWORD dwHelpContext = 0;
    void* pvReserved = nullptr;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*) = nullptr;
    SCODE scode = 0;
};

class ITypeInfo;  // never handed out: the member tables stand in for type information

class IDispatch : public IUnknown {
public:
    // Always 0: there is no type information to hand out.
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    // Always DISP_E_BADINDEX with a null `info`.
    virtual HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) = 0;
    // `names[0]` is a member name (letter case ignored); further names would be its parameters,
    // which this frame does not know: their ids become DISPID_UNKNOWN and the answer
    // DISP_E_UNKNOWNNAME. `riid` must be IID_NULL.
    virtual HRESULT GetIDsOfNames(const IID& riid, OLECHAR** names, UINT count, LCID locale,
                                  DISPID* ids) = 0;
    // Calls the member `id`. `flags` must hold DISPATCH_PROPERTYGET for a property and
    // DISPATCH_METHOD for a method (else DISP_E_MEMBERNOTFOUND); `result` may be null. Errors:
    // DISP_E_MEMBERNOTFOUND, DISP_E_UNKNOWNINTERFACE (riid not IID_NULL), DISP_E_NONAMEDARGS,
    // DISP_E_BADPARAMCOUNT, DISP_E_TYPEMISMATCH (`*argError` = index into rgvarg), and
    // DISP_E_EXCEPTION when the member itself failed (`exception->scode` = its HRESULT).
    virtual HRESULT Invoke(DISPID id, const IID& riid, LCID locale, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argError) = 0;

protected:
    ~IDispatch() = default;
};

}  // namespace com
