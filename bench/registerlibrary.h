// Registers the tag library into the benchmark's sandboxed registry, as the run script does.
#pragma once

#include <dlfcn.h>

#include <cstdio>

#include "platform/com/com.h"

inline bool registerOrvaneLibrary(const char* path) {
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
        return false;
    }
    using EntryPoint = com::HRESULT (*)();
    const auto registerServer = reinterpret_cast<EntryPoint>(dlsym(library, "DllRegisterServer"));
    if (!registerServer || com::failed(registerServer())) {
        std::fprintf(stderr, "cannot register %s\n", path);
        return false;
    }
    // The activation loads it again by its registration; this handle only kept it for the call.
    dlclose(library);
    return true;
}
