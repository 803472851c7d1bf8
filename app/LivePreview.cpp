#include "LivePreview.h"

#include "Application.h"
#include "ConversionCancelled.h"
#include "ConversionFigures.h"
#include "PageConversion.h"
#include "ParallelFor.h"
#include "TileCoefficients.h"
#include "Transform.h"
#include "TransformKind.h"

#include <QMetaObject>

#include <typeinfo>
#include <vector>

// What the forward coefficients were made from.
struct LivePreview::Kept {
    qint64 Image = 0;
    int Width = 0;
    int Height = 0;
    std::int32_t Side = 0;
    std::int32_t TileCount = 0;
    ScanOrder Order = ScanOrder::Raster;
    TransformOptions Options;
    std::optional<TileCoefficients> Coefficients;
    // One per thread, of the class of the last request.
    std::vector<std::unique_ptr<Transform>> Transforms;

    bool Fits(const Job& job) const {
        return Coefficients && Image == job.Picture.cacheKey() && Width == job.Picture.width() &&
               Height == job.Picture.height() && Side == job.Settings.Side &&
               TileCount == job.Settings.TileCount && Order == job.Settings.Order &&
               Options == job.Settings.Options && !Transforms.empty() &&
               typeid(*Transforms.front()) == typeid(*job.First);
    }
};

LivePreview::LivePreview(QObject* parent)
    : QObject(parent), kept(std::make_unique<Kept>()), thread([this] { Loop(); }) {}

LivePreview::~LivePreview() {
    {
        const std::lock_guard lock(mutex);
        quit = true;
        pending.reset();
        cancel = true;
    }
    wake.notify_one();
    // The thread never waits on the GUI thread, so this ends within a tile's work.
    thread.join();
}

std::uint64_t LivePreview::BytesNeeded(const ConversionSettings& settings) {
    return PageConversion::BytesNeeded(settings, HardwareThreads()) +
           TileCoefficients::BytesNeeded(settings.Side);
}

namespace {

bool SameSettings(const ConversionSettings& a, const ConversionSettings& b) {
    return a.Side == b.Side && a.TileCount == b.TileCount && a.ErrorPercent == b.ErrorPercent &&
           a.ErrorFraction == b.ErrorFraction && a.Order == b.Order &&
           a.ColorCorrection == b.ColorCorrection && a.Options == b.Options;
}

} // namespace

bool LivePreview::Request(int page, const ConversionSettings& settings, const QImage& picture,
                          const Transform& prototype, double startKept) {
    // The release of a slider asks again for the position its last move asked for: the step
    // under way is that one already.
    if (runningPage == page && SameSettings(settings, latest) &&
        picture.cacheKey() == latestImage && typeid(prototype) == *latestClass) {
        return true;
    }
    Job job;
    job.First = CloneTransform(prototype);
    if (!job.First) {
        return false;
    }
    job.Generation = ++generation;
    job.Page = page;
    job.Settings = settings;
    // The thread reads its own reference: the window may load another image meanwhile.
    job.Picture = picture.convertToFormat(QImage::Format_RGB32);
    job.StartKept = startKept;
    latest = settings;
    latestImage = picture.cacheKey();
    latestClass = &typeid(prototype);
    {
        const std::lock_guard lock(mutex);
        pending = std::move(job);
        cancel = true;
    }
    wake.notify_one();
    runningPage = page;
    emit RunningChanged();
    return true;
}

void LivePreview::Stop() {
    {
        const std::lock_guard lock(mutex);
        pending.reset();
        cancel = true;
    }
    ++generation;
    if (runningPage >= 0) {
        runningPage = -1;
        emit RunningChanged();
    }
}

void LivePreview::ReleaseCoefficients() {
    {
        const std::lock_guard lock(mutex);
        release = true;
    }
    wake.notify_one();
}

void LivePreview::Loop() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [this] { return quit || release || pending.has_value(); });
            if (quit) {
                return;
            }
            if (release) {
                release = false;
                kept->Coefficients.reset();
                kept->Transforms.clear();
                heldBytes = 0;
            }
            if (!pending) {
                continue;
            }
            job = std::move(*pending);
            pending.reset();
            cancel = false;
        }
        Run(job);
    }
}

void LivePreview::Deliver(int current, const std::function<void()>& step) {
    QMetaObject::invokeMethod(
        this,
        [this, current, step] {
            if (current != generation) {
                return;
            }
            runningPage = -1;
            step();
            emit RunningChanged();
        },
        Qt::QueuedConnection);
}

void LivePreview::Run(Job& job) {
    const int page = job.Page;
    try {
        // The thread keeps its transforms from step to step: their scratch memory and tables
        // are made once, not at every step.
        const bool fits = kept->Fits(job);
        auto& own = kept->Transforms;
        if (own.empty() || typeid(*own.front()) != typeid(*job.First)) {
            own.clear();
            own.push_back(std::move(job.First));
            for (std::size_t i = 1; i < HardwareThreads(); ++i) {
                own.push_back(CloneTransform(*own.front()));
            }
        }
        std::vector<Transform*> transforms;
        for (const auto& transform : own) {
            transforms.push_back(transform.get());
        }
        transforms.front()->KeptPercent = job.StartKept;

        PageConversion conversion(job.Settings, job.Picture.width(), job.Picture.height());
        if (!fits) {
            // The old coefficients go before the new ones are made.
            kept->Coefficients.reset();
            heldBytes = 0;
            const QImage& picture = job.Picture;
            conversion.Read(RgbView{reinterpret_cast<const std::uint32_t*>(picture.constBits()),
                                    picture.width(), picture.height(),
                                    static_cast<std::int32_t>(picture.bytesPerLine() / 4)},
                            transforms.size());
            kept->Coefficients.emplace(conversion.ForwardTiles(transforms, &cancel));
            kept->Image = picture.cacheKey();
            kept->Width = picture.width();
            kept->Height = picture.height();
            kept->Side = job.Settings.Side;
            kept->TileCount = job.Settings.TileCount;
            kept->Order = job.Settings.Order;
            kept->Options = job.Settings.Options;
            heldBytes = TileCoefficients::BytesNeeded(job.Settings.Side);
        }
        conversion.Run(*kept->Coefficients, transforms, &cancel);
        // The figures take a while at the largest sides and cannot stop half way.
        if (cancel) {
            throw ConversionCancelled();
        }
        conversion.CorrectColors();
        auto result = std::make_shared<ConversionResult>(conversion.Finish());
        const double lastKept = transforms.front()->KeptPercent;
        QImage picture = job.Picture;
        Deliver(job.Generation, [this, page, result, picture, lastKept] {
            emit Converted(page, result, picture, lastKept);
        });
    } catch (const ConversionCancelled&) {
        // A newer request, or Stop, took its place; the generation drops anything left.
    } catch (...) {
        const QString reason = Application::ExceptionText(std::current_exception());
        Deliver(job.Generation, [this, page, reason] { emit Failed(page, reason); });
    }
}
