#pragma once

#include "Application.h"

// Wraps a handler for connect(): an exception it throws is shown in the
// standard exception message box instead of unwinding through Qt, which does
// not carry exceptions through its event loop.
template <typename Object, typename... Args>
auto Guarded(Object* object, void (Object::*handler)(Args...)) {
    return [object, handler](Args... args) {
        try {
            (object->*handler)(args...);
        } catch (...) {
            Application::ShowCurrentException();
        }
    };
}

// The same for a callable without arguments (a signal's arguments are not passed to it).
template <typename Function>
auto Guarded(Function function) {
    return [function] {
        try {
            function();
        } catch (...) {
            Application::ShowCurrentException();
        }
    };
}
