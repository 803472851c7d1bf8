#pragma once

#include "ConversionHost.h"
#include "FileDialog.h"
#include "ImageFormats.h"
#include "TransformPage.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <memory>

class CompareTab;
class ConversionQueue;
class ConversionRunner;
class CurvesTab;
class BestTileTab;
class ErrorsTab;
class FileBrowser;
class LivePreview;
class ImageView;
class MainMenu;
class OptionsBar;
class ProgressBar;
class QTabWidget;
class QTimer;
class SideBySideTab;
class QToolButton;
class TAboutDialog;
class Thread;
class Transform;
struct ConversionResult;

// The main window: an image browser, the loaded image and the comparisons on the left, the six
// transform pages on the right, the commands below them and in the menu bar.
//
// The parts live in classes of their own: FileBrowser (the "QuickView" page),
// TransformPageBuilder (one transform page), ConversionRunner (starting, stopping and collecting
// the conversions), CompareTab, CurvesTab and ErrorsTab (the figures of the last conversions),
// MainMenu; ConversionChecks says why a conversion cannot start.
// The window ties them together. Every change of state ends in UpdateCommands, which alone
// enables and disables the window's buttons and menu actions; the conversion workers ask for
// it (ConversionHost) instead of writing buttons.
class TMainWindow : public QWidget, public ConversionHost {
    Q_OBJECT

public:
    // The zoom never shrinks an image control below, or grows it above, these.
    static constexpr int MinimumImageSide = 8;
    static constexpr int MaximumImageSide = 8192;

    explicit TMainWindow(QWidget* parent = nullptr);
    ~TMainWindow() override;

    TransformPages Pages;
    TransformPage* CurrentPage = nullptr;
    QString CurrentFileName;
    // The loaded image's path: CurrentFileName also takes the path of each page saved.
    QString LoadedFileName;

    FileDialog OpenImageDialog;
    FileDialog SaveImageDialog;
    std::unique_ptr<TAboutDialog> AboutDialog;

    // Loading.
    void SelectImageToView();
    void SelectImageToConvert();
    void OpenButtonClick();
    // Converting.
    void ConvertButtonClick();
    // Starts every idle page that fits in memory; the others wait in the queue and start as
    // memory frees (ConversionQueue). Pages that cannot start even alone are named in one
    // message.
    void ConvertAllPages();
    // Copies the loaded image to the active page and launches its worker.
    void StartConversion();
    // The Curves tab's sweep, at the active page's side, tiles and colour correction.
    void StartSweep();
    // File > Open results: row files of tarvish-batch into the Curves tab.
    void OpenResults();
    // Stops the active page's conversion and cancels every waiting one: Stop means stop
    // converting, and waiting pages starting moments later would not be that. Conversions
    // running on other pages go on, as they always did.
    void StopButtonClick();
    // Saving, closing, About.
    void SaveButtonClick();
    // Asks once for a folder and saves every unsaved page there under tarvish-batch's name for
    // it (SaveAllPlan, SaveNames.h).
    void SaveAllPages();
    void ExitButtonClick();
    void AboutButtonClick();
    // Pages, labels, grid and zoom.
    void ChangeActivePage(int index);
    void ChangeErrorLabel();
    void DrawGrid();
    void ShowGrid();
    void ZoomInImage(Qt::MouseButton button);
    void ZoomOriginalImage(Qt::MouseButton button);
    // View > Fit side to image (SideFit.h).
    void FitSideToImage();

    // Sets the enabled state of every command, buttons and menu alike, from the state of the
    // pages and the conversions; hold keeps Save and Convert disabled (see CommandHold).
    void UpdateCommands(CommandHold hold = CommandHold::None);
    void RequestCommandUpdate(CommandHold hold) override { UpdateCommands(hold); }
    TransformOptions ConversionOptions() const override;

signals:
    // A page shows a new result: its worker's or the live preview's.
    void ResultShown(int page);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void AddTransformPage(int index);
    void BuildMenu();
    // Clicks and Ctrl+wheel on image zoom it through handler.
    void ConnectZoom(ImageView* image, void (TMainWindow::*handler)(Qt::MouseButton));
    QString CaptionOf(const TransformPage& page) const;

