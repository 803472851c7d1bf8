#include "ConversionRunner.h"

#include "Application.h"
#include "ConversionCancelled.h"
#include "Dialogs.h"
#include "ImageView.h"
#include "ProgressBar.h"
#include "Threads.h"

#include <QApplication>
#include <QLabel>

#include <stdexcept>

ConversionRunner::ConversionRunner(TransformPages& pages, ProgressBar* progressBar,
                                   ConversionHost& host, QObject* parent)
    : QObject(parent), pages(pages), progressBar(progressBar), host(host) {}

ConversionRunner::~ConversionRunner() {
    // A conversion still running would write into pages that are about to go.
    StopAll();
    WaitUntilIdle();
    for (auto& page : pages) {
        delete page.Thread;
        page.Thread = nullptr;
    }
}

std::size_t ConversionRunner::IndexOf(const TransformPage& page) const {
    const auto index = static_cast<std::size_t>(&page - pages.data());
    if (index >= pages.size()) {
        throw std::invalid_argument("ConversionRunner: the page is not one of the window's");
    }
    return index;
}

int ConversionRunner::BusyCount() const {
    int busy = 0;
    for (const auto& page : pages) {
        busy += page.Busy ? 1 : 0;
    }
    return busy;
}

void ConversionRunner::Start(TransformPage& page, const QImage& picture) {
    // A finished worker of this page that was not collected yet goes first.
    if (page.Thread) {
        delete page.Thread;
        page.Thread = nullptr;
    }
    Before& kept = before[IndexOf(page)];
    kept.Picture = page.Image->Picture();
    kept.CompressCaption = page.CompressLabel->text();
    kept.CompressPosition = page.CompressBar->Position();
    kept.Unsaved = page.Unsaved;
    kept.NeedsReload = page.NeedsReload;
    kept.ShownGridPosition = page.ShownGridPosition;

    page.Image->SetPicture(picture);
    page.NeedsReload = false;
    page.Busy = true;

    auto worker = std::make_unique<TransformThread>(true, &page, progressBar, &host);
    worker->OnTerminate = [this](Thread* sender) {
        try {
            ThreadTerminated(sender);
        } catch (...) {
            Application::ShowCurrentException();
        }
    };
    connect(worker.get(), &TransformThread::Converted, this, &ConversionRunner::Converted);
    page.Thread = worker.release();
    page.Thread->Resume();
}

bool ConversionRunner::StopAllToClose(QWidget* parent) {
    if (!ConfirmStopAll(parent, 0)) {
        return false;
    }
    StopAll();
    WaitUntilIdle();
    return true;
}

bool ConversionRunner::ConfirmStopAll(QWidget* parent, int waiting) const {
    const int running = BusyCount();
    if (running == 0 && waiting == 0) {
        return true;
    }
    const auto conversions = [](int count) {
        return count == 1 ? QStringLiteral("1 conversion is")
                          : QStringLiteral("%1 conversions are").arg(count);
    };
    QString question;
    if (waiting == 0) {
        question = running == 1
                       ? QStringLiteral("1 conversion is still running. Stop it and close?")
                       : QStringLiteral("%1 still running. Stop them and close?")
                             .arg(conversions(running));
    } else if (running == 0) {
        question = QStringLiteral("%1 waiting for memory. Stop %2 and close?")
                       .arg(conversions(waiting),
                            waiting == 1 ? QStringLiteral("it") : QStringLiteral("them"));
    } else {
        question = QStringLiteral("%1 still running and %2 waiting for memory. Stop them and "
                                  "close?")
                       .arg(conversions(running))
                       .arg(waiting);
    }
    return Dialogs::Current().Question(parent, QApplication::applicationName(), question) ==
           Dialogs::Answer::Yes;
}

void ConversionRunner::Stop(TransformPage& page) {
    if (page.Busy && page.Thread) {
        page.Thread->Stop();
    }
}

void ConversionRunner::StopAll() {
    for (auto& page : pages) {
        Stop(page);
    }
}

void ConversionRunner::WaitUntilIdle() {
    while (AnyBusy()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void ConversionRunner::Restore(TransformPage& page) {
    Before& kept = before[IndexOf(page)];
    page.Image->SetPicture(kept.Picture);
    page.CompressLabel->setText(kept.CompressCaption);
    page.CompressBar->SetPosition(kept.CompressPosition);
    page.Unsaved = kept.Unsaved;
    page.NeedsReload = kept.NeedsReload;
    page.ShownGridPosition = kept.ShownGridPosition;
    kept = Before{};
    page.TabSheet->setCursor(Qt::ArrowCursor);
    page.Busy = false;
}

void ConversionRunner::ThreadTerminated(Thread* sender) {
    auto* worker = dynamic_cast<TransformThread*>(sender);
    TransformPage* ended = nullptr;
    QString failure;
    if (worker && worker->FatalException()) {
        ended = worker->Page;
        try {
            std::rethrow_exception(worker->FatalException());
        } catch (const ConversionCancelled&) {
        } catch (...) {
            failure = Application::ExceptionText(std::current_exception());
            // A failure that raced a stop request is still a stop.
            if (worker->Stopped()) {
                failure.clear();
            }
        }
        Restore(*ended);
    } else if (worker) {
        before[IndexOf(*worker->Page)] = Before{};
    }
    if (!AnyBusy()) {
        CollectWorkers();
    }
    // Last: a message box runs its own event loop, in which other workers may end.
    if (ended) {
        emit Ended(ended, failure);
    }
}

void ConversionRunner::CollectWorkers() {
    for (auto& page : pages) {
        if (page.Thread) {
            page.Thread->WaitFor();
            delete page.Thread;
            page.Thread = nullptr;
        }
    }
    progressBar->SetPosition(0);
    emit Collected();
}
