#include "TMainWindow.h"

#include "About.h"
#include "AppIcon.h"
#include "Application.h"
#include "BitmapFile.h"
#include "CosineFFT.h"
#include "CosineFFT2D.h"
#include "Daubechies4DWT.h"
#include "Daubechies4DWT2D.h"
#include "Dialogs.h"
#include "DirectoryListBox.h"
#include "DriveComboBox.h"
#include "FileListBox.h"
#include "FilterComboBox.h"
#include "Guarded.h"
#include "HaarDWT.h"
#include "HaarDWT2D.h"
#include "ImageView.h"
#include "PageControl.h"
#include "ProgressBar.h"
#include "Threads.h"
#include "TileGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString BitmapFilter = QStringLiteral("Bitmap files (*.bmp)|*.bmp");
constexpr int ImageSide = 256;

template <typename T>
std::unique_ptr<Transform> Make() {
    return std::make_unique<T>();
}

// A scroll box whose viewport starts exactly as large as the image control.
QScrollArea* MakeScrollBox(ImageView* image, QWidget* parent) {
    auto* box = new QScrollArea(parent);
    box->setWidget(image);
    box->setWidgetResizable(false);
    box->setAlignment(Qt::AlignCenter);
    const int frame = 2 * box->frameWidth();
    box->setMinimumSize(ImageSide + frame, ImageSide + frame);
    return box;
}

ImageView* MakeImage(const QString& name, const QString& hint, QWidget* parent) {
    auto* image = new ImageView(parent);
    image->setObjectName(name);
    image->setToolTip(hint);
    image->SetControlSize(ImageSide, ImageSide);
    return image;
}

// A track bar at the start of its range.
QSlider* MakeTrackBar(Qt::Orientation orientation, int minimum, int maximum, int pageStep,
                      int tickInterval, QWidget* parent) {
    auto* bar = new QSlider(orientation, parent);
    bar->setRange(minimum, maximum);
    bar->setValue(minimum);
    bar->setPageStep(pageStep);
    bar->setTickInterval(tickInterval);
    return bar;
}

} // namespace

struct TMainWindow::PageDescription {
    const char* caption;
    const char* prefix;
    std::unique_ptr<Transform> (*create)();
    std::uint8_t twoDimensional;
    const char* hint;
};

