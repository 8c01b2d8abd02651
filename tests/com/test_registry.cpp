#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/registry.h"
#include "tests/support/scopedenv.h"
#include "tests/support/tempdir.h"

namespace registry = com::registry;

namespace {

using testsupport::ScopedEnv;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        result.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return result;
}

class RegistryTest : public testing::Test {
protected:
    testsupport::TempDir dir;
    ScopedEnv config{"XDG_CONFIG_HOME", dir.path().c_str()};

    std::string fileText() const { return testsupport::readAll(registry::registryFile()); }
    std::string folder() const { return dir.file("Tessaly"); }
};

TEST(RegistryFile, FollowsXdgConfigHomeOnEveryCall) {
    ScopedEnv home("HOME", "/home/someone");
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    const struct {
        const char* config;  // null: unset
        const char* expected;
    } cases[] = {
        {"/elsewhere/config", "/elsewhere/config/Tessaly/registry.txt"},
        {nullptr, "/home/someone/.config/Tessaly/registry.txt"},
        {"/second/place", "/second/place/Tessaly/registry.txt"},
        {"", "/home/someone/.config/Tessaly/registry.txt"},
    };
    for (const auto& c : cases) {
        config.set(c.config);
        EXPECT_EQ(registry::registryFile(), c.expected) << (c.config ? c.config : "(unset)");
    }
}

TEST_F(RegistryTest, MissingFileHoldsNothingAndIsNotCreatedByReading) {
    EXPECT_EQ(registry::value("HKEY_CLASSES_ROOT\\CLSID"), std::nullopt);
    EXPECT_EQ(registry::value("HKEY_CLASSES_ROOT\\CLSID", "name"), std::nullopt);
    EXPECT_TRUE(registry::subKeys("HKEY_CLASSES_ROOT").empty());
    const auto deleted = registry::deleteKey("HKEY_CLASSES_ROOT\\CLSID");
    EXPECT_TRUE(deleted.ok()) << deleted.reason();
    EXPECT_FALSE(std::filesystem::exists(folder()));
}

TEST_F(RegistryTest, SetValueCreatesTheFoldersAndWritesRegStyleText) {
    ScopedEnv deeper("XDG_CONFIG_HOME", dir.file("not/yet/there").c_str());
    const std::string server = "HKEY_CLASSES_ROOT\\CLSID\\{6E10C0BC-6B07-460F-97BF-006765E982C4}";
    ASSERT_TRUE(registry::setValue(server + "\\InprocServer32", "", "/opt/tags/libtags.so").ok());
    ASSERT_TRUE(registry::setValue(server + "\\InprocServer32", "ThreadingModel", "Both").ok());
    ASSERT_TRUE(registry::setValue("HKEY_CLASSES_ROOT\\Tessaly.Tags", "", "Tags").ok());
    // Changing a value rewrites its line instead of adding one.
    ASSERT_TRUE(registry::setValue(server + "\\InprocServer32", "", "/usr/lib/libtags.so").ok());

    EXPECT_EQ(registry::registryFile(), dir.file("not/yet/there/Tessaly/registry.txt"));
    EXPECT_EQ(fileText(),
              "[HKEY_CLASSES_ROOT\\CLSID\\{6E10C0BC-6B07-460F-97BF-006765E982C4}\\InprocServer32]\n"
              "@=\"/usr/lib/libtags.so\"\n"
              "\"ThreadingModel\"=\"Both\"\n"
              "\n"
              "[HKEY_CLASSES_ROOT\\Tessaly.Tags]\n"
              "@=\"Tags\"\n");
    EXPECT_EQ(registry::value(server + "\\InprocServer32"), "/usr/lib/libtags.so");
    EXPECT_EQ(registry::value(server + "\\InprocServer32", "ThreadingModel"), "Both");
    EXPECT_EQ(registry::value(server + "\\InprocServer32", "Missing"), std::nullopt);
    // A key that only lies on the way to another holds no values of its own.
    EXPECT_EQ(registry::value(server), std::nullopt);
}

TEST_F(RegistryTest, KeysAndValueNamesIgnoreLetterCaseButKeepTheirSpelling) {
    ASSERT_TRUE(
        registry::setValue("HKEY_CLASSES_ROOT\\CLSID\\{ABC}", "ThreadingModel", "Both").ok());
    EXPECT_EQ(registry::value("hkey_classes_root\\clsid\\{abc}", "THREADINGMODEL"), "Both");
    // Stray and doubled backslashes name the same key.
    EXPECT_EQ(registry::value("\\HKEY_CLASSES_ROOT\\\\CLSID\\{abc}\\", "threadingmodel"), "Both");

    ASSERT_TRUE(
        registry::setValue("hkey_classes_root\\CLSID\\{abc}", "threadingmodel", "Apartment").ok());
    EXPECT_EQ(registry::value("HKEY_CLASSES_ROOT\\CLSID\\{ABC}", "ThreadingModel"), "Apartment");
    EXPECT_EQ(fileText(),
              "[HKEY_CLASSES_ROOT\\CLSID\\{ABC}]\n"
              "\"ThreadingModel\"=\"Apartment\"\n");
    EXPECT_EQ(registry::subKeys("HKEY_CLASSES_ROOT\\clsid"), std::vector<std::string>{"{ABC}"});
}

