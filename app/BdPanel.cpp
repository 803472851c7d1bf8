#include "BdPanel.h"

#include "ExportFile.h"
#include "Guarded.h"
#include "ResultRow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

enum Column { Name, Kept, Psnr, Overlap, Points };

constexpr int ExactRole = Qt::UserRole;

QString Fixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString Exact(double value) {
    return QString::fromStdString(ResultRow::Number(value));
}

QString CsvField(const QString& text) {
    return QString::fromStdString(ResultRow::Quoted(text.toStdString()));
}

} // namespace

BdPanel::BdPanel(QWidget* parent) : QWidget(parent) {
    referenceChoice = new QComboBox(this);
    referenceChoice->setObjectName(QStringLiteral("BdReferenceChoice"));
    referenceChoice->setToolTip(QStringLiteral("The curve the others are compared with"));
    methodChoice = new QComboBox(this);
    methodChoice->setObjectName(QStringLiteral("BdMethodChoice"));
    methodChoice->addItems(
        {QStringLiteral("Cubic fit (VCEG-M33)"), QStringLiteral("Piecewise cubic")});
    methodChoice->setToolTip(
        QStringLiteral("<p>Cubic fit: the least-squares cubic through each curve's points, as "
                       "Bjontegaard's VCEG-M33 defines it. Piecewise cubic: the monotone "
                       "piecewise cubic through the points (as scipy's PchipInterpolator).</p>"));

    table = new QTableWidget(0, 5, this);
    table->setObjectName(QStringLiteral("BdTable"));
    table->setHorizontalHeaderLabels({QStringLiteral("Transform"), QStringLiteral("BD kept %"),
                                      QStringLiteral("BD PSNR (dB)"),
                                      QStringLiteral("Overlap (dB)"), QStringLiteral("Points")});
    table->horizontalHeaderItem(Kept)->setToolTip(QStringLiteral(
        "<p>How many more (positive) or fewer (negative) coefficients the transform keeps than "
        "the reference at equal PSNR, on average over the overlap. It counts coefficients, not "
        "bits (no positions, no entropy coding), so it is not a BD-rate.</p>"));
    table->horizontalHeaderItem(Psnr)->setToolTip(
        QStringLiteral("How much higher the PSNR is than the reference's at an equal kept share, "
                       "on average over the overlap"));
    table->horizontalHeaderItem(Overlap)->setToolTip(
        QStringLiteral("The PSNR range both curves cover, which BD kept averages over"));
    table->horizontalHeaderItem(Points)->setToolTip(
        QStringLiteral("<p>The curve's points that count: a finite PSNR and a kept share above "
                       "0, each better than the last in both; at least 4 are needed.</p>"));
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(Name, QHeaderView::Stretch);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Room for the six transforms and the best-per-tile row, and no more: the chart wants it.
    table->setMaximumHeight(table->horizontalHeader()->sizeHint().height() +
                            7 * (table->fontMetrics().height() + 6) + 2 * table->frameWidth());
    table->installEventFilter(this);

    summary = new QLabel(this);
    summary->setObjectName(QStringLiteral("BdSummaryLabel"));
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    exportButton = new QToolButton(this);
    exportButton->setObjectName(QStringLiteral("BdExportButton"));
    exportButton->setText(QStringLiteral("BD CSV..."));
    exportButton->setToolTip(QStringLiteral("Save the BD table and its sentence as a CSV file"));
    exportButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    exportButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    connect(referenceChoice, &QComboBox::currentIndexChanged, this, [this] { Recompute(); });
    connect(methodChoice, &QComboBox::currentIndexChanged, this, [this] { Recompute(); });
    connect(exportButton, &QToolButton::clicked, this, Guarded(this, &BdPanel::ExportCsv));

    auto* choices = new QHBoxLayout;
    choices->setSpacing(4);
    choices->addWidget(new QLabel(QStringLiteral("BD against"), this));
    choices->addWidget(referenceChoice);
    choices->addWidget(methodChoice);
    choices->addStretch(1);
    choices->addWidget(exportButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(choices);
    layout->addWidget(table, 1);
    layout->addWidget(summary);
    Recompute();
}

void BdPanel::SetCurves(std::vector<BdCurve> newCurves, bool stillRunning) {
    curves = std::move(newCurves);
    running = stillRunning;
    FillChoices();
    Recompute();
}

void BdPanel::FillChoices() {
    QStringList names;
    for (const BdCurve& c : curves) {
        names << c.Name;
    }
    QStringList shown;
    for (int i = 0; i < referenceChoice->count(); ++i) {
        shown << referenceChoice->itemText(i);
    }
    if (names == shown) {
        return;
    }
    const QString chosen =
        referenceChoice->count() > 0 ? referenceChoice->currentText() : QStringLiteral("DCT 2D");
    const QSignalBlocker blocker(referenceChoice);
    referenceChoice->clear();
    referenceChoice->addItems(names);
    const int index = static_cast<int>(names.indexOf(chosen));
    referenceChoice->setCurrentIndex(index >= 0 ? index : 0);
}

void BdPanel::Recompute() {
    const BdMethod method =
        methodChoice->currentIndex() == 1 ? BdMethod::PiecewiseCubic : BdMethod::CubicFit;
    const int refIndex = referenceChoice->currentIndex();
    const BdCurve* reference =
        refIndex >= 0 && refIndex < static_cast<int>(curves.size()) ? &curves[refIndex] : nullptr;
    table->setRowCount(static_cast<int>(curves.size()));
    const auto cell = [&](int row, int column, const QString& text, const QString& exact,
                          const QString& tip) {
        auto* item = new QTableWidgetItem(text);
        item->setData(ExactRole, exact);
        item->setToolTip(tip);
        item->setTextAlignment(column == Name ? Qt::AlignLeft | Qt::AlignVCenter
                                              : Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    };
    const QString waiting = running ? QStringLiteral("the sweep has not made this curve yet")
                                    : QStringLiteral("the sweep stopped before the curve was "
                                                     "complete");
    // The row with the lowest BD kept, for the sentence.
    int best = -1;
    double bestKept = 0.0;
    // Best per tile's BD kept, which the sentence adds; it does not compete with the transforms.
    std::optional<double> tileKept;
    QString reason;
    bool allComplete = !curves.empty();
    for (int row = 0; row < static_cast<int>(curves.size()); ++row) {
        const BdCurve& curve = curves[row];
        cell(row, Name, curve.Name, curve.Name, QString());
        allComplete = allComplete && curve.Complete;
        if (!curve.Complete || !reference || !reference->Complete) {
            const QString why = !curve.Complete ? waiting
                                                : (running ? QStringLiteral("the reference curve "
                                                                            "is not complete yet")
                                                           : QStringLiteral("the reference curve "
                                                                            "is not complete"));
            for (int column : {Kept, Psnr, Overlap, Points}) {
                cell(row, column, running ? QStringLiteral("...") : QStringLiteral("n/a"),
                     QString(), why);
            }
            reason = why;
            continue;
        }
        const BdFigures f = Bjontegaard(reference->Points, curve.Points, method);
        const QString note = QString::fromStdString(f.Note);
        const QString na = QStringLiteral("n/a");
        if (f.KeptPercent) {
            cell(row, Kept, Fixed(*f.KeptPercent, 1), Exact(*f.KeptPercent), QString());
            if (curve.Name == BestPerTileName()) {
                tileKept = *f.KeptPercent;
            } else if (&curve != reference && (best < 0 || *f.KeptPercent < bestKept)) {
                best = row;
                bestKept = *f.KeptPercent;
            }
        } else {
            cell(row, Kept, na, QString(), note);
            reason = note;
        }
        if (f.PsnrDb) {
            cell(row, Psnr, Fixed(*f.PsnrDb, 2), Exact(*f.PsnrDb), QString());
        } else {
            cell(row, Psnr, na, QString(), note);
        }
        if (f.OverlapLowDb) {
            cell(row, Overlap,
                 QStringLiteral("%1-%2").arg(Fixed(*f.OverlapLowDb, 1), Fixed(*f.OverlapHighDb, 1)),
                 Exact(*f.OverlapLowDb) + QStringLiteral("-") + Exact(*f.OverlapHighDb), QString());
        } else {
            cell(row, Overlap, na, QString(), note);
        }
        cell(row, Points, QString::number(f.TestPoints), QString::number(f.TestPoints),
             f.TestPoints < BdMinimumPoints ? note : QString());
    }

    if (!reference) {
        summary->setText(QStringLiteral("Sweep to compare the transforms at equal PSNR."));
    } else if (!allComplete) {
        summary->setText(running ? QStringLiteral("The answer comes once every curve is complete.")
                                 : QStringLiteral("No answer: %1.").arg(reason));
    } else if (best < 0) {
        summary->setText(QStringLiteral("No BD figures: %1.").arg(reason));
    } else {
        QString text;
        if (bestKept >= 0.0) {
            text = QStringLiteral("%1 keeps the fewest coefficients at equal PSNR")
                       .arg(reference->Name);
        } else {
            const QTableWidgetItem* overlap = table->item(best, Overlap);
            text =
                QStringLiteral("At equal PSNR (%1 dB), %2 keeps %3 % fewer coefficients than %4")
                    .arg(overlap->text(), curves[best].Name, Fixed(-bestKept, 1), reference->Name);
        }
        if (tileKept && reference->Name != BestPerTileName()) {
            const QString shown = Fixed(std::fabs(*tileKept), 1);
            text +=
                shown == QStringLiteral("0.0")
                    ? QStringLiteral("; %1 keeps as many").arg(BestPerTileName())
                    : QStringLiteral("; %1 keeps %2 % %3")
                          .arg(BestPerTileName(), shown,
                               *tileKept < 0.0 ? QStringLiteral("fewer") : QStringLiteral("more"));
        }
        summary->setText(text + QStringLiteral("."));
    }
    exportButton->setEnabled(reference != nullptr);
}

QString BdPanel::Summary() const {
    return summary->text();
}

QString BdPanel::Text(QChar separator, bool exact) const {
    const auto field = [&](const QString& text) { return exact ? CsvField(text) : text; };
    QStringList lines;
    QStringList header;
    for (int column = 0; column < table->columnCount(); ++column) {
        header << field(table->horizontalHeaderItem(column)->text());
    }
    header << field(QStringLiteral("Note"));
    lines << header.join(separator);
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        QString note;
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem* item = table->item(row, column);
            cells << field(exact ? item->data(ExactRole).toString() : item->text());
            if (note.isEmpty()) {
                note = item->toolTip();
            }
        }
        cells << field(note);
        lines << cells.join(separator);
    }
    lines << field(summary->text());
    return lines.join('\n') + '\n';
}

void BdPanel::ExportCsv() {
    ExportFile(this, QStringLiteral("Export BD figures"), QStringLiteral("CSV files (*.csv)"),
               QStringLiteral("csv"), [this] { return Text(',', true).toUtf8(); });
}

bool BdPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        if (event->type() == QEvent::KeyPress) {
            QApplication::clipboard()->setText(Text('\t', false));
        }
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
