#pragma once

#include "TransformOptions.h"

#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;
class QToolButton;
struct ConversionResult;

// The "Compare" tab: one row per transform page, in page order, describing that page's last
// conversion (the settings it ran with and what it achieved). Sortable by any column; Ctrl+C
// copies the selected rows as tab-separated text; a button exports the table as CSV.
class CompareTab : public QWidget {
    Q_OBJECT

public:
    // The column headers, in order.
    static const QStringList& Headers();

    CompareTab(const QStringList& pageCaptions, QWidget* parent = nullptr);

    // Fills the row of the page with the given index.
    void ShowResult(int page, const ConversionResult& result);
    // Fills the "Best per tile" row after the pages, adding it the first time.
    void ShowBestPerTile(const ConversionResult& result);
    // The options the next conversions run with. When the results shown were not all made
    // with the same options, the rows made otherwise are marked: bold, with a tooltip.
    void SetCurrentOptions(const TransformOptions& options);
    bool Marked(int page) const;

    // The converted rows in the order shown, with a header line; every figure exact.
    QString Csv() const;
    // The selected rows as shown, a line each, cells separated by tabs.
    QString SelectedRowsText() const;

    void ExportCsv();
    void CopySelection();

protected:
    // Ctrl+C on the table copies whole rows, not the cell the table would copy.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Every column as wide as its widest cell or the longest word of its header, which wraps.
    void FitColumns();
    void MarkOtherOptions();
    void AddRow(int row, const QString& caption);
    void FillRow(int row, const ConversionResult& result);

    QStandardItemModel* model;
    QSortFilterProxyModel* sorted;
    QTableView* table;
    QToolButton* exportButton;
    // Per page, the options of the result its row shows.
    std::vector<std::optional<TransformOptions>> shownOptions;
    TransformOptions currentOptions;
    int pages = 0;
};
