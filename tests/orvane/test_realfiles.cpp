// The tag library against MP3 files that real encoders and taggers wrote. realfiles/ holds the
// files (made by make_fixtures.sh) and expected.tsv, in which read_expected.py put what mutagen and
// ffprobe read from each file, in the terms in which the library answers; realfiles/README.md
// lists where the library keeps rules of its own. Neither tool is needed here: the test reads the
// files through the registered library and compares every column of every row.
#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "orvane/com/interfaces.h"
#include "tests/orvane/orvaneclient.h"
#include "tests/support/tempdir.h"

namespace {

using namespace orvanetest;
using com::VARIANT_BOOL;
using orvane::_cID3Tags;
using orvane::_cID3V2Tag;
using orvane::_cMP3File;
using orvane::_cMPEGHeader;

const std::string kFolder = QUENZA_TEST_REALFILES;

// How far the library's play length may lie from ffprobe's, in seconds, before it is truncated
// to whole seconds. The library counts every byte from the first frame header to the end of the
// file as audio, so the Xing/Info frame (26 ms at 44.1 kHz, 72 ms at 8 kHz) and an ID3v1 tag (32
// ms at 32 kbit/s) add to its length, while ffprobe leaves some of them out.
constexpr double kDurationTolerance = 0.1;

// The table ------------------------------------------------------------------------------------

const std::vector<std::string> kColumns = {
    "File",  "HasID3V1", "HasID3V2",  "V2Version", "Title",    "Artist",      "Album", "Year",
    "Track", "Genre",    "Comments",  "HasMPEG",   "Version",  "Layer",       "Mode",  "CRC",
    "VBR",   "Bitrate",  "Frequency", "Duration",  "ToolKbps", "ToolSeconds",
};

// Undoes read_expected.py's escapes: \\, \t, \n, \r and \0.
std::string unescape(const std::string& cell) {
    std::string out;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        if (cell[i] != '\\' || i + 1 == cell.size()) {
            out += cell[i];
            continue;
        }
        switch (cell[++i]) {
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case '0':
                out += '\0';
                break;
            default:
                out += cell[i];
        }
    }
    return out;
}

using Row = std::map<std::string, std::string>;

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos;
         start = tab + 1, tab = line.find('\t', start)) {
        cells.push_back(line.substr(start, tab - start));
    }
    cells.push_back(line.substr(start));
    return cells;
}

