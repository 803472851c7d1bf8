#pragma once

#include "TransformKind.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QToolButton;
class CoefficientViews;
class SplitView;
struct ConversionResult;

// The "Side by side" tab: two results in one view (SplitView), the same area of the image at the
// same magnification on both sides, split by a divider, next to each other, or as their
// difference. Either side shows the original, a page's last result, the best per tile, or the
// coefficients of a page's last conversion (CoefficientViews).
//
// The window hands the tab what there is to show as it changes; the tab keeps its own references
// and never reads the pages. A page without a result is listed but cannot be chosen. The view's
// magnification is its own: it never changes what a page converts.
class SideBySideTab : public QWidget {
    Q_OBJECT

public:
    explicit SideBySideTab(const QStringList& pageCaptions, QWidget* parent = nullptr);
    ~SideBySideTab() override;

    // The loaded image and its file name.
    void SetOriginal(const QImage& image, const QString& name);
    // A page's last result, with its pixels, and the image it was made from; or null.
    void SetPageResult(int page, std::shared_ptr<const ConversionResult> result,
                       const QImage& source);
    void SetBestPerTile(const QImage& image);
    // The right side shows the active page until the user chooses otherwise.
    void SetActivePage(int page);

    SplitView* View() const { return view; }

private:
    // What a choice shows: its picture and its label.
    struct Source {
        QImage Picture;
        QString Label;
        // Tile side of the result, for the grid; 0 when none.
        int TileSide = 0;
        // The page whose coefficients it shows, or -1.
        int CoefficientsOf = -1;
    };

    void FillChoices();
    Source SourceOf(const QComboBox& choice) const;
    void ShowChoices();
    void ShowPixel(QPoint pixel);
    QString PixelText(const Source& source, QPoint pixel) const;
    void Export(bool fullSize);
    int ChoiceIndexOfPage(int page) const { return 1 + page; }
    int BestPerTileIndex() const { return 1 + static_cast<int>(TransformKindCount); }

    QStringList captions;
    QImage original;
    QString originalName;
    std::array<std::shared_ptr<const ConversionResult>, TransformKindCount> results;
    std::array<QImage, TransformKindCount> resultPictures;
    QImage bestPerTile;
    bool rightFollowsActivePage = true;
    int activePage = -1;

    QComboBox* leftChoice;
    QComboBox* rightChoice;
    QComboBox* modeChoice;
    QComboBox* zoomChoice;
    QComboBox* channelChoice;
    CoefficientViews* coefficients;
    // What the pixel line says when the pointer is not over the view.
    QString status;
    QCheckBox* gridBox;
    QToolButton* exportButton;
    SplitView* view;
    QLabel* pixelInfo;
};
