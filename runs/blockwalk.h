// The walk of the attribute and date runs over a long list. Acting on a file is a system call
// or two that the kernel serves as fast on a few threads at once as on one, so a long list is
// taken in blocks of items of one folder: a few threads act on one block while this thread
// reports the block before it item by item, in order (lines, counters, journal, log). A short
// list takes the items one at a time, as a plain loop would.
//
// A cancel is seen between items as they are reported, but the block being acted on meanwhile
// is changed already: it is still reported and journaled in full, and the walk ends after it.
// Nothing that changed goes unrecorded. Progress steps stop at the item after which the
// cancel was seen.
#pragma once

#include <QStringView>
#include <QtGlobal>

#include <cstddef>
#include <functional>

namespace runs {

struct RunContext;

// The most items one block holds. Two blocks are under way at once (one acted on, one
// reported).
constexpr std::size_t kWalkBlock = 2048;
// How many slots an executor keeps for a walk of `count` items: the walk's slot numbers stay
// below it.
std::size_t walkSlots(qsizetype count);

struct BlockSteps {
    // The folder part of item i: the items of one block share it, and with it the open folder
    // handle their preparation found.
    std::function<QStringView(qsizetype item)> folderOf;
    // This thread, in order, for every item of a block before any is acted on.
    std::function<void(qsizetype item, std::size_t slot)> prepare;
    // The disk work of the slots [from, to), on one of a few threads: it reads and writes only
    // those slots and what no other step changes, and throws nothing.
    std::function<void(std::size_t from, std::size_t to)> act;
    // This thread, in order, after the item's block was acted on.
    std::function<void(qsizetype item, std::size_t slot)> report;
};

// Walks the items [0, count); false when a cancel ended the walk.
bool walkInBlocks(RunContext& ctx, qsizetype count, const BlockSteps& steps);

}  // namespace runs