// The rows of expected.tsv, cells unescaped; a malformed table fails the test that reads it.
std::vector<Row> readTable() {
    std::vector<Row> rows;
    std::istringstream table(testsupport::readAll(kFolder + "/expected.tsv"));
    std::string line;
    if (!std::getline(table, line)) {
        ADD_FAILURE() << "no table at " << kFolder << "/expected.tsv";
        return rows;
    }
    const std::vector<std::string> header = splitTabs(line);
    EXPECT_EQ(header, kColumns) << "the columns of expected.tsv";
    while (std::getline(table, line)) {
        const std::vector<std::string> cells = splitTabs(line);
        if (cells.size() != header.size()) {
            ADD_FAILURE() << "expected.tsv: a row with " << cells.size() << " cells: " << line;
            continue;
        }
        Row row;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            row[header[i]] = unescape(cells[i]);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::u16string utf16(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdU16String();
}

// A text for a failure message: UTF-8, with NUL and line breaks made visible.
std::string printable(const std::u16string& text) {
    std::string out;
    for (const char c : QString::fromStdU16String(text).toStdString()) {
        switch (c) {
            case '\0':
                out += "\\0";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return "\"" + out + "\"";
}

// Comparing one row --------------------------------------------------------------------------

class RowCheck {
public:
    explicit RowCheck(const Row& row) : row_(row) {}

    const std::string& cell(const std::string& column) const { return row_.at(column); }
    long number(const std::string& column) const { return std::stol(cell(column)); }
    bool yes(const std::string& column) const { return cell(column) == "1"; }

    void text(const std::string& column, const std::u16string& actual) const {
        const std::u16string expected = utf16(cell(column));
        EXPECT_EQ(actual, expected)
            << where(column) << printable(actual) << ", the tools read " << printable(expected);
    }
    void integer(const std::string& column, long actual) const {
        EXPECT_EQ(actual, number(column))
            << where(column) << actual << ", the tools read " << cell(column);
    }
    void boolean(const std::string& column, VARIANT_BOOL actual) const {
        EXPECT_EQ(actual, yes(column) ? com::VARIANT_TRUE : com::VARIANT_FALSE)
            << where(column) << actual << ", the tools read " << cell(column);
    }
    std::string where(const std::string& column) const {
        return cell("File") + ": " + column + " is ";
    }

private:
    const Row& row_;
};

class RealFilesTest : public OrvaneMP3Test {};

TEST_F(RealFilesTest, TheTableCoversEveryFileOfTheFolder) {
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(kFolder)) {
        if (entry.path().extension() == ".mp3") {
            files.insert(entry.path().filename().string());
        }
    }
    std::set<std::string> rows;
    for (const Row& row : readTable()) {
        EXPECT_TRUE(rows.insert(row.at("File")).second) << "two rows for " << row.at("File");
    }
    EXPECT_EQ(rows, files) << "run read_expected.py after make_fixtures.sh";
    EXPECT_GE(files.size(), 15u);
}

TEST_F(RealFilesTest, TheLibraryReadsWhatTheToolsRead) {
    const std::vector<Row> rows = readTable();
    ASSERT_FALSE(rows.empty());
    const auto file = createFile();
    ASSERT_TRUE(file);
    for (const Row& row : rows) {
        const RowCheck check(row);
        const std::string name = row.at("File");
        SCOPED_TRACE(name);
        ASSERT_EQ(readFile(file.get(), kFolder + "/" + name), com::VARIANT_TRUE) << name;

        // Tags, through the combined getters of cID3Tags.
        const bool anyTag = check.yes("HasID3V1") || check.yes("HasID3V2");
        EXPECT_EQ(flag(file.get(), &_cMP3File::get_HasID3Tag),
                  anyTag ? com::VARIANT_TRUE : com::VARIANT_FALSE)
            << check.where("HasID3Tag");
        const auto tags = child(file.get(), &_cMP3File::get_ID3Tags);
        if (tags) {
            check.boolean("HasID3V1", flag(tags.get(), &_cID3Tags::get_HasID3V1));
            check.boolean("HasID3V2", flag(tags.get(), &_cID3Tags::get_HasID3V2));
            const auto v2 = child(tags.get(), &_cID3Tags::get_ID3V2Tag);
            check.integer("V2Version", v2 ? number(v2.get(), &_cID3V2Tag::get_Version) : 0);
            check.text("Title", text(tags.get(), &_cID3Tags::get_Title));
            check.text("Artist", text(tags.get(), &_cID3Tags::get_Artist));
            check.text("Album", text(tags.get(), &_cID3Tags::get_Album));
            check.text("Year", text(tags.get(), &_cID3Tags::get_Year));
            check.text("Track", text(tags.get(), &_cID3Tags::get_Track));
            check.text("Genre", text(tags.get(), &_cID3Tags::get_Genre));
            check.text("Comments", text(tags.get(), &_cID3Tags::get_Comments));
        } else {
            // Without tags there is no cID3Tags, and the tools read no texts either.
            for (const char* column :
                 {"Title", "Artist", "Album", "Year", "Track", "Genre", "Comments"}) {
                check.text(column, u"");
            }
        }

        // The first MPEG audio frame header.
        const auto mpeg = child(file.get(), &_cMP3File::get_MPEGHeader);
        check.boolean("HasMPEG", flag(file.get(), &_cMP3File::get_HasMPEG));
        if (!mpeg) {
            continue;
        }
        check.text("Version", text(mpeg.get(), &_cMPEGHeader::get_Version));
        check.text("Layer", text(mpeg.get(), &_cMPEGHeader::get_Layer));
        check.text("Mode", text(mpeg.get(), &_cMPEGHeader::get_Mode));
        check.boolean("CRC", flag(mpeg.get(), &_cMPEGHeader::get_CRC));
        check.boolean("VBR", flag(mpeg.get(), &_cMPEGHeader::get_VBR));
        const long bitrate = number(mpeg.get(), &_cMPEGHeader::get_Bitrate);
        check.integer("Bitrate", bitrate);
        check.integer("Frequency", number(mpeg.get(), &_cMPEGHeader::get_Frequency));
        const long duration = number(mpeg.get(), &_cMPEGHeader::get_Duration);
        check.integer("Duration", duration);

        // The whole seconds must also agree with ffprobe's own measure. The library's length
        // follows from its bit rate: where it takes the first frame's rate and that differs
        // from the stream's (an Info frame written at a higher rate than the audio), ffprobe's
        // length is scaled by the ratio first.
        double seconds = std::stod(check.cell("ToolSeconds"));
        if (!check.yes("VBR") && bitrate > 0 && bitrate != check.number("ToolKbps")) {
            seconds = seconds * static_cast<double>(check.number("ToolKbps")) /
                      static_cast<double>(bitrate);
        }
        EXPECT_GT(static_cast<double>(duration), seconds - 1 - kDurationTolerance)
            << check.where("Duration") << duration << " s, ffprobe measures " << seconds << " s";
        EXPECT_LE(static_cast<double>(duration), seconds + kDurationTolerance)
            << check.where("Duration") << duration << " s, ffprobe measures " << seconds << " s";
    }
}

}  // namespace
