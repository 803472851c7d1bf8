#pragma once

#include "Thread.h"
#include "Transformer.h"

#include <cstdint>
#include <memory>

class Canvas;
class ProgressBar;
class QAbstractButton;
struct TransformPage;

// Converts the image of one transform page on its own thread: reads the
// page's settings and pixels into red, green and blue planes, runs each plane
// through the tiled transform pipeline, optionally brings the planes back into
// 0..255, publishes the kept percentages, and writes the pixels back.
//
// Everything that touches a control, the page record or the bitmap happens in
// Prepare, ReadPixels, ReportProgress and WritePixels, which Execute runs on
// the GUI thread through Synchronize.
class TransformThread : public Thread {
    Q_OBJECT

public:
    // currentPage points at the window's record of its active page, which the
    // last step reads to set the Save and Convert buttons.
    TransformThread(bool createSuspended, TransformPage* page, QAbstractButton* convertButton,
                    QAbstractButton* saveButton, ::ProgressBar* progressBar,
                    TransformPage* const* currentPage);
    ~TransformThread() override;

    QAbstractButton* ConvertButton = nullptr;
    TransformPage* Page = nullptr;
    ::ProgressBar* ProgressBar = nullptr;
    QAbstractButton* SaveButton = nullptr;
    bool CorrectColors = false;
    bool GridOverlay = false;
    std::int32_t Size = 0;
    std::int32_t TileCount = 0;
    std::uint32_t Color = 0;
    std::uint32_t RedPart = 0;
    std::uint32_t GreenPart = 0;
    std::uint32_t BluePart = 0;
    double CurrentPercent = 0.0;
    double RedPercent = 0.0;
    double GreenPercent = 0.0;
    double BluePercent = 0.0;
    std::unique_ptr<Transformer> RedChannel;
    std::unique_ptr<Transformer> BlueChannel;
    std::unique_ptr<Transformer> GreenChannel;
    double ErrorFraction = 0.0;
    Canvas* BitmapCanvas = nullptr;

    // The figures the program shows, exactly: the error fraction of a track
    // bar position, the mean of the three channels, and the caption.
    static double ErrorFractionOf(int position);
    static double MeanOfChannels(double red, double green, double blue);
    static QString CompressCaption(double percent);

protected:
    void Execute() override;

private:
    void Prepare();
    void ReadPixels();
    void ReportProgress();
    void WritePixels();

    TransformPage* const* CurrentPage = nullptr;
};
