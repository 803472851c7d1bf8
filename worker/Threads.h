#pragma once

#include "ConversionResult.h"
#include "PageConversion.h"
#include "Thread.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class Canvas;
class ConversionHost;
class ProgressBar;
struct TransformPage;

// Converts the image of one transform page on its own thread: reads the
// page's settings and pixels into red, green and blue planes, runs them
// through the conversion core (PageConversion), publishes the kept
// percentages, and writes the pixels back.
//
// The contract between this worker and the window, relied on everywhere below:
// - Execute runs on the worker's thread and touches no widget, no page flag and
//   no bitmap. Everything that does happens in Prepare, ReadPixels,
//   ReportProgress and WritePixels, which Execute runs on the GUI thread
//   through Synchronize; the worker waits in Synchronize while they run, so
//   that waiting orders every hand-over (settings, planes, percentages,
//   pixels) and no lock is needed.
// - The planes, the conversion and the extra transform objects belong to the
//   worker alone. Of the page it reads only Transform and TwoDimensional
//   outside the synchronised steps; both are fixed while the page is Busy.
// - WritePixels is the last step that waits on the GUI thread. It clears the
//   page's Busy flag, and from then on the window may collect this worker:
//   CollectWorkers blocks the GUI thread in WaitFor until the thread has
//   ended, so a Synchronize after WritePixels would wait for a GUI thread that
//   waits for it, a deadlock. The result therefore reaches the window inside
//   WritePixels (the Converted signal), and Execute returns right after it.
// - The steps change the page's state and then ask the host (the window) to set
//   the commands from it; the worker writes no button itself.
// - Stop may be called from the GUI thread at any time; the core sees it
//   between tiles and Execute ends with ConversionCancelled before WritePixels.
class TransformThread : public Thread {
    Q_OBJECT

public:
    // host is asked for the commands' state by the first and the last step; it outlives the
    // worker.
    TransformThread(bool createSuspended, TransformPage* page, ::ProgressBar* progressBar,
                    ConversionHost* host);
    ~TransformThread() override;

    TransformPage* Page = nullptr;
    ::ProgressBar* ProgressBar = nullptr;
    bool CorrectColors = false;
    bool GridOverlay = false;
    std::int32_t Size = 0;
    std::int32_t TileCount = 0;
    // The pixel loops' scratch, kept as specified: after each pixel step they hold the last
    // pixel read or composed. Nothing in the program reads them.
    std::uint32_t Color = 0;
    std::uint32_t RedPart = 0;
    std::uint32_t GreenPart = 0;
    std::uint32_t BluePart = 0;
    double CurrentPercent = 0.0;
    double RedPercent = 0.0;
    double GreenPercent = 0.0;
    double BluePercent = 0.0;
    double ErrorFraction = 0.0;
    // The track bar position ErrorFraction was formed from, which the result reports; under
    // the kept-share rule the share to keep.
    double ErrorPercent = 0.0;
    // The window's transform options when Prepare ran.
    TransformOptions Options;
    Canvas* BitmapCanvas = nullptr;
    // The size of the page's bitmap when Prepare ran; its part inside the
    // square is what the conversion replaces and measures.
    std::int32_t BitmapWidth = 0;
    std::int32_t BitmapHeight = 0;
    // The three planes and everything computed from them; freed once the
    // pixels are written.
    std::unique_ptr<PageConversion> Conversion;
    // What the conversion produced, the region's new pixels included (without the grid the page
    // may draw over them); set before WritePixels, which hands it to the window.
    std::shared_ptr<ConversionResult> Result;

    // Asks the conversion to end early; safe from any thread.
    void Stop() { stopRequested = true; }
    bool Stopped() const { return stopRequested; }

    // The figures the program shows, exactly: the error fraction of a track
    // bar position, the mean of the three channels, and the caption.
    static double ErrorFractionOf(int position);
    static double MeanOfChannels(double red, double green, double blue);
    static QString CompressCaption(double percent);

signals:
    // Emitted on the GUI thread inside WritePixels, once the page shows the
    // result and is idle again.
    void Converted(TransformPage* page, std::shared_ptr<const ConversionResult> result);

protected:
    void Execute() override;

private:
    void Prepare();
    void ReadPixels();
    void ReportProgress();
    void WritePixels();

    ConversionHost* host = nullptr;
    std::atomic<bool> stopRequested{false};
};
