#pragma once

#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <future>
#include <utility>

// Runs work on a thread of its own with the GIL released, so that other Python threads run
// meanwhile, and looks for Ctrl+C every 50 ms: a KeyboardInterrupt sets cancel, which the
// conversion core checks between tiles, and comes out once work has stopped.
template <typename Work>
auto RunInterruptibly(std::atomic<bool>& cancel, Work work) -> decltype(work()) {
    auto running = std::async(std::launch::async, std::move(work));
    while (true) {
        std::future_status status;
        {
            const pybind11::gil_scoped_release released;
            status = running.wait_for(std::chrono::milliseconds(50));
        }
        if (status == std::future_status::ready) {
            return running.get();
        }
        if (PyErr_CheckSignals() != 0) {
            cancel = true;
            {
                const pybind11::gil_scoped_release released;
                running.wait();
            }
            throw pybind11::error_already_set();
        }
    }
}
