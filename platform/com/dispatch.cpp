#include "platform/com/dispatch.h"

#include "platform/asciicase.h"

namespace com {

namespace {

std::atomic<long> g_moduleLocks{0};

}  // namespace

void moduleLock() {
    g_moduleLocks.fetch_add(1, std::memory_order_relaxed);
}

void moduleUnlock() {
    g_moduleLocks.fetch_sub(1, std::memory_order_acq_rel);
}

long moduleLockCount() {
    return g_moduleLocks.load(std::memory_order_acquire);
}

HRESULT canUnloadNow() {
    return moduleLockCount() == 0 ? S_OK : S_FALSE;
}

void clearExcepInfo(EXCEPINFO& info) {
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    info = EXCEPINFO{};
}

// Arguments ------------------------------------------------------------------------------------

HRESULT Arguments::mismatch(std::size_t index) {
    if (!failed_) {
        failed_ = index;
    }
    return DISP_E_TYPEMISMATCH;
}

const VARIANT* Arguments::value(std::size_t index) {
    if (index >= count_) {
        return nullptr;
    }
    const VARIANT* v = &(*this)[index];
    if (v->vt == (VT_BYREF | VT_VARIANT)) {
        v = v->pvarVal;
    }
    return v;
}

HRESULT Arguments::getLong(std::size_t index, LONG& out) {
    const VARIANT* v = value(index);
    if (!v) {
        return mismatch(index);
    }
    const bool byRef = (v->vt & VT_BYREF) != 0;
    if (byRef && !v->byref) {
        return mismatch(index);
    }
    switch (v->vt & ~VT_BYREF) {
        case VT_EMPTY:
            if (byRef) {
                return mismatch(index);
            }
            out = 0;
            return S_OK;
        case VT_I4:
            out = byRef ? *v->plVal : v->lVal;
            return S_OK;
        case VT_I2:
            out = byRef ? *v->piVal : v->iVal;
            return S_OK;
        case VT_UI1:
            out = byRef ? *v->pbVal : v->bVal;
            return S_OK;
        case VT_BOOL:
            out = (byRef ? *v->pboolVal : v->boolVal) ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        default:
            return mismatch(index);
    }
}

HRESULT Arguments::getBool(std::size_t index, VARIANT_BOOL& out) {
    LONG number = 0;
    const HRESULT hr = getLong(index, number);
    if (succeeded(hr)) {
        out = toVariantBool(number != 0);
    }
    return hr;
}

HRESULT Arguments::getString(std::size_t index, BSTR& out) {
    const VARIANT* v = value(index);
    if (!v) {
        return mismatch(index);
    }
    if (v->vt == VT_EMPTY) {
        out = nullptr;
        return S_OK;
    }
    if (v->vt == VT_BSTR) {
        out = v->bstrVal;
        return S_OK;
    }
    if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal) {
        out = *v->pbstrVal;
        return S_OK;
    }
    return mismatch(index);
}

namespace {

// An argument passed as VT_BYREF | VT_VARIANT stands for the variant it points at.
VARIANT* followVariantRef(VARIANT& v) {
    return v.vt == (VT_BYREF | VT_VARIANT) ? v.pvarVal : &v;
}

}  // namespace

LONG* Arguments::longStorage(std::size_t index) {
    VARIANT* v = index < count_ ? followVariantRef((*this)[index]) : nullptr;
    if (v && v->vt == VT_I4) {
        return &v->lVal;
    }
    return v && v->vt == (VT_BYREF | VT_I4) ? v->plVal : nullptr;
}

BSTR* Arguments::stringStorage(std::size_t index) {
    VARIANT* v = index < count_ ? followVariantRef((*this)[index]) : nullptr;
    if (v && v->vt == VT_BSTR) {
        return &v->bstrVal;
    }
    return v && v->vt == (VT_BYREF | VT_BSTR) ? v->pbstrVal : nullptr;
}

VARIANT_BOOL* Arguments::boolStorage(std::size_t index) {
    VARIANT* v = index < count_ ? followVariantRef((*this)[index]) : nullptr;
    if (v && v->vt == VT_BOOL) {
        return &v->boolVal;
    }
    return v && v->vt == (VT_BYREF | VT_BOOL) ? v->pboolVal : nullptr;
}

HRESULT Arguments::refLong(std::size_t index, LONG*& out) {
    out = longStorage(index);
    return out ? S_OK : mismatch(index);
}

HRESULT Arguments::refString(std::size_t index, BSTR*& out) {
    out = stringStorage(index);
    return out ? S_OK : mismatch(index);
}

HRESULT Arguments::refBool(std::size_t index, VARIANT_BOOL*& out) {
    out = boolStorage(index);
    return out ? S_OK : mismatch(index);
}

// Member tables --------------------------------------------------------------------------------

namespace detail {

bool sameMemberName(std::string_view ascii, const OLECHAR* name) {
    if (!name) {
        return false;
    }
    std::size_t i = 0;
    for (; i < ascii.size(); ++i) {
        if (name[i] == 0 ||
            platform::asciiLower(static_cast<char32_t>(name[i])) !=
                platform::asciiLower(static_cast<char32_t>(static_cast<unsigned char>(ascii[i])))) {
            return false;
        }
    }
    return name[i] == 0;
}

HRESULT checkInvoke(const IID& riid, const DISPPARAMS* params) {
    if (!(riid == IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (params && params->cNamedArgs > 0) {
        return DISP_E_NONAMEDARGS;
    }
    if (params && params->cArgs > 0 && !params->rgvarg) {
        return E_INVALIDARG;
    }
    return S_OK;
}

HRESULT checkArgumentCount(const DISPPARAMS* params, std::size_t argumentCount) {
    const std::size_t given = params ? params->cArgs : 0;
    return given == argumentCount ? S_OK : DISP_E_BADPARAMCOUNT;
}

bool flagsFit(MemberKind kind, WORD flags) {
    return (flags & (kind == MemberKind::PropertyGet ? DISPATCH_PROPERTYGET : DISPATCH_METHOD)) !=
           0;
}

HRESULT exceptionResult(HRESULT hr, EXCEPINFO* exception) {
    if (exception) {
        *exception = EXCEPINFO{};
        exception->scode = hr;
    }
    return DISP_E_EXCEPTION;
}

HRESULT finishInvoke(HRESULT hr, const Arguments& args, UINT argumentCount, VARIANT& result,
                     EXCEPINFO* exception, UINT* argError) {
    if (succeeded(hr)) {
        return hr;
    }
    VariantClear(&result);
    const auto failedArgument = args.failedArgument();
    if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && failedArgument) {
        if (argError) {
            // Counted in rgvarg, which holds the arguments last first.
            *argError = argumentCount - 1 - static_cast<UINT>(*failedArgument);
        }
        return hr;
    }
    return exceptionResult(hr, exception);
}

}  // namespace detail

}  // namespace com
