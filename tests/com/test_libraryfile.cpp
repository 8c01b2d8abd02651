// Which files the component frame is willing to open: the registry only under an absolute
// configuration folder, a registered library only by an absolute path to a regular file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/com/activation.h"
#include "platform/com/registry.h"
#include "tests/com/fake_server.h"
#include "tests/support/fifoguard.h"
#include "tests/support/scopedenv.h"
#include "tests/support/tempdir.h"

namespace {

using testsupport::ScopedEnv;

std::string serverKey(const com::CLSID& clsid) {
    return "HKEY_CLASSES_ROOT\\CLSID\\" + com::guidText(clsid) + "\\InprocServer32";
}

// Works in another current folder for a scope.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& folder)
        : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedCurrentFolder() { std::filesystem::current_path(old_); }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    std::filesystem::path old_;
};

// Creating the class must fail the way a missing library does, leaving no object.
void expectLibraryRefused(const std::string& shownPath) {
    int sentinel = 0;
    void* object = &sentinel;
    std::string reason;
    const com::HRESULT hr =
        com::createInstance(fakeserver::CLSID_Answer, com::IID_IUnknown, &object, &reason);
    EXPECT_EQ(hr, com::CO_E_DLLNOTFOUND) << reason;
    if (hr == com::S_OK && object) {
        static_cast<com::IUnknown*>(object)->Release();
    } else {
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_NE(reason.find(shownPath), std::string::npos) << reason;
}

TEST(RegistryFile, ARelativeConfigFolderIsIgnored) {
    ScopedEnv home("HOME", "/home/someone");
    for (const char* relative : {"config", "./config", "rel/../x", "~/.config"}) {
        SCOPED_TRACE(relative);
        ScopedEnv config("XDG_CONFIG_HOME", relative);
        EXPECT_EQ(com::registry::registryFile(), "/home/someone/.config/Tessaly/registry.txt");
    }
}

TEST(RegistryFile, ALinkInPlaceOfTheLockFileIsNotFollowed) {
    testsupport::TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.path().c_str());
    dir.mkdir("Tessaly");
    ASSERT_EQ(::symlink(dir.file("created").c_str(), dir.file("Tessaly/registry.txt.lock").c_str()),
              0);
    EXPECT_FALSE(com::registry::setValue("HKEY_CLASSES_ROOT\\x", "", "y").ok());
    EXPECT_FALSE(std::filesystem::exists(dir.file("created")));
}

class LibraryFileTest : public testing::Test {
protected:
    testsupport::TempDir dir;
    ScopedEnv config{"XDG_CONFIG_HOME", dir.path().c_str()};

    static void registerServer(const std::string& path) {
        const auto status = com::registry::setValue(serverKey(fakeserver::CLSID_Answer), "", path);
        ASSERT_TRUE(status.ok()) << status.reason();
    }
};

// A relative path would be looked up from whatever folder the program was started in.
TEST_F(LibraryFileTest, ARelativeLibraryPathIsRefusedEvenWhereItWouldResolve) {
    const std::filesystem::path server(QUENZA_TEST_COM_SERVER);
    const std::string name = server.filename().string();
    const std::string folderName = server.parent_path().filename().string();
    ScopedCurrentFolder here(server.parent_path().string());
    for (const std::string& relative :
         {"./" + name, "../" + folderName + "/" + name, std::string(name)}) {
        SCOPED_TRACE(relative);
        registerServer(relative);
        expectLibraryRefused(relative);
    }
}

TEST_F(LibraryFileTest, ALibraryThatIsNoRegularFileIsNotOpened) {
    const std::string fifo = dir.file("libfifo.so");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string link = dir.file("liblink.so");
    ASSERT_EQ(::symlink(fifo.c_str(), link.c_str()), 0);
    for (const std::string& path : {fifo, link}) {
        SCOPED_TRACE(path);
        registerServer(path);
        EXPECT_TRUE(
            testsupport::returnsWithoutHangingOn(fifo, false, [&] { expectLibraryRefused(path); }));
    }
}

}  // namespace
