// A tiny in-process server: one class (CLSID_Answer) with IUnknown and IAnswer, its class
// factory, a count of everything still alive so that tests can prove all was released, and
// self-registration for the regsvr tests.
#include <atomic>
#include <new>

#include "platform/com/server.h"
#include "tests/com/fake_server.h"

#define FAKE_SERVER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using com::HRESULT;
using com::IID;
using com::ULONG;

std::atomic<int> g_live{0};
std::atomic<int> g_locks{0};

// Counts itself alive for as long as it exists; starts with the one reference its creator holds.
class Counted {
protected:
    Counted() { ++g_live; }
    ~Counted() { --g_live; }

    ULONG addRef() { return ++refs_; }
    ULONG release() { return --refs_; }

private:
    std::atomic<ULONG> refs_{1};
};

class AnswerObject final : public fakeserver::IAnswer, private Counted {
public:
    HRESULT QueryInterface(const IID& iid, void** object) override {
        if (!object) {
            return com::E_POINTER;
        }
        if (iid == com::IID_IUnknown || iid == fakeserver::IID_IAnswer) {
            *object = static_cast<fakeserver::IAnswer*>(this);
            AddRef();
            return com::S_OK;
        }
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    ULONG AddRef() override { return addRef(); }
    ULONG Release() override {
        const ULONG left = release();
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT Answer(int* out) override {
        if (!out) {
            return com::E_POINTER;
        }
        *out = fakeserver::kAnswer;
        return com::S_OK;
    }
};

class AnswerFactory final : public com::IClassFactory, private Counted {
public:
    HRESULT QueryInterface(const IID& iid, void** object) override {
        if (!object) {
            return com::E_POINTER;
        }
        if (iid == com::IID_IUnknown || iid == com::IID_IClassFactory) {
            *object = static_cast<com::IClassFactory*>(this);
            AddRef();
            return com::S_OK;
        }
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    ULONG AddRef() override { return addRef(); }
    ULONG Release() override {
        const ULONG left = release();
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT CreateInstance(com::IUnknown* outer, const IID& iid, void** object) override {
        if (!object) {
            return com::E_POINTER;
        }
        *object = nullptr;
        if (outer) {
            return com::CLASS_E_NOAGGREGATION;
        }
        auto* created = new (std::nothrow) AnswerObject;
        if (!created) {
            return com::E_OUTOFMEMORY;
        }
        // The caller's reference comes from QueryInterface; ours goes, so a refused interface
        // leaves nothing behind.
        const HRESULT hr = created->QueryInterface(iid, object);
        created->Release();
        return hr;
    }
    HRESULT LockServer(std::int32_t lock) override {
        if (lock) {
            ++g_locks;
        } else {
            --g_locks;
        }
        return com::S_OK;
    }
};

}  // namespace

FAKE_SERVER_EXPORT HRESULT DllGetClassObject(const com::CLSID& clsid, const IID& iid,
                                             void** object) {
    if (!object) {
        return com::E_POINTER;
    }
    *object = nullptr;
    if (!(clsid == fakeserver::CLSID_Answer)) {
        return com::CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new (std::nothrow) AnswerFactory;
    if (!factory) {
        return com::E_OUTOFMEMORY;
    }
    const HRESULT hr = factory->QueryInterface(iid, object);
    factory->Release();
    return hr;
}

FAKE_SERVER_EXPORT int liveObjects() {
    return g_live.load();
}

namespace {

const com::ServerRegistration& registration() {
    static const com::ServerRegistration server{
        com::TypeLibraryRegistration{fakeserver::LIBID_Answer,
                                     "Fake Answer Library",
                                     1,
                                     0,
                                     {{fakeserver::IID_IAnswer, "IAnswer"}}},
        {com::ClassRegistration{fakeserver::CLSID_Answer, "Answer", "Fake.Answer"}},
    };
    return server;
}

}  // namespace

FAKE_SERVER_EXPORT HRESULT DllRegisterServer() {
    return com::dllRegisterServer(registration(),
                                  reinterpret_cast<const void*>(&DllRegisterServer));
}

FAKE_SERVER_EXPORT HRESULT DllUnregisterServer() {
    return com::dllUnregisterServer(registration());
}
