// The four entry points of the shared library OrvaneMP3, the only symbols it exports (see
// exports.map): the class factory of cMP3File, the unload check, and self-registration in the
// registry stand-in. Only cMP3File can be created from outside; the other classes come from
// its properties.
#include "orvane/com/interfaces.h"
#include "orvane/com/objects.h"
#include "platform/com/dispatch.h"
#include "platform/com/server.h"

#define ORVANE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// What the registration writes: the type library with the default interface of every class,
// and cMP3File, the one creatable class.
const com::ServerRegistration& registration() {
    static const com::ServerRegistration server{
        com::TypeLibraryRegistration{
            orvane::LIBID_OrvaneMP3,
            "Orvane MP3 Library",
            1,
            0,
            {
                {orvane::IID__cMPEGHeader, "_cMPEGHeader"},
                {orvane::IID__cID3V1Tag, "_cID3V1Tag"},
                {orvane::IID__cID3V2Tag, "_cID3V2Tag"},
                {orvane::IID__cMP3File, "_cMP3File"},
                {orvane::IID__cID3V22Tag, "_cID3V22Tag"},
                {orvane::IID__cID3V23Tag, "_cID3V23Tag"},
                {orvane::IID__cID3V24Tag, "_cID3V24Tag"},
                {orvane::IID__cID3V24Frame, "_cID3V24Frame"},
                {orvane::IID__cID3V23Frame, "_cID3V23Frame"},
                {orvane::IID__cID3V22Frame, "_cID3V22Frame"},
                {orvane::IID__cID3Tags, "_cID3Tags"},
            },
        },
        {
            com::ClassRegistration{orvane::CLSID_cMP3File, "cMP3File", "OrvaneMP3.cMP3File",
                                   "Apartment"},
        },
    };
    return server;
}

}  // namespace

ORVANE_EXPORT com::HRESULT DllCanUnloadNow() {
    return com::canUnloadNow();
}

ORVANE_EXPORT com::HRESULT DllGetClassObject(const com::CLSID& clsid, const com::IID& iid,
                                             void** object) {
    if (!object) {
        return com::E_POINTER;
    }
    *object = nullptr;
    if (!(clsid == orvane::CLSID_cMP3File)) {
        return com::CLASS_E_CLASSNOTAVAILABLE;
    }
    return com::getClassObject<orvane::server::cMP3File>(iid, object);
}

ORVANE_EXPORT com::HRESULT DllRegisterServer() {
    return orvane::server::guarded([] {
        return com::dllRegisterServer(registration(),
                                      reinterpret_cast<const void*>(&DllRegisterServer));
    });
}

ORVANE_EXPORT com::HRESULT DllUnregisterServer() {
    return orvane::server::guarded([] { return com::dllUnregisterServer(registration()); });
}
