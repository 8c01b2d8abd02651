#include "platform/com/server.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/com/registry.h"

namespace com {

using platform::Status;

namespace {

const std::string kRoot = "HKEY_CLASSES_ROOT\\";

std::string classKey(const CLSID& clsid) {
    return kRoot + "CLSID\\" + guidText(clsid);
}

std::string typeLibraryKey(const GUID& libid) {
    return kRoot + "TypeLib\\" + guidText(libid);
}

std::string interfaceKey(const IID& iid) {
    return kRoot + "Interface\\" + guidText(iid);
}

// Writes the values in order and stops at the first that fails.
struct Writer {
    Status status = Status::success();

    void set(const std::string& key, const std::string& name, const std::string& value) {
        if (status.ok()) {
            status = registry::setValue(key, name, value);
        }
    }
};

// Removes the keys in order, going on past a failure; keeps the first failure.
struct Remover {
    Status status = Status::success();

    void remove(const std::string& key) { take(registry::deleteKey(key)); }
    void take(const Status& other) {
        if (status.ok() && !other.ok()) {
            status = other;
        }
    }
};

}  // namespace

std::string typeLibraryVersion(const TypeLibraryRegistration& typeLibrary) {
    char buffer[24] = {};
    std::snprintf(buffer, sizeof buffer, "%x.%x", typeLibrary.major, typeLibrary.minor);
    return buffer;
}

platform::Result<std::string> modulePath(const void* address) {
    Dl_info info{};
    if (!address || ::dladdr(address, &info) == 0) {
        return Status::failure("the address belongs to no loaded library");
    }
    std::string name = info.dli_fname ? info.dli_fname : "";
    std::error_code error;
    if (name.empty() || name.find('/') == std::string::npos) {
        // The program itself may come back without a path.
        name = std::filesystem::read_symlink("/proc/self/exe", error).string();
        if (error) {
            return Status::failure("cannot find the file of the program: " + error.message());
        }
    }
    std::filesystem::path path = std::filesystem::absolute(name, error);
    if (error) {
        return Status::failure("cannot make the path \"" + name +
                               "\" absolute: " + error.message());
    }
    path = path.lexically_normal();
    if (!std::filesystem::is_regular_file(path, error)) {
        return Status::failure("the library file \"" + path.string() + "\" cannot be found");
    }
    return path.string();
}

platform::Status registerTypeLibrary(const TypeLibraryRegistration& typeLibrary,
                                     const std::string& libraryPath) {
    const std::string libid = guidText(typeLibrary.libid);
    const std::string version = typeLibraryVersion(typeLibrary);
    const std::string key = typeLibraryKey(typeLibrary.libid) + "\\" + version;
    Writer w;
    w.set(key, "", typeLibrary.description);
    // Locale 0: the library's one type library serves every language.
    w.set(key + "\\0\\linux", "", libraryPath);
    w.set(key + "\\FLAGS", "", "0");
    w.set(key + "\\HELPDIR", "", std::filesystem::path(libraryPath).parent_path().string());
    for (const InterfaceRegistration& itf : typeLibrary.interfaces) {
        w.set(interfaceKey(itf.iid), "", itf.name);
        w.set(interfaceKey(itf.iid) + "\\TypeLib", "", libid);
        w.set(interfaceKey(itf.iid) + "\\TypeLib", "Version", version);
    }
    return w.status;
}

platform::Status unregisterTypeLibrary(const TypeLibraryRegistration& typeLibrary) {
    Remover r;
    for (const InterfaceRegistration& itf : typeLibrary.interfaces) {
        r.remove(interfaceKey(itf.iid));
    }
    const std::string key = typeLibraryKey(typeLibrary.libid);
    r.remove(key + "\\" + typeLibraryVersion(typeLibrary));
    // Other versions of the same library may still be registered below it.
    if (r.status.ok() && registry::subKeys(key).empty()) {
        r.remove(key);
    }
    return r.status;
}

platform::Status registerClass(const ClassRegistration& cls, const std::string& libraryPath,
                               const TypeLibraryRegistration& typeLibrary) {
    const std::string key = classKey(cls.clsid);
    Writer w;
    w.set(key, "", cls.name);
    w.set(key + "\\InprocServer32", "", libraryPath);
    w.set(key + "\\InprocServer32", "ThreadingModel", cls.threadingModel);
    w.set(key + "\\TypeLib", "", guidText(typeLibrary.libid));
    w.set(key + "\\Version", "", typeLibraryVersion(typeLibrary));
    if (!cls.progId.empty()) {
        w.set(key + "\\ProgID", "", cls.progId);
        w.set(kRoot + cls.progId, "", cls.name);
        w.set(kRoot + cls.progId + "\\CLSID", "", guidText(cls.clsid));
    }
    return w.status;
}

platform::Status unregisterClass(const ClassRegistration& cls) {
    Remover r;
    r.remove(classKey(cls.clsid));
    if (!cls.progId.empty()) {
        r.remove(kRoot + cls.progId);
    }
    return r.status;
}

platform::Status registerServer(const ServerRegistration& server, const void* addressInLibrary) {
    const auto path = modulePath(addressInLibrary);
    if (!path) {
        return path.status();
    }
    Status status = registerTypeLibrary(server.typeLibrary, *path);
    for (const ClassRegistration& cls : server.classes) {
        if (!status.ok()) {
            break;
        }
        status = registerClass(cls, *path, server.typeLibrary);
    }
    if (!status.ok()) {
        // Half a registration would point clients at a server that cannot serve them.
        (void)unregisterServer(server);
    }
    return status;
}

platform::Status unregisterServer(const ServerRegistration& server) {
    Remover r;
    for (const ClassRegistration& cls : server.classes) {
        r.take(unregisterClass(cls));
    }
    r.take(unregisterTypeLibrary(server.typeLibrary));
    return r.status;
}

HRESULT dllRegisterServer(const ServerRegistration& server, const void* addressInLibrary) {
    try {
        return registerServer(server, addressInLibrary).ok() ? S_OK : SELFREG_E_CLASS;
    } catch (...) {
        return E_OUTOFMEMORY;  // an exported entry point lets nothing out
    }
}

HRESULT dllUnregisterServer(const ServerRegistration& server) {
    try {
        return unregisterServer(server).ok() ? S_OK : SELFREG_E_CLASS;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace com
