#include "Threads.h"

#include "ConversionCancelled.h"
#include "ConversionFigures.h"
#include "ConversionHost.h"
#include "ImageView.h"
#include "PixelTransfer.h"
#include "ProgressBar.h"
#include "TileGrid.h"
#include "Transform.h"
#include "TransformKind.h"
#include "TransformPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <thread>

TransformThread::TransformThread(bool createSuspended, TransformPage* page,
                                 ::ProgressBar* progressBar, ConversionHost* host)
    : Page(page), ProgressBar(progressBar), host(host) {
    if (page == nullptr || progressBar == nullptr || host == nullptr) {
        throw std::invalid_argument("TransformThread: the page, the progress bar and the host "
                                    "must be given");
    }
    if (!createSuspended) {
        Resume();
    }
}

TransformThread::~TransformThread() {
    // The thread must be over before the planes it works on go.
    WaitFor();
    Conversion.reset();
}

double TransformThread::ErrorFractionOf(int position) {
    return ErrorFractionOfPercent(position);
}

double TransformThread::MeanOfChannels(double red, double green, double blue) {
    return ::MeanOfChannels(red, green, blue);
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

    ConversionSettings settings;
    settings.Side = Size;
    settings.TileCount = TileCount;
    // The fraction as Prepare formed it, from the percent the track bar shows.
    settings.ErrorPercent = ErrorPercent;
    settings.ErrorFraction = ErrorFraction;
    settings.Options = Options;
    settings.Order = ScanOrderOfFlag(Page->TwoDimensional);
    settings.ColorCorrection = CorrectColors;
    Conversion = std::make_unique<PageConversion>(settings, BitmapWidth, BitmapHeight);

    Synchronize([this] { ReadPixels(); });
    if (stopRequested) {
        throw ConversionCancelled();
    }

    // The page's own transform runs tiles beside fresh objects of its class,
    // one per further core; a class the core does not know runs alone.
    std::vector<std::unique_ptr<Transform>> extra;
    std::vector<Transform*> transforms{Page->Transform};
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned i = 1; i < cores; ++i) {
        auto clone = CloneTransform(*Page->Transform);
        if (!clone) {
            break;
        }
        transforms.push_back(clone.get());
        extra.push_back(std::move(clone));
    }
    Conversion->Run(transforms, &stopRequested);

    double* const percents[] = {&RedPercent, &GreenPercent, &BluePercent};
    for (std::size_t channel = 0; channel < 3; ++channel) {
        *percents[channel] = Conversion->KeptPercent(channel);
        CurrentPercent = *percents[channel];
        Synchronize([this] { ReportProgress(); });
    }

    Conversion->CorrectColors();

    CurrentPercent = MeanOfChannels(RedPercent, GreenPercent, BluePercent);
    Synchronize([this] { ReportProgress(); });
    Result = std::make_shared<ConversionResult>(Conversion->Finish());
    // The last chance to stop: after WritePixels the page holds the result.
    if (stopRequested) {
        throw ConversionCancelled();
    }
    Synchronize([this] { WritePixels(); });
    // The planes are not needed any more; pages that finish early should not hold them while
    // others convert.
    Conversion.reset();
}

void TransformThread::Prepare() {
    Page->Busy = true;
    Page->TabSheet->setCursor(Qt::WaitCursor);
    host->RequestCommandUpdate(CommandHold::SaveAndConvert);
    Options = host->ConversionOptions();
    ErrorPercent = Page->ErrorTrackBar->value();
    ErrorFraction = ErrorFractionOf(Page->ErrorTrackBar->value());
    BitmapCanvas = &Page->Image->GetCanvas();
    BitmapWidth = Page->Image->Picture().width();
    BitmapHeight = Page->Image->Picture().height();
    TileCount = TilesAt(*Page);
    Size = Page->Image->width();
    CorrectColors = Page->ColorCorrection->isChecked();
    GridOverlay = Page->GridBox->isChecked();
}

void TransformThread::ReadPixels() {
    const auto planeSize = Conversion->Plane(0).size();
    Color = ReadChannelPlanes(*BitmapCanvas, Size, Conversion->Plane(0).data(),
                              Conversion->Plane(1).data(), Conversion->Plane(2).data(), planeSize,
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
    WriteResultPixels(*BitmapCanvas, Size,
                      RgbView{Result->Pixels.data(), Result->RegionWidth, Result->RegionHeight,
                              Result->RegionWidth},
                      [this](int x) { ProgressBar->SetPosition(x); });
    // As the pixel loop leaves them: the scratch members hold the last pixel composed, that of
    // (N - 1, N - 1).
    const std::size_t lastValue = Conversion->Plane(0).size() - 1;
    const ComposedPixel last =
        ComposePixel(Conversion->Plane(0)[lastValue], Conversion->Plane(1)[lastValue],
                     Conversion->Plane(2)[lastValue]);
    RedPart = last.RedPart;
    GreenPart = last.GreenPart;
    BluePart = last.BluePart;
    Color = last.Color;

    if (GridOverlay) {
        DrawTileGrid(Page->Image->GetCanvas(), Size, Size, TileCount);
    }

    Page->TabSheet->setCursor(Qt::ArrowCursor);
    Page->Busy = false;
    Page->Unsaved = true;
    host->RequestCommandUpdate(CommandHold::None);
    emit Converted(Page, Result);
}
