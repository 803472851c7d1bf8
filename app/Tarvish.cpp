#include "Application.h"
#include "TMainWindow.h"

#include <exception>

int main(int argc, char** argv) {
    Application application(argc, argv);
    Application::setApplicationName(QStringLiteral("Tarvish"));
    try {
        TMainWindow MainWindow;
        MainWindow.show();
        return Application::exec();
    } catch (const std::exception& error) {
        // Start-up failed (no memory for the window): say so, and say it failed.
        Application::ShowException(error);
        return 1;
    }
}
