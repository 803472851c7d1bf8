#include "CoefficientViews.h"

#include "Application.h"
#include "AvailableMemory.h"
#include "ConversionCancelled.h"
#include "ConversionChecks.h"
#include "ConversionResult.h"
#include "ParallelFor.h"
#include "Transform.h"

#include <QThread>

#include <cstring>
#include <vector>

CoefficientViews::CoefficientViews(QObject* parent) : QObject(parent) {}

CoefficientViews::~CoefficientViews() {
    Cancel();
}

void CoefficientViews::Cancel() {
    if (!thread) {
        return;
    }
    cancel = true;
    thread->wait();
    thread.reset();
    computing = -1;
    ++generation;
}

void CoefficientViews::SetSource(int page, std::shared_ptr<const ConversionResult> result,
                                 const QImage& image) {
    if (page < 0 || page >= static_cast<int>(TransformKindCount)) {
        return;
    }
    if (computing == page) {
        Cancel();
    }
    Entry& entry = entries[static_cast<std::size_t>(page)];
    entry = Entry{std::move(result), image, nullptr, QString()};
}

bool CoefficientViews::Available(int page) const {
    return page >= 0 && page < static_cast<int>(TransformKindCount) &&
           entries[static_cast<std::size_t>(page)].Result != nullptr;
}

const CoefficientMap* CoefficientViews::Map(int page) const {
    return Available(page) ? entries[static_cast<std::size_t>(page)].Map.get() : nullptr;
}

QString CoefficientViews::Failure(int page) const {
    return Available(page) ? entries[static_cast<std::size_t>(page)].Failure : QString();
}

QImage CoefficientViews::Image(int page, CoefficientChannel channel) {
    if (!Available(page)) {
        return {};
    }
    Entry& entry = entries[static_cast<std::size_t>(page)];
    if (!entry.Map) {
        if (entry.Failure.isEmpty() && computing != page) {
            Start(page);
        }
        return {};
    }
    const std::vector<std::uint32_t> pixels = RenderCoefficients(*entry.Map, channel);
    const int side = entry.Map->Side();
    QImage image(side, side, QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y) {
        std::memcpy(image.scanLine(y), pixels.data() + static_cast<std::size_t>(y) * side,
                    static_cast<std::size_t>(side) * sizeof(std::uint32_t));
    }
    return image;
}

void CoefficientViews::KeepOnly(int first, int second) {
    for (int page = 0; page < static_cast<int>(TransformKindCount); ++page) {
        if (page != first && page != second) {
            if (computing == page) {
                Cancel();
            }
            entries[static_cast<std::size_t>(page)].Map.reset();
            entries[static_cast<std::size_t>(page)].Failure.clear();
        }
    }
}

void CoefficientViews::Start(int page) {
    // One at a time: the next begins when this one has handed back its map.
    if (thread) {
        return;
    }
    Entry& entry = entries[static_cast<std::size_t>(page)];
    const ConversionSettings settings = entry.Result->Settings;
    const std::uint64_t needed = CoefficientMap::BytesNeeded(settings, HardwareThreads()) +
                                 static_cast<std::uint64_t>(settings.Side) * settings.Side * 4;
    if (const std::uint64_t free = AvailableMemoryBytes(); needed > free) {
        entry.Failure = QStringLiteral("The coefficients at %1 x %1 need %2 of memory, but only %3 "
                                       "are free.")
                            .arg(settings.Side)
                            .arg(MemoryText(needed), MemoryText(free));
        emit Ready(page);
        return;
    }
    cancel = false;
    computing = page;
    const int current = ++generation;
    const QImage image = entry.Source.convertToFormat(QImage::Format_RGB32);
    const TransformKind kind = TransformKinds()[static_cast<std::size_t>(page)].Kind;
    thread.reset(QThread::create([this, current, page, image, settings, kind] {
        std::shared_ptr<const CoefficientMap> map;
        QString failure;
        try {
            std::vector<std::unique_ptr<Transform>> owned;
            std::vector<Transform*> transforms;
            for (std::size_t i = 0; i < HardwareThreads(); ++i) {
                owned.push_back(MakeTransform(kind));
                transforms.push_back(owned.back().get());
            }
            const RgbView view{reinterpret_cast<const std::uint32_t*>(image.constBits()),
                               image.width(), image.height(),
                               static_cast<std::int32_t>(image.bytesPerLine() / 4)};
            map = std::make_shared<const CoefficientMap>(settings, view, transforms, &cancel);
        } catch (const ConversionCancelled&) {
            return;
        } catch (...) {
            failure = Application::ExceptionText(std::current_exception());
        }
        QMetaObject::invokeMethod(
            this,
            [this, current, page, map, failure] {
                if (current == generation) {
                    Finished(page, map, failure);
                }
            },
            Qt::QueuedConnection);
    }));
    thread->start();
}

void CoefficientViews::Finished(int page, std::shared_ptr<const CoefficientMap> map,
                                const QString& failure) {
    thread->wait();
    thread.reset();
    computing = -1;
    Entry& entry = entries[static_cast<std::size_t>(page)];
    entry.Map = std::move(map);
    entry.Failure = failure.isEmpty()
                        ? QString()
                        : QStringLiteral("The coefficients could not be made: ") + failure;
    emit Ready(page);
}
