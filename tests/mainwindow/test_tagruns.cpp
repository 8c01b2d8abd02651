// The Mp3 tab and file-type detection as the command line runs them, with the real tag library
// registered as the run script registers it: MP3 files that real encoders and taggers wrote are
// named from their tags, and a folder of mixed files gets the extensions their contents show.
#include <gtest/gtest.h>

#include <QThread>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/filesystem.h"
#include "runs/preview.h"
#include "tests/mainwindow/regsvr.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::WindowTest;

// A table text with its escapes undone, up to its first NUL (a name ends there).
QString tableText(const std::string& cell) {
    std::string text;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        if (cell[i] != '\\' || i + 1 == cell.size()) {
            text += cell[i];
            continue;
        }
        const char next = cell[++i];
        if (next == '0') {
            break;
        }
        text += next == 't' ? '\t' : next == 'r' ? '\r' : next == 'n' ? '\n' : next;
    }
    return QString::fromStdString(text);
}

class TagRunTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_EQ(testsupport::regsvr({QUENZA_TEST_ORVANE_MP3}), 0);
    }
    QString path() const { return QString::fromStdString(folder.path()) + QLatin1Char('/'); }
    std::set<std::string> names() const {
        std::set<std::string> result;
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            result.insert(entry.path().filename().string());
        }
        return result;
    }
    // Starts the program with the mode word and "/x", and waits until it has closed again.
    void runAndClose(const char* modeWord) {
        const auto window = load({QStringLiteral("/p"), path(), QStringLiteral("/e"),
                                  QLatin1String(modeWord), QStringLiteral("/x")});
        ASSERT_TRUE(window->hasMp3Library());
        window->show();
        for (int i = 0; i < 2000 && !(window->state().windowReady && !window->isVisible()); ++i) {
            QApplication::processEvents();
            QThread::msleep(5);
        }
        EXPECT_FALSE(window->isVisible());
    }
    std::string errorLog() const {
        return testsupport::readAll(sandbox.program().file("errors.txt"));
    }

    TempDir folder;
};

TEST_F(TagRunTest, RealFilesAreNamedFromTheirTags) {
    const fs::path source = QUENZA_TEST_REALFILES;
    std::ifstream table(source / "expected.tsv");
    std::string line;
    std::getline(table, line);
    std::vector<std::string> columns;
    {
        std::stringstream split(line);
        std::string cell;
        while (std::getline(split, cell, '\t')) {
            columns.push_back(cell);
        }
    }
    std::set<std::string> expected;
    while (std::getline(table, line)) {
        std::map<std::string, std::string> row;
        std::stringstream split(line);
        std::string cell;
        for (std::size_t i = 0; std::getline(split, cell, '\t') && i < columns.size(); ++i) {
            row[columns[i]] = cell;
        }
        const std::string file = row.at("File");
        fs::copy_file(source / file, fs::path(folder.path()) / file);
        const QString artist = tableText(row["Artist"]);
        const QString title = tableText(row["Title"]);
        // "Only rename if all used tags are available": the others keep their names.
        expected.insert(artist.isEmpty() || title.isEmpty()
                            ? file
                            : runs::previewText(artist + " - " + title + ".mp3").toStdString());
    }
    ASSERT_GE(expected.size(), 20u);
    folder.write("notes.txt", "not an mp3");
    expected.insert("notes.txt");

    // The saved Mp3 tab: "<ARTIST> - <TITLE>", ".mp3" added, all tags needed, .mp3 files only.
    sandbox.store({{"txtPath", path()}});
    runAndClose("modemp3");
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(errorLog(), "");
}

TEST_F(TagRunTest, DetectionGivesMixedFilesTheirExtensions) {
    std::string frames;
    for (int i = 0; i < 4; ++i) {
        frames += std::string("\xFF\xFB\x90\x64", 4) + std::string(413, '\x11');
    }
    std::string wave = std::string("RIFF\x24\x08\x00\x00WAVEfmt ", 16) + std::string(64, '\x01');
    const std::map<std::string, std::string> files = {
        {"archive", std::string("PK\x03\x04", 4) + std::string(40, '\0')},
        {"anim", "GIF89a" + std::string(40, '\0')},
        {"photo.gif", std::string("\xFF\xD8\xFF\xE0", 4) + std::string(40, '\0')},
        {"image", std::string("\x89PNG\r\n\x1A\n", 8) + std::string(40, '\0')},
        {"tagged", "ID3" + std::string(20, '\0') + frames},
        {"untagged", frames},
        {"sound", wave},
        {"page", "\r\n\r\n  <HtMl><body>x</body></HtMl>"},
        {"readme", "Plain words and\tmore words.\r\n"},
        {"blob", std::string("\x01\x02\x03\x00\xFE", 5)},
        {"plugin.dll", std::string("PK\x03\x04", 4) + std::string(40, '\0')},
    };
    for (const auto& [name, bytes] : files) {
        folder.write(name, bytes);
    }
    sandbox.store({{"txtPath", path()},
                   {"chkFormatTab", "1"},
                   {"chkFileDetect_TryMp3", "1"},
                   {"chkFileDetect_TryText", "1"}});
    runAndClose("modefiletype");
    EXPECT_EQ(names(), (std::set<std::string>{"archive.zip", "anim.gif", "photo.jpg", "image.png",
                                              "tagged.mp3", "untagged.mp3", "sound.wav",
                                              "page.html", "readme.txt", "blob", "plugin.dll"}));
}

TEST_F(TagRunTest, DetectionKeepsTheOldExtensionWhenAsked) {
    const std::string jpeg = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(40, '\0');
    for (const char* name : {"a.gif", "b.jpg", "c.JPG"}) {
        folder.write(name, jpeg);
    }
    folder.write("d.txt", "words");
    sandbox.store({{"txtPath", path()}, {"chkFormatTab", "1"}, {"chkFileDetect_KeepExt", "1"}});
    runAndClose("modefiletype");
    // Without the text look, plain text is not recognised.
    EXPECT_EQ(names(), (std::set<std::string>{"a.gif.jpg", "b.jpg", "c.JPG.jpg", "d.txt"}));
}

}  // namespace
