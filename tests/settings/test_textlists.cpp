#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/caseconvert.h"
#include "engine/lists.h"
#include "engine/log.h"
#include "platform/programfolder.h"
#include "platform/textfile.h"
#include "settings/errormemory.h"
#include "settings/textlists.h"
#include "tests/support/tempdir.h"

using namespace std::string_literals;

namespace engine {

// Readable failure output; static so that no other test file's printers collide with these.
static std::string visible(const QString& text) {
    std::string out;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buffer[12];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", static_cast<unsigned>(c));
            out += buffer;
        }
    }
    return out;
}
static void PrintTo(const FileSignature& row, std::ostream* os) {
    *os << "{" << row.offset << ", \"" << visible(row.search) << "\", \"" << visible(row.extension)
        << "\"}";
}
static void PrintTo(const CodecEntry& entry, std::ostream* os) {
    *os << "{\"" << visible(entry.fourcc) << "\", \"" << visible(entry.name) << "\"}";
}
static void PrintTo(const WaveFormatEntry& entry, std::ostream* os) {
    *os << "{" << entry.formatTag << ", \"" << visible(entry.name) << "\"}";
}
static void PrintTo(const BatchReplaceItem& item, std::ostream* os) {
    *os << "{\"" << visible(item.find) << "\", \"" << visible(item.replace) << "\", cs "
        << item.caseSensitive << ", swap " << item.swapMode << ", count " << item.count
        << ", start " << item.start << "}";
}

}  // namespace engine

