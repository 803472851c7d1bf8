#pragma once

#include "Transform.h"

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>

// A transform whose Forward fails with the given message.
class ThrowingTransform : public Transform {
public:
    explicit ThrowingTransform(std::string message) : message(std::move(message)) {}
    void Forward(double*, std::uint32_t) override { throw std::runtime_error(message); }
    void Inverse(double*, std::uint32_t) override {}

private:
    std::string message;
};

// A transform whose Forward waits until released, to hold a conversion open.
class BlockingTransform : public Transform {
public:
    void Forward(double*, std::uint32_t) override {
        std::unique_lock lock(mutex);
        started = true;
        released.wait(lock, [this] { return open; });
    }
    void Inverse(double*, std::uint32_t) override {}
    void Release() {
        std::lock_guard lock(mutex);
        open = true;
        released.notify_all();
    }
    bool Started() {
        std::lock_guard lock(mutex);
        return started;
    }
    ~BlockingTransform() override { Release(); }

private:
    std::mutex mutex;
    std::condition_variable released;
    bool open = false;
    bool started = false;
};
