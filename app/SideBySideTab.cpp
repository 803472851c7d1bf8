#include "SideBySideTab.h"

#include "CoefficientViews.h"
#include "ConversionResult.h"
#include "ExportFile.h"
#include "Guarded.h"
#include "SplitView.h"
#include "ToolButton.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QStandardItemModel>
#include <QToolButton>

#include <algorithm>

namespace {

// What a choice's item stands for, in its user data.
constexpr int OriginalCode = 0;
constexpr int PageCode = 1; // + page index
constexpr int BestTilesCode = 100;
constexpr int CoefficientsCode = 200; // + page index

constexpr int Magnifications[] = {SplitView::Fit, 1, 2, 4, 8, 16, 32};

// The region's pixels as an image without a copy: the image holds the result while it lives.
QImage RegionImage(const std::shared_ptr<const ConversionResult>& result) {
    auto* held = new std::shared_ptr<const ConversionResult>(result);
    return QImage(
        reinterpret_cast<const uchar*>(result->Pixels.data()), result->RegionWidth,
        result->RegionHeight, static_cast<qsizetype>(result->RegionWidth) * 4, QImage::Format_RGB32,
        [](void* info) { delete static_cast<std::shared_ptr<const ConversionResult>*>(info); },
        held);
}

void SetItemEnabled(QComboBox& choice, int index, bool enabled) {
    if (auto* model = qobject_cast<QStandardItemModel*>(choice.model())) {
        if (QStandardItem* item = model->item(index)) {
            item->setEnabled(enabled);
        }
    }
}

constexpr CoefficientChannel Channels[] = {CoefficientChannel::Largest, CoefficientChannel::Red,
                                           CoefficientChannel::Green, CoefficientChannel::Blue};

} // namespace

