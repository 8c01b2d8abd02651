#include "platform/com/activation.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>
#include <new>

#include "platform/com/registry.h"
#include "platform/errortext.h"

namespace com {

namespace {

using GetClassObject = HRESULT (*)(const CLSID&, const IID&, void**);

// Objects and class factories may outlive the call that created them, and nothing tells us when
// the last one goes; so a library, once loaded, stays loaded for the rest of the process.
std::mutex g_librariesMutex;
std::map<std::string, void*>& libraries() {
    static auto* table = new std::map<std::string, void*>;  // never destroyed, like the handles
    return *table;
}

std::string hexCode(HRESULT hr) {
    char buffer[16] = {};
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    return buffer;
}

// The handle of the library at `path`, loading it the first time; null with `error` set when it
// cannot be loaded.
void* libraryHandle(const std::string& path, std::string& error) {
    {
        std::lock_guard lock(g_librariesMutex);
        const auto found = libraries().find(path);
        if (found != libraries().end()) {
            return found->second;
        }
    }
    // Only an absolute path says which file is meant: a relative one would be looked up from
    // the current folder or the loader's search path. And only a regular file is opened: the
    // loader would wait forever on a FIFO. Checked here, before the loader opens anything.
    if (path.empty() || path.front() != '/') {
        error = "the path is not absolute";
        return nullptr;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        error = platform::systemErrorText(errno);
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "it is not a regular file";
        return nullptr;
    }
    // Loaded outside the lock: the library's initialisers may create objects themselves.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* text = ::dlerror();
        error = text ? text : "unknown error";
        return nullptr;
    }
    std::lock_guard lock(g_librariesMutex);
    // A second thread may have loaded it meanwhile; the loader counts both and hands out the
    // same handle, which we keep for good either way.
    libraries().emplace(path, handle);
    return handle;
}

HRESULT create(const CLSID& clsid, const IID& iid, void** object, std::string& reason) {
    const std::string classText = guidText(clsid);
    const auto path =
        registry::value("HKEY_CLASSES_ROOT\\CLSID\\" + classText + "\\InprocServer32");
    if (!path || path->empty()) {
        reason = "the class " + classText + " is not registered";
        return REGDB_E_CLASSNOTREG;
    }

    std::string error;
    void* library = libraryHandle(*path, error);
    if (!library) {
        reason =
            "cannot load the library \"" + *path + "\" of the class " + classText + ": " + error;
        return CO_E_DLLNOTFOUND;
    }
    const auto getClassObject =
        reinterpret_cast<GetClassObject>(::dlsym(library, "DllGetClassObject"));
    if (!getClassObject) {
        reason = "the library \"" + *path + "\" of the class " + classText +
                 " has no entry point DllGetClassObject";
        return CO_E_ERRORINDLL;
    }

    void* rawFactory = nullptr;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, &rawFactory);
    if (failed(hr) || !rawFactory) {
        reason = "the library \"" + *path + "\" has no class factory for the class " + classText +
                 " (" + hexCode(hr) + ")";
        return failed(hr) ? hr : E_FAIL;
    }
    const auto factory = ComPtr<IClassFactory>::attach(static_cast<IClassFactory*>(rawFactory));
    hr = factory->CreateInstance(nullptr, iid, object);
    if (failed(hr)) {
        *object = nullptr;
        reason = "the class factory of " + classText + " could not create the object with the " +
                 "interface " + guidText(iid) + " (" + hexCode(hr) + ")";
        return hr;
    }
    if (!*object) {
        reason = "the class factory of " + classText + " reported success but gave no object";
        return E_FAIL;
    }
    return hr;
}

}  // namespace

HRESULT createInstance(const CLSID& clsid, const IID& iid, void** object, std::string* reason) {
    std::string why;
    HRESULT hr = E_POINTER;
    if (!object) {
        why = "no place was given for the created object";
    } else {
        *object = nullptr;
        try {
            hr = create(clsid, iid, object, why);
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
            why = "not enough memory to create an object";
        } catch (...) {
            // A server must not let an exception out; if one does, it stops here.
            hr = E_FAIL;
            why = "the server of the class threw an exception";
        }
        if (failed(hr) && *object) {
            *object = nullptr;
        }
    }
    if (reason) {
        *reason = failed(hr) ? why : std::string();
    }
    return hr;
}

}  // namespace com
