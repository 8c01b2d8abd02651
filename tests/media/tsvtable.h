// The tables of expected properties beside the real media files: tab-separated, a header line
// of column names, one line a file.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace mediatests {

using Row = std::map<std::string, std::string>;

inline std::vector<Row> readTsv(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<Row> rows;
    std::vector<std::string> names;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream split(line);
        std::string cell;
        while (std::getline(split, cell, '\t')) {
            cells.push_back(cell);
        }
        if (names.empty()) {
            names = cells;
            continue;
        }
        Row row;
        for (std::size_t i = 0; i < names.size() && i < cells.size(); ++i) {
            row[names[i]] = cells[i];
        }
        rows.push_back(row);
    }
    return rows;
}

inline bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace mediatests
