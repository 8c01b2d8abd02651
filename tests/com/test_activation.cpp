#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/com/activation.h"
#include "platform/com/registry.h"
#include "tests/com/fake_server.h"
#include "tests/support/scopedconfighome.h"
#include "tests/support/tempdir.h"

namespace {

using com::ComPtr;
using fakeserver::CLSID_Answer;
using fakeserver::IAnswer;
using fakeserver::IID_IAnswer;

using testsupport::ScopedConfigHome;

std::string serverKey(const com::CLSID& clsid) {
    return "HKEY_CLASSES_ROOT\\CLSID\\" + com::guidText(clsid) + "\\InprocServer32";
}

// {0D4C7B3E-2A91-4F65-B8E0-5C17A9D3E284}: a class the fake server does not serve.
constexpr com::CLSID kOtherClass = {
    0x0D4C7B3E, 0x2A91, 0x4F65, {0xB8, 0xE0, 0x5C, 0x17, 0xA9, 0xD3, 0xE2, 0x84}};

// The server's own count of live factories and objects, read through the loader so that the
// test never links the server (-1 when it is not loaded).
int serverLiveObjects() {
    void* handle = dlopen(QUENZA_TEST_COM_SERVER, RTLD_NOW | RTLD_NOLOAD);
    if (!handle) {
        return -1;
    }
    const auto live =
        reinterpret_cast<fakeserver::LiveObjectsFunction>(dlsym(handle, "liveObjects"));
    const int count = live ? live() : -1;
    dlclose(handle);  // balances the reference RTLD_NOLOAD took
    return count;
}

bool serverLoaded() {
    void* handle = dlopen(QUENZA_TEST_COM_SERVER, RTLD_NOW | RTLD_NOLOAD);
    if (handle) {
        dlclose(handle);
    }
    return handle != nullptr;
}

class ActivationTest : public testing::Test {
protected:
    testsupport::TempDir dir;
    ScopedConfigHome config{dir.path()};

