#include "runs/blockwalk.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/log.h"
#include "platform/stretches.h"
#include "runs/executors.h"
#include "runs/rename.h"
#include "runs/runstate.h"

namespace runs {

namespace {

// Below this many items the walk goes item by item: threads pay off only over many items.
constexpr qsizetype kShortWalk = 256;
// The threads take a block's items in runs of this many; past four threads the kernel's own
// locks on one folder give nothing more.
constexpr std::size_t kItemsPerTake = 64;
constexpr unsigned kMostThreads = 4;

// A few threads kept for one walk, acting on one block at a time while the walk reports the
// block before it. Without threads to be had, start() does the work itself.
class Team {
public:
    Team() {
        const unsigned count = std::min(platform::coreCount(), kMostThreads);
        for (unsigned i = 0; i < count; ++i) {
            try {
                threads_.emplace_back([this] { serve(); });
            } catch (const std::system_error&) {
                break;
            }
        }
    }
    ~Team() {
        wait();
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }
    Team(const Team&) = delete;
    Team& operator=(const Team&) = delete;

    // Has act(from, to) called over [0, size) in runs, offset by `offset`, and returns at once.
    void start(const std::function<void(std::size_t, std::size_t)>& act, std::size_t offset,
               std::size_t size) {
        if (threads_.empty()) {
            act(offset, offset + size);
            return;
        }
        {
            const std::lock_guard lock(mutex_);
            act_ = &act;
            offset_ = offset;
            size_ = size;
            next_.store(0);
            busy_ = static_cast<unsigned>(threads_.size());
            ++generation_;
        }
        wake_.notify_all();
    }

    // Until the work started last is done; the calling thread takes runs of it meanwhile.
    void wait() {
        if (act_ != nullptr) {
            take(*act_, offset_, size_);
        }
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return busy_ == 0; });
    }

private:
    void serve() {
        std::uint64_t seen = 0;
        for (;;) {
            const std::function<void(std::size_t, std::size_t)>* act = nullptr;
            std::size_t offset = 0;
            std::size_t size = 0;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
                if (stopping_) {
                    return;
                }
                seen = generation_;
                act = act_;
                offset = offset_;
                size = size_;
            }
            take(*act, offset, size);
            {
                const std::lock_guard lock(mutex_);
                --busy_;
            }
            done_.notify_all();
        }
    }

    // Acts on runs of the work until none is left.
    void take(const std::function<void(std::size_t, std::size_t)>& act, std::size_t offset,
              std::size_t size) {
        for (std::size_t from = next_.fetch_add(kItemsPerTake); from < size;
             from = next_.fetch_add(kItemsPerTake)) {
            act(offset + from, offset + std::min(size, from + kItemsPerTake));
        }
    }

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    const std::function<void(std::size_t, std::size_t)>* act_ = nullptr;
    std::size_t offset_ = 0;
    std::size_t size_ = 0;
    std::atomic<std::size_t> next_{0};
    unsigned busy_ = 0;
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
};

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

// The items [from, to) of one folder, at the slots from `offset` on.
struct Block {
    qsizetype from = 0;
    qsizetype to = 0;
    std::size_t offset = 0;
    std::size_t size() const { return static_cast<std::size_t>(to - from); }
};

Block blockFrom(const BlockSteps& steps, qsizetype from, qsizetype count, std::size_t offset) {
    const QStringView folder = steps.folderOf(from);
    qsizetype to = from + 1;
    while (to < count && to - from < static_cast<qsizetype>(kWalkBlock) &&
           steps.folderOf(to) == folder) {
        ++to;
    }
    return {from, to, offset};
}

void prepareBlock(const BlockSteps& steps, const Block& block) {
    for (qsizetype i = block.from; i < block.to; ++i) {
        steps.prepare(i, block.offset + static_cast<std::size_t>(i - block.from));
    }
}

// Reports the block's items; progress steps until a cancel is seen. False when one was.
bool reportBlock(RunContext& ctx, const BlockSteps& steps, const Block& block, bool stepping) {
    // The block's lines reach log.txt with one write, right after its changes.
    const engine::RunLogBatch batch;
    for (qsizetype i = block.from; i < block.to; ++i) {
        steps.report(i, block.offset + static_cast<std::size_t>(i - block.from));
        stepping = stepping && !ctx.state.cancelRequested;
        if (stepping) {
            updateProgress(ctx);
        }
    }
    return stepping;
}

// A block never holds more items than the list: the two blocks under way take the halves of
// the slots.
std::size_t halfOfSlots(qsizetype count) {
    return std::min(static_cast<std::size_t>(count), kWalkBlock);
}

}  // namespace

std::size_t walkSlots(qsizetype count) {
    return count <= 0 ? 0 : count < kShortWalk ? 1 : 2 * halfOfSlots(count);
}

bool walkInBlocks(RunContext& ctx, qsizetype count, const BlockSteps& steps) {
    if (count < kShortWalk) {
        return walkItemByItem(ctx, count, steps);
    }
    Team team;
    Block current = blockFrom(steps, 0, count, 0);
    prepareBlock(steps, current);
    team.start(steps.act, current.offset, current.size());
    for (;;) {
        team.wait();
        // The next block is acted on while this one is reported, unless the run is over.
        const bool more = current.to < count && !ctx.state.cancelRequested;
        Block next;
        if (more) {
            next = blockFrom(steps, current.to, count, halfOfSlots(count) - current.offset);
            prepareBlock(steps, next);
            team.start(steps.act, next.offset, next.size());
        }
        const bool going = reportBlock(ctx, steps, current, true) && !ctx.state.cancelRequested;
        if (!more) {
            return going;
        }
        if (!going) {
            // Changed already: it is reported in full, without steps, and ends the walk.
            team.wait();
            reportBlock(ctx, steps, next, false);
            return false;
        }
        current = next;
    }
}

}  // namespace runs
