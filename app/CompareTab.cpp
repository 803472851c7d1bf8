#include "CompareTab.h"

#include "Application.h"
#include "ConversionResult.h"
#include "ExportFile.h"
#include "Guarded.h"
#include "ImageName.h"
#include "OptionsText.h"
#include "QualityText.h"
#include "ResultRow.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace {

enum Column {
    Page,
    Side,
    Tile,
    Error,
    Correction,
    Kept,
    Mse,
    Psnr,
    Ssim,
    MaxError,
    Time,
    Scaling,
    Levels,
    Rule,
    Image
};

// The value a cell sorts by (absent for a page not converted yet or a figure that is not
// defined), and its exact text for files.
constexpr int SortRole = Qt::UserRole;
constexpr int ExactRole = Qt::UserRole + 1;

QString Fixed(double value, int decimals) {
    // printf's rounding, as the page's Comp caption has it.
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return QString::fromLatin1(text);
}

// Rows without a value for the sorted column stay at the bottom in either direction.
class CompareSortModel : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
        const QVariant a = left.data(SortRole);
        const QVariant b = right.data(SortRole);
        const bool descending = sortOrder() == Qt::DescendingOrder;
        if (!a.isValid() || !b.isValid()) {
            return a.isValid() != descending && a.isValid() != b.isValid();
        }
        if (a.typeId() == QMetaType::QString) {
            return a.toString() < b.toString();
        }
        return a.toDouble() < b.toDouble();
    }
};

// How much narrower the style makes a header's label for the sort arrow: every column may be
// sorted, and its header wraps to fit what is left.
int SortArrowRoom(const QHeaderView& header, int height) {
    QStyleOptionHeader option;
    option.initFrom(&header);
    option.state |= QStyle::State_Horizontal;
    option.orientation = Qt::Horizontal;
    option.rect = QRect(0, 0, 100 + height, height);
    const int plain =
        header.style()->subElementRect(QStyle::SE_HeaderLabel, &option, &header).width();
    option.sortIndicator = QStyleOptionHeader::SortDown;
    const int sorted =
        header.style()->subElementRect(QStyle::SE_HeaderLabel, &option, &header).width();
    return std::max(0, plain - sorted);
}

QString CsvField(const QString& text) {
    return QString::fromStdString(ResultRow::Quoted(text.toStdString()));
}

} // namespace

const QStringList& CompareTab::Headers() {
    static const QStringList headers = {QStringLiteral("Page"),
                                        QStringLiteral("Side"),
                                        QStringLiteral("Tile"),
                                        QStringLiteral("Error %"),
                                        QStringLiteral("Color correction"),
                                        QStringLiteral("Kept %"),
                                        QStringLiteral("MSE"),
                                        QStringLiteral("PSNR (dB)"),
                                        QStringLiteral("SSIM"),
                                        QStringLiteral("Max error"),
                                        QStringLiteral("Time (ms)"),
                                        QStringLiteral("DCT scaling"),
                                        QStringLiteral("Levels"),
                                        QStringLiteral("Rule"),
                                        QStringLiteral("Image")};
    return headers;
}

