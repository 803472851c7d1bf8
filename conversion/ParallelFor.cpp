#include "ParallelFor.h"

#include "ConversionCancelled.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

void ParallelFor(std::size_t count, std::size_t workers,
                 const std::function<void(std::size_t, std::size_t)>& task,
                 const std::atomic<bool>* cancel) {
    if (count == 0) {
        return;
    }
    workers = std::clamp<std::size_t>(workers, 1, count);
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::mutex failureMutex;

    const auto work = [&](std::size_t worker) {
        while (!failed.load(std::memory_order_relaxed)) {
            if (cancel && cancel->load(std::memory_order_relaxed)) {
                return;
            }
            const std::size_t index = next.fetch_add(1, std::memory_order_relaxed);
            if (index >= count) {
                return;
            }
            try {
                task(index, worker);
                done.fetch_add(1, std::memory_order_relaxed);
            } catch (...) {
                std::lock_guard lock(failureMutex);
                if (!failure) {
                    failure = std::current_exception();
                }
                failed = true;
            }
        }
    };

    std::vector<std::jthread> threads;
    threads.reserve(workers - 1);
    try {
        for (std::size_t w = 1; w < workers; ++w) {
            threads.emplace_back(work, w);
        }
    } catch (...) {
        // No thread to spare: the threads already started and this one do the work.
    }
    work(0);
    threads.clear();

    if (failure) {
        std::rethrow_exception(failure);
    }
    if (done.load() < count) {
        throw ConversionCancelled();
    }
}

std::size_t HardwareThreads() {
    return std::max(1u, std::thread::hardware_concurrency());
}
