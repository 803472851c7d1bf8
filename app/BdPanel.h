#pragma once

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
class BdPanel : public QWidget {
    Q_OBJECT

public:
    explicit BdPanel(QWidget* parent = nullptr);

    // The sweep's curves so far; running says whether more points may come.
    void SetCurves(std::vector<BdCurve> curves, bool running);

    QString Summary() const;
    // The table and the sentence: a header line, a line per row, then the sentence; cells
    // separated by separator (figures exact in CSV, as shown otherwise).
    QString Text(QChar separator, bool exact) const;
    void ExportCsv();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Recompute();
    void FillChoices();

    std::vector<BdCurve> curves;
    bool running = false;
    QComboBox* referenceChoice;
    QComboBox* methodChoice;
    QTableWidget* table;
    QLabel* summary;
    QToolButton* exportButton;
};
