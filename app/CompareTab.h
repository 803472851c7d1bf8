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
// conversion (the settings it ran with and what it achieved) and the image it was made from.
// Sortable by any column; Ctrl+C copies the header and the selected rows as tab-separated text;
// a button exports the table as CSV. A row of another image than the loaded one is greyed:
// opening an image keeps the pages' results, which no longer describe the image shown.
class CompareTab : public QWidget {
    Q_OBJECT

public:
    // The column headers, in order.
    static const QStringList& Headers();

    CompareTab(const QStringList& pageCaptions, QWidget* parent = nullptr);

    // Fills the row of the page with the given index; imagePath is the image the result was
    // made from (empty: the white square converted before any image was loaded).
    void ShowResult(int page, const ConversionResult& result, const QString& imagePath);
    // Fills the "Best per tile" row after the pages, adding it the first time.
    void ShowBestPerTile(const ConversionResult& result, const QString& imagePath);
    // The image the next conversions convert; the rows of other images are greyed.
    void SetLoadedImage(const QString& path);
    // Whether the row shows a result of another image than the loaded one.
    bool OfOtherImage(int row) const;
    // The options the next conversions run with. When the results shown were not all made
    // with the same options, the rows made otherwise are marked: bold, with a tooltip.
    void SetCurrentOptions(const TransformOptions& options);
    bool Marked(int page) const;

    // The converted rows in the order shown, with a header line; every figure exact.
    QString Csv() const;
    // The header line and the selected rows as shown, a line each, cells separated by tabs;
    // empty without a selection.
    QString SelectedRowsText() const;

    void ExportCsv();
    void CopySelection();

protected:
    // Ctrl+C on the table copies whole rows, not the cell the table would copy.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Every column as wide as its widest cell or the longest word of its header, which wraps.
    void FitColumns();
    // Marks the rows made with other options (bold) and of other images (grey), with tooltips.
    void MarkRows();
    void AddRow(int row, const QString& caption);
    void FillRow(int row, const ConversionResult& result, const QString& imagePath);

    QStandardItemModel* model;
    QSortFilterProxyModel* sorted;
    QTableView* table;
    QToolButton* exportButton;
    // Per page, the options of the result its row shows.
    std::vector<std::optional<TransformOptions>> shownOptions;
    // Per row, the path of the image its result was made from.
    std::vector<QString> shownImages;
    TransformOptions currentOptions;
    QString loadedImage;
    int pages = 0;
};