SideBySideTab::SideBySideTab(const QStringList& pageCaptions, QWidget* parent)
    : QWidget(parent), captions(pageCaptions) {
    setObjectName(QStringLiteral("SideBySideTab"));
    leftChoice = new QComboBox(this);
    leftChoice->setObjectName(QStringLiteral("LeftImageChoice"));
    leftChoice->setToolTip(QStringLiteral("What the left side shows"));
    rightChoice = new QComboBox(this);
    rightChoice->setObjectName(QStringLiteral("RightImageChoice"));
    rightChoice->setToolTip(QStringLiteral("What the right side shows"));
    FillChoices();
    // The captions are long; the view wants the width more than the boxes do.
    for (QComboBox* choice : {leftChoice, rightChoice}) {
        choice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        choice->setMinimumContentsLength(8);
    }

    modeChoice = new QComboBox(this);
    modeChoice->setObjectName(QStringLiteral("SplitModeChoice"));
    modeChoice->addItems(
        {QStringLiteral("Split"), QStringLiteral("Side by side"), QStringLiteral("Difference")});
    modeChoice->setToolTip(QStringLiteral(
        "Split: one image each side of a divider that you drag; Side by side: two panes; "
        "Difference: each pixel's largest channel difference, amplified"));
    zoomChoice = new QComboBox(this);
    zoomChoice->setObjectName(QStringLiteral("ViewZoomChoice"));
    zoomChoice->addItem(QStringLiteral("Fit"));
    for (int m : Magnifications) {
        if (m != SplitView::Fit) {
            zoomChoice->addItem(QStringLiteral("%1 %").arg(m * 100));
        }
    }
    zoomChoice->setToolTip(QStringLiteral(
        "The view's magnification, in screen pixels per image pixel; Ctrl+wheel zooms about the "
        "pointer, dragging pans. It never changes what a page converts."));
    channelChoice = new QComboBox(this);
    channelChoice->setObjectName(QStringLiteral("CoefficientChannelChoice"));
    channelChoice->addItems({QStringLiteral("Largest"), QStringLiteral("Red"),
                             QStringLiteral("Green"), QStringLiteral("Blue")});
    channelChoice->setToolTip(QStringLiteral(
        "Coefficients: the logarithm of each magnitude as grey (the whole map on one scale), the "
        "ones the rule zeroed in blue; one channel, or the largest of the three (blue where all "
        "three were zeroed)"));
    channelChoice->hide();
    coefficients = new CoefficientViews(this);
    gridBox = new QCheckBox(QStringLiteral("Show grid"), this);
    gridBox->setObjectName(QStringLiteral("ViewGridBox"));
    gridBox->setToolTip(QStringLiteral("The tiles of the right side's conversion, drawn over the "
                                       "view (never into the pictures)"));
    exportButton =
        MakeToolButton(this, "ViewExportButton", QStringLiteral("PNG..."),
                       QStringLiteral("Save the view as a PNG image"), QStyle::SP_DialogSaveButton);
    exportButton->setPopupMode(QToolButton::InstantPopup);
    auto* exportMenu = new QMenu(exportButton);
    QAction* shownAction = exportMenu->addAction(QStringLiteral("As shown..."));
    shownAction->setObjectName(QStringLiteral("ViewExportShownAction"));
    QAction* fullAction = exportMenu->addAction(QStringLiteral("At 100 %..."));
    fullAction->setObjectName(QStringLiteral("ViewExportFullSizeAction"));
    exportButton->setMenu(exportMenu);

    view = new SplitView(this);
    view->setObjectName(QStringLiteral("SplitView"));
    view->setToolTip(QStringLiteral(
        "Keys while the view has the focus: arrows pan, 1 shows 100 %, 0 fits, Space held swaps "
        "the two sides"));
    pixelInfo = new QLabel(this);
    pixelInfo->setObjectName(QStringLiteral("PixelInfoLabel"));
    pixelInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* controls = new QHBoxLayout;
    controls->addWidget(leftChoice, 1);
    controls->addWidget(rightChoice, 1);
    controls->addWidget(modeChoice);
    controls->addWidget(zoomChoice);
    controls->addWidget(channelChoice);
    controls->addWidget(gridBox);
    controls->addWidget(exportButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(controls);
    layout->addWidget(view, 1);
    layout->addWidget(pixelInfo);

    connect(leftChoice, &QComboBox::activated, this, Guarded([this] { ShowChoices(); }));
    connect(rightChoice, &QComboBox::activated, this, Guarded([this] {
                rightFollowsActivePage = false;
                ShowChoices();
            }));
    connect(modeChoice, &QComboBox::currentIndexChanged, this, [this](int index) {
        view->SetMode(index == 1   ? SplitView::Mode::SideBySide
                      : index == 2 ? SplitView::Mode::Difference
                                   : SplitView::Mode::Split);
    });
    connect(zoomChoice, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(std::size(Magnifications))) {
            view->SetMagnification(Magnifications[index]);
        }
    });
    connect(view, &SplitView::MagnificationChanged, this, [this](int magnification) {
        const auto* found =
            std::find(std::begin(Magnifications), std::end(Magnifications), magnification);
        const QSignalBlocker blocker(zoomChoice);
        zoomChoice->setCurrentIndex(found == std::end(Magnifications)
                                        ? -1
                                        : static_cast<int>(found - std::begin(Magnifications)));
    });
    connect(gridBox, &QCheckBox::toggled, this, Guarded([this] { ShowChoices(); }));
    connect(channelChoice, &QComboBox::currentIndexChanged, this,
            Guarded([this] { ShowChoices(); }));
    connect(coefficients, &CoefficientViews::Ready, this, Guarded([this] { ShowChoices(); }));
    connect(view, &SplitView::PixelHovered, this, &SideBySideTab::ShowPixel);
    connect(view, &SplitView::SwapChanged, this, Guarded([this] { ShowChoices(); }));
    connect(shownAction, &QAction::triggered, this, Guarded([this] { Export(false); }));
    connect(fullAction, &QAction::triggered, this, Guarded([this] { Export(true); }));

    ShowChoices();
}