namespace {

using engine::BatchReplaceItem;
using engine::CodecEntry;
using engine::FileSignature;
using engine::WaveFormatEntry;
using settings::ErrorMemory;
using testsupport::TempDir;

QString folderOf(const TempDir& dir) {
    return QString::fromStdString(dir.path()) + "/";
}

// Raw bytes as one character per byte, the way filetypes.txt fields hold them.
QString latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The error log goes to a folder of the test's own while it lives.
class ProgramFolderOverride {
public:
    explicit ProgramFolderOverride(const std::string& folder) {
        const char* old = std::getenv("QUENZA_PROGRAM_DIR");
        saved_ = old ? old : "";
        setenv("QUENZA_PROGRAM_DIR", folder.c_str(), 1);
    }
    ~ProgramFolderOverride() { setenv("QUENZA_PROGRAM_DIR", saved_.c_str(), 1); }
    ProgramFolderOverride(const ProgramFolderOverride&) = delete;
    ProgramFolderOverride& operator=(const ProgramFolderOverride&) = delete;

private:
    std::string saved_;
};

// Exactly what a fresh filetypes.txt must hold, spelled out byte for byte.
const std::string kDefaultFileTypes =
    "# Quenza Renamer filetype definitions\r\n"
    "#\r\n"
    "# Format: Offset,Search,Extension\r\n"
    "# Offset may be positive or negative (Negative will count from end of file)\r\n"
    "# Search is the string to look for at the offset\r\n"
    "# Extension is the default extension for this file type\r\n"
    "\r\n"
    "\r\n"
    "1,PK,zip\r\n"
    "1,GIF,gif\r\n"
    "1,MZ,exe\r\n"
    "1,\xFF\xD8,jpg\r\n"
    "1,<HTML,html\r\n"
    "1,<html,html\r\n"
    "1,ID3,mp3\r\n"
    "1,BM,bmp\r\n"
    "1,II*,tif\r\n"
    "1,MM,tif\r\n"
    "1,8BPS,psd\r\n"
    "1,Rar,rar\r\n"
    "1,`\xEA,arj\r\n"
    "1,MThd,mid\r\n"
    "1,FPBD,agp\r\n"
    "1,0&\xB2,asf\r\n"
    "1,MSCF,cab\r\n"
    "1,%!PS-Adobe,ai\r\n"
    "1,\x89PNG,png\r\n"
    "1,FWS,swf\r\n"
    "1,\x00\x00\x01\xBA,mpg\r\n"
    "1,\x00\x00\x01\xB3,mpg\r\n"
    "9,CDXA,mpg\r\n"
    "3,-l,lzh\r\n"
    "5,moov,mov\r\n"
    "5,skip,mov\r\n"
    "5,free,mov\r\n"
    "5,mdat,mov\r\n"
    "5,pnot,mov\r\n"
    "9,ILBM,iff\r\n"
    "9,AVI,avi\r\n"
    "9,WAVE,wav\r\n"
    "10,ACE,ace\r\n"
    "42,EMF,emf\r\n"
    "-128,TAG,mp3\r\n"
    "-18,TRUEVISION-XFILE,tga\r\n"s;

// ---------------------------------------------------------------------------------------------
// Finding the files

TEST(ListFiles, FoundByNameWithoutRegardToCaseAndOnlyAsRegularFiles) {
    struct Case {
        const char* label;
        std::vector<std::string> files;
        std::vector<std::string> folders;
        const char* expected;  // name found, or "" for none
    };
    const Case cases[] = {
        {"exact name", {"filetypes.txt"}, {}, "filetypes.txt"},
        {"other case", {"FileTypes.TXT"}, {}, "FileTypes.TXT"},
        {"exact wins over others",
         {"FILETYPES.TXT", "filetypes.txt", "Filetypes.txt"},
         {},
         "filetypes.txt"},
        {"several others: first in name order",
         {"Filetypes.txt", "FILETYPES.TXT"},
         {},
         "FILETYPES.TXT"},
        {"a folder of that name", {}, {"filetypes.txt"}, ""},
        {"a folder of that name beside a file in other case",
         {"FILETYPES.txt"},
         {"filetypes.txt"},
         "FILETYPES.txt"},
        {"only similar names", {"filetypes.txt.bak", "filetypes.tx", "xfiletypes.txt"}, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        for (const auto& name : c.files) {
            dir.write(name, "1,X,y\r\n");
        }
        for (const auto& name : c.folders) {
            dir.mkdir(name);
        }
        const QString found = settings::findListFile(folderOf(dir), "filetypes.txt");
        EXPECT_EQ(found.toStdString(), *c.expected ? dir.file(c.expected) : "");
    }
    // A folder without the trailing "/" and a folder that is not there.
    TempDir dir;
    dir.write("replace.txt");
    EXPECT_EQ(
        settings::findListFile(QString::fromStdString(dir.path()), "replace.txt").toStdString(),
        dir.file("replace.txt"));
    EXPECT_TRUE(settings::findListFile(folderOf(dir) + "missing/", "replace.txt").isEmpty());
}

TEST(ListFiles, EveryListIsReadUnderANameInOtherCaseAndFiletypesIsNotReplaced) {
    TempDir dir;
    const std::string fileTypes = "# mine\r\n7,ABC,abc\r\n";
    dir.write("EXCEPTIONS.TXT", "IBM\r\n");
    dir.write("FileTypes.Txt", fileTypes);
    dir.write("Codecs.TXT", "XVID\tXvid\r\n");
    dir.write("WaveFormats.txt", "1\tPCM\r\n");
    dir.write("Replace.TXT", "a/b/0/0/0/0\r\n");
    ErrorMemory errors;
    const QString folder = folderOf(dir);

    EXPECT_EQ(settings::readExceptions(folder, errors), QStringList{"IBM"});
    EXPECT_EQ(settings::readFileSignatures(folder, errors),
              QList<FileSignature>({{7, "ABC", "abc"}}));
    EXPECT_EQ(settings::readCodecs(folder, errors), QList<CodecEntry>({{"XVID", "Xvid"}}));
    EXPECT_EQ(settings::readWaveFormats(folder, errors), QList<WaveFormatEntry>({{1, "PCM"}}));
    EXPECT_EQ(settings::readBatchReplace(folder, errors),
              QList<BatchReplaceItem>({{"a", "b", 0, 0, 0, 0}}));
    EXPECT_FALSE(errors.last().has_value());

    EXPECT_EQ(testsupport::readAll(dir.file("FileTypes.Txt")), fileTypes);
    EXPECT_FALSE(std::filesystem::exists(dir.file("filetypes.txt")));
}

TEST(ListFiles, MissingFilesGiveTheEmptyForms) {
    TempDir dir;
    ErrorMemory errors;
    const QString folder = folderOf(dir);
    EXPECT_EQ(settings::readExceptions(folder, errors), QStringList{QString()});
    EXPECT_EQ(settings::readCodecs(folder, errors), QList<CodecEntry>{CodecEntry{}});
    EXPECT_EQ(settings::readWaveFormats(folder, errors), QList<WaveFormatEntry>{WaveFormatEntry{}});
    EXPECT_TRUE(settings::readBatchReplace(folder, errors).isEmpty());
    EXPECT_FALSE(errors.last().has_value());
}

// A regular file that even root cannot read: a link to this process's memory, whose first
// page is never mapped, so reading from its start fails with an I/O error.
TEST(ListFiles, AFileThatCannotBeReadKeepsTheEmptyFormAndIsRemembered) {
    TempDir dir;
    std::error_code ec;
    std::filesystem::create_symlink("/proc/self/mem", dir.file("exceptions.txt"), ec);
    std::filesystem::create_symlink("/proc/self/mem", dir.file("filetypes.txt"), ec);
    if (ec || platform::readLines(QString::fromStdString(dir.file("exceptions.txt"))).ok()) {
        GTEST_SKIP() << "no unreadable regular file available here";
    }
    const QString folder = folderOf(dir);

    ErrorMemory errors;
    EXPECT_EQ(settings::readExceptions(folder, errors), QStringList{QString()});
    ASSERT_TRUE(errors.last().has_value());
    EXPECT_EQ(errors.last()->number, engine::kPathFileAccessError.number);

    // Present but unreadable is not missing: no default rows, no default file.
    ErrorMemory typeErrors;
    EXPECT_EQ(settings::readFileSignatures(folder, typeErrors),
              QList<FileSignature>{FileSignature{}});
    EXPECT_TRUE(typeErrors.last().has_value());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("filetypes.txt")));
}

