#include "TransformPageBuilder.h"

#include "ImageView.h"
#include "PageSettings.h"
#include "ProgressBar.h"
#include "TextOf.h"
#include "TransformKind.h"
#include "TransformPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>

namespace {

// A track bar at the start of its range.
QSlider* MakeTrackBar(Qt::Orientation orientation, int minimum, int maximum, int pageStep,
                      int tickInterval, QWidget* parent) {
    auto* bar = new QSlider(orientation, parent);
    bar->setRange(minimum, maximum);
    bar->setValue(minimum);
    bar->setPageStep(pageStep);
    bar->setTickInterval(tickInterval);
    return bar;
}

// A label whose text changes keeps the width of its longest text, so nothing beside it moves.
void KeepWidthFor(QLabel* label, std::initializer_list<const char*> texts) {
    int width = 0;
    for (const char* text : texts) {
        width = std::max(width, label->fontMetrics().horizontalAdvance(QString::fromLatin1(text)));
    }
    label->setFixedWidth(width + 2);
}

// A line of text one line high from the start, whose width never pushes the page: nothing moves
// when its text arrives or changes.
QLabel* OneLineLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    label->setFixedHeight(label->fontMetrics().height());
    return label;
}

} // namespace

QScrollArea* TransformPageBuilder::ScrollBoxFor(ImageView* image, QWidget* parent) {
    auto* box = new QScrollArea(parent);
    box->setWidget(image);
    box->setWidgetResizable(false);
    box->setAlignment(Qt::AlignCenter);
    const int frame = 2 * box->frameWidth();
    box->setMinimumSize(ImageSide + frame, ImageSide + frame);
    return box;
}

