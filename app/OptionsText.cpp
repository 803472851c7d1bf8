#include "OptionsText.h"

#include <QStringList>

QString ScalingText(DctScaling scaling) {
    return scaling == DctScaling::Orthonormal ? QStringLiteral("Orthonormal")
                                              : QStringLiteral("Plain");
}

QString LevelsText(int levels) {
    if (levels == PageLevels) {
        return QStringLiteral("As the page (Haar all, D4 one)");
    }
    if (levels == AllWaveletLevels) {
        return QStringLiteral("All levels");
    }
    return QString::number(levels);
}

QString RuleText(KeepRule rule) {
    return rule == KeepRule::Kept ? QStringLiteral("Kept share")
                                  : QStringLiteral("Permitted error");
}

QString OptionsCaption(const TransformOptions& options) {
    QStringList parts;
    if (options.Scaling == DctScaling::Orthonormal) {
        parts << QStringLiteral("orthonormal DCT");
    }
    if (options.Levels == AllWaveletLevels) {
        parts << QStringLiteral("all levels");
    } else if (options.Levels != PageLevels) {
        parts << (options.Levels == 1 ? QStringLiteral("1 level")
                                      : QStringLiteral("%1 levels").arg(options.Levels));
    }
    if (options.Rule == KeepRule::Kept) {
        parts << QStringLiteral("kept share");
    }
    return parts.join(QStringLiteral(", "));
}

QString PercentCaption(KeepRule rule, double percent) {
    return (rule == KeepRule::Kept ? QStringLiteral("keep %1%") : QStringLiteral("error %1%"))
        .arg(QString::number(percent, 'g', 6));
}

QString PageHint(TransformKind kind) {
    switch (kind) {
    case TransformKind::Dct1D:
    case TransformKind::Dct2D:
        return QStringLiteral(
            "Discrete cosine transform, unnormalised by default: the threshold weighs the DC "
            "term (1/N of the energy) like the others (2/N), so the same error allows more "
            "real error than on the wavelet pages. \"Like for like\" chooses what to discard "
            "on orthonormally scaled coefficients.");
    case TransformKind::D4_1D:
    case TransformKind::D4_2D:
        return QStringLiteral(
            "Daubechies-4 wavelet, one filter step per line by default, while the Haar pages "
            "go through every level. \"Like for like\" takes D4 through every level too.");
    case TransformKind::Haar1D:
    case TransformKind::Haar2D:
        break;
    }
    return QStringLiteral("Haar wavelet, orthonormal, through every level by default. "
                          "\"Like for like\" leaves it as it is and brings the other pages to "
                          "the same footing.");
}

QString WrappedTip(const QString& text) {
    // Qt wraps rich-text tooltips; plain text stays on one line.
    return QStringLiteral("<p>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}
