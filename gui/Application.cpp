#include "Application.h"

#include "Dialogs.h"

#include <QScreen>
#include <QWidget>

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
    ShowException(ExceptionText(std::current_exception()));
}

QString Application::ExceptionText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("not enough memory");
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
}

void Application::ShowException(const std::exception& error) {
    ShowException(QString::fromLocal8Bit(error.what()));
}

void Application::ShowException(const QString& message) {
    Dialogs::Current().Message(QApplication::activeWindow(), QApplication::applicationName(),
                               message);
}

void Application::CentreOnScreen(QWidget& window) {
    if (const QScreen* screen = window.screen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
}