TMainWindow::TMainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      OpenImageDialog(FileDialog::Kind::Open, QStringLiteral("Open image"), BitmapFilter,
                      QStringLiteral("*.bmp")),
      SaveImageDialog(FileDialog::Kind::Save, QStringLiteral("Save image"), BitmapFilter,
                      QStringLiteral("*.bmp")) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Tarvish 1.0"));
    setWindowIcon(MakeAppIcon());

    // The loaded file's path names the picture's tab, shortened if need be.
    OriginalPageControl = new PageControl(this);
    OriginalPageControl->setObjectName(QStringLiteral("OriginalPageControl"));
    OriginalPageControl->addTab(BuildQuickViewPage(), QStringLiteral("QuickView"));
    OriginalPageControl->addTab(BuildOriginalTabSheet(), QStringLiteral("- no picture -"));
    OriginalPageControl->setCurrentWidget(OriginalTabSheet);

    TransformPageControl = new QTabWidget(this);
    TransformPageControl->setObjectName(QStringLiteral("TransformPageControl"));
    TransformPageControl->setUsesScrollButtons(false); // all six captions in view
    static const PageDescription pages[PageCount] = {
        {"DCT 1D", "Fourier", &Make<CosineFFT>, 0, "Discrete Cosine Transform"},
        {"D4 1D", "Daub", &Make<Daubechies4DWT>, 0, "Daubechies Wavelet Transform"},
        {"Haar 1D", "Haar", &Make<HaarDWT>, 0, "Haar Wavelet Transform"},
        {"DCT 2D", "Fourier2D", &Make<CosineFFT2D>, 1, "Discrete Cosine 2D Transform"},
        {"D4 2D", "Daub2D", &Make<Daubechies4DWT2D>, 1, "Daubechies Wavelet 2D Transform"},
        {"Haar 2D", "Haar2D", &Make<HaarDWT2D>, 1, "Haar Wavelet 2D Transform"},
    };
    for (int i = 0; i < PageCount; ++i)
        AddTransformPage(i, pages[i]);
    TransformPageControl->setCurrentIndex(4);

    AboutButton = AddButton("AboutButton", QStringLiteral("About..."), QString(),
                            style()->standardIcon(QStyle::SP_MessageBoxInformation));
    AboutButton->setMinimumHeight(37);
    OpenButton =
        AddButton("OpenButton", QStringLiteral("Open image"), QStringLiteral("Open new image"),
                  style()->standardIcon(QStyle::SP_DialogOpenButton));
    SaveButton = AddButton("SaveButton", QStringLiteral("Save image"),
                           QStringLiteral("Save converted image"),
                           style()->standardIcon(QStyle::SP_DialogSaveButton));
    ExitButton = AddButton("ExitButton", QStringLiteral("Exit"), QString(),
                           style()->standardIcon(QStyle::SP_DialogCloseButton));
    ConvertButton =
        AddButton("ConvertButton", QStringLiteral("Convert"), QStringLiteral("Make conversion"),
                  style()->standardIcon(QStyle::SP_MediaPlay));
    SaveButton->setEnabled(false);
    ConvertButton->setEnabled(false);

    auto* fileButtons = new QHBoxLayout;
    fileButtons->setSpacing(0);
    fileButtons->addWidget(OpenButton, 93);
    fileButtons->addWidget(SaveButton, 97);
    fileButtons->addWidget(ExitButton, 81);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setHorizontalSpacing(7);
    layout->setVerticalSpacing(3);
    layout->addWidget(OriginalPageControl, 0, 0);
    layout->addWidget(AboutButton, 1, 0);
    layout->addLayout(fileButtons, 2, 0);
    layout->addWidget(TransformPageControl, 0, 1, 2, 1);
    layout->addWidget(ConvertButton, 2, 1);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(1, 1);

    connect(AboutButton, &QToolButton::clicked, this,
            Guarded(this, &TMainWindow::AboutButtonClick));
    connect(OpenButton, &QToolButton::clicked, this, Guarded(this, &TMainWindow::OpenButtonClick));
    connect(SaveButton, &QToolButton::clicked, this, Guarded(this, &TMainWindow::SaveButtonClick));
    connect(ExitButton, &QToolButton::clicked, this, Guarded(this, &TMainWindow::ExitButtonClick));
    connect(ConvertButton, &QToolButton::clicked, this,
            Guarded(this, &TMainWindow::ConvertButtonClick));
    connect(TransformPageControl, &QTabWidget::currentChanged, this,
            Guarded(this, &TMainWindow::ChangeActivePage));

    CurrentPage = &Pages[TransformPageControl->currentIndex()];
    AboutDialog = std::make_unique<TAboutDialog>(this);
    resize(634, 414);
}

TMainWindow::~TMainWindow() {
    // A conversion still running would write into this window: let it end.
    while (AnyPageBusy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    for (auto& page : Pages) {
        delete page.Thread;
        page.Thread = nullptr;
    }
}

QToolButton* TMainWindow::AddButton(const char* name, const QString& text, const QString& hint,
                                    const QIcon& glyph) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(hint);
    button->setIcon(glyph);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setMinimumHeight(25);
    return button;
}

