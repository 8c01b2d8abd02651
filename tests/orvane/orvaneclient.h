// Reaching the shared library OrvaneMP3 as a client does: loaded at run time (never linked),
// registered into a temporary registry, cMP3File created by class identifier and called through
// the virtual table. Shared by the test files that talk to the library.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "orvane/com/interfaces.h"
#include "platform/com/activation.h"
#include "platform/com/automation.h"
#include "tests/support/scopedconfighome.h"
#include "tests/support/tempdir.h"

namespace orvanetest {

// Getters through the virtual table: each expects S_OK and hands back the value.

template <class Interface>
std::u16string text(Interface* object, com::HRESULT (Interface::*getter)(com::BSTR*)) {
    com::Bstr value;
    EXPECT_EQ((object->*getter)(value.put()), com::S_OK);
    return std::u16string(value.view());
}

template <class Interface>
com::LONG number(Interface* object, com::HRESULT (Interface::*getter)(com::LONG*)) {
    com::LONG value = -12345;
    EXPECT_EQ((object->*getter)(&value), com::S_OK);
    return value;
}

template <class Interface>
com::VARIANT_BOOL flag(Interface* object, com::HRESULT (Interface::*getter)(com::VARIANT_BOOL*)) {
    com::VARIANT_BOOL value = 7;
    EXPECT_EQ((object->*getter)(&value), com::S_OK);
    return value;
}

template <class Interface, class Child>
com::ComPtr<Child> child(Interface* object, com::HRESULT (Interface::*getter)(Child**)) {
    com::ComPtr<Child> value;
    EXPECT_EQ((object->*getter)(reinterpret_cast<Child**>(value.put())), com::S_OK);
    return value;
}

// ReadFile as the program calls it: the file name in a variable of the caller, by reference.
inline com::VARIANT_BOOL readFile(orvane::_cMP3File* file, const std::string& path) {
    const com::Bstr name = com::Bstr::attach(com::bstrFromUtf8(path));
    com::BSTR argument = name.get();
    com::VARIANT_BOOL result = 7;
    EXPECT_EQ(file->ReadFile(&argument, &result), com::S_OK);
    EXPECT_EQ(argument, name.get());
    return result;
}

using testsupport::ScopedConfigHome;

using EntryPoint = com::HRESULT (*)();
using GetClassObject = com::HRESULT (*)(const com::CLSID&, const com::IID&, void**);

// The library stays loaded for the whole test program, as the activation keeps it loaded too.
inline void* libraryHandle() {
    static void* const library = dlopen(QUENZA_TEST_ORVANE_MP3, RTLD_NOW | RTLD_LOCAL);
    return library;
}

// One of the library's own entry points.
template <class F>
F entryPoint(const char* name) {
    void* const library = libraryHandle();
    if (!library) {
        ADD_FAILURE() << "cannot load " << QUENZA_TEST_ORVANE_MP3 << ": " << dlerror();
        return nullptr;
    }
    return reinterpret_cast<F>(dlsym(library, name));
}

// Registers the library into a registry of its own for each test and checks at the end that
// every object was given back, so the library would be free to unload.
class OrvaneMP3Test : public ::testing::Test {
protected:
    void SetUp() override {
        const auto registerServer = entryPoint<EntryPoint>("DllRegisterServer");
        ASSERT_NE(registerServer, nullptr);
        ASSERT_EQ(registerServer(), com::S_OK);
    }
    void TearDown() override {
        const auto canUnload = entryPoint<EntryPoint>("DllCanUnloadNow");
        ASSERT_NE(canUnload, nullptr);
        EXPECT_EQ(canUnload(), com::S_OK);
    }

    com::ComPtr<orvane::_cMP3File> createFile() {
        com::ComPtr<orvane::_cMP3File> file;
        std::string reason;
        EXPECT_EQ(
            com::createInstance(orvane::CLSID_cMP3File, orvane::IID__cMP3File, file.put(), &reason),
            com::S_OK)
            << reason;
        return file;
    }

    std::string write(const std::string& name, const std::string& bytes) const {
        return files.write(name, bytes);
    }

    testsupport::TempDir config;
    ScopedConfigHome configHome{config.path()};
    testsupport::TempDir files;
};

}  // namespace orvanetest
