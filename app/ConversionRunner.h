#pragma once

#include "TransformPage.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <array>
#include <memory>

class ConversionHost;
class ProgressBar;
class QWidget;
class Thread;
struct ConversionResult;

// The life of the pages' conversions: starting a page's worker, stopping it, collecting the
// workers once no page is busy, and waiting for them all to end. Everything here runs on the GUI
// thread; the workers reach the pages only through their synchronised steps (see
// TransformThread).
//
// A conversion that is stopped, or that fails, leaves its page as it was before it started: the
// picture, the captions and bars, the flags. So nothing the page held is lost.
class ConversionRunner : public QObject {
    Q_OBJECT

public:
    // The progress bar is the one the workers drive; host is the window they convert for.
    ConversionRunner(TransformPages& pages, ProgressBar* progressBar, ConversionHost& host,
                     QObject* parent = nullptr);
    ~ConversionRunner() override;

    // Shows picture on the page and converts it there. The page is busy from here on, so it
    // can never get a second worker, and no other page's end collects this one before it ran.
    // The caller then sets the commands from the new state.
    void Start(TransformPage& page, const QImage& picture);
    // Asks the page's conversion to end; it does between two tiles, and the page returns to
    // what it showed before Start.
    void Stop(TransformPage& page);
    void StopAll();

    int BusyCount() const;
    // Before the window closes: asks whether to stop the running conversions, if any, and stops
    // them. Returns false when the user would rather keep them, true once none runs.
    bool StopAllToClose(QWidget* parent);
    // The question alone, counting also waiting conversions not started yet (ConversionQueue):
    // true when none runs or waits, or when the user agrees to stop them.
    bool ConfirmStopAll(QWidget* parent, int waiting) const;
    bool AnyBusy() const { return BusyCount() > 0; }
    // Runs the event loop until no page is busy: a worker may be waiting for the GUI thread in
    // one of its steps, so blocking here instead would never end.
    void WaitUntilIdle();

    // Every worker's OnTerminate, on the GUI thread once its Execute has returned.
    void ThreadTerminated(Thread* sender);

signals:
    // A page's worker wrote its result; emitted inside the worker's last step.
    void Converted(TransformPage* page, std::shared_ptr<const ConversionResult> result);
    // A conversion ended without a result: asked to stop (failure empty), or failed. The page
    // shows again what it showed before.
    void Ended(TransformPage* page, const QString& failure);
    // No page is busy any more and every worker has been collected.
    void Collected();

private:
    // What a page showed before its conversion started.
    struct Before {
        QImage Picture;
        QString CompressCaption;
        int CompressPosition = 0;
        bool Unsaved = false;
        bool NeedsReload = false;
        int ShownGridPosition = 1;
    };

    std::size_t IndexOf(const TransformPage& page) const;
    void Restore(TransformPage& page);
    void CollectWorkers();

    TransformPages& pages;
    std::array<Before, TransformKindCount> before;
    ProgressBar* progressBar;
    ConversionHost& host;
};