// ---------------------------------------------------------------------------------------------
// exceptions.txt

TEST(Exceptions, LinesAreTrimmedOfBlanksAndEmptyOnesSkipped) {
    struct Case {
        const char* label;
        std::string content;
        QStringList expected;
    };
    const Case cases[] = {
        {"empty file", "", {QString()}},
        {"blank line skipped, # line is a word", "   \r\n#note\r\n", {"#note"}},
        {"one word: index 0 only", "Word\r\n", {"Word"}},
        {"line ends of every kind, last without one",
         "  McDonald  \r\nIBM\nMacOS\r\r\nLast",
         {"McDonald", "IBM", "MacOS", "Last"}},
        {"only blanks count as blanks", "\tTab\t\r\n", {"\tTab\t"}},
        {"UTF-8 text", "Caf\xC3\xA9\r\n", {QString::fromUtf8("Caf\xC3\xA9")}},
        {"no comment rule", "//x\r\n\r\n", {"//x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        dir.write("exceptions.txt", c.content);
        ErrorMemory errors;
        EXPECT_EQ(settings::readExceptions(folderOf(dir), errors), c.expected);
    }
}

// ---------------------------------------------------------------------------------------------
// filetypes.txt

TEST(FileTypes, LinesSplitAtTheFirstTwoCommasWithoutTrimming) {
    struct Case {
        std::string line;
        std::optional<FileSignature> expected;  // nothing: the line is skipped
    };
    const Case cases[] = {
        {"1,PK,zip", FileSignature{1, "PK", "zip"}},
        {"-128,TAG,mp3", FileSignature{-128, "TAG", "mp3"}},
        {"5,onlyone", FileSignature{5, "", "5,onlyone"}},
        {"noComma", FileSignature{0, "", "noComma"}},
        {"2,a,b,c", FileSignature{2, "a", "b,c"}},
        {"x,,y", FileSignature{0, "", "y"}},
        {" 7 , a , b ", FileSignature{7, " a ", " b "}},
        {" #x,Y,z", FileSignature{0, "Y", "z"}},
        {" //x,Y,z", FileSignature{0, "Y", "z"}},
        {"/x,Y,z", FileSignature{0, "Y", "z"}},
        {"2.5,a,b", FileSignature{2, "a", "b"}},
        {"3.5,a,b", FileSignature{4, "a", "b"}},
        {" 1 0 ,a,b", FileSignature{10, "a", "b"}},
        {"&H10,a,b", FileSignature{16, "a", "b"}},
        {"9x,a,b", FileSignature{9, "a", "b"}},
        {"1,\xFF\xD8\x00\x01,jpg"s, FileSignature{1, latin1("\xFF\xD8\x00\x01"s), "jpg"}},
        {"1,\xE9t\xE9,\xE9", FileSignature{1, latin1("\xE9t\xE9"), latin1("\xE9")}},
        {"", std::nullopt},
        {"#1,A,b", std::nullopt},
        {"//1,A,b", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TempDir dir;
        dir.write("filetypes.txt", c.line + "\r\n");
        ErrorMemory errors;
        const auto rows = settings::readFileSignatures(folderOf(dir), errors);
        EXPECT_EQ(rows, QList<FileSignature>{c.expected.value_or(FileSignature{})});
        EXPECT_FALSE(errors.last().has_value());
    }
}

TEST(FileTypes, RowsKeepFileOrderAndAnOffsetTooLargeIsRememberedAsOverflow) {
    TempDir dir;
    dir.write("filetypes.txt", "# head\r\n1,A,a\n40000,B,b\r9,C,c");
    ErrorMemory errors;
    EXPECT_EQ(settings::readFileSignatures(folderOf(dir), errors),
              QList<FileSignature>({{1, "A", "a"}, {0, "B", "b"}, {9, "C", "c"}}));
    ASSERT_TRUE(errors.last().has_value());
    EXPECT_EQ(errors.last()->number, engine::kOverflow.number);
}

TEST(FileTypes, OnlyCommentsGiveOneEmptyRowAndNoDefaultFile) {
    TempDir dir;
    const std::string content = "# nothing here\r\n\r\n// nor here\r\n";
    dir.write("filetypes.txt", content);
    ErrorMemory errors;
    EXPECT_EQ(settings::readFileSignatures(folderOf(dir), errors),
              QList<FileSignature>{FileSignature{}});
    EXPECT_EQ(testsupport::readAll(dir.file("filetypes.txt")), content);
}

TEST(FileTypes, MissingFileGivesTheDefaultRowsAndWritesTheDefaultFileByteForByte) {
    EXPECT_EQ(settings::defaultFileTypesContent().toStdString(), kDefaultFileTypes);

    TempDir dir;
    ErrorMemory errors;
    errors.remember(engine::kFileNotFound);  // an earlier failure, forgotten when armed
    const auto rows = settings::readFileSignatures(folderOf(dir), errors);
    EXPECT_FALSE(errors.last().has_value());
    EXPECT_EQ(rows, settings::defaultFileSignatures());
    ASSERT_EQ(rows.size(), 36);
    EXPECT_EQ(rows[3], (FileSignature{1, latin1("\xFF\xD8"), "jpg"}));
    EXPECT_EQ(rows[20], (FileSignature{1, latin1("\x00\x00\x01\xBA"s), "mpg"}));
    EXPECT_EQ(rows[35], (FileSignature{-18, "TRUEVISION-XFILE", "tga"}));
    EXPECT_EQ(testsupport::readAll(dir.file("filetypes.txt")), kDefaultFileTypes);

    // The next start reads the written file back into the same rows, NUL bytes included.
    ErrorMemory again;
    EXPECT_EQ(settings::readFileSignatures(folderOf(dir), again), rows);
    EXPECT_FALSE(again.last().has_value());
}

TEST(FileTypes, DefaultFileThatCannotBeWrittenKeepsTheRowsAndIsRemembered) {
    TempDir dir;
    dir.mkdir("program/filetypes.txt");  // a folder is not the file, and blocks writing it
    const QString cases[] = {folderOf(dir) + "missing/", folderOf(dir) + "program/"};
    for (const QString& folder : cases) {
        SCOPED_TRACE(folder.toStdString());
        ErrorMemory errors;
        EXPECT_EQ(settings::readFileSignatures(folder, errors), settings::defaultFileSignatures());
        ASSERT_TRUE(errors.last().has_value());
        EXPECT_EQ(errors.last()->number, engine::kPathFileAccessError.number);
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("program/filetypes.txt")));
}

// ---------------------------------------------------------------------------------------------
// codecs.txt and waveformats.txt

TEST(Codecs, CodeIsTheFirstFourCharactersAndNameFollowsTheFirstTab) {
    struct Case {
        std::string line;
        std::optional<CodecEntry> expected;
    };
    const Case cases[] = {
        {"DIVX\tDivX 4", CodecEntry{"DIVX", "DivX 4"}},
        {"XVIDno tab", CodecEntry{"XVID", "XVIDno tab"}},
        {"AB\tshort", CodecEntry{"AB\ts", "short"}},
        {"a\tb\tc", CodecEntry{"a\tb\t", "b\tc"}},
        {" lead\tx", CodecEntry{" lea", "x"}},
        {"dvsd\t", CodecEntry{"dvsd", ""}},
        {"#DIVX\tx", std::nullopt},
        {"//DIVX\tx", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TempDir dir;
        dir.write("codecs.txt", c.line + "\r\n");
        ErrorMemory errors;
        EXPECT_EQ(settings::readCodecs(folderOf(dir), errors),
                  QList<CodecEntry>{c.expected.value_or(CodecEntry{})});
    }
}

TEST(WaveFormats, NumberBeforeTheFirstTabAndNameAfterIt) {
    struct Case {
        std::string line;
        std::optional<WaveFormatEntry> expected;
        bool overflow = false;
    };
    const Case cases[] = {
        {"1\tPCM", WaveFormatEntry{1, "PCM"}},
        {"-2\tExtensible", WaveFormatEntry{-2, "Extensible"}},
        {"&HFFFE\tExtensible", WaveFormatEntry{-2, "Extensible"}},
        {"85 \tMPEG Layer-3", WaveFormatEntry{85, "MPEG Layer-3"}},
        {"2.5\ta\tb", WaveFormatEntry{2, "a\tb"}},
        {"NoTab 17", WaveFormatEntry{0, "NoTab 17"}},
        {"x\tName", WaveFormatEntry{0, "Name"}},
        {" #1\tx", WaveFormatEntry{0, "x"}},
        {"65534\tToo large", WaveFormatEntry{0, "Too large"}, true},
        {"#1\tPCM", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TempDir dir;
        dir.write("waveformats.txt", c.line + "\r\n");
        ErrorMemory errors;
        EXPECT_EQ(settings::readWaveFormats(folderOf(dir), errors),
                  QList<WaveFormatEntry>{c.expected.value_or(WaveFormatEntry{})});
        EXPECT_EQ(errors.last().has_value(), c.overflow);
    }
}

TEST(ShippedLists, CodecsAndWaveFormatsBesideTheProgramParse) {
    const QString data =
        QString::fromStdString((std::filesystem::path(__FILE__).parent_path() / "../../data")
                                   .lexically_normal()
                                   .string()) +
        "/";
    ErrorMemory errors;

    const auto codecs = settings::readCodecs(data, errors);
    ASSERT_GT(codecs.size(), 10);
    QStringList codes;
    for (const CodecEntry& entry : codecs) {
        SCOPED_TRACE(entry.fourcc.toStdString());
        EXPECT_EQ(entry.fourcc.size(), 4);
        EXPECT_FALSE(entry.fourcc.contains(u'\t'));
        EXPECT_FALSE(entry.name.isEmpty());
        EXPECT_FALSE(codes.contains(entry.fourcc)) << "listed twice";
        codes.append(entry.fourcc);
    }
    EXPECT_TRUE(codes.contains("XVID"));
    EXPECT_TRUE(codes.contains("dvsd"));

    const auto formats = settings::readWaveFormats(data, errors);
    ASSERT_GT(formats.size(), 10);
    QList<qint16> tags;
    for (const WaveFormatEntry& entry : formats) {
        SCOPED_TRACE(entry.formatTag);
        EXPECT_FALSE(entry.name.isEmpty());
        EXPECT_FALSE(entry.name.contains(u'\t'));
        EXPECT_FALSE(tags.contains(entry.formatTag)) << "listed twice";
        tags.append(entry.formatTag);
    }
    EXPECT_TRUE(tags.contains(1));
    EXPECT_TRUE(tags.contains(85));
    EXPECT_TRUE(tags.contains(-2));
    EXPECT_FALSE(errors.last().has_value());
}

// ---------------------------------------------------------------------------------------------
// replace.txt

TEST(BatchReplace, LinesNeedSixFieldsAFindTextAndNumbersInRange) {
    struct Case {
        const char* line;
        std::optional<BatchReplaceItem> expected;  // {find, replace, cs, swap, count, start}
    };
    const Case cases[] = {
        {"a/b/0/1/2/3", BatchReplaceItem{"a", "b", 0, 1, 3, 2}},
        {"a//1/0/999/0", BatchReplaceItem{"a", "", 1, 0, 0, 999}},
        {"a/b/1/0/5/7/extra/more", BatchReplaceItem{"a", "b", 1, 0, 7, 5}},
        {"a/b/ 1 / 0 /+5/ 7 ", BatchReplaceItem{"a", "b", 1, 0, 7, 5}},
        {"a/b/0.4/0.5/2.5/998.5", BatchReplaceItem{"a", "b", 0, 0, 998, 2}},
        {"a/b/-0.4/1./.5/3.5", BatchReplaceItem{"a", "b", 0, 1, 4, 0}},
        {" #a/b/0/0/0/0", BatchReplaceItem{" #a", "b", 0, 0, 0, 0}},
        {" / /0/0/0/0", BatchReplaceItem{" ", " ", 0, 0, 0, 0}},
        {"a/b/2/0/0/0", std::nullopt},
        {"a/b/-1/0/0/0", std::nullopt},
        {"a/b/x/0/0/0", std::nullopt},
        {"a/b//0/0/0", std::nullopt},
        {"a/b/0/2/0/0", std::nullopt},
        {"a/b/0/-1/0/0", std::nullopt},
        {"a/b/0/y/0/0", std::nullopt},
        {"a/b/0/0/1000/0", std::nullopt},
        {"a/b/0/0/-1/0", std::nullopt},
        {"a/b/0/0/999.5/0", std::nullopt},
        {"a/b/0/0/0/1000", std::nullopt},
        {"a/b/0/0/0/-1", std::nullopt},
        {"a/b/0/0/0/", std::nullopt},
        {"a/b/0/0/0/1e2", std::nullopt},
        {"a/b/0/0/0/&H1", std::nullopt},
        {"a/b/0/0/0/1 2", std::nullopt},
        {"a/b/0/0/0/.", std::nullopt},
        {"a/b/0/0/0", std::nullopt},
        {"/b/0/0/0/0", std::nullopt},
        {"#a/b/0/0/0/0", std::nullopt},
        {"//a/b/0/0/0/0", std::nullopt},
        {"", std::nullopt},
    };
    // All lines in one file: the valid ones load in order, the others vanish without a trace.
    std::string content;
    QList<BatchReplaceItem> expected;
    for (const Case& c : cases) {
        content += std::string(c.line) + "\r\n";
        if (c.expected) {
            expected.append(*c.expected);
        }
    }
    TempDir dir;
    dir.write("replace.txt", content);
    ErrorMemory errors;
    EXPECT_EQ(settings::readBatchReplace(folderOf(dir), errors), expected);
    EXPECT_FALSE(errors.last().has_value());

    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TempDir single;
        single.write("replace.txt", std::string(c.line) + "\n");
        const auto items = settings::readBatchReplace(folderOf(single), errors);
        EXPECT_EQ(items,
                  c.expected ? QList<BatchReplaceItem>{*c.expected} : QList<BatchReplaceItem>{});
    }
}

TEST(BatchReplace, CaptionCountsItems) {
    EXPECT_EQ(settings::batchReplaceCaption(0), "0 items in batch replace list...");
    EXPECT_EQ(settings::batchReplaceCaption(1), "1 item in batch replace list...");
    EXPECT_EQ(settings::batchReplaceCaption(2), "2 items in batch replace list...");
    EXPECT_EQ(settings::batchReplaceCaption(120), "120 items in batch replace list...");
}

// ---------------------------------------------------------------------------------------------
// Saving

TEST(SaveLists, WritesBothFilesFromMemoryAndTheyLoadBack) {
    TempDir dir;
    TempDir program;
    ProgramFolderOverride redirect(program.path());
    engine::TextLists lists;
    lists.exceptionsList = {"IBM", "McDonald", QString::fromUtf8("Caf\xC3\xA9")};
    lists.batchReplaceList = {
        {"a", "b", 1, 0, 3, 7},    // count 3, start 7: the file holds start first
        {"", "lost", 0, 0, 0, 0},  // no find text: not written
        {"x", "0/1", 0, 0, 6, 5},  // "/" separates the fields: not written
        {"p/q", "r", 1, 1, 0, 0},
        {"#1", "one", 0, 0, 0, 0},  // would read back as a comment: not written
        {"line\nbreak", "x", 0, 0, 0, 0},
        {"mixed", "", 0, 1, 999, 0},
    };
    EXPECT_TRUE(settings::saveLists(folderOf(dir), lists));

    EXPECT_EQ(testsupport::readAll(dir.file("exceptions.txt")),
              "IBM\r\nMcDonald\r\nCaf\xC3\xA9\r\n");
    EXPECT_EQ(testsupport::readAll(dir.file("replace.txt")),
              "a/b/1/0/7/3\r\n"
              "mixed//0/1/0/999\r\n");
    // Every item left out is named in the error log.
    const std::string log = testsupport::readAll(program.file("errors.txt"));
    for (const char* find : {"\"x\" -> \"0/1\"", "\"p/q\"", "\"#1\"", "\"line\\nbreak\""}) {
        EXPECT_NE(log.find(find), std::string::npos) << find << " in " << log;
    }

    ErrorMemory errors;
    EXPECT_EQ(settings::readExceptions(folderOf(dir), errors), lists.exceptionsList);
    EXPECT_EQ(settings::readBatchReplace(folderOf(dir), errors),
              QList<BatchReplaceItem>({{"a", "b", 1, 0, 3, 7}, {"mixed", "", 0, 1, 999, 0}}));
}

// The lists are the user's data: bytes that are not UTF-8 (a word typed in Windows-1252) come
// back from a load and a save unchanged, and read as the names with the same bytes read.
TEST(SaveLists, BytesOutsideUtf8SurviveALoadAndASaveAndMatchTheirNames) {
    TempDir dir;
    TempDir program;
    ProgramFolderOverride redirect(program.path());
    const std::string exceptions = "M\xFCller\r\nna\xEFve\r\n\xC3\r\nMcDonald\r\n";
    const std::string replace = "caf\xE9/cafe/0/0/0/0\r\n\x85/\xFF\xFE/1/1/2/3\r\n";
    dir.write("exceptions.txt", exceptions);
    dir.write("replace.txt", replace);

    ErrorMemory errors;
    engine::TextLists lists;
    lists.exceptionsList = settings::readExceptions(folderOf(dir), errors);
    lists.batchReplaceList = settings::readBatchReplace(folderOf(dir), errors);
    EXPECT_FALSE(errors.last().has_value());
    const auto name = [](const std::string& bytes) { return platform::fromNativePath(bytes); };
    EXPECT_EQ(lists.exceptionsList,
              QStringList({name("M\xFCller"), name("na\xEFve"), name("\xC3"), "McDonald"}));
    ASSERT_EQ(lists.batchReplaceList.size(), 2);
    EXPECT_EQ(lists.batchReplaceList[0].find, name("caf\xE9"));
    EXPECT_EQ(lists.batchReplaceList[1].replace, name("\xFF\xFE"));
    // The word spells the name it was written for: "m\xFCller.txt" made upper case, then the
    // exception, gives the word's own bytes back.
    engine::CaseOptions upper;
    upper.case1 = 1;
    upper.exceptionsEnabled = true;
    EXPECT_EQ(platform::nativePath(engine::convertCase(name("m\xFCller.txt"), upper,
                                                       lists.exceptionsList)),
              "M\xFCller.txt");

    ASSERT_TRUE(settings::saveLists(folderOf(dir), lists));
    EXPECT_EQ(testsupport::readAll(dir.file("exceptions.txt")), exceptions);
    EXPECT_EQ(testsupport::readAll(dir.file("replace.txt")), replace);
}

TEST(SaveLists, EmptyListsWriteOneEmptyLineAndAnEmptyFileThatLoadBackEmpty) {
    TempDir dir;
    dir.write("replace.txt", "old/line/0/0/0/0\r\n");
    const engine::TextLists lists;  // the empty forms
    EXPECT_TRUE(settings::saveLists(folderOf(dir), lists));
    EXPECT_EQ(testsupport::readAll(dir.file("exceptions.txt")), "\r\n");
    EXPECT_EQ(testsupport::readAll(dir.file("replace.txt")), "");

    ErrorMemory errors;
    EXPECT_EQ(settings::readExceptions(folderOf(dir), errors), QStringList{QString()});
    EXPECT_TRUE(settings::readBatchReplace(folderOf(dir), errors).isEmpty());
}

TEST(SaveLists, AFileNamedInOtherCaseIsTheOneRewritten) {
    TempDir dir;
    dir.write("Exceptions.TXT", "old\r\n");
    engine::TextLists lists;
    lists.exceptionsList = {"new"};
    EXPECT_TRUE(settings::saveLists(folderOf(dir), lists));
    EXPECT_EQ(testsupport::readAll(dir.file("Exceptions.TXT")), "new\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("exceptions.txt")));
}

TEST(SaveLists, FirstFailureStopsTheWritingAndLogsOneLineEachSave) {
    const std::string tail = ") Error 75 (Path/File access error) Error saving settings lists!";
    const auto logLines = [&](const TempDir& program) {
        const QString log =
            QString::fromStdString(testsupport::readAll(program.file("errors.txt")));
        QStringList lines = log.split("\r\n");
        EXPECT_EQ(lines.takeLast(), "");
        for (const QString& line : lines) {
            EXPECT_TRUE(line.startsWith('(') && line.endsWith(QString::fromStdString(tail)))
                << line.toStdString();
        }
        return lines.size();
    };
    engine::TextLists lists;
    lists.exceptionsList = {"IBM"};
    lists.batchReplaceList = {{"a", "b", 0, 0, 0, 0}};

    {
        // exceptions.txt cannot be replaced: replace.txt stays as it was.
        TempDir dir;
        TempDir program;
        ProgramFolderOverride redirect(program.path());
        dir.mkdir("exceptions.txt");
        dir.write("replace.txt", "old/x/0/0/0/0\r\n");
        EXPECT_FALSE(settings::saveLists(folderOf(dir), lists));
        EXPECT_FALSE(settings::saveLists(folderOf(dir), lists));
        EXPECT_EQ(logLines(program), 2);
        EXPECT_EQ(testsupport::readAll(dir.file("replace.txt")), "old/x/0/0/0/0\r\n");
    }
    {
        // replace.txt cannot be replaced: exceptions.txt was written before it.
        TempDir dir;
        TempDir program;
        ProgramFolderOverride redirect(program.path());
        dir.mkdir("replace.txt");
        EXPECT_FALSE(settings::saveLists(folderOf(dir), lists));
        EXPECT_EQ(logLines(program), 1);
        EXPECT_EQ(testsupport::readAll(dir.file("exceptions.txt")), "IBM\r\n");
    }
    {
        // The folder itself is gone.
        TempDir dir;
        TempDir program;
        ProgramFolderOverride redirect(program.path());
        EXPECT_FALSE(settings::saveLists(folderOf(dir) + "missing/", lists));
        EXPECT_EQ(logLines(program), 1);
    }
}

}  // namespace
