// The two sources of the rows a run works on: the Directory list (the working folder as read)
// and the Free Select list (files and folders gathered by hand). Per-source arrays (work lists,
// list views, image lists) are indexed by sourceIndex.
#pragma once

namespace filelists {

enum class Source { Directory = 0, FreeSelect = 1 };

constexpr int sourceIndex(Source source) {
    return source == Source::FreeSelect ? 1 : 0;
}

}  // namespace filelists
