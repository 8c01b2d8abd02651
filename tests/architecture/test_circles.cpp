// Include circles inside the source tree: units (a header with its source file) that reach each
// other through their includes. A circle means neither side can be read, built or tested
// without the other; the layer rules of test_includes.cpp cannot see one inside a part.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/tempdir.h"

namespace {

namespace fs = std::filesystem;

using Unit = std::string;                      // a path from the source root without extension
using Graph = std::map<Unit, std::set<Unit>>;  // unit -> the units it includes
using Circle = std::set<Unit>;

const std::string kRoot = QUENZA_SOURCE_DIR;

// The circles that remain, each as the units it binds. The check fails on any circle not listed
// here and on a listed one that changed, so a circle cut is a row removed and a new one is
// noticed where it is made.
const std::set<Circle> kKnownCircles = {};

Unit unitOf(const fs::path& path) {
    fs::path unit = path;
    return unit.replace_extension().generic_string();
}

// The quoted includes of every source file that name a file of the tree, as unit arrows.
Graph includeGraph() {
    static const std::regex directive(R"re(^\s*#\s*include\s*"([^"]+)")re");
    Graph graph;
    for (const char* folder : {"platform", "media", "engine", "settings", "filelists", "runs",
                               "mainwindow", "orvane", "tests", "fuzz", "bench"}) {
        for (const auto& entry : fs::recursive_directory_iterator(kRoot + "/" + folder)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() ||
                (extension != ".h" && extension != ".cpp" && extension != ".def")) {
                continue;
            }
            const Unit from = unitOf(fs::relative(entry.path(), kRoot));
            std::istringstream lines(testsupport::readAll(entry.path().string()));
            for (std::string line; std::getline(lines, line);) {
                std::smatch match;
                if (std::regex_search(line, match, directive) &&
                    fs::exists(kRoot + "/" + match[1].str())) {
                    const Unit to = unitOf(match[1].str());
                    if (to != from) {
                        graph[from].insert(to);
                    }
                }
            }
        }
    }
    return graph;
}

// The strongly connected parts of the graph with more than one unit (Tarjan).
std::set<Circle> circlesOf(const Graph& graph) {
    std::map<Unit, int> index;
    std::map<Unit, int> low;
    std::vector<Unit> stack;
    std::set<Unit> onStack;
    std::set<Circle> circles;
    int next = 0;
    const std::function<void(const Unit&)> visit = [&](const Unit& unit) {
        index[unit] = low[unit] = next++;
        stack.push_back(unit);
        onStack.insert(unit);
        if (const auto arrows = graph.find(unit); arrows != graph.end()) {
            for (const Unit& to : arrows->second) {
                if (!index.contains(to)) {
                    visit(to);
                    low[unit] = std::min(low[unit], low[to]);
                } else if (onStack.contains(to)) {
                    low[unit] = std::min(low[unit], index[to]);
                }
            }
        }
        if (low[unit] == index[unit]) {
            Circle circle;
            Unit member;
            do {
                member = stack.back();
                stack.pop_back();
                onStack.erase(member);
                circle.insert(member);
            } while (member != unit);
            if (circle.size() > 1) {
                circles.insert(circle);
            }
        }
    };
    for (const auto& [unit, arrows] : graph) {
        if (!index.contains(unit)) {
            visit(unit);
        }
    }
    return circles;
}

std::string describe(const Circle& circle) {
    std::string text;
    for (const Unit& unit : circle) {
        text += (text.empty() ? "" : " <-> ") + unit;
    }
    return text;
}

TEST(IncludeCircles, AreFoundWhereverTheyClose) {
    struct Case {
        const char* what;
        Graph graph;
        std::set<Circle> circles;
    };
    const Case cases[] = {
        {"a chain", {{"a", {"b"}}, {"b", {"c"}}}, {}},
        {"two units", {{"a", {"b"}}, {"b", {"a"}}}, {{"a", "b"}}},
        {"a long way round",
         {{"a", {"b"}}, {"b", {"c"}}, {"c", {"a"}}, {"d", {"a"}}},
         {{"a", "b", "c"}}},
        {"two apart",
         {{"a", {"b"}}, {"b", {"a"}}, {"c", {"d"}}, {"d", {"c"}}},
         {{"a", "b"}, {"c", "d"}}},
        {"a diamond", {{"a", {"b", "c"}}, {"b", {"d"}}, {"c", {"d"}}}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(circlesOf(c.graph), c.circles) << c.what;
    }
}

TEST(IncludeCircles, OnlyTheKnownOnesRemain) {
    const std::set<Circle> found = circlesOf(includeGraph());
    for (const Circle& circle : found) {
        EXPECT_TRUE(kKnownCircles.contains(circle)) << "a new include circle: " << describe(circle);
    }
    for (const Circle& circle : kKnownCircles) {
        EXPECT_TRUE(found.contains(circle))
            << "this circle is gone or changed; update the list: " << describe(circle);
    }
}

}  // namespace
