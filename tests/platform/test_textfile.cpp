#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/textfile.h"
#include "tests/support/tempdir.h"

namespace {

using platform::appendLine;
using platform::readLines;
using platform::TextEncoding;
using platform::writeLines;
using testsupport::entriesOf;
using testsupport::readAll;
using testsupport::TempDir;

QString q(const std::string& path) {
    return QString::fromStdString(path);
}

TEST(ReadLines, AcceptsEveryLineEnd) {
    const struct {
        const char* bytes;
        QStringList expected;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"\r\n", {""}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"\n\r", {"", ""}},
        {"  x \t\r\n", {"  x \t"}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const auto path = dir.write("lines.txt", c.bytes);
        const auto lines = readLines(q(path));
        ASSERT_TRUE(lines.ok()) << lines.reason();
        EXPECT_EQ(*lines, c.expected) << '"' << c.bytes << '"';
    }
}

// Bytes outside UTF-8 are read as a name's bytes are (the path codec), so they are written
// back as they came and an entry matches the name with the same bytes.
TEST(ReadLines, Utf8DropsOneLeadingBomAndKeepsInvalidBytesAsThePathCodecDoes) {
    TempDir dir;
    const struct {
        std::string bytes;
        QStringList expected;
    } cases[] = {
        {"\xEF\xBB\xBFhello\r\nw\xC3\xB6rld", {"hello", QStringLiteral("wörld")}},
        {"\xEF\xBB\xBF\xEF\xBB\xBFx", {QStringLiteral("\uFEFFx")}},
        {"x\xEF\xBB\xBF", {QStringLiteral("x\uFEFF")}},
        {"a\xFF"
         "b",
         {QStringLiteral("a") + QChar(0xDCFF) + QStringLiteral("b")}},
        {"M\xFCller\r\ncaf\xE9/\x85\xC3",
         {QString::fromStdU16String(u"M\xDCFCller"),
          QString::fromStdU16String(u"caf\xDCE9/\xDC85\xDCC3")}},
        {"\xEF\xBB\xBF", {}},
    };
    for (const auto& c : cases) {
        const auto lines = readLines(q(dir.write("bom.txt", c.bytes)));
        ASSERT_TRUE(lines.ok()) << lines.reason();
        EXPECT_EQ(*lines, c.expected);
    }
    // Latin-1 keeps the BOM's bytes as they are.
    const auto raw = readLines(q(dir.write("bom.txt", "\xEF\xBB\xBFx")), TextEncoding::Latin1);
    ASSERT_TRUE(raw.ok());
    EXPECT_EQ(*raw, QStringList{QStringLiteral("\u00EF\u00BB\u00BFx")});
}

TEST(ReadLines, RefusesWhatIsNotARegularFile) {
    TempDir dir;
    const auto missing = readLines(q(dir.file("missing.txt")));
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.reason().find("missing.txt"), std::string::npos) << missing.reason();

    const auto folder = readLines(q(dir.mkdir("folder")));
    EXPECT_FALSE(folder.ok());
    EXPECT_FALSE(folder.reason().empty());
}

// Runs `call` on a FIFO that nobody has open. Opening it, to read or to write, would block until
// the other end opens, so a hang is detected and broken instead of stalling the suite.
void expectFifoRefused(const std::function<bool(const QString&)>& call, bool openForWriting) {
    TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::promise<bool> done;
    auto result = done.get_future();
    std::thread worker([&] { done.set_value(call(q(fifo))); });
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "the call opened the FIFO and hung";
        // Open the other end so the blocked open returns. A reader's end must stay open until
        // the write is done; a writer's end closes at once, so the read meets end of file.
        const int fd = open(fifo.c_str(), (openForWriting ? O_RDONLY : O_WRONLY) | O_NONBLOCK);
        if (fd >= 0 && !openForWriting) {
            close(fd);
        }
        worker.join();
        if (fd >= 0 && openForWriting) {
            close(fd);
        }
        return;
    }
    worker.join();
    EXPECT_FALSE(result.get());
}

TEST(ReadLines, FifoFailsWithoutHanging) {
    expectFifoRefused([](const QString& path) { return readLines(path).ok(); }, false);
}

TEST(AppendLine, FifoFailsWithoutHanging) {
    expectFifoRefused([](const QString& path) { return appendLine(path, "x").ok(); }, true);
}