CompareTab::CompareTab(const QStringList& pageCaptions, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CompareTab"));
    shownOptions.resize(static_cast<std::size_t>(pageCaptions.size()));
    model = new QStandardItemModel(static_cast<int>(pageCaptions.size()),
                                   static_cast<int>(Headers().size()), this);
    model->setHorizontalHeaderLabels(Headers());
    model->setHeaderData(Tile, Qt::Horizontal, QStringLiteral("Tile side in pixels"),
                         Qt::ToolTipRole);
    model->setHeaderData(Side, Qt::Horizontal,
                         QStringLiteral("Side of the square that was converted, in pixels"),
                         Qt::ToolTipRole);
    model->setHeaderData(Time, Qt::Horizontal,
                         QStringLiteral("Time spent computing, without reading and showing "
                                        "the pixels"),
                         Qt::ToolTipRole);
    model->setHeaderData(Error, Qt::Horizontal,
                         QStringLiteral("The permitted error, or under the kept-share rule the "
                                        "share of each tile's coefficients asked to keep"),
                         Qt::ToolTipRole);
    model->setHeaderData(Levels, Qt::Horizontal,
                         QStringLiteral("The wavelet levels: as the page means Haar through "
                                        "every level and D4 one step"),
                         Qt::ToolTipRole);
    model->setHeaderData(Rule, Qt::Horizontal,
                         QStringLiteral("Error: each tile drops coefficients up to the permitted "
                                        "error. Kept: each tile keeps the share in \"Error %\""),
                         Qt::ToolTipRole);
    model->setHeaderData(Image, Qt::Horizontal,
                         QStringLiteral("The image the result was made from; a grey row is of "
                                        "another image than the loaded one"),
                         Qt::ToolTipRole);
    pages = static_cast<int>(pageCaptions.size());
    shownImages.resize(static_cast<std::size_t>(pages));
    for (int row = 0; row < pages; ++row) {
        AddRow(row, pageCaptions[row]);
    }

    sorted = new CompareSortModel(this);
    sorted->setSourceModel(model);

    table = new QTableView(this);
    table->setObjectName(QStringLiteral("CompareTable"));
    table->setModel(sorted);
    table->setSortingEnabled(true);
    table->sortByColumn(Page, Qt::AscendingOrder);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter) |
                                                   Qt::Alignment(Qt::TextWordWrap));
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->horizontalHeader()->setStretchLastSection(false);
    table->setToolTip(QStringLiteral("Each page's last conversion. Click a header to sort; "
                                     "Ctrl+C copies the selected rows with the header."));

    exportButton = new QToolButton(this);
    exportButton->setObjectName(QStringLiteral("CompareExportButton"));
    exportButton->setText(QStringLiteral("Export CSV..."));
    exportButton->setToolTip(QStringLiteral("Save the table as a CSV file"));
    exportButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    exportButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    // Until a page has converted there is nothing to export.
    exportButton->setEnabled(false);

    table->installEventFilter(this);
    connect(exportButton, &QToolButton::clicked, this, Guarded(this, &CompareTab::ExportCsv));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(exportButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);
    FitColumns();
}

void CompareTab::FitColumns() {
    QHeaderView* header = table->horizontalHeader();
    const QFontMetrics headerMetrics = header->fontMetrics();
    // Rows made with other options are bold: every cell is measured as if it were.
    QFont bold = table->font();
    bold.setBold(true);
    const QFontMetrics cellMetrics(bold);
    const int padding = 2 * table->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    const int height = 2 * headerMetrics.height() + padding / 2;
    const int arrow = SortArrowRoom(*header, height);
    for (int column = 0; column < model->columnCount(); ++column) {
        int width = 0;
        for (const QString& word : Headers()[column].split(' ')) {
            width = std::max(width, headerMetrics.horizontalAdvance(word));
        }
        for (int row = 0; row < model->rowCount(); ++row) {
            width =
                std::max(width, cellMetrics.horizontalAdvance(model->item(row, column)->text()));
        }
        table->setColumnWidth(column, width + padding + arrow);
    }
    header->setFixedHeight(height);
}

void CompareTab::AddRow(int row, const QString& caption) {
    for (int column = 0; column < Headers().size(); ++column) {
        auto* item = new QStandardItem;
        item->setEditable(false);
        item->setTextAlignment(column == Page || column == Correction || column >= Scaling
                                   ? Qt::AlignLeft | Qt::AlignVCenter
                                   : Qt::AlignRight | Qt::AlignVCenter);
        model->setItem(row, column, item);
    }
    QStandardItem* page = model->item(row, Page);
    page->setText(caption);
    page->setData(row, SortRole);
    page->setData(caption, ExactRole);
}

void CompareTab::ShowBestPerTile(const ConversionResult& result, const QString& imagePath) {
    if (model->rowCount() == pages) {
        shownOptions.emplace_back();
        shownImages.emplace_back();
        AddRow(pages, QStringLiteral("Best per tile"));
    }
    FillRow(pages, result, imagePath);
}

