// The trees of the torture test (test_torture.cpp): random trees of hostile entries, the
// things beside them, and snapshots of every entry that a run or an undo could change.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>

namespace torture {

using Rng = std::mt19937_64;

inline int pick(Rng& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}
inline bool chance(Rng& rng, double p) {
    return std::bernoulli_distribution(p)(rng);
}
template <class T, std::size_t N>
const T& oneOf(Rng& rng, const T (&items)[N]) {
    return items[static_cast<std::size_t>(pick(rng, 0, static_cast<int>(N) - 1))];
}

// What a run or an undo could change of one entry, read without following a link, without
// moving a time and without reading through a FIFO.
struct Entry {
    char kind = '?';  // d directory, f file, l link, p FIFO, o other
    ino_t inode = 0;
    nlink_t links = 0;  // 0 for a folder: it counts the sub-folders, which show themselves
    unsigned mode = 0;
    std::string stored;   // the stored DOS attribute's bytes, "-" when there is none
    std::string content;  // hash of a file's bytes; a link's target
    std::int64_t accessedNs = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;  // beside the tree only: any chmod, setxattr or utimensat moves it

    bool operator==(const Entry&) const = default;
};
using Snapshot = std::map<std::string, Entry>;  // relative path (bytes) -> entry

// Every entry below `root`. Beside the tree the change times and the folders' times count too.
Snapshot snapshot(const std::string& root, bool besideTree = false);

// Reading a file (the media tokens, the type detection, the tag library) moves its access time
// to the present, which no undo can take back. Called when a round starts: from then on an
// access time that moved from before into the round counts as a read, not as a change.
void markRoundStart();

// What differs between two snapshots, one line per path (empty when they are equal); paths
// for which `ignored` says true are left out.
std::string differences(const Snapshot& expected, const Snapshot& actual,
                        const std::function<bool(const std::string&)>& ignored = {});

// The regular files by inode with their content: what no run may lose or duplicate.
std::map<ino_t, std::string> contents(const Snapshot& tree);

// Bytes as C escapes where they are not printable ASCII.
std::string printable(const std::string& bytes);
bool isAtOrBelow(const std::string& path, const std::string& top);
bool exists(const std::string& path);

// Fills the folder `root` with a random tree: nested folders; names that are not UTF-8,
// Latin-1, both Unicode forms, control characters, a leading "-", 250 bytes and more,
// case-only twins; files of random bytes, small MPEG audio files and pictures, with stored
// attributes, odd permissions and times to the nanosecond; links to files, to folders, into
// `outside`, to nothing and to themselves; hard links; a FIFO.
void buildTree(Rng& rng, const std::string& root, const std::string& outside);

// Creates `outside`: a file and a folder "victim" with a few files that links point to.
void buildOutside(const std::string& outside);

}  // namespace torture
