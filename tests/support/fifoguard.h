// Runs a call that must never open a FIFO. Opening one, to read or to write, blocks until the
// other end opens; so the call runs on a thread, and when it has not returned in time the other
// end is opened, again and again, to free it, and the test fails quickly instead of stalling
// the suite.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// Whether `call` returned within a few seconds while `fifo` lay in its way. `callWrites` says
// which end the call would block on, so that the opposite one is opened to free it.
inline bool returnsWithoutHangingOn(const std::string& fifo, bool callWrites,
                                    const std::function<void()>& call) {
    std::promise<void> done;
    auto finished = done.get_future();
    std::thread worker([&] {
        call();
        done.set_value();
    });
    if (finished.wait_for(std::chrono::seconds(5)) == std::future_status::ready) {
        worker.join();
        return true;
    }
    // A blocked call may open the FIFO again once freed. A writer's end closes at once, so a
    // blocked read meets the end of the file; a reader's end stays open until the call is done.
    std::vector<int> readers;
    for (int attempt = 0;
         finished.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready; ++attempt) {
        if (attempt == 400) {
            std::fprintf(stderr, "a call stays blocked on the FIFO %s\n", fifo.c_str());
            std::abort();
        }
        const int fd = ::open(fifo.c_str(), (callWrites ? O_RDONLY : O_WRONLY) | O_NONBLOCK);
        if (fd >= 0 && callWrites) {
            readers.push_back(fd);
        } else if (fd >= 0) {
            ::close(fd);
        }
    }
    worker.join();
    for (const int fd : readers) {
        ::close(fd);
    }
    return false;
}

}  // namespace testsupport
