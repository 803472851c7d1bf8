#include "BdPanel.h"

#include "BdSetTable.h"
#include "BdSummary.h"
#include "CurveKey.h"
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
    SetHeaders(false);
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

void BdPanel::SetHeaders(bool ofSet) {
    const QString keptTip = QStringLiteral(
        "<p>How many more (positive) or fewer (negative) coefficients the transform keeps than "
        "the reference at equal PSNR, on average over the overlap. It counts coefficients, not "
        "bits (no positions, no entropy coding), so it is not a BD-rate.</p>");
    const QString perImage = QStringLiteral(
        "<p>Computed for each image, its curve against its own reference curve, then the mean "
        "and the sample standard deviation over the images: never from the averaged "
        "curves.</p>");
    if (ofSet) {
        table->setHorizontalHeaderLabels(
            {QStringLiteral("Transform"), QStringLiteral("BD kept % (mean \u00b1 sd)"),
             QStringLiteral("BD PSNR dB (mean \u00b1 sd)"), QStringLiteral("BD kept % range"),
             QStringLiteral("Images")});
        table->horizontalHeaderItem(Kept)->setToolTip(keptTip + perImage);
        table->horizontalHeaderItem(Psnr)->setToolTip(
            QStringLiteral("<p>How much higher the PSNR is than the reference's at an equal kept "
                           "share.</p>") +
            perImage);
        table->horizontalHeaderItem(Overlap)->setToolTip(
            QStringLiteral("The lowest and the highest BD kept of the images"));
        table->horizontalHeaderItem(Points)->setToolTip(QStringLiteral(
            "<p>The images whose BD figures are defined, which the figures are over; in "
            "brackets those whose are not (no reference curve, fewer than 4 points, no "
            "overlap).</p>"));
        return;
    }
    table->setHorizontalHeaderLabels({QStringLiteral("Transform"), QStringLiteral("BD kept %"),
                                      QStringLiteral("BD PSNR (dB)"),
                                      QStringLiteral("Overlap (dB)"), QStringLiteral("Points")});
    table->horizontalHeaderItem(Kept)->setToolTip(keptTip);
    table->horizontalHeaderItem(Psnr)->setToolTip(
        QStringLiteral("How much higher the PSNR is than the reference's at an equal kept share, "
                       "on average over the overlap"));
    table->horizontalHeaderItem(Overlap)->setToolTip(
        QStringLiteral("The PSNR range both curves cover, which BD kept averages over"));
    table->horizontalHeaderItem(Points)->setToolTip(
        QStringLiteral("<p>The curve's points that count: a finite PSNR and a kept share above "
                       "0, each better than the last in both; at least 4 are needed.</p>"));
}

BdMethod BdPanel::Method() const {
    return methodChoice->currentIndex() == 1 ? BdMethod::PiecewiseCubic : BdMethod::CubicFit;
}

void BdPanel::SetCurves(std::vector<BdCurve> newCurves, bool stillRunning) {
    curves = std::move(newCurves);
    running = stillRunning;
    if (setMode) {
        setMode = false;
        setRows.clear();
        SetHeaders(false);
    }
    QStringList names;
    for (const BdCurve& c : curves) {
        names << c.Name;
    }
    FillChoices(names);
    Recompute();
}

void BdPanel::SetRows(std::vector<BatchRow> rows) {
    setRows = std::move(rows);
    curves.clear();
    running = false;
    if (!setMode) {
        setMode = true;
        SetHeaders(true);
    }
    std::vector<std::string> transforms;
    for (const BatchRow& row : setRows) {
        if (std::find(transforms.begin(), transforms.end(), row.Transform) == transforms.end()) {
            transforms.push_back(row.Transform);
        }
    }
    std::sort(transforms.begin(), transforms.end(), [](const auto& a, const auto& b) {
        return CurveKey::TransformRank(a) < CurveKey::TransformRank(b);
    });
    QStringList names;
    for (const std::string& name : transforms) {
        names << QString::fromStdString(name);
    }
    FillChoices(names);
    Recompute();
}

