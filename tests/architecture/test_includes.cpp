// The direction of the includes between the parts of the source tree, read from the sources
// themselves: a part includes only itself and what it is built on, so that a library never
// reaches the headers of one that links it, and the Qt-free parts stay free of Qt.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/tempdir.h"

namespace {

// The rules ----------------------------------------------------------------------------------

enum class QtHeaders { Allowed, Forbidden };

// A part of the source tree: its files, and the parts it uses. A part may include itself, the
// parts it uses and whatever those may include in turn. Headers of no part of ours (the standard
// library, the system, other libraries) are free, but Qt only where the part allows it.
//
// A file belongs to the part with the longest pattern that fits it: a pattern ending in "/"
// takes a whole folder, any other pattern names one unit (its .h and its .cpp).
struct Part {
    std::string_view name;
    std::vector<std::string_view> files;
    std::vector<std::string_view> uses;
    QtHeaders qt = QtHeaders::Allowed;
};

const std::vector<Part> kParts = {
    // The program: platform <- engine <- settings <- filelists <- runs <- mainwindow, with the
    // media readers (free of Qt, on the platform core) below the engine. The platform core is
    // platform_core as platform/CMakeLists.txt builds it, with the header-only result.h.
    {"platform_core",
     {"platform/result", "platform/filesystem", "platform/folderhandle", "platform/dosattrib",
      "platform/win1252", "platform/errortext", "platform/pathcodec", "platform/stretches",
      "platform/mpegtables", "platform/entryattributes", "platform/fsdetail", "platform/asciicase",
      "platform/basename", "platform/entrykind"},
     {},
     QtHeaders::Forbidden},
    {"platform", {"platform/"}, {"platform_core"}},
    {"platform_widgets", {"platform/widgets/"}, {"platform"}},
    {"media", {"media/"}, {"platform_core"}, QtHeaders::Forbidden},
    {"engine", {"engine/"}, {"platform", "media", "orvane_interface"}},
    {"settings", {"settings/"}, {"engine"}},
    {"filelists", {"filelists/"}, {"settings", "platform_widgets"}},
    {"runs", {"runs/"}, {"filelists"}},
    {"mainwindow", {"mainwindow/"}, {"runs", "platform_com", "orvane_interface"}},

    // The component-object frame and the tag library, free of Qt. The readers use only the
    // platform core; the program reaches the library through its interface header alone.
    {"platform_com", {"platform/com/"}, {"platform_core"}, QtHeaders::Forbidden},
    {"orvane", {"orvane/"}, {"platform_core"}, QtHeaders::Forbidden},
    {"orvane_interface", {"orvane/com/interfaces"}, {"platform_com"}, QtHeaders::Forbidden},
    {"orvane_com", {"orvane/com/"}, {"orvane", "orvane_interface"}, QtHeaders::Forbidden},

    // Around the program: only the main window's own tests and the benchmarks drive it.
    {"tests", {"tests/"}, {"runs", "orvane_com"}},
    {"tests_mainwindow", {"tests/mainwindow/"}, {"tests", "mainwindow"}},
    {"fuzz", {"fuzz/"}, {"orvane_interface", "media"}, QtHeaders::Forbidden},
    {"bench", {"bench/"}, {"mainwindow"}},
};

// Applying them ------------------------------------------------------------------------------

const std::string kRoot = QUENZA_SOURCE_DIR;

std::string stemOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return std::string(path);
    }
    return std::string(path.substr(0, dot));
}

// The part that a path from the source root belongs to, or nothing.
std::optional<std::string_view> partOf(std::string_view path) {
    std::optional<std::string_view> best;
    std::size_t bestLength = 0;
    for (const Part& part : kParts) {
        for (const std::string_view pattern : part.files) {
            const bool fits =
                pattern.ends_with('/') ? path.starts_with(pattern) : stemOf(path) == pattern;
            if (fits && pattern.size() > bestLength) {
                best = part.name;
                bestLength = pattern.size();
            }
        }
    }
    return best;
}

const Part* findPart(std::string_view name) {
    const auto it = std::find_if(kParts.begin(), kParts.end(),
                                 [&](const Part& part) { return part.name == name; });
    return it == kParts.end() ? nullptr : &*it;
}

// The part itself and everything that the parts it uses may include.
std::set<std::string_view> mayInclude(std::string_view name) {
    std::set<std::string_view> parts;
    std::vector<std::string_view> next{name};
    while (!next.empty()) {
        const std::string_view current = next.back();
        next.pop_back();
        const Part* part = findPart(current);
        if (parts.insert(current).second && part) {
            next.insert(next.end(), part->uses.begin(), part->uses.end());
        }
    }
    return parts;
}

bool isQtHeader(std::string_view header) {
    // <QString>, <QtCore/QString>, and the lower-case forms such as <qglobal.h>.
    return header.starts_with('Q') || (header.starts_with('q') && header.ends_with(".h"));
}

