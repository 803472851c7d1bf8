#include "QualityText.h"

#include "ResultRow.h"

#include <cmath>

QString PsnrText(double psnrDb) {
    if (std::isnan(psnrDb)) {
        return QStringLiteral("n/a");
    }
    if (std::isinf(psnrDb)) {
        return QStringLiteral("identical");
    }
    return QString::number(psnrDb, 'f', 2);
}

QString SsimText(const std::optional<double>& ssim, int decimals) {
    return ssim ? QString::number(*ssim, 'f', decimals) : QStringLiteral("n/a");
}

QString QualityCaption(const QualityFigures& figures) {
    const QString psnr = std::isfinite(figures.PsnrDb)
                             ? QStringLiteral("PSNR %1 dB").arg(PsnrText(figures.PsnrDb))
                             : QStringLiteral("PSNR %1").arg(PsnrText(figures.PsnrDb));
    return QStringLiteral("%1   SSIM %2   max error %3")
        .arg(psnr, SsimText(figures.Ssim, 3))
        .arg(figures.MaxError);
}

QString ExactNumber(double value) {
    return QString::fromStdString(ResultRow::Number(value));
}