    // Loads an image, or shows why it cannot be loaded and returns a null image.
    QImage LoadOrExplain(const QString& path);
    // Loads path as the image to convert; nothing changes when it fails.
    void TakeImageToConvert(const QString& path);
    // Whether the page's conversion may start; says why not and returns false otherwise.
    bool MayConvert(const TransformPage& page);
    void StartConversion(TransformPage& page);
    bool SavePage(TransformPage& page);
    bool SavePage(TransformPage& page, const QString& path, ImageFormat format);
    TransformKind KindOf(const TransformPage& page) const;
    // The name the save dialog offers for the page, in the format of the filter last chosen.
    QString SuggestedName(const TransformPage& page) const;
    // Ties the waiting pages to the ends of conversions.
    void ConnectQueue();
    // Starts the waiting pages that fit now; names those that never will in one message.
    void StartWaitingPages();
    void RefusePages(const std::vector<TransformPage*>& pages);
    // The close prompt; false refuses the close.
    bool CloseHdl();
    void ShowMessage(const QString& text);
    // What the page's next conversion covers, in its line and as an outline on its image.
    void UpdateCoverage(TransformPage& page);
    void PageConverted(TransformPage* page, std::shared_ptr<const ConversionResult> result);
    // The Best per tile tab's commands, at the active page's setting.
    void StartBestTiles();
    void SaveBestTiles();
    // The options bar changed: the pages' labels follow its rule, the comparison marks the
    // results made otherwise.
    void ChangeOptions();
    // With "Same settings on every page", gives the other pages source's settings.
    void FollowPage(TransformPage& source);
    void ConversionEnded(TransformPage* page, const QString& failure);

    // Live preview: a slider of the page at index moved (released: the drag ended, or the
    // move was a single step). The active page converts again at once; with the same settings
    // on every page, the others convert once the slider rests.
    void SliderMoved(int index, bool released);
    // Converts the page through the live preview at its current settings, or, for a side too
    // large to follow the drag, through its worker.
    void FollowLive(TransformPage& page);
    void LiveConverted(int index, std::shared_ptr<ConversionResult> result, const QImage& picture,
                       double lastKept);
    // The pages other than source, converted once source's slider rests.
    void ConvertFollowers(const TransformPage& source);
    // What a page had to wait for (its worker stopping) is over: runs what was asked meanwhile.
    void RunAfterStop(TransformPage& page);

    std::array<std::unique_ptr<Transform>, TransformKindCount> transforms;
    std::unique_ptr<ConversionRunner> runner;
    std::unique_ptr<ConversionQueue> queue;
    std::unique_ptr<LivePreview> live;
    // Pages whose worker was stopped for a live step, or for a follower's new conversion; they
    // go on once it has ended.
    std::array<bool, TransformKindCount> liveAfterStop{};
    std::array<bool, TransformKindCount> convertAfterStop{};
    // The image each page's conversion under way converts, for the Side by side tab's
    // coefficients; the result takes it.
    std::array<QImage, TransformKindCount> sourcePictures;
    // Keyboard steps of a slider come one by one: the followers convert once they pause.
    QTimer* followersTimer = nullptr;

    MainMenu* menu = nullptr;
    OptionsBar* optionsBar = nullptr;
    QTabWidget* OriginalPageControl = nullptr;
    FileBrowser* browser = nullptr;
    QWidget* OriginalTabSheet = nullptr;
    ImageView* OriginalImage = nullptr;
    ProgressBar* TransformProgressBar = nullptr;
    CompareTab* compare = nullptr;
    CurvesTab* curves = nullptr;
    ErrorsTab* errors = nullptr;
    SideBySideTab* sideBySide = nullptr;
    BestTileTab* bestTiles = nullptr;
    QTabWidget* TransformPageControl = nullptr;
    QToolButton* AboutButton = nullptr;
    QToolButton* OpenButton = nullptr;
    QToolButton* SaveButton = nullptr;
    QToolButton* ExitButton = nullptr;
    QToolButton* ConvertButton = nullptr;
    QToolButton* StopButton = nullptr;
    // Convert is offered once an image was loaded or a page chosen; before that, the window
    // starts with it disabled.
    bool convertOffered = false;
    bool centred = false;
};