TEST_F(RegistryTest, ValuesAndNamesHoldEveryCharacterButNul) {
    const std::vector<std::string> texts = {
        "",
        "@",
        "say \"hi\"",
        "C:\\Program Files\\",
        "\\",
        "\\\"",
        "two\nlines",
        "cr\r\nlf\r",
        "\\n is not a line feed",
        "[HKEY_CLASSES_ROOT\\Fake]",
        "=\"=\"",
        "; not a comment",
        " blanks around ",
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x9C\x93",
    };
    const std::string key = "HKEY_CURRENT_USER\\Software\\Tessaly\\Texts";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ASSERT_TRUE(registry::setValue(key, "v" + std::to_string(i), texts[i]).ok()) << i;
        ASSERT_TRUE(registry::setValue(key, texts[i], "named " + texts[i]).ok()) << i;
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(registry::value(key, "v" + std::to_string(i)), texts[i]) << i;
        EXPECT_EQ(registry::value(key, texts[i]), "named " + texts[i]) << i;
    }
    // Every value stays on its own line: a section line plus two lines per text.
    const auto written = lines(fileText());
    EXPECT_EQ(written.size(), 1 + 2 * texts.size());
    EXPECT_EQ(written[0], "[" + key + "]");
    EXPECT_EQ(written[1], "\"v0\"=\"\"");
    EXPECT_EQ(written[2], "@=\"named \"");
    EXPECT_EQ(written[3], "\"v1\"=\"@\"");
    EXPECT_EQ(written[4], "\"@\"=\"named @\"");
    EXPECT_EQ(written[15], "\"v7\"=\"cr\\r\\nlf\\r\"");
    EXPECT_EQ(written[17], "\"v8\"=\"\\\\n is not a line feed\"");
}

TEST_F(RegistryTest, RefusesWhatTheFileCannotHold) {
    const struct {
        std::string key;
        std::string name;
        std::string value;
    } cases[] = {
        {"Key", "name", std::string("nul\0inside", 10)},
        {"Key", std::string("nul\0name", 8), "value"},
        {std::string("Nul\0Key", 7), "name", "value"},
        {"Line\nBreak", "name", "value"},
        {"", "name", "value"},
        {"\\\\", "name", "value"},
    };
    for (const auto& c : cases) {
        const auto status = registry::setValue(c.key, c.name, c.value);
        EXPECT_FALSE(status.ok());
        EXPECT_FALSE(status.reason().empty());
    }
    EXPECT_FALSE(std::filesystem::exists(registry::registryFile()));
}

TEST_F(RegistryTest, ReadsHandWrittenFiles) {
    dir.mkdir("Tessaly");
    dir.write("Tessaly/registry.txt",
              "\xEF\xBB\xBF; written by hand\r\n"
              "@=\"before any key\"\r\n"
              "\r\n"
              "  [HKEY_CLASSES_ROOT\\Tessaly.Tags\\CLSID]  \r\n"
              "@ = \"{6E10C0BC-6B07-460F-97BF-006765E982C4}\"\r\n"
              "\"Number\"=dword:00000001\r\n"
              "\"Broken=\"value\"\r\n"
              "\"Tab\"=\"a\\tb\"\r\n"
              "[HKEY_CLASSES_ROOT\\Unclosed\r\n"
              "\"Lost\"=\"value\"\n"
              "[hkey_classes_root\\tessaly.tags\\clsid]\n"
              "\"Second\"=\"merged\"");
    const std::string key = "HKEY_CLASSES_ROOT\\Tessaly.Tags\\CLSID";
    EXPECT_EQ(registry::value(key), "{6E10C0BC-6B07-460F-97BF-006765E982C4}");
    EXPECT_EQ(registry::value(key, "Second"), "merged");
    EXPECT_EQ(registry::value(key, "Tab"), "atb");
    EXPECT_EQ(registry::value(key, "Number"), std::nullopt);
    EXPECT_EQ(registry::value("HKEY_CLASSES_ROOT\\Unclosed", "Lost"), std::nullopt);
    EXPECT_EQ(registry::subKeys("HKEY_CLASSES_ROOT"), std::vector<std::string>{"Tessaly.Tags"});

    // A change rewrites the file in our own form and keeps every value that could be read.
    ASSERT_TRUE(registry::setValue(key, "Third", "new").ok());
    EXPECT_EQ(fileText(),
              "[HKEY_CLASSES_ROOT\\Tessaly.Tags\\CLSID]\n"
              "@=\"{6E10C0BC-6B07-460F-97BF-006765E982C4}\"\n"
              "\"Tab\"=\"atb\"\n"
              "\"Second\"=\"merged\"\n"
              "\"Third\"=\"new\"\n");
}

