#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

// Runs task(index, worker) once for every index in [0, count) on `workers` threads: the calling
// thread is worker 0, the others are started for the call and joined before it returns. Indexes
// are handed out in ascending order as threads become free, so the work balances itself; a task
// must not depend on the order in which indexes finish. Each worker number is used by one
// thread only, so per-worker state needs no lock.
//
// Stops handing out indexes once cancel is set (checked before every index) or a task throws;
// after every thread has stopped it rethrows the first exception, or throws ConversionCancelled
// when an index was left undone.
// workers is clamped to 1..count.
void ParallelFor(std::size_t count, std::size_t workers,
                 const std::function<void(std::size_t index, std::size_t worker)>& task,
                 const std::atomic<bool>* cancel = nullptr);

// The number of threads that run at once on this machine, at least 1.
std::size_t HardwareThreads();
