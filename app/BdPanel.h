#pragma once

#include "BatchRow.h"
#include "BdCurve.h"
#include "Bjontegaard.h"

#include <QWidget>

#include <vector>

class QComboBox;
class QLabel;
class QTableWidget;
class QToolButton;

// The Bjontegaard figures of a sweep's curves, under the chart: a table (BdTable) with a row per
// curve against the reference (BdReferenceChoice, "DCT 2D" by default) by one method
// (BdMethodChoice), and the answer in one sentence (BdSummaryLabel). A row fills once both its
// curve and the reference are complete; the sentence once every curve is. Ctrl+C on the table
// copies it with the sentence, and BdExportButton saves the same as CSV.
//
// For a set of images (SetRows) a row gives the transform's figures over the images: each
// image's curve against the same image's reference, then the mean, the spread and the range
// over the images; the CSV is tarvish-summary's BD table.
class BdPanel : public QWidget {
    Q_OBJECT

public:
    explicit BdPanel(QWidget* parent = nullptr);

    // The sweep's curves so far; running says whether more points may come.
    void SetCurves(std::vector<BdCurve> curves, bool running);
    // The rows of one group of a set of images (ResultsSet::RowsOf).
    void SetRows(std::vector<BatchRow> rows);

    QString Summary() const;
    // The table and the sentence: a header line, a line per row, then the sentence; cells
    // separated by separator (figures exact in CSV, as shown otherwise).
    QString Text(QChar separator, bool exact) const;
    void ExportCsv();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Recompute();
    void RecomputeSet();
    void FillChoices(const QStringList& names);
    // The header labels of a sweep's table or a set's.
    void SetHeaders(bool ofSet);
    BdMethod Method() const;
    // A cell of the table, its figure exact for the CSV in exact and why it is empty in tip.
    void SetCell(int row, int column, const QString& text, const QString& exact,
                 const QString& tip);

    std::vector<BdCurve> curves;
    // A set's rows; setMode while they are shown.
    std::vector<BatchRow> setRows;
    bool setMode = false;
    bool running = false;
    QComboBox* referenceChoice;
    QComboBox* methodChoice;
    QTableWidget* table;
    QLabel* summary;
    QToolButton* exportButton;
};