void BdPanel::FillChoices(const QStringList& names) {
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

void BdPanel::SetCell(int row, int column, const QString& text, const QString& exact,
                      const QString& tip) {
    auto* item = new QTableWidgetItem(text);
    item->setData(ExactRole, exact);
    item->setToolTip(tip);
    item->setTextAlignment(column == Name ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, column, item);
}

void BdPanel::RecomputeSet() {
    const std::vector<SetBd> figures =
        referenceChoice->count() == 0
            ? std::vector<SetBd>()
            : BdSummary::Of(setRows, referenceChoice->currentText().toStdString(), Method());
    table->setRowCount(static_cast<int>(figures.size()));
    const auto cell = [this](int row, int column, const QString& text, const QString& exact,
                             const QString& tip) { SetCell(row, column, text, exact, tip); };
    const auto spread = [](const SampleStatistics& s, int decimals) {
        if (s.Count == 0) {
            return QStringLiteral("n/a");
        }
        return s.Count == 1 ? Fixed(s.Mean, decimals)
                            : QStringLiteral("%1 \u00b1 %2")
                                  .arg(Fixed(s.Mean, decimals), Fixed(s.Std, decimals));
    };
    const SetBd* best = nullptr;
    const QString reference = referenceChoice->currentText();
    for (int row = 0; row < static_cast<int>(figures.size()); ++row) {
        const SetBd& f = figures[row];
        const QString name = QString::fromStdString(f.Key.Transform);
        cell(row, Name, name, name, QString());
        const QString why =
            f.Defined == 0 ? QStringLiteral("no image has both figures defined") : QString();
        cell(row, Kept, spread(f.KeptPercent, 1), f.Defined ? Exact(f.KeptPercent.Mean) : QString(),
             why);
        cell(row, Psnr, spread(f.PsnrDb, 2), f.Defined ? Exact(f.PsnrDb.Mean) : QString(), why);
        cell(row, Overlap,
             f.Defined ? QStringLiteral("%1 to %2")
                             .arg(Fixed(f.KeptPercent.Min, 1), Fixed(f.KeptPercent.Max, 1))
                       : QStringLiteral("n/a"),
             f.Defined
                 ? Exact(f.KeptPercent.Min) + QStringLiteral(" to ") + Exact(f.KeptPercent.Max)
                 : QString(),
             why);
        const QString images = f.Undefined == 0
                                   ? QString::number(f.Defined)
                                   : QStringLiteral("%1 (%2 not)").arg(f.Defined).arg(f.Undefined);
        cell(row, Points, images, images, QString());
        if (f.Defined > 0 && name != reference && name != BestPerTileName() &&
            (!best || f.KeptPercent.Mean < best->KeptPercent.Mean)) {
            best = &f;
        }
    }
    if (figures.empty()) {
        summary->setText(QStringLiteral("No curves to compare."));
    } else if (!best) {
        summary->setText(QStringLiteral("No BD figures over the set."));
    } else if (best->KeptPercent.Mean >= 0.0) {
        summary->setText(
            QStringLiteral("Over %1 images, %2 keeps the fewest coefficients at equal PSNR "
                           "(figures per image, then averaged).")
                .arg(best->Defined)
                .arg(reference));
    } else {
        summary->setText(
            QStringLiteral("Over %1 images, %2 keeps on average %3 % fewer "
                           "coefficients than %4 at equal PSNR (sd %5 %; figures "
                           "per image, then averaged).")
                .arg(best->Defined)
                .arg(QString::fromStdString(best->Key.Transform), Fixed(-best->KeptPercent.Mean, 1),
                     reference,
                     best->Defined > 1 ? Fixed(best->KeptPercent.Std, 1) : QStringLiteral("n/a")));
    }
    exportButton->setEnabled(!figures.empty());
}

void BdPanel::Recompute() {
    if (setMode) {
        RecomputeSet();
        return;
    }
    const BdMethod method = Method();
    const int refIndex = referenceChoice->currentIndex();
    const BdCurve* reference =
        refIndex >= 0 && refIndex < static_cast<int>(curves.size()) ? &curves[refIndex] : nullptr;
    table->setRowCount(static_cast<int>(curves.size()));
    const auto cell = [this](int row, int column, const QString& text, const QString& exact,
                             const QString& tip) { SetCell(row, column, text, exact, tip); };
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
               QStringLiteral("csv"), [this] {
                   if (!setMode) {
                       return Text(',', true).toUtf8();
                   }
                   // The set's figures as tarvish-summary writes them.
                   const std::vector<SetBd> figures = BdSummary::Of(
                       setRows, referenceChoice->currentText().toStdString(), Method());
                   QStringList lines;
                   QStringList header;
                   for (std::string_view column : BdSetTable::Columns()) {
                       header << QString::fromUtf8(column.data(), column.size());
                   }
                   lines << header.join(',');
                   for (const auto& row : BdSetTable::Rows(figures)) {
                       QStringList fields;
                       for (const std::string& field : row) {
                           fields << QString::fromStdString(ResultRow::Quoted(field));
                       }
                       lines << fields.join(',');
                   }
                   return (lines.join('\n') + '\n').toUtf8();
               });
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