std::string joined(const std::set<std::string_view>& parts) {
    std::string text;
    for (const std::string_view part : parts) {
        text += (text.empty() ? "" : ", ") + std::string(part);
    }
    return text;
}

// Why `file` (a path from the source root) may not include `include` (as written, with its
// quotes or angle brackets), or nothing when it may.
std::optional<std::string> violation(std::string_view file, std::string_view include) {
    const std::optional<std::string_view> part = partOf(file);
    if (!part) {
        return "lies in no part that the include rules know";
    }
    const std::string written(include);
    const bool quoted = include.starts_with('"');
    const std::string_view header = include.substr(1, include.size() - 2);
    const std::optional<std::string_view> target = partOf(header);
    if (!target) {
        if (quoted) {
            return "includes " + written +
                   ", which is no file of a known part (include from "
                   "the source root: \"folder/file.h\")";
        }
        if (findPart(*part)->qt == QtHeaders::Forbidden && isQtHeader(header)) {
            return "includes " + written + ", but " + std::string(*part) + " is free of Qt";
        }
        return std::nullopt;
    }
    const std::set<std::string_view> allowed = mayInclude(*part);
    if (!allowed.contains(*target)) {
        return "includes " + written + " (" + std::string(*target) + "), but " +
               std::string(*part) + " may include only " + joined(allowed);
    }
    return std::nullopt;
}

struct Include {
    int line = 0;
    std::string written;  // with its quotes or angle brackets
};

std::vector<Include> includesOf(const std::string& text) {
    static const std::regex directive(R"(^\s*#\s*include\s*(["<][^">]*[">]))");
    std::vector<Include> includes;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::smatch match;
        if (std::regex_search(line, match, directive)) {
            includes.push_back({number, match[1].str()});
        }
    }
    return includes;
}