SideBySideTab::~SideBySideTab() = default;

void SideBySideTab::FillChoices() {
    for (QComboBox* choice : {leftChoice, rightChoice}) {
        choice->addItem(QStringLiteral("Original"), OriginalCode);
        for (int i = 0; i < captions.size(); ++i) {
            choice->addItem(captions[i], PageCode + i);
            SetItemEnabled(*choice, choice->count() - 1, false);
        }
        for (int i = 0; i < captions.size(); ++i) {
            choice->addItem(QStringLiteral("Coefficients of ") + captions[i], CoefficientsCode + i);
            SetItemEnabled(*choice, choice->count() - 1, false);
        }
    }
}

void SideBySideTab::SetOriginal(const QImage& image, const QString& name) {
    original = image;
    originalName = name;
    ShowChoices();
}

void SideBySideTab::SetPageResult(int page, std::shared_ptr<const ConversionResult> result,
                                  const QImage& source) {
    if (page < 0 || page >= static_cast<int>(TransformKindCount)) {
        return;
    }
    const auto index = static_cast<std::size_t>(page);
    results[index] = std::move(result);
    const bool shown = results[index] && !results[index]->Pixels.empty();
    resultPictures[index] = shown ? RegionImage(results[index]) : QImage();
    coefficients->SetSource(page, shown ? results[index] : nullptr, source);
    for (QComboBox* choice : {leftChoice, rightChoice}) {
        SetItemEnabled(*choice, choice->findData(PageCode + page), shown);
        SetItemEnabled(*choice, choice->findData(CoefficientsCode + page), shown);
    }
    if (rightFollowsActivePage && shown && page == activePage) {
        rightChoice->setCurrentIndex(rightChoice->findData(PageCode + page));
    }
    ShowChoices();
}

void SideBySideTab::SetBestPerTile(const QImage& image) {
    bestPerTile = image;
    for (QComboBox* choice : {leftChoice, rightChoice}) {
        if (choice->findData(BestTilesCode) < 0) {
            choice->addItem(QStringLiteral("Best per tile"), BestTilesCode);
        }
        SetItemEnabled(*choice, choice->findData(BestTilesCode), !image.isNull());
    }
    ShowChoices();
}

void SideBySideTab::SetActivePage(int page) {
    if (page < 0 || page >= static_cast<int>(TransformKindCount)) {
        return;
    }
    activePage = page;
    if (!rightFollowsActivePage) {
        return;
    }
    if (!resultPictures[static_cast<std::size_t>(page)].isNull()) {
        rightChoice->setCurrentIndex(rightChoice->findData(PageCode + page));
        ShowChoices();
    }
}

SideBySideTab::Source SideBySideTab::SourceOf(const QComboBox& choice) const {
    const int code = choice.currentData().toInt();
    if (code == BestTilesCode) {
        return {bestPerTile, QStringLiteral("Best per tile"), 0};
    }
    const int count = static_cast<int>(TransformKindCount);
    if (code >= CoefficientsCode && code < CoefficientsCode + count) {
        const int page = code - CoefficientsCode;
        Source source;
        source.Label = QStringLiteral("Coefficients of ") + captions[page];
        source.CoefficientsOf = page;
        source.Picture =
            coefficients->Image(page, Channels[std::max(channelChoice->currentIndex(), 0)]);
        if (const CoefficientMap* map = coefficients->Map(page)) {
            source.TileSide = map->TileSide();
        }
        return source;
    }
    const int page = code - PageCode;
    if (page >= 0 && page < count) {
        const auto& result = results[static_cast<std::size_t>(page)];
        const int tileSide =
            result ? result->Settings.Side / std::max(result->Settings.TileCount, 1) : 0;
        return {resultPictures[static_cast<std::size_t>(page)], captions[page], tileSide};
    }
    return {original, QStringLiteral("Original"), 0};
}

