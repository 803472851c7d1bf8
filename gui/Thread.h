#pragma once

#include <QObject>

#include <exception>
#include <functional>
#include <memory>

class QThread;

// A worker thread in the manner the program's conversions need: created
// suspended, started by Resume, Execute runs on its own thread, Synchronize
// runs a step on the GUI thread and waits for it, and OnTerminate runs on the
// GUI thread after Execute has returned.
//
// The object lives on the GUI thread and is destroyed there, only once its
// thread has ended. This destructor waits for the end, but it runs after a
// derived class's members are gone: a derived class whose Execute uses its own
// members calls WaitFor in its own destructor.
class Thread : public QObject {
    Q_OBJECT

public:
    Thread();
    ~Thread() override;

    void Resume();
    // Blocks until Execute has returned and the thread has ended.
    void WaitFor();

    // Whatever Execute threw, or null.
    std::exception_ptr FatalException() const { return fatalException; }

    // Runs on the GUI thread once Execute has returned. The handler may
    // destroy this object.
    std::function<void(Thread*)> OnTerminate;

protected:
    virtual void Execute() = 0;

    // Runs method on the GUI thread and returns when it has; an exception it
    // throws is thrown here, on the calling thread.
    void Synchronize(const std::function<void()>& method);

private:
    void Run();
    void DeliverTerminate();

    std::unique_ptr<QThread> thread;
    std::exception_ptr fatalException;
};
