// quenza-regsvr: registers an in-process server library in the registry stand-in by calling its
// DllRegisterServer, or removes its registration with "/u" through DllUnregisterServer.
//
//     quenza-regsvr [/u] [/s] LIBRARY
//
// Exit status: 0 done, 1 wrong usage, 3 the library cannot be loaded, 4 it lacks the entry
// point, 5 the entry point reported a failure.
#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/com/com.h"

namespace {

using EntryPoint = com::HRESULT (*)();

constexpr int kUsage = 1;
constexpr int kCannotLoad = 3;
constexpr int kNoEntryPoint = 4;
constexpr int kEntryPointFailed = 5;

void usage() {
    std::fprintf(stderr,
                 "Usage: quenza-regsvr [/u] [/s] LIBRARY\n"
                 "  Registers the component-object server LIBRARY (calls its DllRegisterServer).\n"
                 "  /u  removes its registration instead (calls DllUnregisterServer)\n"
                 "  /s  prints nothing on success\n");
}

bool isOption(std::string_view arg, char letter) {
    return arg.size() == 2 && (arg[0] == '/' || arg[0] == '-') &&
           (arg[1] == letter || arg[1] == letter - 'a' + 'A');
}

// The library by an absolute path, so that the server records where it really lies and the
// loader does not search its library path for a bare file name.
std::string libraryPath(const std::string& given) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(given, error);
    return error ? given : absolute.lexically_normal().string();
}

}  // namespace

int main(int argc, char** argv) {
    bool unregister = false;
    bool silent = false;
    std::string library;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (isOption(arg, 'u')) {
            unregister = true;
        } else if (isOption(arg, 's')) {
            silent = true;
        } else if (arg == "/?" || arg == "-h" || arg == "--help") {
            usage();
            return 0;
        } else if (library.empty() && !arg.empty() && arg[0] != '-') {
            library = arg;  // "/..." that is not an option is an absolute path
        } else {
            std::fprintf(stderr, "quenza-regsvr: unexpected argument \"%s\"\n", argv[i]);
            usage();
            return kUsage;
        }
    }
    if (library.empty()) {
        std::fprintf(stderr, "quenza-regsvr: no library was named\n");
        usage();
        return kUsage;
    }

    const std::string path = libraryPath(library);
    const char* entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = ::dlerror();
        std::fprintf(stderr, "quenza-regsvr: cannot load \"%s\": %s\n", path.c_str(),
                     error ? error : "unknown error");
        return kCannotLoad;
    }
    const auto entry = reinterpret_cast<EntryPoint>(::dlsym(handle, entryName));
    if (!entry) {
        std::fprintf(stderr, "quenza-regsvr: \"%s\" has no entry point %s\n", path.c_str(),
                     entryName);
        ::dlclose(handle);
        return kNoEntryPoint;
    }
    const com::HRESULT hr = entry();
    ::dlclose(handle);
    if (com::failed(hr)) {
        std::fprintf(stderr, "quenza-regsvr: %s in \"%s\" failed with 0x%08X\n", entryName,
                     path.c_str(), static_cast<unsigned>(hr));
        return kEntryPointFailed;
    }
    if (!silent) {
        std::printf("%s in \"%s\" succeeded.\n", entryName, path.c_str());
    }
    return 0;
}
