#pragma once

#include <QApplication>

#include <exception>

// The application object. Handlers catch their own exceptions (see
// Guarded); notify() is the last net for one that escapes anyway.
class Application : public QApplication {
    Q_OBJECT

public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The standard exception message box: the application's title and the
    // exception's message.
    static void ShowException(const std::exception& error);
    static void ShowException(const QString& message);
    // Shows the exception being handled; call it inside a catch block.
    static void ShowCurrentException();
    // What an exception says, in words for the user ("not enough memory").
    static QString ExceptionText(const std::exception_ptr& error);

    // Moves a shown window, frame and all, to the centre of its screen.
    static void CentreOnScreen(QWidget& window);
};
