#include "ConversionChecks.h"

#include "AvailableMemory.h"
#include "ImageView.h"
#include "PageConversion.h"
#include "ParallelFor.h"
#include "Sweep.h"
#include "SweepSettings.h"

#include <QImage>
#include <QLocale>

#include <algorithm>
#include <limits>

namespace {

QString TilesRefusal(const QString& caption, int side, int tiles) {
    return QStringLiteral("The image on page \"%1\" is %2 pixels wide, too small for %3 tiles "
                          "per side. Zoom it in or choose fewer tiles.")
        .arg(caption)
        .arg(side)
        .arg(tiles);
}

ConversionSettings PageSettings(const TransformPage& page) {
    ConversionSettings settings;
    settings.Side = page.Image->width();
    settings.TileCount = TilesAt(page);
    return settings;
}

// What the running conversions took or are about to take.
std::uint64_t ReservedBy(const TransformPages& pages) {
    std::uint64_t reserved = 0;
    for (const TransformPage& other : pages) {
        if (other.Busy) {
            reserved += PageConversion::BytesNeeded(PageSettings(other), HardwareThreads());
        }
    }
    return reserved;
}

// A page conversion against the memory left free once reserved is taken.
struct MemoryCheck {
    std::uint64_t Needed = 0;
    std::uint64_t Free = 0;

    bool Fits() const { return Needed <= Free; }
    QString Text(const QString& caption, int side) const {
        return QStringLiteral("The conversion on page \"%1\" at %2 x %2 needs %3 of memory, but "
                              "only %4 are free.")
            .arg(caption)
            .arg(side)
            .arg(MemoryText(Needed), MemoryText(Free));
    }
};

// Refused before it starts rather than the system ending the program half way: what the
// conversion holds and the page's copy of the image, against what the others leave of
// available.
MemoryCheck CheckMemory(const ConversionSettings& settings, std::uint64_t reserved,
                        const QImage& picture, std::uint64_t available = AvailableMemoryBytes()) {
    MemoryCheck check;
    check.Needed =
        PageConversion::BytesNeeded(settings, HardwareThreads()) +
        static_cast<std::uint64_t>(picture.sizeInBytes() > 0 ? picture.sizeInBytes() : 0);
    check.Free = available > reserved ? available - reserved : 0;
    return check;
}

} // namespace

QString PageConversionRefusal(const TransformPages& pages, const TransformPage& page,
                              const QString& caption, const QImage& picture) {
    const ConversionSettings settings = PageSettings(page);
    if (settings.Side / settings.TileCount == 0) {
        return TilesRefusal(caption, settings.Side, settings.TileCount);
    }
    const MemoryCheck check = CheckMemory(settings, ReservedBy(pages), picture);
    if (check.Fits()) {
        return {};
    }
    return check.Text(caption, settings.Side) +
           QStringLiteral(" Zoom the page out, or wait for other conversions to end.");
}

PageFit PageConversionFit(const TransformPages& pages, const TransformPage& page,
                          const QImage& picture) {
    const ConversionSettings settings = PageSettings(page);
    // One reading for both checks: a page told to wait always has a running conversion to wait
    // for.
    const std::uint64_t available = AvailableMemoryBytes();
    if (settings.Side / settings.TileCount == 0 ||
        !CheckMemory(settings, 0, picture, available).Fits()) {
        return PageFit::Never;
    }
    return CheckMemory(settings, ReservedBy(pages), picture, available).Fits()
               ? PageFit::Now
               : PageFit::AfterOthers;
}

QString PageConversionRefusalAlone(const TransformPage& page, const QString& caption,
                                   const QImage& picture) {
    const ConversionSettings settings = PageSettings(page);
    if (settings.Side / settings.TileCount == 0) {
        return TilesRefusal(caption, settings.Side, settings.TileCount);
    }
    const MemoryCheck check = CheckMemory(settings, 0, picture);
    if (check.Fits()) {
        return {};
    }
    return check.Text(caption, settings.Side) +
           QStringLiteral(" Zoom the page out or close other programs.");
}

QString PageMemoryRefusalAt(const TransformPage& page, int side, const QString& caption,
                            const QImage& picture) {
    ConversionSettings settings = PageSettings(page);
    settings.Side = side;
    const MemoryCheck check = CheckMemory(settings, 0, picture);
    return check.Fits() ? QString() : check.Text(caption, side);
}

QString SweepRefusal(const SweepSettings& settings, const QString& caption, const QImage& picture) {
    if (picture.isNull()) {
        return QStringLiteral("Open an image first: the sweep draws the curves of the loaded "
                              "image.");
    }
    if (settings.Side / settings.TileCount == 0) {
        return TilesRefusal(caption, settings.Side, settings.TileCount);
    }
    const std::uint64_t needed = Sweep::BytesNeeded(settings, HardwareThreads());
    const std::uint64_t available = AvailableMemoryBytes();
    if (needed <= available) {
        return {};
    }
    return QStringLiteral("The sweep at %1 x %1 needs %2 of memory, but only %3 are free. Zoom "
                          "the page out or close other programs.")
        .arg(settings.Side)
        .arg(MemoryText(needed), MemoryText(available));
}

QString MemoryText(std::uint64_t bytes) {
    constexpr auto Largest = static_cast<std::uint64_t>(std::numeric_limits<qint64>::max());
    return QLocale::c().formattedDataSize(static_cast<qint64>(std::min(bytes, Largest)));
}
