#include "Dialogs.h"

#include "QtDialogs.h"

namespace {

std::unique_ptr<Dialogs>& Installed() {
    static std::unique_ptr<Dialogs> dialogs = std::make_unique<QtDialogs>();
    return dialogs;
}

} // namespace

Dialogs& Dialogs::Current() {
    return *Installed();
}

std::unique_ptr<Dialogs> Dialogs::Install(std::unique_ptr<Dialogs> dialogs) {
    Installed().swap(dialogs);
    return dialogs;
}