QWidget* TMainWindow::BuildQuickViewPage() {
    OpenOriginalImage = new QWidget;
    OpenOriginalImage->setObjectName(QStringLiteral("OpenOriginalImage"));

    auto* bevel = new QFrame(OpenOriginalImage);
    bevel->setObjectName(QStringLiteral("QuickViewBevel"));
    bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bevel->setLineWidth(2);
    QuickViewImage = MakeImage(QStringLiteral("QuickViewImage"), QString(), bevel);
    QuickViewImage->SetControlSize(146, 146);
    auto* bevelLayout = new QVBoxLayout(bevel);
    bevelLayout->setContentsMargins(2, 2, 2, 2);
    bevelLayout->addWidget(QuickViewImage, 0, Qt::AlignCenter);

    QuickViewEdit = new QLineEdit(QStringLiteral("*.bmp"), OpenOriginalImage);
    QuickViewEdit->setObjectName(QStringLiteral("QuickViewEdit"));
    QuickViewFileListBox = new FileListBox(OpenOriginalImage);
    QuickViewFileListBox->setObjectName(QStringLiteral("QuickViewFileListBox"));
    QuickViewFileListBox->SetMask(QStringLiteral("*.bmp"));
    QuickViewDirectoryListBox = new DirectoryListBox(OpenOriginalImage);
    QuickViewDirectoryListBox->setObjectName(QStringLiteral("QuickViewDirectoryListBox"));
    QuickViewFilterComboBox = new FilterComboBox(BitmapFilter, OpenOriginalImage);
    QuickViewFilterComboBox->setObjectName(QStringLiteral("QuickViewFilterComboBox"));
    QuickViewDriveComboBox = new DriveComboBox(OpenOriginalImage);
    QuickViewDriveComboBox->setObjectName(QStringLiteral("QuickViewDriveComboBox"));

    // The browser opens on the folder the program was started in.
    const QString start = QDir::currentPath();
    QuickViewDirectoryListBox->SetDirectory(start);
    QuickViewFileListBox->SetDirectory(start);
    QuickViewDriveComboBox->SetDriveOf(start);

    connect(QuickViewDriveComboBox, &DriveComboBox::DriveChanged, QuickViewDirectoryListBox,
            &DirectoryListBox::SetDirectory);
    connect(QuickViewDirectoryListBox, &DirectoryListBox::DirectoryChanged, QuickViewFileListBox,
            &FileListBox::SetDirectory);
    connect(QuickViewDirectoryListBox, &DirectoryListBox::DirectoryChanged, QuickViewDriveComboBox,
            &DriveComboBox::SetDriveOf);
    connect(QuickViewFilterComboBox, &FilterComboBox::MaskChanged, QuickViewFileListBox,
            &FileListBox::SetMask);
    connect(QuickViewFilterComboBox, &FilterComboBox::MaskChanged, QuickViewEdit,
            &QLineEdit::setText);
    connect(QuickViewFileListBox, &FileListBox::Click, this,
            Guarded(this, &TMainWindow::SelectImageToView));
    connect(QuickViewFileListBox, &FileListBox::DblClick, this,
            Guarded(this, &TMainWindow::SelectImageToConvert));
    connect(QuickViewEdit, &QLineEdit::returnPressed, this,
            Guarded(this, &TMainWindow::QuickViewEditReturn));

    auto* layout = new QGridLayout(OpenOriginalImage);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(3);
    layout->addWidget(bevel, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(QuickViewEdit, 1, 0);
    layout->addWidget(QuickViewFileListBox, 2, 0);
    layout->addWidget(QuickViewFilterComboBox, 3, 0);
    layout->addWidget(QuickViewDirectoryListBox, 0, 1, 3, 1);
    layout->addWidget(QuickViewDriveComboBox, 3, 1);
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(1, 2);
    // Room for a file name such as "astronaut_256x256.bmp" beside a few folders.
    const QFontMetrics metrics = QuickViewFileListBox->fontMetrics();
    QuickViewFileListBox->setMinimumWidth(
        metrics.horizontalAdvance(QStringLiteral("astronaut_256x256.bmp")) + 48);
    QuickViewDirectoryListBox->setMinimumWidth(
        metrics.horizontalAdvance(QStringLiteral("      samples")) + 40);
    layout->setRowStretch(2, 1);
    return OpenOriginalImage;
}

QWidget* TMainWindow::BuildOriginalTabSheet() {
    OriginalTabSheet = new QWidget;
    OriginalTabSheet->setObjectName(QStringLiteral("OriginalTabSheet"));
    OriginalImage = MakeImage(QStringLiteral("OriginalImage"), QString(), OriginalTabSheet);
    connect(OriginalImage, &ImageView::MouseDown, this,
            Guarded(this, &TMainWindow::ZoomOriginalImage));
    auto* box = MakeScrollBox(OriginalImage, OriginalTabSheet);
    box->setObjectName(QStringLiteral("ScrollBox2"));

    auto* progressLabel = new QLabel(QStringLiteral("Progress"), OriginalTabSheet);
    progressLabel->setObjectName(QStringLiteral("TransformProgressLabel"));
    TransformProgressBar = new ProgressBar(OriginalTabSheet);
    TransformProgressBar->setObjectName(QStringLiteral("TransformProgressBar"));
    TransformProgressBar->setRange(0, 255);
    TransformProgressBar->SetPosition(0);
    TransformProgressBar->setMaximumHeight(12);

    auto* layout = new QGridLayout(OriginalTabSheet);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(box, 0, 0, 1, 2);
    layout->addWidget(progressLabel, 1, 0);
    layout->addWidget(TransformProgressBar, 1, 1);
    layout->setRowStretch(0, 1);
    return OriginalTabSheet;
}

void TMainWindow::AddTransformPage(int index, const PageDescription& description) {
    const QString prefix = QString::fromLatin1(description.prefix);
    auto named = [&prefix](QWidget* widget, const char* suffix) {
        widget->setObjectName(prefix + QString::fromLatin1(suffix));
    };
    TransformPage& page = Pages[index];

    page.TabSheet = new QWidget;
    named(page.TabSheet, "TabSheet");
    page.Image = MakeImage(prefix + QStringLiteral("Image"), QString::fromLatin1(description.hint),
                           page.TabSheet);
    auto* box = MakeScrollBox(page.Image, page.TabSheet);
    named(box, "ScrollBox");

    page.ColorCorrection = new QCheckBox(QStringLiteral("Color correction"), page.TabSheet);
    named(page.ColorCorrection, "ColorCorrection");
    page.GridBox = new QCheckBox(QStringLiteral("Show grid"), page.TabSheet);
    named(page.GridBox, "GridBox");
    for (QCheckBox* box : {page.ColorCorrection, page.GridBox})
        box->setLayoutDirection(Qt::RightToLeft); // the text stands left of the box

    page.WinSizeLabel = new QLabel(QStringLiteral("Grid size: 256"), page.TabSheet);
    named(page.WinSizeLabel, "WinSizeLabel");
    page.WinSizeTrackBar = MakeTrackBar(Qt::Vertical, 1, 6, 1, 1, page.TabSheet);
    named(page.WinSizeTrackBar, "WinSizeTrackBar");
    page.WinSizeTrackBar->setTickPosition(QSlider::TicksBothSides);
    page.WinSizeTrackBar->setInvertedAppearance(true); // position 1 at the top
    page.WinSizeTrackBar->setInvertedControls(true);

    page.ErrorLabel = new QLabel(QStringLiteral("Error: 0% "), page.TabSheet);
    named(page.ErrorLabel, "ErrorLabel");
    page.ErrorLabel->setMinimumWidth(
        page.ErrorLabel->fontMetrics().horizontalAdvance(QStringLiteral("Error: 100% ")));
    page.ErrorTrackBar = MakeTrackBar(Qt::Horizontal, 0, 100, 10, 5, page.TabSheet);
    named(page.ErrorTrackBar, "ErrorTrackBar");
    page.ErrorTrackBar->setTickPosition(QSlider::TicksBelow);

    page.CompressLabel = new QLabel(QStringLiteral("Compress 100.0%"), page.TabSheet);
    named(page.CompressLabel, "CompressLabel");
    page.CompressBar = new ProgressBar(page.TabSheet);
    named(page.CompressBar, "CompressBar");
    page.CompressBar->setRange(0, 100);
    page.CompressBar->SetPosition(0);
    page.CompressBar->setMaximumHeight(12);

    auto* trackColumn = new QVBoxLayout;
    trackColumn->addWidget(page.WinSizeLabel);
    trackColumn->addWidget(page.WinSizeTrackBar, 1, Qt::AlignHCenter);

    auto* layout = new QGridLayout(page.TabSheet);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setVerticalSpacing(4);
    layout->addWidget(box, 0, 0, 1, 3);
    layout->addLayout(trackColumn, 0, 3);
    layout->addWidget(page.ColorCorrection, 1, 0, 1, 2, Qt::AlignLeft);
    layout->addWidget(page.GridBox, 1, 2, 1, 2, Qt::AlignRight);
    layout->addWidget(page.ErrorLabel, 2, 0);
    layout->addWidget(page.ErrorTrackBar, 2, 1, 1, 3);
    layout->addWidget(page.CompressLabel, 3, 0);
    layout->addWidget(page.CompressBar, 3, 1, 1, 3);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(1, 1);

    page.Transform = (Transforms[index] = description.create()).get();
    page.TwoDimensional = description.twoDimensional;
    page.Thread = nullptr;
    page.NeedsReload = false;
    page.Unsaved = false;
    page.Busy = false;
    page.ShownGridPosition = page.WinSizeTrackBar->value();

    connect(page.Image, &ImageView::MouseDown, this, Guarded(this, &TMainWindow::ZoomInImage));
    connect(page.GridBox, &QCheckBox::clicked, this, Guarded(this, &TMainWindow::ShowGrid));
    connect(page.WinSizeTrackBar, &QSlider::valueChanged, this,
            Guarded(this, &TMainWindow::DrawGrid));
    connect(page.ErrorTrackBar, &QSlider::valueChanged, this,
            Guarded(this, &TMainWindow::ChangeErrorLabel));

    TransformPageControl->addTab(page.TabSheet, QString::fromLatin1(description.caption));
}

void TMainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (centred)
        return;
    centred = true;
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

// Loading.

void TMainWindow::ShowMessage(const QString& text) {
    Dialogs::Current().Message(this, QApplication::applicationName(), text);
}

QImage TMainWindow::LoadOrExplain(const QString& path) {
    try {
        return LoadBitmap(path);
    } catch (...) {
        ShowMessage(QStringLiteral("Cannot load %1: %2")
                        .arg(QFileInfo(path).fileName(),
                             Application::ExceptionText(std::current_exception())));
    }
    return QImage();
}

void TMainWindow::QuickViewEditReturn() {
    // A mask filters the list, a folder opens, a file name selects it.
    const QString text = QuickViewEdit->text().trimmed();
    const QFileInfo info(QDir(QuickViewFileListBox->Directory()), text);
    if (text.contains('*') || text.contains('?'))
        QuickViewFileListBox->SetMask(text);
    else if (info.isDir())
        QuickViewDirectoryListBox->SetDirectory(info.absoluteFilePath());
    else if (QuickViewFileListBox->SelectFile(info.fileName()))
        SelectImageToView();
}

void TMainWindow::SelectImageToView() {
    const QString path = QuickViewFileListBox->FileName();
    if (path.isEmpty())
        return;
    QuickViewEdit->setText(QFileInfo(path).fileName());
    const QImage image = LoadOrExplain(path);
    if (!image.isNull())
        QuickViewImage->SetPicture(image);
}

void TMainWindow::TakeImageToConvert(const QString& path) {
    const QImage image = LoadOrExplain(path);
    if (image.isNull())
        return;
    CurrentFileName = path;
    OriginalImage->SetPicture(image);
    QuickViewImage->SetPicture(image);
    const int sheet = OriginalPageControl->indexOf(OriginalTabSheet);
    OriginalPageControl->setTabText(sheet, CurrentFileName);
    OriginalPageControl->setTabToolTip(sheet, CurrentFileName);
    OriginalPageControl->setCurrentWidget(OriginalTabSheet);
    UpdateSaveAndConvert();
    for (auto& page : Pages)
        page.NeedsReload = true;
}

void TMainWindow::SelectImageToConvert() {
    const QString path = QuickViewFileListBox->FileName();
    if (!path.isEmpty())
        TakeImageToConvert(path);
}

void TMainWindow::OpenButtonClick() {
    OpenImageDialog.SetTitle(QStringLiteral("Open image"));
    if (OpenImageDialog.Execute(this)) {
        TakeImageToConvert(OpenImageDialog.FileName());
        return;
    }
    for (auto& page : Pages)
        page.NeedsReload = true;
}

// Converting.

bool TMainWindow::AnyPageBusy() const {
    for (const auto& page : Pages)
        if (page.Busy)
            return true;
    return false;
}

void TMainWindow::UpdateSaveAndConvert() {
    SetButtonsFromPage(*CurrentPage, SaveButton, ConvertButton);
}

void TMainWindow::ConvertButtonClick() {
    if (CurrentPage->Busy)
        return;
    const int tiles = 1 << (CurrentPage->WinSizeTrackBar->value() - 1);
    const int side = CurrentPage->Image->width();
    if (side / tiles == 0) {
        ShowMessage(QStringLiteral("The image on page \"%1\" is %2 pixels wide, too small for "
                                   "%3 tiles per side. Zoom it in or choose fewer tiles.")
                        .arg(TransformPageControl->tabText(
                            TransformPageControl->indexOf(CurrentPage->TabSheet)))
                        .arg(side)
                        .arg(tiles));
        return;
    }
    ExitButton->setEnabled(false);
    OpenButton->setEnabled(false);
    StartConversion();
}

void TMainWindow::StartConversion() {
    TransformPage* page = CurrentPage;
    // A finished worker of this page that was not yet collected goes first.
    if (page->Thread) {
        delete page->Thread;
        page->Thread = nullptr;
    }
    page->Image->SetPicture(OriginalImage->Picture());
    page->NeedsReload = false;
    // Busy from now on, so the page can never get a second worker and no
    // other page's end collects this one before it has started.
    page->Busy = true;
    UpdateSaveAndConvert();

    auto worker = std::make_unique<TransformThread>(true, page, ConvertButton, SaveButton,
                                                    TransformProgressBar, &CurrentPage);
    worker->OnTerminate = Guarded(this, &TMainWindow::ThreadTerminated);
    page->Thread = worker.release();
    page->Thread->Resume();
}

void TMainWindow::ThreadTerminated(Thread* sender) {
    QString failure;
    if (auto* worker = dynamic_cast<TransformThread*>(sender); worker && worker->FatalException()) {
        TransformPage* page = worker->Page;
        failure =
            QStringLiteral("The conversion on page \"%1\" failed: %2")
                .arg(TransformPageControl->tabText(TransformPageControl->indexOf(page->TabSheet)),
                     Application::ExceptionText(worker->FatalException()));
        page->TabSheet->setCursor(Qt::ArrowCursor);
        page->Busy = false;
        UpdateSaveAndConvert();
    }
    if (!AnyPageBusy())
        CollectWorkers();
    // Shown last: the message box runs its own event loop, in which other
    // workers may end and be collected.
    if (!failure.isEmpty())
        ShowMessage(failure);
}

void TMainWindow::CollectWorkers() {
    for (auto& page : Pages) {
        if (page.Thread) {
            page.Thread->WaitFor();
            delete page.Thread;
            page.Thread = nullptr;
        }
    }
    ExitButton->setEnabled(true);
    OpenButton->setEnabled(true);
    TransformProgressBar->SetPosition(0);
}

// Saving, closing, About.

bool TMainWindow::SavePage(TransformPage& page) {
    const QString path = SaveImageDialog.FileName();
    try {
        SaveBitmap(page.Image->Picture(), path);
    } catch (...) {
        ShowMessage(QStringLiteral("Cannot save %1: %2")
                        .arg(QFileInfo(path).fileName(),
                             Application::ExceptionText(std::current_exception())));
        return false;
    }
    CurrentFileName = path;
    page.Unsaved = false;
    UpdateSaveAndConvert();
    return true;
}

void TMainWindow::SaveButtonClick() {
    if (CurrentPage->Busy)
        return;
    SaveImageDialog.SetTitle(QStringLiteral("Save image"));
    if (SaveImageDialog.Execute(this))
        SavePage(*CurrentPage);
}

void TMainWindow::ExitButtonClick() {
    close();
}

void TMainWindow::AboutButtonClick() {
    Dialogs::Current().RunModal(*AboutDialog);
}

bool TMainWindow::CloseHdl() {
    if (AnyPageBusy()) {
        ShowMessage(QStringLiteral("A conversion is still running. Tarvish closes once it "
                                   "has finished."));
        return false;
    }
    for (auto& page : Pages) {
        if (!page.Unsaved)
            continue;
        const QString caption =
            TransformPageControl->tabText(TransformPageControl->indexOf(page.TabSheet));
        const auto answer = Dialogs::Current().Question(
            this, QStringLiteral("Be careful !"),
            caption + QStringLiteral(" transformed image not saved. Do you want to save ?"));
        if (answer == Dialogs::Answer::Cancel)
            return false;
        if (answer == Dialogs::Answer::No)
            continue;
        // A result the user asked to keep is never lost: if the save is
        // cancelled or fails, the window stays open.
        SaveImageDialog.SetTitle(QStringLiteral("Save image : ") + caption);
        if (!SaveImageDialog.Execute(this) || !SavePage(page))
            return false;
    }
    return true;
}

void TMainWindow::closeEvent(QCloseEvent* event) {
    if (CloseHdl())
        event->accept();
    else
        event->ignore();
}

// Pages, labels, grid and zoom.

void TMainWindow::ChangeActivePage(int index) {
    if (index < 0 || index >= PageCount)
        return;
    CurrentPage = &Pages[index];
    UpdateSaveAndConvert();
}

void TMainWindow::ChangeErrorLabel() {
    CurrentPage->ErrorLabel->setText(
        QStringLiteral("Error: %1%").arg(CurrentPage->ErrorTrackBar->value()));
}

void TMainWindow::DrawGrid() {
    TransformPage& page = *CurrentPage;
    // A page holding an unsaved result keeps it: it is reloaded once the result
    // is saved, or by its next conversion.
    if (page.NeedsReload && !page.Unsaved) {
        // The page shows the loaded image again, without any grid.
        page.Image->SetPicture(OriginalImage->Picture());
        page.NeedsReload = false;
        page.ShownGridPosition = 1;
    }
    const int position = page.WinSizeTrackBar->value();
    const int oldTiles = 1 << (page.ShownGridPosition - 1);
    const int newTiles = 1 << (position - 1);
    const int width = page.Image->width();
    const int height = page.Image->height();
    if (page.GridBox->isChecked() && oldTiles != newTiles) {
        DrawTileGrid(page.Image->GetCanvas(), width, height, oldTiles);
        DrawTileGrid(page.Image->GetCanvas(), width, height, newTiles);
        page.ShownGridPosition = position;
    }
    page.WinSizeLabel->setText(QStringLiteral("Grid size: %1").arg(width / newTiles));
}

void TMainWindow::ShowGrid() {
    TransformPage& page = *CurrentPage;
    const int position = page.WinSizeTrackBar->value();
    const int width = page.Image->width();
    DrawTileGrid(page.Image->GetCanvas(), width, width, 1 << (position - 1));
    page.ShownGridPosition = position;
}

void TMainWindow::Zoom(ImageView* image, Qt::MouseButton button) {
    int width = image->width(), height = image->height();
    if (button == Qt::LeftButton) {
        if (std::max(width, height) * 2 > MaximumImageSide)
            return;
        width *= 2;
        height *= 2;
    } else if (button == Qt::RightButton) {
        if (std::min(width, height) / 2 < MinimumImageSide)
            return;
        width /= 2;
        height /= 2;
    } else {
        return;
    }
    image->SetControlSize(width, height);
}

void TMainWindow::ZoomInImage(Qt::MouseButton button) {
    Zoom(CurrentPage->Image, button);
}

void TMainWindow::ZoomOriginalImage(Qt::MouseButton button) {
    Zoom(OriginalImage, button);
}
