#include "Application.h"

#include "Dialogs.h"

#include <new>

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
    }
    return false;
}

void Application::ShowCurrentException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        ShowException(QStringLiteral("Not enough memory."));
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowException(QStringLiteral("Unknown error."));
    }
}

void Application::ShowException(const std::exception& error) {
    ShowException(QString::fromLocal8Bit(error.what()));
}

void Application::ShowException(const QString& message) {
    Dialogs::Current().Message(QApplication::activeWindow(), QApplication::applicationName(),
                               message);
}