void CompareTab::ShowResult(int page, const ConversionResult& result, const QString& imagePath) {
    if (page < 0 || page >= pages) {
        throw std::invalid_argument("CompareTab: no page " + std::to_string(page));
    }
    FillRow(page, result, imagePath);
}

void CompareTab::FillRow(int page, const ConversionResult& result, const QString& imagePath) {
    const ConversionSettings& s = result.Settings;
    const double percent = s.ErrorPercent;
    const int tileSide = s.TileCount > 0 ? s.Side / s.TileCount : 0;
    const QualityFigures& q = result.Quality;
    const auto set = [&](int column, const QString& text, const QVariant& key,
                         const QString& exact) {
        QStandardItem* item = model->item(page, column);
        item->setText(text);
        item->setData(key, SortRole);
        item->setData(exact, ExactRole);
    };
    const auto number = [&](int column, double value, const QString& text) {
        set(column, text, std::isnan(value) ? QVariant() : QVariant(value), ExactNumber(value));
    };
    number(Side, s.Side, QString::number(s.Side));
    number(Tile, tileSide, QString::number(tileSide));
    number(Error, percent, QString::number(percent, 'g', 6));
    set(Correction, s.ColorCorrection ? QStringLiteral("yes") : QStringLiteral("no"),
        s.ColorCorrection ? 1 : 0,
        s.ColorCorrection ? QStringLiteral("yes") : QStringLiteral("no"));
    number(Kept, result.MeanKeptPercent, Fixed(result.MeanKeptPercent, 2));
    number(Mse, q.Mse, std::isnan(q.Mse) ? QStringLiteral("n/a") : Fixed(q.Mse, 3));
    number(Psnr, q.PsnrDb, PsnrText(q.PsnrDb));
    number(Ssim, q.Ssim ? *q.Ssim : std::nan(""), SsimText(q.Ssim, 4));
    number(MaxError, q.MaxError, QString::number(q.MaxError));
    number(Time, result.ComputeMilliseconds, Fixed(result.ComputeMilliseconds, 1));
    const TransformOptions& o = s.Options;
    // Short words in the table; the header tooltips and the options bar say the rest.
    set(Scaling, ScalingText(o.Scaling), static_cast<int>(o.Scaling),
        QString::fromStdString(ScalingName(o.Scaling)));
    set(Levels,
        o.Levels == PageLevels         ? QStringLiteral("As page")
        : o.Levels == AllWaveletLevels ? QStringLiteral("All")
                                       : QString::number(o.Levels),
        o.Levels, QString::fromStdString(LevelsName(o.Levels)));
    set(Rule, o.Rule == KeepRule::Kept ? QStringLiteral("Kept") : QStringLiteral("Error"),
        static_cast<int>(o.Rule), QString::fromStdString(RuleName(o.Rule)));
    // The file name to read and sort by, the whole path for files.
    set(Image, ImageNameOf(imagePath), ImageNameOf(imagePath), imagePath);
    shownOptions[static_cast<std::size_t>(page)] = o;
    shownImages[static_cast<std::size_t>(page)] = imagePath;
    MarkRows();
    sorted->invalidate();
    FitColumns();
    exportButton->setEnabled(true);
}

void CompareTab::SetCurrentOptions(const TransformOptions& options) {
    currentOptions = options;
    MarkRows();
}

void CompareTab::SetLoadedImage(const QString& path) {
    loadedImage = path;
    MarkRows();
}

bool CompareTab::OfOtherImage(int row) const {
    if (row < 0 || row >= model->rowCount()) {
        return false;
    }
    const auto index = static_cast<std::size_t>(row);
    return shownOptions[index].has_value() && shownImages[index] != loadedImage;
}