// Every source file of the folders that the parts name, as a path from the source root.
std::vector<std::string> sourceFiles() {
    namespace fs = std::filesystem;
    std::set<std::string> folders;
    for (const Part& part : kParts) {
        for (const std::string_view pattern : part.files) {
            folders.insert(std::string(pattern.substr(0, pattern.find('/'))));
        }
    }
    std::vector<std::string> files;
    for (const std::string& folder : folders) {
        for (const auto& entry : fs::recursive_directory_iterator(kRoot + "/" + folder)) {
            const std::string extension = entry.path().extension().string();
            if (entry.is_regular_file() &&
                (extension == ".h" || extension == ".cpp" || extension == ".def")) {
                files.push_back(fs::relative(entry.path(), kRoot).generic_string());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The tests ----------------------------------------------------------------------------------

TEST(IncludeRules, TellAllowedFromForbiddenIncludes) {
    struct Case {
        std::string_view file;
        std::string_view include;
        bool allowed;
    };
    const Case cases[] = {
        // Along the chain, also past a neighbour; never against it.
        {"engine/log.cpp", R"("engine/log.h")", true},
        {"settings/store.cpp", R"("platform/filesystem.h")", true},
        {"runs/driver.cpp", R"("engine/log.h")", true},
        {"engine/log.cpp", R"("settings/store.h")", false},
        {"filelists/scan.cpp", R"("runs/driver.h")", false},
        {"platform/textfile.cpp", R"("engine/log.h")", false},
        // The widget services: from the file lists on, never from the platform beneath them.
        {"filelists/scan.cpp", R"("platform/widgets/busy.h")", true},
        {"mainwindow/frmmain.cpp", R"("platform/widgets/listview.h")", true},
        {"settings/store.cpp", R"("platform/widgets/busy.h")", false},
        {"platform/messages.cpp", R"("platform/widgets/qtmessages.h")", false},
        // The platform core: Qt-free, below the rest of the platform.
        {"platform/textfile.cpp", R"("platform/result.h")", true},
        {"platform/filesystem.cpp", R"("platform/errortext.h")", true},
        {"platform/filesystem.cpp", R"("platform/textfile.h")", false},
        {"platform/filesystem.h", "<QString>", false},
        {"platform/filesystem.cpp", "<sys/stat.h>", true},
        {"platform/localetext.cpp", "<QLocale>", true},
        // The component-object frame: on the core alone, for the program and the library.
        {"platform/com/registry.cpp", R"("platform/errortext.h")", true},
        {"platform/com/registry.cpp", R"("platform/programfolder.h")", false},
        {"platform/com/server.h", "<QtCore/QString>", false},
        {"media/images.cpp", R"("platform/com/com.h")", false},
        // The tag library: no Qt, nothing of the program, and the program sees its interface.
        {"orvane/helpers.cpp", R"("platform/win1252.h")", true},
        {"orvane/id3v1.h", R"("platform/localetext.h")", false},
        {"orvane/id3v1.h", R"("platform/com/com.h")", false},
        {"orvane/id3v1.cpp", "<qstring.h>", false},
        {"orvane/com/objects.h", R"("orvane/id3v1.h")", true},
        {"orvane/com/objects.cpp", R"("platform/com/dispatch.h")", true},
        {"orvane/com/interfaces.h", R"("orvane/id3v1.h")", false},
        {"orvane/id3v24.cpp", R"("orvane/com/interfaces.h")", false},
        {"mainwindow/frmmain.cpp", R"("orvane/com/interfaces.h")", true},
        {"mainwindow/frmmain.cpp", R"("orvane/id3v1.h")", false},
        {"engine/mp3name.cpp", R"("orvane/com/interfaces.h")", true},
        {"engine/mp3name.cpp", R"("orvane/com/objects.h")", false},
        {"mainwindow/frmmain.cpp", R"("orvane/com/objects.h")", false},
        // The media readers: no Qt, nothing of the program above the platform core.
        {"engine/pattern.h", R"("media/mediaproperties.h")", true},
        {"media/mediaproperties.cpp", R"("platform/filesystem.h")", true},
        {"media/mediaproperties.cpp", R"("engine/log.h")", false},
        {"media/riff.cpp", "<QString>", false},
        {"media/images.cpp", R"("platform/localetext.h")", false},
        // The main window: the top, included only by its own tests and the benchmarks.
        {"runs/driver.cpp", R"("mainwindow/frmmain.h")", false},
        {"tests/runs/test_driver.cpp", R"("mainwindow/frmmain.h")", false},
        {"tests/mainwindow/test_runs.cpp", R"("mainwindow/frmmain.h")", true},
        {"tests/mainwindow/test_runs.cpp", R"("tests/support/tempdir.h")", true},
        {"bench/bench_run.cpp", R"("mainwindow/frmmain.h")", true},
        {"fuzz/fuzz_readfile.cpp", R"("mainwindow/frmmain.h")", false},
        {"tests/orvane/test_id3v1.cpp", R"("orvane/id3v1.h")", true},
        {"tests/runs/test_driver.cpp", R"("tests/mainwindow/windowsandbox.h")", false},
        // A header of none of our folders is another library's; a quoted one is a slip.
        {"bench/bench_tags.cpp", "<taglib/tag.h>", true},
        {"engine/log.cpp", R"("log.h")", false},
        {"engine/log.cpp", R"("../settings/store.h")", false},
        {"engine/log.cpp", "<settings/store.h>", false},
        // Only the folders that the rules know are checked at all.
        {"scripts/tool.cpp", R"("engine/log.h")", false},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> why = violation(c.file, c.include);
        EXPECT_EQ(!why.has_value(), c.allowed)
            << c.file << " including " << c.include << ": " << why.value_or("allowed");
    }
}

TEST(IncludeRules, EveryPartHasSourceFilesAndUsesOnlyKnownParts) {
    std::map<std::string_view, int> filesPerPart;
    for (const std::string& file : sourceFiles()) {
        if (const auto part = partOf(file)) {
            ++filesPerPart[*part];
        }
    }
    for (const Part& part : kParts) {
        // A part without files is a folder or file that moved away from its rule.
        EXPECT_GT(filesPerPart[part.name], 0) << part.name << " matches no source file";
        for (const std::string_view used : part.uses) {
            EXPECT_TRUE(findPart(used)) << part.name << " uses " << used << ", no known part";
        }
    }
}

TEST(IncludeRules, ThePlatformCoreIsWhatItsLibraryBuilds) {
    // The sources of add_library(platform_core ...), as units.
    const std::string cmake = testsupport::readAll(kRoot + "/platform/CMakeLists.txt");
    const std::size_t start = cmake.find("add_library(platform_core");
    ASSERT_NE(start, std::string::npos);
    std::istringstream words(cmake.substr(start, cmake.find(')', start) - start));
    std::set<std::string> built;
    for (std::string word; words >> word;) {
        if (word.ends_with(".cpp")) {
            built.insert("platform/" + stemOf(word));
        }
    }
    ASSERT_FALSE(built.empty());

    // The units of the rules' platform_core: the library's sources, and headers without one.
    const Part* core = findPart("platform_core");
    ASSERT_TRUE(core);
    std::set<std::string> listed;
    for (const std::string_view unit : core->files) {
        if (std::filesystem::exists(kRoot + "/" + std::string(unit) + ".cpp")) {
            listed.insert(std::string(unit));
        } else {
            EXPECT_TRUE(std::filesystem::exists(kRoot + "/" + std::string(unit) + ".h")) << unit;
        }
    }
    EXPECT_EQ(listed, built);
}

TEST(Includes, EverySourceFileIncludesOnlyWhatItsPartMay) {
    const std::vector<std::string> files = sourceFiles();
    ASSERT_FALSE(files.empty()) << "no sources found below " << kRoot;
    for (const std::string& file : files) {
        for (const Include& include : includesOf(testsupport::readAll(kRoot + "/" + file))) {
            if (const auto why = violation(file, include.written)) {
                ADD_FAILURE_AT((kRoot + "/" + file).c_str(), include.line)
                    << file << ":" << include.line << ": " << *why;
            }
        }
    }
}

}  // namespace