TEST_F(RegistryTest, DeleteKeyRemovesTheKeyAndEverythingBelowIt) {
    for (const char* key : {"Root\\Cls", "Root\\Cls\\Inproc", "root\\CLS\\inproc\\Deep",
                            "Root\\ClsOther", "Root\\Other", "Root"}) {
        ASSERT_TRUE(registry::setValue(key, "", key).ok()) << key;
    }
    const auto deleted = registry::deleteKey("ROOT\\cls\\");
    ASSERT_TRUE(deleted.ok()) << deleted.reason();
    for (const char* gone : {"Root\\Cls", "Root\\Cls\\Inproc", "Root\\Cls\\Inproc\\Deep"}) {
        EXPECT_EQ(registry::value(gone), std::nullopt) << gone;
    }
    for (const char* kept : {"Root\\ClsOther", "Root\\Other", "Root"}) {
        EXPECT_EQ(registry::value(kept), kept) << kept;
    }
    EXPECT_EQ(registry::subKeys("Root"), (std::vector<std::string>{"ClsOther", "Other"}));
    EXPECT_TRUE(registry::deleteKey("Root\\Cls").ok());
    EXPECT_TRUE(registry::deleteKey("Never\\There").ok());
    EXPECT_FALSE(registry::deleteKey("").ok());
}

TEST_F(RegistryTest, SubKeysListsEachDirectChildOnce) {
    for (const char* key : {"Root", "Root\\A", "Root\\A\\Deep", "root\\a\\Other",
                            "Root\\B\\Only\\Deeper", "Rooted\\Z"}) {
        ASSERT_TRUE(registry::setValue(key, "", "x").ok()) << key;
    }
    EXPECT_EQ(registry::subKeys("Root"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(registry::subKeys("ROOT\\a"), (std::vector<std::string>{"Deep", "Other"}));
    // "B" was never written itself; a key below it makes it exist, as it would in the registry.
    EXPECT_EQ(registry::subKeys("Root\\B"), std::vector<std::string>{"Only"});
    EXPECT_TRUE(registry::subKeys("Root\\A\\Deep").empty());
    EXPECT_TRUE(registry::subKeys("Missing").empty());
    EXPECT_EQ(registry::subKeys(""), (std::vector<std::string>{"Root", "Rooted"}));
}

TEST_F(RegistryTest, FailedWritesSayWhyAndChangeNothing) {
    {
        // A file where the folder belongs.
        dir.write("Tessaly", "not a folder");
        const auto status = registry::setValue("Key", "", "value");
        EXPECT_FALSE(status.ok());
        EXPECT_NE(status.reason().find("Tessaly"), std::string::npos) << status.reason();
        EXPECT_EQ(testsupport::readAll(dir.file("Tessaly")), "not a folder");
        std::filesystem::remove(dir.file("Tessaly"));
    }
    {
        // A folder where the file belongs: reading gives nothing, writing refuses.
        dir.mkdir("Tessaly");
        dir.mkdir("Tessaly/registry.txt");
        const auto status = registry::setValue("Key", "", "value");
        EXPECT_FALSE(status.ok());
        EXPECT_NE(status.reason().find("registry.txt"), std::string::npos) << status.reason();
        EXPECT_FALSE(registry::deleteKey("Key").ok());
        EXPECT_EQ(registry::value("Key"), std::nullopt);
        EXPECT_TRUE(std::filesystem::is_directory(registry::registryFile()));
    }
}

TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
    constexpr int kWriters = 8;
    constexpr int kValuesEach = 20;
    std::vector<std::thread> writers;
    std::vector<int> failures(kWriters, 0);
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([w, &failures] {
            for (int i = 0; i < kValuesEach; ++i) {
                const std::string name = std::to_string(w) + "." + std::to_string(i);
                if (!registry::setValue("Shared\\Key", name, "value " + name).ok()) {
                    ++failures[w];
                }
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    for (int w = 0; w < kWriters; ++w) {
        EXPECT_EQ(failures[w], 0) << w;
        for (int i = 0; i < kValuesEach; ++i) {
            const std::string name = std::to_string(w) + "." + std::to_string(i);
            EXPECT_EQ(registry::value("Shared\\Key", name), "value " + name);
        }
    }
    // No temporary file is left behind: only the registry and its lock file.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"registry.txt", "registry.txt.lock"}));
}

}  // namespace
