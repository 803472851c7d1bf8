#include "Thread.h"

#include <QCoreApplication>
#include <QThread>

Thread::Thread() : thread(QThread::create([this] { Run(); })) {
    connect(thread.get(), &QThread::finished, this, &Thread::DeliverTerminate,
            Qt::QueuedConnection);
}

Thread::~Thread() {
    if (thread->isRunning()) {
        thread->wait();
    }
}

void Thread::Resume() {
    thread->start();
}

void Thread::WaitFor() {
    thread->wait();
}

void Thread::Run() {
    // Nothing may escape a thread's run function; the owner asks afterwards.
    try {
        Execute();
    } catch (...) {
        fatalException = std::current_exception();
    }
}

void Thread::DeliverTerminate() {
    // The handler may destroy this object, and with it OnTerminate: run a copy.
    if (const auto handler = OnTerminate) {
        handler(this);
    }
}

void Thread::Synchronize(const std::function<void()>& method) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        method();
        return;
    }
    // Exceptions must not cross Qt's event loop: carry them back by hand.
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        app,
        [&] {
            try {
                method();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure) {
        std::rethrow_exception(failure);
    }
}
