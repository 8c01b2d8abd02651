#include <gtest/gtest.h>

#include <QDir>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <ostream>
#include <string>

#include "settings/store.h"
#include "tests/support/tempdir.h"

// Readable failure output; static, so that printers of other test files do not collide.
static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

class StoreTest : public testing::Test {
protected:
    QString iniPath() const { return QString::fromStdString(folder_.file("store.ini")); }
    std::string raw() const { return testsupport::readAll(folder_.file("store.ini")); }

    testsupport::TempDir folder_;
};

TEST_F(StoreTest, EveryTextComesBackUnchangedFromDisk) {
    const QStringList texts = {
        "a, b",
        "a,b",
        ",",
        "\"quoted\"",
        "\"",
        "'",
        "  leading blanks",
        "trailing blanks  ",
        " ",
        "",
        QString::fromUtf8("Grüße, ñ € \u65E5\u672C"),
        "<ARTIST> - <TITLE>",
        "<NAME> (<SIZE>).<EXT>",
        "\\",
        "/",
        "\\\\server\\share/dir/",
        "@at the start",
        "@Invalid()",
        "x;y",
        "#not a comment",
        "k=v",
        "[General]",
        "*.*",
        "tab\there",
        "line\nbreak",
    };
    {
        settings::SettingsStore store(iniPath());
        for (int i = 0; i < texts.size(); ++i) {
            store.write(QStringLiteral("k%1").arg(i), texts[i]);
        }
        ASSERT_TRUE(store.sync().ok());
    }
    const settings::SettingsStore reread(iniPath());
    for (int i = 0; i < texts.size(); ++i) {
        const auto value = reread.read(QStringLiteral("k%1").arg(i));
        ASSERT_TRUE(value.has_value()) << i;
        EXPECT_EQ(*value, texts[i]) << i;
    }
}

TEST_F(StoreTest, MissingEmptyAndRemovedKeysDiffer) {
    settings::SettingsStore store(iniPath());
    EXPECT_EQ(store.read("txtFind"), std::nullopt);
    store.write("txtFind", "");
    store.write("nullText", QString());
    ASSERT_TRUE(store.sync().ok());

    const settings::SettingsStore reread(iniPath());
    EXPECT_EQ(reread.read("txtFind"), QString(""));
    EXPECT_EQ(reread.read("nullText"), QString(""));

    store.remove("txtFind");
    ASSERT_TRUE(store.sync().ok());
    EXPECT_EQ(settings::SettingsStore(iniPath()).read("txtFind"), std::nullopt);
}

TEST_F(StoreTest, ValuesAreWrittenAsPlainTextAtTheTopLevel) {
    settings::SettingsStore store(iniPath());
    store.write("Main_Height", "7920");
    store.write("enableRenameAllIfNoneSelected", "True");
    ASSERT_TRUE(store.sync().ok());
    const std::string content = raw();
    EXPECT_NE(content.find("[General]\n"), std::string::npos) << content;
    EXPECT_NE(content.find("\nMain_Height=7920\n"), std::string::npos) << content;
    EXPECT_NE(content.find("\nenableRenameAllIfNoneSelected=True\n"), std::string::npos) << content;
}

TEST_F(StoreTest, HandEditedListsAndOddFormsReadAsText) {
    folder_.write("store.ini",
                  "[General]\n"
                  "commas=a, b,c\n"
                  "trailingComma=a,\n"
                  "quoted=\"a, b\"\n"
                  "bytes=@ByteArray(xyz)\n"
                  "invalid=@Invalid()\n"
                  "blanks=   spaced   \n");
    const settings::SettingsStore store(iniPath());
    EXPECT_EQ(store.read("commas"), QString("a, b, c"));
    EXPECT_EQ(store.read("trailingComma"), QString("a, "));
    EXPECT_EQ(store.read("quoted"), QString("a, b"));
    EXPECT_EQ(store.read("bytes"), QString("xyz"));
    EXPECT_EQ(store.read("invalid"), QString(""));
    // Unquoted blanks around a value are not part of it, as in every INI file.
    EXPECT_EQ(store.read("blanks"), QString("spaced"));
}

TEST_F(StoreTest, SyncReportsAFileThatCannotBeWritten) {
    // A regular file where the store's folder should be: root is stopped by that too.
    folder_.write("blocker", "x");
    const QString path = QString::fromStdString(folder_.file("blocker/store.ini"));
    settings::SettingsStore store(path);
    store.write("Main_Height", "7920");
    const platform::Status status = store.sync();
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.reason().find(path.toStdString()), std::string::npos) << status.reason();
}

TEST(UserStoreTest, LivesInTheConfigFolderAndIgnoresWiderFiles) {
    const QString config = QString::fromLocal8Bit(std::getenv("XDG_CONFIG_HOME"));
    ASSERT_FALSE(config.isEmpty());
    // An organisation-wide file beside the user's own must not fill in missing keys.
    ASSERT_TRUE(QDir().mkpath(config + "/Tessaly"));
    {
        settings::SettingsStore orgWide(config + "/Tessaly.ini");
        orgWide.write("onlyInOrgFile", "1");
        ASSERT_TRUE(orgWide.sync().ok());
    }
    settings::SettingsStore store;
    EXPECT_EQ(store.fileName(), config + "/Tessaly/Quenza Renamer.ini");
    EXPECT_EQ(store.read("onlyInOrgFile"), std::nullopt);

    store.write("userStoreProbe", "x, y");
    ASSERT_TRUE(store.sync().ok());
    EXPECT_EQ(settings::SettingsStore().read("userStoreProbe"), QString("x, y"));
    store.remove("userStoreProbe");
    ASSERT_TRUE(store.sync().ok());
}

}  // namespace
