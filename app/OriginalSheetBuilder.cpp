#include "OriginalSheetBuilder.h"

#include "ImageView.h"
#include "ProgressBar.h"
#include "ScrollPanner.h"
#include "TransformPageBuilder.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>

QWidget* OriginalSheetBuilder::Build(ImageView*& image, ProgressBar*& progressBar) {
    auto* sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("OriginalTabSheet"));
    image = new ImageView(sheet);
    image->setObjectName(QStringLiteral("OriginalImage"));
    image->SetZoomHelp(true);
    image->SetControlSize(TransformPageBuilder::ImageSide, TransformPageBuilder::ImageSide);
    QScrollArea* box = TransformPageBuilder::ScrollBoxFor(image, sheet);
    box->setObjectName(QStringLiteral("ScrollBox2"));
    // Clicks still zoom the picture; the middle button pans it, and Ctrl+wheel zooms about the
    // pointer.
    new ScrollPanner(box);

    auto* progressLabel = new QLabel(QStringLiteral("Progress"), sheet);
    progressLabel->setObjectName(QStringLiteral("TransformProgressLabel"));
    progressBar = new ProgressBar(sheet);
    progressBar->setObjectName(QStringLiteral("TransformProgressBar"));
    progressBar->setRange(0, 255);
    progressBar->SetPosition(0);
    progressBar->setMaximumHeight(12);

    auto* layout = new QGridLayout(sheet);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(box, 0, 0, 1, 2);
    layout->addWidget(progressLabel, 1, 0);
    layout->addWidget(progressBar, 1, 1);
    layout->setRowStretch(0, 1);
    return sheet;
}
