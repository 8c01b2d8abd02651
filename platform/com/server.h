// Self-registration of an in-process server in the registry stand-in (com::registry): what
// DllRegisterServer writes and DllUnregisterServer removes. Free of Qt.
//
// For a class {C} of a type library {L} (version M.m) in the library file /path/libX.so:
//   HKEY_CLASSES_ROOT\CLSID\{C}                    @ = class name
//   HKEY_CLASSES_ROOT\CLSID\{C}\InprocServer32     @ = /path/libX.so, ThreadingModel = Apartment
//   HKEY_CLASSES_ROOT\CLSID\{C}\TypeLib            @ = {L}
//   HKEY_CLASSES_ROOT\CLSID\{C}\Version            @ = M.m
//   HKEY_CLASSES_ROOT\CLSID\{C}\ProgID             @ = prog id       (only with a prog id)
//   HKEY_CLASSES_ROOT\<prog id>                    @ = class name    (only with a prog id)
//   HKEY_CLASSES_ROOT\<prog id>\CLSID              @ = {C}           (only with a prog id)
// and for the type library and each of its interfaces {I}:
//   HKEY_CLASSES_ROOT\TypeLib\{L}\M.m              @ = description
//   HKEY_CLASSES_ROOT\TypeLib\{L}\M.m\0\linux      @ = /path/libX.so
//   HKEY_CLASSES_ROOT\TypeLib\{L}\M.m\FLAGS        @ = 0
//   HKEY_CLASSES_ROOT\TypeLib\{L}\M.m\HELPDIR      @ = /path
//   HKEY_CLASSES_ROOT\Interface\{I}                @ = interface name
//   HKEY_CLASSES_ROOT\Interface\{I}\TypeLib        @ = {L}, Version = M.m
// The version digits are written in hexadecimal, as type library versions are.
#pragma once

#include <string>
#include <vector>

#include "platform/com/com.h"
#include "platform/result.h"

namespace com {

constexpr HRESULT SELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200u);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);

struct InterfaceRegistration {
    IID iid;
    std::string name;  // e.g. "_cMP3File"
};

struct TypeLibraryRegistration {
    GUID libid;
    std::string description;  // the key's default value, e.g. "Orvane MP3 Library"
    unsigned major = 1;
    unsigned minor = 0;
    std::vector<InterfaceRegistration> interfaces;
};

struct ClassRegistration {
    CLSID clsid;
    std::string name;    // the class key's default value, e.g. "cMP3File"
    std::string progId;  // "" registers none
    std::string threadingModel = "Apartment";
};

// Everything one library registers: its type library and its creatable classes.
struct ServerRegistration {
    TypeLibraryRegistration typeLibrary;
    std::vector<ClassRegistration> classes;
};

// "M.m" as it appears in the keys (hexadecimal digits).
std::string typeLibraryVersion(const TypeLibraryRegistration& typeLibrary);

// The absolute path of the loaded file (shared library or program) that holds `address`,
// found with dladdr: pass the address of a function of the library, such as its
// DllRegisterServer.
platform::Result<std::string> modulePath(const void* address);

// Each writes or removes the keys listed above for its part. Removing what is not there
// succeeds; a failure says which key could not be written or removed.
platform::Status registerTypeLibrary(const TypeLibraryRegistration& typeLibrary,
                                     const std::string& libraryPath);
platform::Status unregisterTypeLibrary(const TypeLibraryRegistration& typeLibrary);
platform::Status registerClass(const ClassRegistration& cls, const std::string& libraryPath,
                               const TypeLibraryRegistration& typeLibrary);
platform::Status unregisterClass(const ClassRegistration& cls);

// Registers the type library and every class for the library that holds `addressInLibrary`.
// When one write fails, what was already written is removed again.
platform::Status registerServer(const ServerRegistration& server, const void* addressInLibrary);
// Removes the classes and the type library; goes on past a failure and reports the first.
// The key TypeLib\{L} itself goes once no other version is registered below it.
platform::Status unregisterServer(const ServerRegistration& server);

// The bodies of a server's DllRegisterServer / DllUnregisterServer: S_OK, or SELFREG_E_CLASS
// when a write failed (the reason goes nowhere: a server shows and logs nothing).
//
//     extern "C" __attribute__((visibility("default"))) com::HRESULT DllRegisterServer() {
//         return com::dllRegisterServer(kServer, reinterpret_cast<const
//         void*>(&DllRegisterServer));
//     }
HRESULT dllRegisterServer(const ServerRegistration& server, const void* addressInLibrary);
HRESULT dllUnregisterServer(const ServerRegistration& server);

}  // namespace com