QWidget* TransformPageBuilder::Build(TransformPage& page, const TransformKindInfo& kind) {
    const QString prefix = TextOf(kind.Prefix);
    auto named = [&prefix](QWidget* widget, const char* suffix) {
        widget->setObjectName(prefix + QString::fromLatin1(suffix));
    };

    page.TabSheet = new QWidget;
    named(page.TabSheet, "TabSheet");
    page.Image = new ImageView(page.TabSheet);
    named(page.Image, "Image");
    page.Image->setToolTip(TextOf(kind.Hint));
    page.Image->SetZoomHelp(true);
    page.Image->SetControlSize(ImageSide, ImageSide);
    QScrollArea* box = ScrollBoxFor(page.Image, page.TabSheet);
    named(box, "ScrollBox");

    page.ColorCorrection = new QCheckBox(QStringLiteral("Color correction"), page.TabSheet);
    named(page.ColorCorrection, "ColorCorrection");
    page.ColorCorrection->setToolTip(
        QStringLiteral("When a reconstructed channel leaves 0..255, bring the whole channel "
                       "back into range instead of clipping its extremes"));
    page.GridBox = new QCheckBox(QStringLiteral("Show grid"), page.TabSheet);
    named(page.GridBox, "GridBox");
    page.GridBox->setToolTip(QStringLiteral("Draw the tile grid over the image (Ctrl+G)"));
    for (QCheckBox* check : {page.ColorCorrection, page.GridBox}) {
        check->setLayoutDirection(Qt::RightToLeft); // the text stands left of the box
    }

    page.WinSizeLabel = new QLabel(QStringLiteral("Grid size: 256"), page.TabSheet);
    named(page.WinSizeLabel, "WinSizeLabel");
    KeepWidthFor(page.WinSizeLabel, {"Grid size: 8192"});
    page.WinSizeTrackBar = MakeTrackBar(Qt::Vertical, 1, 6, 1, 1, page.TabSheet);
    named(page.WinSizeTrackBar, "WinSizeTrackBar");
    page.WinSizeTrackBar->setTickPosition(QSlider::TicksBothSides);
    page.WinSizeTrackBar->setInvertedAppearance(true); // position 1 at the top
    page.WinSizeTrackBar->setInvertedControls(true);
    page.WinSizeTrackBar->setToolTip(
        QStringLiteral("Tiles per side: 1, 2, 4, 8, 16 or 32, from the top down. Each tile is "
                       "transformed and compressed on its own."));

    page.ErrorLabel = new QLabel(QStringLiteral("Error: 0% "), page.TabSheet);
    named(page.ErrorLabel, "ErrorLabel");
    KeepWidthFor(page.ErrorLabel, {"Error: 100% "});
    page.ErrorTrackBar = MakeTrackBar(Qt::Horizontal, 0, 100, 10, 5, page.TabSheet);
    named(page.ErrorTrackBar, "ErrorTrackBar");
    page.ErrorTrackBar->setTickPosition(QSlider::TicksBelow);
    page.ErrorTrackBar->setToolTip(ErrorSliderHint(KeepRule::Error));

    page.CompressLabel = new QLabel(QStringLiteral("Compress 100.0%"), page.TabSheet);
    named(page.CompressLabel, "CompressLabel");
    KeepWidthFor(page.CompressLabel, {"Compress 100.0%", "Comp : 100.00 %"});
    page.CompressLabel->setToolTip(QStringLiteral("Share of coefficients kept"));
    page.CompressBar = new ProgressBar(page.TabSheet);
    named(page.CompressBar, "CompressBar");
    page.CompressBar->setRange(0, 100);
    page.CompressBar->SetPosition(0);
    page.CompressBar->setMaximumHeight(12);

    // Empty until the first conversion.
    page.QualityLabel = OneLineLabel(page.TabSheet);
    named(page.QualityLabel, "QualityLabel");
    page.QualityLabel->setToolTip(
        QStringLiteral("How close the last result is to the image: PSNR (higher is closer), "
                       "SSIM (1 is identical) and the largest error of any channel value"));
    page.OptionsLabel = OneLineLabel(page.TabSheet);
    named(page.OptionsLabel, "OptionsLabel");
    page.OptionsLabel->setToolTip(
        QStringLiteral("The transform options the last result was made with"));
    page.OptionsLabel->hide();
    page.CoverageLabel = OneLineLabel(page.TabSheet);
    named(page.CoverageLabel, "CoverageLabel");
    page.CoverageLabel->setToolTip(
        QStringLiteral("What the next conversion of this page processes: the square at the top "
                       "left of the image, as wide as the page's image control"));

    auto* trackColumn = new QVBoxLayout;
    trackColumn->addWidget(page.WinSizeLabel);
    trackColumn->addWidget(page.WinSizeTrackBar, 1, Qt::AlignHCenter);

    auto* layout = new QGridLayout(page.TabSheet);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setVerticalSpacing(4);
    layout->addWidget(box, 0, 0, 1, 3);
    layout->addLayout(trackColumn, 0, 3);
    layout->addWidget(page.CoverageLabel, 1, 0, 1, 4);
    layout->addWidget(page.ColorCorrection, 2, 0, 1, 2, Qt::AlignLeft);
    layout->addWidget(page.GridBox, 2, 2, 1, 2, Qt::AlignRight);
    layout->addWidget(page.ErrorLabel, 3, 0);
    layout->addWidget(page.ErrorTrackBar, 3, 1, 1, 3);
    layout->addWidget(page.CompressLabel, 4, 0);
    layout->addWidget(page.CompressBar, 4, 1, 1, 3);
    layout->addWidget(page.QualityLabel, 5, 0, 1, 4);
    layout->addWidget(page.OptionsLabel, 6, 0, 1, 4);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(1, 1);

    page.Transform = nullptr;
    page.TwoDimensional = kind.TwoDimensional ? 1 : 0;
    page.Thread = nullptr;
    page.NeedsReload = false;
    page.Unsaved = false;
    page.Busy = false;
    page.ShownGridPosition = page.WinSizeTrackBar->value();
    return page.TabSheet;
}
