#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/activation.h"
#include "platform/com/registry.h"
#include "platform/com/server.h"
#include "tests/com/fake_server.h"
#include "tests/support/scopedconfighome.h"
#include "tests/support/tempdir.h"

namespace registry = com::registry;

namespace {

using testsupport::ScopedConfigHome;

// {1B7F3D92-6C0A-4E85-B3D4-8A2E51C07F69}, {E4A0C5B8-2F17-4D93-9E6B-03C8D7A1F254} and
// {7D2B9E46-A831-4C0F-85E7-B6F1049C3AD2}
constexpr com::GUID kLibrary = {
    0x1B7F3D92, 0x6C0A, 0x4E85, {0xB3, 0xD4, 0x8A, 0x2E, 0x51, 0xC0, 0x7F, 0x69}};
constexpr com::CLSID kClass = {
    0xE4A0C5B8, 0x2F17, 0x4D93, {0x9E, 0x6B, 0x03, 0xC8, 0xD7, 0xA1, 0xF2, 0x54}};
constexpr com::IID kInterface = {
    0x7D2B9E46, 0xA831, 0x4C0F, {0x85, 0xE7, 0xB6, 0xF1, 0x04, 0x9C, 0x3A, 0xD2}};

const com::ServerRegistration kServer{
    {kLibrary, "Sample Library", 1, 0, {{kInterface, "_cSample"}}},
    {{kClass, "cSample", ""}},
};

const std::string kClassKey = "HKEY_CLASSES_ROOT\\CLSID\\{E4A0C5B8-2F17-4D93-9E6B-03C8D7A1F254}";
const std::string kLibraryKey =
    "HKEY_CLASSES_ROOT\\TypeLib\\{1B7F3D92-6C0A-4E85-B3D4-8A2E51C07F69}";
const std::string kInterfaceKey =
    "HKEY_CLASSES_ROOT\\Interface\\{7D2B9E46-A831-4C0F-85E7-B6F1049C3AD2}";

// The file of this test program, which plays the server's library here.
std::string thisProgram() {
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

class ServerTest : public testing::Test {
protected:
    testsupport::TempDir dir;
    ScopedConfigHome config{dir.path()};
};

TEST_F(ServerTest, ModulePathIsTheAbsoluteFileHoldingTheAddress) {
    const auto program = com::modulePath(reinterpret_cast<const void*>(&thisProgram));
    ASSERT_TRUE(program.ok()) << program.reason();
    EXPECT_EQ(*program, thisProgram());

    void* library = dlopen(QUENZA_TEST_COM_SERVER, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    const auto inLibrary = com::modulePath(dlsym(library, "DllRegisterServer"));
    dlclose(library);
    ASSERT_TRUE(inLibrary.ok()) << inLibrary.reason();
    EXPECT_EQ(*inLibrary, std::filesystem::path(QUENZA_TEST_COM_SERVER).lexically_normal());

    EXPECT_FALSE(com::modulePath(nullptr).ok());
}

TEST_F(ServerTest, RegisterWritesTheClassAndTypeLibraryAndUnregisterRemovesThem) {
    const auto registered =
        com::registerServer(kServer, reinterpret_cast<const void*>(&thisProgram));
    ASSERT_TRUE(registered.ok()) << registered.reason();
    const std::string program = thisProgram();
    const struct {
        std::string key;
        std::string name;
        std::string value;
    } expected[] = {
        {kClassKey, "", "cSample"},
        {kClassKey + "\\InprocServer32", "", program},
        {kClassKey + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {kClassKey + "\\TypeLib", "", "{1B7F3D92-6C0A-4E85-B3D4-8A2E51C07F69}"},
        {kClassKey + "\\Version", "", "1.0"},
        {kLibraryKey + "\\1.0", "", "Sample Library"},
        {kLibraryKey + "\\1.0\\0\\linux", "", program},
        {kLibraryKey + "\\1.0\\FLAGS", "", "0"},
        {kLibraryKey + "\\1.0\\HELPDIR", "", std::filesystem::path(program).parent_path()},
        {kInterfaceKey, "", "_cSample"},
        {kInterfaceKey + "\\TypeLib", "", "{1B7F3D92-6C0A-4E85-B3D4-8A2E51C07F69}"},
        {kInterfaceKey + "\\TypeLib", "Version", "1.0"},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(registry::value(e.key, e.name), e.value) << e.key << " " << e.name;
    }
    EXPECT_TRUE(registry::subKeys(kClassKey + "\\ProgID").empty()) << "no prog id was asked for";

    // Another version of the same type library keeps the library's key alive.
    com::TypeLibraryRegistration second = kServer.typeLibrary;
    second.major = 2;
    second.minor = 10;
    second.interfaces.clear();
    ASSERT_TRUE(com::registerTypeLibrary(second, program).ok());
    EXPECT_EQ(registry::value(kLibraryKey + "\\2.a"), "Sample Library");

    const auto removed = com::unregisterServer(kServer);
    ASSERT_TRUE(removed.ok()) << removed.reason();
    for (const auto& e : expected) {
        EXPECT_EQ(registry::value(e.key, e.name), std::nullopt) << e.key << " " << e.name;
    }
    EXPECT_EQ(registry::subKeys(kLibraryKey), std::vector<std::string>{"2.a"});
    ASSERT_TRUE(com::unregisterTypeLibrary(second).ok());
    EXPECT_TRUE(registry::subKeys("HKEY_CLASSES_ROOT").empty());

    // Removing again finds nothing to remove and succeeds.
    EXPECT_TRUE(com::unregisterServer(kServer).ok());
}

TEST_F(ServerTest, ProgIdPointsBackAtTheClass) {
    const com::ClassRegistration cls{kClass, "cSample", "Sample.Thing", "Both"};
    ASSERT_TRUE(com::registerClass(cls, "/opt/lib/libsample.so", kServer.typeLibrary).ok());
    EXPECT_EQ(registry::value(kClassKey + "\\ProgID"), "Sample.Thing");
    EXPECT_EQ(registry::value(kClassKey + "\\InprocServer32", "ThreadingModel"), "Both");
    EXPECT_EQ(registry::value("HKEY_CLASSES_ROOT\\Sample.Thing"), "cSample");
    EXPECT_EQ(registry::value("HKEY_CLASSES_ROOT\\Sample.Thing\\CLSID"),
              "{E4A0C5B8-2F17-4D93-9E6B-03C8D7A1F254}");
    ASSERT_TRUE(com::unregisterClass(cls).ok());
    EXPECT_TRUE(registry::subKeys("HKEY_CLASSES_ROOT").empty());
}

TEST_F(ServerTest, AFailedWriteIsReported) {
    dir.write("Tessaly", "a file where the registry's folder belongs");
    const auto status = com::registerServer(kServer, reinterpret_cast<const void*>(&thisProgram));
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.reason().find("Tessaly"), std::string::npos) << status.reason();
    EXPECT_EQ(com::dllRegisterServer(kServer, reinterpret_cast<const void*>(&thisProgram)),
              com::SELFREG_E_CLASS);
}

// The regsvr tool ------------------------------------------------------------------------------

struct ToolRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

ToolRun runRegsvr(const std::string& arguments) {
    ToolRun run;
    const std::string command = "'" QUENZA_REGSVR "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return run;
    }
    char buffer[512];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
        run.output.append(buffer, got);
    }
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string quoted(const std::string& path) {
    return "'" + path + "'";
}

const std::string kAnswerKey =
    "HKEY_CLASSES_ROOT\\CLSID\\" + com::guidText(fakeserver::CLSID_Answer);

TEST_F(ServerTest, RegsvrRegistersAndUnregistersALibrary) {
    const ToolRun registered = runRegsvr(quoted(QUENZA_TEST_COM_SERVER));
    ASSERT_EQ(registered.exitCode, 0) << registered.output;
    EXPECT_NE(registered.output.find("DllRegisterServer"), std::string::npos) << registered.output;
    EXPECT_EQ(registry::value(kAnswerKey), "Answer");
    EXPECT_EQ(registry::value(kAnswerKey + "\\InprocServer32"),
              std::filesystem::path(QUENZA_TEST_COM_SERVER).lexically_normal().string());
    EXPECT_EQ(registry::value(kAnswerKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(registry::value("HKEY_CLASSES_ROOT\\Fake.Answer\\CLSID"),
              com::guidText(fakeserver::CLSID_Answer));
    EXPECT_EQ(registry::value("HKEY_CLASSES_ROOT\\TypeLib\\" +
                              com::guidText(fakeserver::LIBID_Answer) + "\\1.0"),
              "Fake Answer Library");

    // What the tool registered is what activation finds.
    com::ComPtr<fakeserver::IAnswer> answer;
    std::string reason;
    ASSERT_EQ(com::createInstance(fakeserver::CLSID_Answer, fakeserver::IID_IAnswer, answer.put(),
                                  &reason),
              com::S_OK)
        << reason;
    answer.reset();

    const ToolRun removed = runRegsvr("/u " + quoted(QUENZA_TEST_COM_SERVER));
    ASSERT_EQ(removed.exitCode, 0) << removed.output;
    EXPECT_NE(removed.output.find("DllUnregisterServer"), std::string::npos) << removed.output;
    EXPECT_TRUE(registry::subKeys("HKEY_CLASSES_ROOT").empty());
    EXPECT_EQ(com::createInstance(fakeserver::CLSID_Answer, fakeserver::IID_IAnswer, answer.put()),
              com::REGDB_E_CLASSNOTREG);

    // A relative path is registered as the absolute one; /s keeps quiet about success.
    const std::filesystem::path server(QUENZA_TEST_COM_SERVER);
    const std::string relative = "cd " + quoted(server.parent_path()) + " && ";
    const std::string command =
        relative + "'" QUENZA_REGSVR "' /s ./" + server.filename().string() + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[256];
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe);
    EXPECT_EQ(WEXITSTATUS(pclose(pipe)), 0);
    EXPECT_EQ(got, 0u) << std::string(buffer, got);
    EXPECT_EQ(registry::value(kAnswerKey + "\\InprocServer32"), server.lexically_normal().string());
}

TEST_F(ServerTest, RegsvrSaysWhyItFailed) {
    // A loaded library without the entry points: the C++ runtime.
    const auto runtime = com::modulePath(reinterpret_cast<const void*>(&std::abort));
    ASSERT_TRUE(runtime.ok()) << runtime.reason();
    dir.write("Tessaly", "a file where the registry's folder belongs");
    const struct {
        std::string arguments;
        int exitCode;
        const char* says;
    } cases[] = {
        {"", 1, "no library"},
        {"/x " + quoted(QUENZA_TEST_COM_SERVER), 1, "unexpected argument"},
        {quoted(dir.file("missing.so")), 3, "cannot load"},
        {quoted(dir.file("Tessaly")), 3, "cannot load"},
        {quoted(*runtime), 4, "DllRegisterServer"},
        {"/u " + quoted(*runtime), 4, "DllUnregisterServer"},
        // The registry cannot be written: the server's own entry point fails.
        {quoted(QUENZA_TEST_COM_SERVER), 5, "0x80040201"},
    };
    for (const auto& c : cases) {
        const ToolRun run = runRegsvr(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.arguments << "\n" << run.output;
    }
}

}  // namespace