void SideBySideTab::ShowChoices() {
    const Source left = SourceOf(*leftChoice);
    const Source right = SourceOf(*rightChoice);
    // Maps are held only while a side shows them.
    coefficients->KeepOnly(left.CoefficientsOf, right.CoefficientsOf);
    channelChoice->setVisible(left.CoefficientsOf >= 0 || right.CoefficientsOf >= 0);
    status.clear();
    for (const Source* side : {&left, &right}) {
        if (side->CoefficientsOf >= 0 && side->Picture.isNull()) {
            const QString failure = coefficients->Failure(side->CoefficientsOf);
            status = failure.isEmpty()
                         ? QStringLiteral("Computing the %1...").arg(side->Label.toLower())
                         : failure;
        }
    }
    pixelInfo->setText(status);
    view->SetImages(left.Picture, right.Picture);
    view->SetLabels(left.Label, right.Label);
    const int tileSide = right.TileSide > 0 ? right.TileSide : left.TileSide;
    gridBox->setEnabled(tileSide > 0);
    view->SetGridTileSide(gridBox->isChecked() ? tileSide : 0);
    exportButton->setEnabled(!left.Picture.isNull() || !right.Picture.isNull());
}

void SideBySideTab::ShowPixel(QPoint pixel) {
    if (pixel.x() < 0) {
        pixelInfo->setText(status);
        return;
    }
    const Source left = SourceOf(*leftChoice);
    const Source right = SourceOf(*rightChoice);
    QString text =
        QStringLiteral("x %1, y %2   %3 %4   %5 %6")
            .arg(pixel.x())
            .arg(pixel.y())
            .arg(left.Label, PixelText(left, pixel), right.Label, PixelText(right, pixel));
    if (left.CoefficientsOf < 0 && right.CoefficientsOf < 0 &&
        left.Picture.rect().contains(pixel) && right.Picture.rect().contains(pixel)) {
        const QRgb a = left.Picture.pixel(pixel);
        const QRgb b = right.Picture.pixel(pixel);
        const int largest = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                      std::abs(qBlue(a) - qBlue(b))});
        text += QStringLiteral("   largest difference %1").arg(largest);
    }
    pixelInfo->setText(text);
}

QString SideBySideTab::PixelText(const Source& source, QPoint pixel) const {
    if (source.Picture.isNull() || !source.Picture.rect().contains(pixel)) {
        return QStringLiteral("-");
    }
    const CoefficientMap* map =
        source.CoefficientsOf >= 0 ? coefficients->Map(source.CoefficientsOf) : nullptr;
    if (map == nullptr) {
        const QRgb rgb = source.Picture.pixel(pixel);
        return QStringLiteral("%1 %2 %3").arg(qRed(rgb)).arg(qGreen(rgb)).arg(qBlue(rgb));
    }
    // The magnitudes themselves, each marked when the rule zeroed it.
    QStringList figures;
    for (std::size_t channel = 0; channel < 3; ++channel) {
        QString figure = QString::number(map->Magnitude(channel, pixel.x(), pixel.y()), 'g', 4);
        if (map->IsZeroed(channel, pixel.x(), pixel.y())) {
            figure += QStringLiteral(" zeroed");
        }
        figures << figure;
    }
    return QStringLiteral("|c| ") + figures.join(QStringLiteral(", "));
}

void SideBySideTab::Export(bool fullSize) {
    ExportFile(this, QStringLiteral("Export view"), QStringLiteral("PNG images (*.png)"),
               QStringLiteral("png"), [this, fullSize] {
                   QByteArray bytes;
                   QBuffer buffer(&bytes);
                   buffer.open(QIODevice::WriteOnly);
                   (fullSize ? view->RenderFullSize() : view->RenderShown()).save(&buffer, "PNG");
                   return bytes;
               });
}
