#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace kavinto {

// Calls task(i) for every i below `count`, on as many threads as the
// processor runs, the calling one among them; returns when all are done.
// Where a thread cannot be started, fewer do the same work. The first
// exception a task throws stops the tasks not yet begun and is thrown here.
template <typename Task>
void forEachInParallel(std::size_t count, const Task& task) {
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto work = [&] {
        for (std::size_t i; (i = next++) < count;) {
            try {
                task(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
                next = count;
            }
        }
    };
    std::vector<std::thread> helpers;
    const std::size_t threads =
        std::min<std::size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
    try {
        for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    work();
    for (std::thread& h : helpers) h.join();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace kavinto