TEST(AppendLine, CreatesTheFileAndAppendsInOrder) {
    TempDir dir;
    const auto path = dir.file("log.txt");
    ASSERT_TRUE(appendLine(q(path), QStringLiteral("first ä")).ok());
    EXPECT_EQ(readAll(path), "first \xC3\xA4\r\n");
    ASSERT_TRUE(appendLine(q(path), "second").ok());
    ASSERT_TRUE(appendLine(q(path), "").ok());
    EXPECT_EQ(readAll(path), "first \xC3\xA4\r\nsecond\r\n\r\n");
}

TEST(AppendLine, LineBreaksInsideTheLineAreWrittenUnchanged) {
    TempDir dir;
    const auto path = dir.write("log.txt", "old");
    ASSERT_TRUE(appendLine(q(path), "one\r\ntwo\nthree").ok());
    EXPECT_EQ(readAll(path), "oldone\r\ntwo\nthree\r\n") << "appends after what is there";
}

TEST(AppendLine, Latin1WritesBytesAndQuestionMarks) {
    TempDir dir;
    const auto path = dir.file("raw.txt");
    ASSERT_TRUE(
        appendLine(q(path), QStringLiteral("\u00E9\u20AC\u00FF"), TextEncoding::Latin1).ok());
    EXPECT_EQ(readAll(path), "\xE9?\xFF\r\n");
}

TEST(AppendLine, FailsWhereNoFileCanBe) {
    TempDir dir;
    const auto folder = dir.mkdir("taken");
    const auto status = appendLine(q(folder), "x");
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.reason().find("taken"), std::string::npos) << status.reason();
    EXPECT_TRUE(entriesOf(folder).empty());
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"taken"});

    const auto noParent = appendLine(q(dir.file("nowhere/log.txt")), "x");
    EXPECT_FALSE(noParent.ok());
    EXPECT_FALSE(noParent.reason().empty());
}

TEST(WriteLines, ReplacesTheFileWithCrLfLines) {
    TempDir dir;
    const auto path = dir.write("list.txt", "a much longer old content that must vanish\r\n");
    ASSERT_TRUE(writeLines(q(path), {QStringLiteral("\u00E4\u20AC"), "", "x"}).ok());
    EXPECT_EQ(readAll(path), "\xC3\xA4\xE2\x82\xAC\r\n\r\nx\r\n");
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"list.txt"}) << "no temporary left";

    ASSERT_TRUE(writeLines(q(path), {}).ok());
    EXPECT_EQ(readAll(path), "");
    ASSERT_TRUE(writeLines(q(dir.file("new.txt")), {"n"}).ok());
    EXPECT_EQ(readAll(dir.file("new.txt")), "n\r\n");
}

TEST(WriteLines, FailureLeavesEverythingAsItWas) {
    TempDir dir;
    const auto folder = dir.mkdir("taken");
    const auto status = writeLines(q(folder), {"x"});
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(status.reason().empty());
    EXPECT_TRUE(entriesOf(folder).empty());
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"taken"});
}

TEST(TextFile, Latin1RoundTripsEveryByte) {
    // Every byte but the two that end lines.
    QString line;
    std::string bytes;
    for (int byte = 0; byte <= 0xFF; ++byte) {
        if (byte != '\r' && byte != '\n') {
            line.append(QChar(byte));
            bytes.push_back(static_cast<char>(byte));
        }
    }
    TempDir dir;
    const auto path = dir.file("raw.txt");
    ASSERT_TRUE(writeLines(q(path), {line, QStringLiteral("\u0100")}, TextEncoding::Latin1).ok());
    EXPECT_EQ(readAll(path), bytes + "\r\n?\r\n");
    const auto lines = readLines(q(path), TextEncoding::Latin1);
    ASSERT_TRUE(lines.ok()) << lines.reason();
    EXPECT_EQ(*lines, (QStringList{line, "?"}));
}

TEST(TextFile, Utf8RoundTripsAllPlanes) {
    TempDir dir;
    const auto path = dir.file("u.txt");
    const QStringList lines = {QStringLiteral("\u00E4\u4E2D\U0001F600"), QStringLiteral("\uFEFF")};
    ASSERT_TRUE(writeLines(q(path), lines).ok());
    const auto back = readLines(q(path));
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, lines);
}

}  // namespace
