// The walk of the attribute and date runs over a long list. Acting on a file is a system call
// or two that the kernel serves as fast on a few threads at once as one, so a long list is
// taken in blocks of items of one folder: each block is acted on by a few threads, and its
// items are then reported one by one, in their order, on this thread (lines, counters,
// journal). A short list, and a block of one, take the items one at a time as a plain loop
// would.
//
// A cancel is seen between blocks: the items of a block were all acted on before the first of
// them is reported, so every one of them is reported and journaled, and the walk ends after
// the block. Progress steps stop at the item after which the cancel was seen.
#pragma once

#include <QStringView>
#include <QtGlobal>

#include <cstddef>
#include <functional>

namespace runs {

struct RunContext;

// The most items one block holds; an executor keeps this many slots of its own.
constexpr std::size_t kWalkBlock = 4096;

struct BlockSteps {
    // The folder part of item i: the items of one block share it, and with it the open folder
    // handle their preparation found.
    std::function<QStringView(qsizetype item)> folderOf;
    // This thread, in order, for every item of a block before any is acted on.
    std::function<void(qsizetype item, std::size_t slot)> prepare;
    // The disk work of the slots [from, to) of the block, on one of a few threads: it reads and
    // writes only its own slots and what no other step changes, and throws nothing.
    std::function<void(std::size_t from, std::size_t to)> act;
    // This thread, in order, after the block was acted on.
    std::function<void(qsizetype item, std::size_t slot)> report;
};

// Walks the items [0, count); false when a cancel ended the walk.
bool walkInBlocks(RunContext& ctx, qsizetype count, const BlockSteps& steps);

}  // namespace runs