void CompareTab::MarkRows() {
    bool alike = true;
    const TransformOptions* first = nullptr;
    for (const auto& shown : shownOptions) {
        if (shown) {
            first = first ? first : &*shown;
            alike = alike && *shown == *first;
        }
    }
    for (int row = 0; row < model->rowCount(); ++row) {
        const auto& shown = shownOptions[static_cast<std::size_t>(row)];
        // Results that agree with one another compare like with like, whatever the bar says now.
        const bool other = shown && !alike && *shown != currentOptions;
        const QString tip =
            other ? QStringLiteral("Made with other transform options than the current ones (%1); "
                                   "convert the page again to compare like with like.")
                        .arg(OptionsCaption(currentOptions).isEmpty()
                                 ? QStringLiteral("the defaults")
                                 : OptionsCaption(currentOptions))
            : row >= pages
                ? QStringLiteral("Every tile from the transform that does best on it. Its kept "
                                 "share does not count the choice of transform itself (about "
                                 "log2 6 = 2.6 bits a tile).")
                : QString();
        const bool otherImage = OfOtherImage(row);
        const QString& path = shownImages[static_cast<std::size_t>(row)];
        const QString imageTip =
            otherImage ? QStringLiteral("Made from %1, not the loaded image; convert the page "
                                        "again to compare it with the loaded image.")
                             .arg(ImageNameOf(path))
                       : QString();
        const QString rowTip =
            tip.isEmpty() || imageTip.isEmpty() ? tip + imageTip : tip + '\n' + imageTip;
        const QString pathTip = !shown ? QString()
                                : path.isEmpty()
                                    ? QStringLiteral("No image was loaded: the page converted a "
                                                     "white square")
                                    : path;
        const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
        for (int column = 0; column < model->columnCount(); ++column) {
            QStandardItem* item = model->item(row, column);
            QFont font = item->font();
            font.setBold(other && (column == Page || (column >= Scaling && column <= Rule)));
            item->setFont(font);
            item->setToolTip(column == Image ? pathTip : rowTip);
            item->setData(otherImage ? QVariant(QBrush(grey)) : QVariant(), Qt::ForegroundRole);
        }
    }
}

bool CompareTab::Marked(int page) const {
    return page >= 0 && page < model->rowCount() && model->item(page, Page)->font().bold();
}

QString CompareTab::Csv() const {
    QStringList lines;
    QStringList header;
    for (const QString& h : Headers()) {
        header << CsvField(h);
    }
    lines << header.join(',');
    for (int row = 0; row < sorted->rowCount(); ++row) {
        // A page not converted yet has no side.
        if (!sorted->index(row, Side).data(SortRole).isValid()) {
            continue;
        }
        QStringList fields;
        for (int column = 0; column < sorted->columnCount(); ++column) {
            fields << CsvField(sorted->index(row, column).data(ExactRole).toString());
        }
        lines << fields.join(',');
    }
    return lines.join('\n') + '\n';
}

QString CompareTab::SelectedRowsText() const {
    QList<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows()) {
        rows << index.row();
    }
    if (rows.isEmpty()) {
        return QString();
    }
    std::sort(rows.begin(), rows.end());
    // Pasted on its own, a row needs its header to be read.
    QStringList lines;
    QStringList header;
    for (int column = 0; column < sorted->columnCount(); ++column) {
        header << sorted->headerData(column, Qt::Horizontal).toString();
    }
    lines << header.join('\t');
    for (int row : rows) {
        QStringList cells;
        for (int column = 0; column < sorted->columnCount(); ++column) {
            cells << sorted->index(row, column).data(Qt::DisplayRole).toString();
        }
        lines << cells.join('\t');
    }
    return lines.join('\n') + '\n';
}

bool CompareTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        if (event->type() == QEvent::KeyPress) {
            CopySelection();
        }
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CompareTab::CopySelection() {
    const QString text = SelectedRowsText();
    if (!text.isEmpty()) {
        QApplication::clipboard()->setText(text);
    }
}

void CompareTab::ExportCsv() {
    ExportFile(this, QStringLiteral("Export comparison"), QStringLiteral("CSV files (*.csv)"),
               QStringLiteral("csv"), [this] { return Csv().toUtf8(); });
}
