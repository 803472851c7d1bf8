#include "PageSettings.h"

#include "ImageView.h"
#include "TileGrid.h"
#include "TransformPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

bool CopyPageSettings(const TransformPage& from, TransformPage& to) {
    bool changed = false;
    if (to.ErrorTrackBar->value() != from.ErrorTrackBar->value()) {
        const QSignalBlocker blocker(to.ErrorTrackBar);
        to.ErrorTrackBar->setValue(from.ErrorTrackBar->value());
        changed = true;
    }
    if (to.WinSizeTrackBar->value() != from.WinSizeTrackBar->value()) {
        const QSignalBlocker blocker(to.WinSizeTrackBar);
        to.WinSizeTrackBar->setValue(from.WinSizeTrackBar->value());
        changed = true;
    }
    if (to.ColorCorrection->isChecked() != from.ColorCorrection->isChecked()) {
        const QSignalBlocker blocker(to.ColorCorrection);
        to.ColorCorrection->setChecked(from.ColorCorrection->isChecked());
        changed = true;
    }
    if (to.Image->size() != from.Image->size()) {
        to.Image->SetControlSize(from.Image->width(), from.Image->height());
        changed = true;
    }
    return changed;
}

QString ErrorLabelText(KeepRule rule, int position) {
    return rule == KeepRule::Kept ? QStringLiteral("Keep %1 %").arg(position)
                                  : QStringLiteral("Error: %1%").arg(position);
}

QString ErrorSliderHint(KeepRule rule) {
    return rule == KeepRule::Kept
               ? QStringLiteral("Kept share: each tile keeps this share of its coefficients, the "
                                "largest in magnitude")
               : QStringLiteral("Permitted error: each tile drops its smallest coefficients while "
                                "the root energy of what it drops stays below this share of its "
                                "total");
}

void ShowErrorRule(TransformPage& page, KeepRule rule) {
    page.ErrorLabel->setText(ErrorLabelText(rule, page.ErrorTrackBar->value()));
    page.ErrorTrackBar->setToolTip(ErrorSliderHint(rule));
}

SweepSettings SweepSettingsOf(const TransformPage& page, const TransformOptions& options) {
    SweepSettings settings;
    settings.Side = page.Image->width();
    settings.TileCount = TilesAt(page.WinSizeTrackBar->value());
    settings.ColorCorrection = page.ColorCorrection->isChecked();
    settings.Options = options;
    return settings;
}

ConversionSettings TileSettingsOf(const TransformPage& page, const TransformOptions& options) {
    ConversionSettings settings;
    settings.Side = page.Image->width();
    settings.TileCount = TilesAt(page.WinSizeTrackBar->value());
    settings.ColorCorrection = page.ColorCorrection->isChecked();
    settings.Options = options;
    settings.SetErrorPercent(page.ErrorTrackBar->value());
    return settings;
}
