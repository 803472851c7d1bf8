#include "Threads.h"

#include "ColorCorrector.h"
#include "ImageView.h"
#include "PixelTransfer.h"
#include "ProgressBar.h"
#include "TileGrid.h"
#include "TransformPage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QSlider>

#include <cmath>
#include <cstdio>

TransformThread::TransformThread(bool createSuspended, TransformPage* page,
                                 QAbstractButton* convertButton, QAbstractButton* saveButton,
                                 ::ProgressBar* progressBar, TransformPage* const* currentPage)
    : ConvertButton(convertButton), Page(page), ProgressBar(progressBar), SaveButton(saveButton),
      CurrentPage(currentPage) {
    if (!createSuspended)
        Resume();
}

TransformThread::~TransformThread() {
    // The thread must be over before the planes it works on go.
    WaitFor();
    RedChannel.reset();
    GreenChannel.reset();
    BlueChannel.reset();
}

double TransformThread::ErrorFractionOf(int position) {
    // Formed in extended precision with the extended constant nearest 0.01,
    // then stored as a double: position 35 gives the double nearest 0.35.
    return static_cast<double>(static_cast<long double>(position) * 0.01L);
}

double TransformThread::MeanOfChannels(double red, double green, double blue) {
    const long double sum = static_cast<long double>(red) + green + blue;
    return static_cast<double>(sum * (1.0L / 3.0L));
}

QString TransformThread::CompressCaption(double percent) {
    // The C library's printf rounds an exact tie to even (3.125 gives 3.12);
    // QString::asprintf would round it away from zero.
    char text[64];
    std::snprintf(text, sizeof text, "Comp : %3.2f %%", percent);
    return QString::fromLatin1(text);
}

void TransformThread::Execute() {
    Synchronize([this] { Prepare(); });

    RedChannel = std::make_unique<Transformer>(Size, TileCount, ErrorFraction, Page->Transform);
    GreenChannel = std::make_unique<Transformer>(Size, TileCount, ErrorFraction, Page->Transform);
    BlueChannel = std::make_unique<Transformer>(Size, TileCount, ErrorFraction, Page->Transform);

    Synchronize([this] { ReadPixels(); });

    const struct {
        Transformer* channel;
        double* percent;
    } channels[] = {{RedChannel.get(), &RedPercent},
                    {GreenChannel.get(), &GreenPercent},
                    {BlueChannel.get(), &BluePercent}};
    for (const auto& c : channels) {
        c.channel->Run(Page->TwoDimensional);
        *c.percent = c.channel->MeanKeptPercent();
        CurrentPercent = *c.percent;
        Synchronize([this] { ReportProgress(); });
    }

    if (CorrectColors) {
        // Size is at most a few thousand, so its square fits the corrector's count.
        const auto count = static_cast<std::int32_t>(std::int64_t{Size} * Size);
        ColorCorrector(RedChannel->Plane.get(), count);
        ColorCorrector(GreenChannel->Plane.get(), count);
        ColorCorrector(BlueChannel->Plane.get(), count);
    }

    CurrentPercent = MeanOfChannels(RedPercent, GreenPercent, BluePercent);
    Synchronize([this] { ReportProgress(); });
    Synchronize([this] { WritePixels(); });
}

void TransformThread::Prepare() {
    Page->Busy = true;
    Page->TabSheet->setCursor(Qt::WaitCursor);
    ConvertButton->setEnabled(false);
    SaveButton->setEnabled(false);
    ErrorFraction = ErrorFractionOf(Page->ErrorTrackBar->value());
    BitmapCanvas = &Page->Image->GetCanvas();
    TileCount = 1 << (Page->WinSizeTrackBar->value() - 1);
    Size = Page->Image->width();
    CorrectColors = Page->ColorCorrection->isChecked();
    GridOverlay = Page->GridBox->isChecked();
}

void TransformThread::ReadPixels() {
    const auto planeSize = static_cast<std::size_t>(Size) * static_cast<std::size_t>(Size);
    Color = ReadChannelPlanes(*BitmapCanvas, Size, RedChannel->Plane.get(),
                              GreenChannel->Plane.get(), BlueChannel->Plane.get(), planeSize,
                              [this](int x) { ProgressBar->SetPosition(x); });
    ProgressBar->SetPosition(0);
}

void TransformThread::ReportProgress() {
    Page->CompressLabel->setText(CompressCaption(CurrentPercent));
    Page->CompressBar->SetPosition(std::isfinite(CurrentPercent) ? static_cast<int>(CurrentPercent)
                                                                 : 0);
    ProgressBar->SetPosition(ProgressBar->Position() + 84);
}

void TransformThread::WritePixels() {
    ProgressBar->SetPosition(0);
    BitmapCanvas->SetPixels(0, 0, 0);
    const auto planeSize = static_cast<std::size_t>(Size) * static_cast<std::size_t>(Size);
    const ComposedPixel last = WriteChannelPlanes(
        *BitmapCanvas, Size, RedChannel->Plane.get(), GreenChannel->Plane.get(),
        BlueChannel->Plane.get(), planeSize, [this](int x) { ProgressBar->SetPosition(x); });
    RedPart = last.RedPart;
    GreenPart = last.GreenPart;
    BluePart = last.BluePart;
    Color = last.Color;

    if (GridOverlay)
        DrawTileGrid(Page->Image->GetCanvas(), Size, Size, TileCount);

    Page->TabSheet->setCursor(Qt::ArrowCursor);
    Page->Busy = false;
    Page->Unsaved = true;
    SetButtonsFromPage(**CurrentPage, SaveButton, ConvertButton);
}
