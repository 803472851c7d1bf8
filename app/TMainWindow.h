#pragma once

#include "FileDialog.h"
#include "TransformPage.h"

#include <QWidget>

#include <array>
#include <memory>

class DirectoryListBox;
class DriveComboBox;
class FileListBox;
class FilterComboBox;
class ImageView;
class ProgressBar;
class QLineEdit;
class QScrollArea;
class QTabWidget;
class QToolButton;
class TAboutDialog;
class Thread;
class Transform;

// The main window: an image browser and the loaded image on the left, the six
// transform pages on the right, and the commands below them.
class TMainWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int PageCount = 6;
    // The zoom never shrinks an image control below, or grows it above, these.
    static constexpr int MinimumImageSide = 8;
    static constexpr int MaximumImageSide = 8192;

    explicit TMainWindow(QWidget* parent = nullptr);
    ~TMainWindow() override;

    std::array<TransformPage, PageCount> Pages;
    TransformPage* CurrentPage = nullptr;
    QString CurrentFileName;

    FileDialog OpenImageDialog;
    FileDialog SaveImageDialog;
    std::unique_ptr<TAboutDialog> AboutDialog;

    // Loading.
    void SelectImageToView();
    void SelectImageToConvert();
    void OpenButtonClick();
    // Converting.
    void ConvertButtonClick();
    void StartConversion();
    void ThreadTerminated(Thread* sender);
    // Saving, closing, About.
    void SaveButtonClick();
    void ExitButtonClick();
    void AboutButtonClick();
    // Pages, labels, grid and zoom.
    void ChangeActivePage(int index);
    void ChangeErrorLabel();
    void DrawGrid();
    void ShowGrid();
    void ZoomInImage(Qt::MouseButton button);
    void ZoomOriginalImage(Qt::MouseButton button);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct PageDescription;

    QWidget* BuildQuickViewPage();
    void QuickViewEditReturn();
    QWidget* BuildOriginalTabSheet();
    void AddTransformPage(int index, const PageDescription& description);
    QToolButton* AddButton(const char* name, const QString& text, const QString& hint,
                           const QIcon& glyph);

    // Loads a bitmap, or shows why it cannot be loaded and returns a null image.
    QImage LoadOrExplain(const QString& path);
    // Loads path as the image to convert; nothing changes when it fails.
    void TakeImageToConvert(const QString& path);
    bool SavePage(TransformPage& page);
    // The close prompt; false refuses the close.
    bool CloseHdl();
    void UpdateSaveAndConvert();
    bool AnyPageBusy() const;
    void CollectWorkers();
    void Zoom(ImageView* image, Qt::MouseButton button);
    void ShowMessage(const QString& text);

    std::array<std::unique_ptr<Transform>, PageCount> Transforms;

    QTabWidget* OriginalPageControl = nullptr;
    QWidget* OpenOriginalImage = nullptr;
    QWidget* OriginalTabSheet = nullptr;
    ImageView* QuickViewImage = nullptr;
    QLineEdit* QuickViewEdit = nullptr;
    FileListBox* QuickViewFileListBox = nullptr;
    DirectoryListBox* QuickViewDirectoryListBox = nullptr;
    FilterComboBox* QuickViewFilterComboBox = nullptr;
    DriveComboBox* QuickViewDriveComboBox = nullptr;
    ImageView* OriginalImage = nullptr;
    ProgressBar* TransformProgressBar = nullptr;
    QTabWidget* TransformPageControl = nullptr;
    QToolButton* AboutButton = nullptr;
    QToolButton* OpenButton = nullptr;
    QToolButton* SaveButton = nullptr;
    QToolButton* ExitButton = nullptr;
    QToolButton* ConvertButton = nullptr;
    bool centred = false;
};
