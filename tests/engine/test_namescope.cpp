#include <gtest/gtest.h>

#include <QString>

#include "engine/namescope.h"

namespace {

enum Scope { Whole, NameOnly, ExtOnly };

engine::ScopeOptions options(Scope scope) {
    return {scope != ExtOnly, scope != NameOnly};
}

struct SplitCase {
    Scope scope;
    QString name;
    QString part;
    QString kept;
};

TEST(NameScope, SplitsAtTheLastDot) {
    // clang-format off
    const SplitCase cases[] = {
        {Whole,    "archive.tar.gz", "archive.tar.gz", ""},
        {NameOnly, "archive.tar.gz", "archive.tar",    "gz"},
        {ExtOnly,  "archive.tar.gz", "gz",             "archive.tar"},
        {NameOnly, "a.b.c",          "a.b",            "c"},
        {NameOnly, "README",         "README",         ""},
        {ExtOnly,  "README",         "",               "README"},
        {NameOnly, ".profile",       ".profile",       ""},
        {ExtOnly,  ".profile",       "",               ".profile"},
        {NameOnly, "file.",          "file",           ""},
        {ExtOnly,  "file.",          "",               "file"},
        {NameOnly, "",               "",               ""},
    };
    // clang-format on
    for (const SplitCase& c : cases) {
        engine::NameScope scope(options(c.scope));
        EXPECT_EQ(scope.splitNamePart(c.name), c.part) << c.name.toStdString() << " " << c.scope;
        EXPECT_EQ(scope.keptPart(), c.kept) << c.name.toStdString() << " " << c.scope;
    }
}

TEST(NameScope, JoinPutsBackExactlyOneDot) {
    struct JoinCase {
        Scope scope;
        QString name;
        QString newPart;
        QString joined;
    };
    // clang-format off
    const JoinCase cases[] = {
        {Whole,    "a.txt",   "b.doc", "b.doc"},
        {NameOnly, "a.txt",   "b",     "b.txt"},
        {ExtOnly,  "a.txt",   "md",    "a.md"},
        {NameOnly, "name.txt","",      "txt"},     // emptied part leaves the kept part alone
        {ExtOnly,  "a.txt",   "",      "a"},
        {ExtOnly,  "README",  "",      "README"},  // no extension: unchanged
        {NameOnly, "file.",   "file",  "file"},    // the trailing dot is lost
        {NameOnly, "README",  "READ",  "READ"},    // nothing kept: no dot added
    };
    // clang-format on
    for (const JoinCase& c : cases) {
        engine::NameScope scope(options(c.scope));
        scope.splitNamePart(c.name);
        EXPECT_EQ(scope.joinNamePart(c.newPart), c.joined) << c.name.toStdString();
    }
}

TEST(NameScope, SplitForgetsThePreviousKeptPart) {
    engine::NameScope scope(options(NameOnly));
    scope.splitNamePart("first.txt");
    scope.splitNamePart("second");
    EXPECT_EQ(scope.joinNamePart("x"), QString("x"));
}

TEST(ReplaceForbiddenChars, MapsEveryForbiddenCharacter) {
    const struct {
        QString in, out;
    } cases[] = {
        {"a/b*c\"d", "a-b-c''d"},
        {"why?not??", "whynot"},
        {"x<y>z|w", "x[y]z-w"},
        {"c:\\dir", "c--dir"},
        {"plain name.txt", "plain name.txt"},
        {"tab\tand trailing dot. ", "tab\tand trailing dot. "},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine::replaceForbiddenChars(c.in), c.out) << c.in.toStdString();
    }
}

// The three rules of a leading only dot, each the rule of some operation; everything else is
// cut alike at the last dot.
TEST(SplitExtension, CutsAtTheLastDotByTheCallersLeadingDotRule) {
    using engine::LeadingDot;
    const struct {
        const char* fullName;
        LeadingDot rule;
        const char* name;
        const char* extension;
        bool hasExtension;
    } cases[] = {
        {"photo.jpg", LeadingDot::Separates, "photo", "jpg", true},
        {"a.tar.gz", LeadingDot::IsExtension, "a.tar", "gz", true},
        {"a.tar.gz", LeadingDot::BelongsToName, "a.tar", "gz", true},
        {"readme", LeadingDot::Separates, "readme", "", false},
        {"readme", LeadingDot::IsExtension, "readme", "", false},
        {"name.", LeadingDot::Separates, "name", "", true},
        {"", LeadingDot::Separates, "", "", false},
        {".profile", LeadingDot::Separates, "", "profile", true},
        {".profile", LeadingDot::IsExtension, "", ".profile", true},
        {".profile", LeadingDot::BelongsToName, ".profile", "", false},
        {".a.b", LeadingDot::BelongsToName, ".a", "b", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fullName);
        const engine::NameParts parts =
            engine::splitExtension(QString::fromUtf8(c.fullName), c.rule);
        EXPECT_EQ(parts.name, QString::fromUtf8(c.name));
        EXPECT_EQ(parts.extension, QString::fromUtf8(c.extension));
        EXPECT_EQ(parts.hasExtension, c.hasExtension);
    }
}

}  // namespace