    static void registerServer(const com::CLSID& clsid, const std::string& path) {
        const auto status = com::registry::setValue(serverKey(clsid), "", path);
        ASSERT_TRUE(status.ok()) << status.reason();
    }
};

// ---------------------------------------------------------------------------------------------

TEST(Guid, ParsesWithOrWithoutBracesInAnyLetterCase) {
    const com::GUID expected = {
        0x6E10C0BC, 0x6B07, 0x460F, {0x97, 0xBF, 0x00, 0x67, 0x65, 0xE9, 0x82, 0xC4}};
    for (const char* text :
         {"{6E10C0BC-6B07-460F-97BF-006765E982C4}", "6e10c0bc-6b07-460f-97bf-006765e982c4",
          "{6e10C0bc-6B07-460f-97Bf-006765E982c4}"}) {
        EXPECT_EQ(com::parseGuid(text), expected) << text;
    }
    EXPECT_EQ(com::guidText(expected), "{6E10C0BC-6B07-460F-97BF-006765E982C4}");
}

TEST(Guid, RejectsEverythingButTheStrictForm) {
    for (const char* text : {
             "",
             "{}",
             "{6E10C0BC-6B07-460F-97BF-006765E982C4",
             "6E10C0BC-6B07-460F-97BF-006765E982C4}",
             "(6E10C0BC-6B07-460F-97BF-006765E982C4)",
             "6E10C0BC6B07460F97BF006765E982C4",
             "6E10C0B-C6B07-460F-97BF-006765E982C4",
             "6E10C0BC-6B07-460F-97BF006765E982C4-",
             "6E10C0BC-6B07-460F-97BF-006765E982C",
             "6E10C0BC-6B07-460F-97BF-006765E982C45",
             "6E10C0BG-6B07-460F-97BF-006765E982C4",
             "6E10C0BC-+B07-460F-97BF-006765E982C4",
             "0x10C0BC-6B07-460F-97BF-006765E982C4",
             "6E10C0BC-6B07-460F-97BF-006765E9 2C4",
             " {6E10C0BC-6B07-460F-97BF-006765E982C4}",
             "{6E10C0BC-6B07-460F-97BF-006765E982C4} ",
         }) {
        EXPECT_EQ(com::parseGuid(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(Guid, TextKeepsFieldAndByteOrder) {
    const struct {
        com::GUID guid;
        const char* text;
    } cases[] = {
        {{0x01020304, 0x0506, 0x0708, {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10}},
         "{01020304-0506-0708-090A-0B0C0D0E0F10}"},
        {{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
         "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"},
        {com::IID_IUnknown, "{00000000-0000-0000-C000-000000000046}"},
        {com::IID_IClassFactory, "{00000001-0000-0000-C000-000000000046}"},
        {com::IID_IDispatch, "{00020400-0000-0000-C000-000000000046}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(com::guidText(c.guid), c.text);
        EXPECT_EQ(com::parseGuid(c.text), c.guid) << c.text;
    }
}

// ---------------------------------------------------------------------------------------------

TEST_F(ActivationTest, FailuresNameTheirCauseAndLeaveNoObject) {
    const std::string missing = dir.file("no-such-library.so");
    const std::string notALibrary = dir.write("text.so", "this is not a shared object\n");
    const struct {
        const char* what;
        std::optional<std::string> registered;  // nothing: not registered at all
        com::HRESULT expected;
        std::string inReason;
    } cases[] = {
        {"unregistered", std::nullopt, com::REGDB_E_CLASSNOTREG,
         "the class " + com::guidText(kOtherClass) + " is not registered"},
        {"empty path", std::string(), com::REGDB_E_CLASSNOTREG, "is not registered"},
        {"missing file", missing, com::CO_E_DLLNOTFOUND, missing},
        {"not a library", notALibrary, com::CO_E_DLLNOTFOUND, notALibrary},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(com::registry::deleteKey("HKEY_CLASSES_ROOT").ok());
        if (c.registered) {
            registerServer(kOtherClass, *c.registered);
        }
        int sentinel = 0;
        void* object = &sentinel;
        std::string reason;
        EXPECT_EQ(com::createInstance(kOtherClass, com::IID_IUnknown, &object, &reason),
                  c.expected);
        EXPECT_EQ(object, nullptr);
        EXPECT_NE(reason.find(c.inReason), std::string::npos) << reason;
    }
}

TEST_F(ActivationTest, LibraryWithoutEntryPointIsAnErrorInTheLibrary) {
    std::string library;
    for (const char* candidate :
         {"/lib/x86_64-linux-gnu/libz.so.1", "/usr/lib/x86_64-linux-gnu/libz.so.1",
          "/lib/aarch64-linux-gnu/libz.so.1", "/usr/lib64/libz.so.1", "/usr/lib/libz.so.1"}) {
        if (std::filesystem::exists(candidate)) {
            library = candidate;
            break;
        }
    }
    if (library.empty()) {
        GTEST_SKIP() << "no zlib found to serve as a library without DllGetClassObject";
    }
    registerServer(kOtherClass, library);
    int sentinel = 0;
    void* object = &sentinel;
    std::string reason;
    EXPECT_EQ(com::createInstance(kOtherClass, com::IID_IUnknown, &object, &reason),
              com::CO_E_ERRORINDLL);
    EXPECT_EQ(object, nullptr);
    EXPECT_NE(reason.find("DllGetClassObject"), std::string::npos) << reason;
}

TEST_F(ActivationTest, NoPlaceForTheObjectIsRefused) {
    registerServer(CLSID_Answer, QUENZA_TEST_COM_SERVER);
    std::string reason;
    EXPECT_EQ(com::createInstance(CLSID_Answer, com::IID_IUnknown, nullptr, &reason),
              com::E_POINTER);
    EXPECT_FALSE(reason.empty());
}

TEST_F(ActivationTest, CreatesAnObjectOfTheRegisteredServer) {
    registerServer(CLSID_Answer, QUENZA_TEST_COM_SERVER);
    void* raw = nullptr;
    std::string reason = "left over";
    ASSERT_EQ(com::createInstance(CLSID_Answer, com::IID_IUnknown, &raw, &reason), com::S_OK)
        << reason;
    EXPECT_EQ(reason, "");
    ASSERT_NE(raw, nullptr);
    auto unknown = ComPtr<com::IUnknown>::attach(static_cast<com::IUnknown*>(raw));
    // The class factory is gone already; only the object lives.
    EXPECT_EQ(serverLiveObjects(), 1);

    ComPtr<IAnswer> answer;
    ASSERT_EQ(unknown->QueryInterface(IID_IAnswer, answer.put()), com::S_OK);
    int value = 0;
    EXPECT_EQ(answer->Answer(&value), com::S_OK);
    EXPECT_EQ(value, fakeserver::kAnswer);

    for (const com::IID& iid : {com::IID_IDispatch, com::IID_IClassFactory, kOtherClass}) {
        int sentinel = 0;
        void* other = &sentinel;
        EXPECT_EQ(unknown->QueryInterface(iid, &other), com::E_NOINTERFACE) << com::guidText(iid);
        EXPECT_EQ(other, nullptr);
    }

    // Either reference keeps the object alive; the last one ends it.
    unknown.reset();
    EXPECT_EQ(serverLiveObjects(), 1);
    answer.reset();
    EXPECT_EQ(serverLiveObjects(), 0);
}

TEST_F(ActivationTest, HandsOutTheRequestedInterfaceDirectly) {
    // Registrations are found whatever the letter case they were written in.
    ASSERT_TRUE(com::registry::setValue("hkey_classes_root\\clsid\\{3f2a9c41-7d0b-4e58-9a16-"
                                        "c2b47e5d8f03}\\inprocserver32",
                                        "", QUENZA_TEST_COM_SERVER)
                    .ok());
    ComPtr<IAnswer> answer;
    ASSERT_EQ(com::createInstance(CLSID_Answer, IID_IAnswer, answer.put()), com::S_OK);
    int value = 0;
    EXPECT_EQ(answer->Answer(&value), com::S_OK);
    EXPECT_EQ(value, fakeserver::kAnswer);
    answer.reset();
    EXPECT_EQ(serverLiveObjects(), 0);
}

TEST_F(ActivationTest, PassesOnWhatTheServerRefuses) {
    registerServer(CLSID_Answer, QUENZA_TEST_COM_SERVER);
    registerServer(kOtherClass, QUENZA_TEST_COM_SERVER);
    const struct {
        const char* what;
        com::CLSID clsid;
        com::IID iid;
        com::HRESULT expected;
    } cases[] = {
        {"interface the object lacks", CLSID_Answer, com::IID_IDispatch, com::E_NOINTERFACE},
        {"class the library does not serve", kOtherClass, com::IID_IUnknown,
         com::CLASS_E_CLASSNOTAVAILABLE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int sentinel = 0;
        void* object = &sentinel;
        std::string reason;
        EXPECT_EQ(com::createInstance(c.clsid, c.iid, &object, &reason), c.expected);
        EXPECT_EQ(object, nullptr);
        EXPECT_NE(reason.find(com::guidText(c.clsid)), std::string::npos) << reason;
        // Neither the refused object nor the class factory is left behind.
        EXPECT_EQ(serverLiveObjects(), 0);
    }
}

TEST_F(ActivationTest, LibraryIsLoadedOnceAndStaysLoaded) {
    registerServer(CLSID_Answer, QUENZA_TEST_COM_SERVER);
    ComPtr<IAnswer> first;
    ComPtr<IAnswer> second;
    ASSERT_EQ(com::createInstance(CLSID_Answer, IID_IAnswer, first.put()), com::S_OK);
    ASSERT_EQ(com::createInstance(CLSID_Answer, IID_IAnswer, second.put()), com::S_OK);
    EXPECT_NE(first.get(), second.get());
    // Both objects count in one copy of the server's state: one library, loaded once.
    EXPECT_EQ(serverLiveObjects(), 2);
    first.reset();
    second.reset();
    EXPECT_EQ(serverLiveObjects(), 0);
    EXPECT_TRUE(serverLoaded());

    // The registration is read on every call: once it is gone, so is the class.
    ASSERT_TRUE(com::registry::deleteKey(serverKey(CLSID_Answer)).ok());
    void* object = nullptr;
    EXPECT_EQ(com::createInstance(CLSID_Answer, IID_IAnswer, &object), com::REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_TRUE(serverLoaded());
}

}  // namespace
