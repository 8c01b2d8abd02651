// Work over a long range split into stretches on a few threads at once: each thread takes its
// own stretch, so results written by index keep their order. Free of Qt.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {

// The cores the machine has, at least 1. Asked once: the answer comes from a file under /sys,
// so callers ask only once work proves long enough to share out.
inline unsigned coreCount() {
    static const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
    return cores;
}

// Calls `stretch(from, to)` for stretches that together cover [0, total): on one thread when
// the range is short (below two stretches of `perThread`), else on up to `mostThreads`
// threads (the cores the machine has at the most).
inline void forEachStretch(std::size_t total, std::size_t perThread, unsigned mostThreads,
                           const std::function<void(std::size_t, std::size_t)>& stretch) {
    // Short ranges first: asking for the cores reads a file under /sys, which would cost a
    // folder of one entry more than listing it.
    if (perThread == 0 || total / perThread <= 1) {
        stretch(0, total);
        return;
    }
    const std::size_t threads =
        std::min<std::size_t>({coreCount(), mostThreads, total / perThread});
    if (threads <= 1) {
        stretch(0, total);
        return;
    }
    std::vector<std::thread> helpers;
    helpers.reserve(threads - 1);
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(stretch, total * t / threads, total * (t + 1) / threads);
        } catch (const std::system_error&) {
            // No thread to be had: this thread takes that stretch itself.
            stretch(total * t / threads, total * (t + 1) / threads);
        }
    }
    stretch(0, total / threads);
    for (std::thread& helper : helpers) {
        helper.join();
    }
}

}  // namespace platform
