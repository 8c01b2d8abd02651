#include "runs/blockwalk.h"

#include <algorithm>

#include "engine/log.h"
#include "platform/stretches.h"
#include "runs/executors.h"
#include "runs/rename.h"
#include "runs/runstate.h"

namespace runs {

namespace {

// Below this many items the walk goes item by item: a block pays for its threads, and a
// short run is over before that pays off.
constexpr qsizetype kShortWalk = 256;
// Threads are worth starting for this many items each; past four threads the kernel's own
// locks on one folder give nothing more.
constexpr std::size_t kItemsPerThread = 64;
constexpr unsigned kMostThreads = 4;

bool walkItemByItem(RunContext& ctx, qsizetype count, const BlockSteps& steps) {
    for (qsizetype i = 0; i < count; ++i) {
        steps.prepare(i, 0);
        steps.act(0, 1);
        steps.report(i, 0);
        if (ctx.state.cancelRequested) {
            return false;
        }
        updateProgress(ctx);
    }
    return true;
}

}  // namespace

bool walkInBlocks(RunContext& ctx, qsizetype count, const BlockSteps& steps) {
    if (count < kShortWalk) {
        return walkItemByItem(ctx, count, steps);
    }
    for (qsizetype from = 0; from < count;) {
        if (ctx.state.cancelRequested) {
            return false;  // seen in the last step of the block before
        }
        const QStringView folder = steps.folderOf(from);
        qsizetype to = from + 1;
        while (to < count && to - from < static_cast<qsizetype>(kWalkBlock) &&
               steps.folderOf(to) == folder) {
            ++to;
        }
        const auto size = static_cast<std::size_t>(to - from);
        for (qsizetype i = from; i < to; ++i) {
            steps.prepare(i, static_cast<std::size_t>(i - from));
        }
        platform::forEachStretch(size, kItemsPerThread, kMostThreads, steps.act);
        // The block's lines reach log.txt with one write, right after its changes.
        const engine::RunLogBatch batch;
        bool cancelled = false;
        for (qsizetype i = from; i < to; ++i) {
            steps.report(i, static_cast<std::size_t>(i - from));
            cancelled = cancelled || ctx.state.cancelRequested;
            if (!cancelled) {
                updateProgress(ctx);
            }
        }
        if (cancelled) {
            return false;
        }
        from = to;
    }
    return true;
}

}  // namespace runs
