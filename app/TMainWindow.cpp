#include "TMainWindow.h"

#include "About.h"
#include "AppIcon.h"
#include "Application.h"
#include "AvailableMemory.h"
#include "BestTileTab.h"
#include "CommandButton.h"
#include "CompareTab.h"
#include "ConversionChecks.h"
#include "ConversionQueue.h"
#include "ConversionResult.h"
#include "ConversionRunner.h"
#include "CurvesTab.h"
#include "Dialogs.h"
#include "ErrorsTab.h"
#include "FileBrowser.h"
#include "FileDrop.h"
#include "Guarded.h"
#include "ImageFile.h"
#include "ImageFileFilter.h"
#include "ImageView.h"
#include "ImageZoom.h"
#include "LivePreview.h"
#include "MainMenu.h"
#include "OptionsBar.h"
#include "OptionsText.h"
#include "OriginalSheetBuilder.h"
#include "PageControl.h"
#include "PageCoverage.h"
#include "PageGrid.h"
#include "PageResult.h"
#include "PageSettings.h"
#include "ProgressBar.h"
#include "QualityText.h"
#include "SaveAllPlan.h"
#include "SaveNames.h"
#include "SideBySideTab.h"
#include "SideFit.h"
#include "SweepSettings.h"
#include "TextOf.h"
#include "Transform.h"
#include "TransformKind.h"
#include "TransformPageBuilder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <utility>

TMainWindow::TMainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      OpenImageDialog(FileDialog::Kind::Open, QStringLiteral("Open image"), ImageOpenFilter(),
                      QStringLiteral("*.bmp")),
      SaveImageDialog(FileDialog::Kind::Save, QStringLiteral("Save image"), ImageSaveFilter(),
                      QStringLiteral("*.bmp")) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Tarvish 1.0"));
    setWindowIcon(MakeAppIcon());
    auto* drop = new FileDrop(this, [this] { return OpenButton->isEnabled(); });
    connect(drop, &FileDrop::Dropped, this, Guarded(this, &TMainWindow::TakeImageToConvert));

    // The loaded file's path names the picture's tab, shortened if need be.
    OriginalPageControl = new PageControl(this);
    OriginalPageControl->setObjectName(QStringLiteral("OriginalPageControl"));
    browser = new FileBrowser(ImageOpenFilter());
    OriginalPageControl->addTab(browser, QStringLiteral("QuickView"));
    OriginalTabSheet = OriginalSheetBuilder::Build(OriginalImage, TransformProgressBar);
    OriginalPageControl->addTab(OriginalTabSheet, QStringLiteral("- no picture -"));
    ConnectZoom(OriginalImage, &TMainWindow::ZoomOriginalImage);
    QStringList captions;
    for (const TransformKindInfo& kind : TransformKinds()) {
        captions << TextOf(kind.Caption);
    }
    compare = new CompareTab(captions);
    OriginalPageControl->addTab(compare, QStringLiteral("Compare"));
    curves = new CurvesTab;
    OriginalPageControl->addTab(curves, QStringLiteral("Curves"));
    errors = new ErrorsTab;
    OriginalPageControl->addTab(errors, QStringLiteral("Errors"));
    sideBySide = new SideBySideTab(captions);
    OriginalPageControl->addTab(sideBySide, QStringLiteral("Side by side"));
    bestTiles = new BestTileTab;
    OriginalPageControl->addTab(bestTiles, QStringLiteral("Best per tile"));
    OriginalPageControl->setCurrentWidget(OriginalTabSheet);

    TransformPageControl = new QTabWidget(this);
    TransformPageControl->setObjectName(QStringLiteral("TransformPageControl"));
    TransformPageControl->setUsesScrollButtons(false); // all six captions in view
    for (std::size_t i = 0; i < TransformKindCount; ++i) {
        AddTransformPage(static_cast<int>(i));
    }
    TransformPageControl->setCurrentIndex(4);
    CurrentPage = &Pages[TransformPageControl->currentIndex()];
    sideBySide->SetActivePage(TransformPageControl->currentIndex());

    const auto glyph = [this](QStyle::StandardPixmap pixmap) {
        return style()->standardIcon(pixmap);
    };
    AboutButton = MakeCommandButton(this, "AboutButton", QStringLiteral("About..."), QString(),
                                    glyph(QStyle::SP_MessageBoxInformation));
    AboutButton->setMinimumHeight(37);
    OpenButton =
        MakeCommandButton(this, "OpenButton", QStringLiteral("Open image"),
                          QStringLiteral("Open new image"), glyph(QStyle::SP_DialogOpenButton));
    SaveButton = MakeCommandButton(this, "SaveButton", QStringLiteral("Save image"),
                                   QStringLiteral("Save converted image"),
                                   glyph(QStyle::SP_DialogSaveButton));
    ExitButton = MakeCommandButton(this, "ExitButton", QStringLiteral("Exit"), QString(),
                                   glyph(QStyle::SP_DialogCloseButton));
    ConvertButton =
        MakeCommandButton(this, "ConvertButton", QStringLiteral("Convert"),
                          QStringLiteral("Make conversion"), glyph(QStyle::SP_MediaPlay));
    StopButton = MakeCommandButton(this, "StopButton", QStringLiteral("Stop"),
                                   QStringLiteral("Stop this page's conversion (Esc)"),
                                   glyph(QStyle::SP_MediaStop));
    StopButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    runner = std::make_unique<ConversionRunner>(Pages, TransformProgressBar, *this);
    connect(runner.get(), &ConversionRunner::Converted, this,
            Guarded(this, &TMainWindow::PageConverted));
    connect(runner.get(), &ConversionRunner::Ended, this,
            Guarded(this, &TMainWindow::ConversionEnded));
    connect(runner.get(), &ConversionRunner::Collected, this, [this] { UpdateCommands(); });
    ConnectQueue();

    live = std::make_unique<LivePreview>();
    connect(live.get(), &LivePreview::Converted, this, Guarded(this, &TMainWindow::LiveConverted));
    connect(live.get(), &LivePreview::Failed, this, [this](int index, const QString& reason) {
        ShowMessage(QStringLiteral("The live preview on page \"%1\" failed: %2")
                        .arg(CaptionOf(Pages[static_cast<std::size_t>(index)]), reason));
    });
    connect(live.get(), &LivePreview::RunningChanged, this, [this] { UpdateCommands(); });
    followersTimer = new QTimer(this);
    followersTimer->setSingleShot(true);
    followersTimer->setInterval(300);
    connect(followersTimer, &QTimer::timeout, this,
            Guarded([this] { ConvertFollowers(*CurrentPage); }));

    auto* fileButtons = new QHBoxLayout;
    fileButtons->setSpacing(0);
    fileButtons->addWidget(OpenButton, 93);
    fileButtons->addWidget(SaveButton, 97);
    fileButtons->addWidget(ExitButton, 81);
    auto* convertButtons = new QHBoxLayout;
    convertButtons->setSpacing(0);
    convertButtons->addWidget(ConvertButton, 1);
    convertButtons->addWidget(StopButton);

    BuildMenu();
    optionsBar = new OptionsBar(menu->TransformOptionsMenu, this);
    connect(optionsBar, &OptionsBar::OptionsChanged, this, [this] {
        try {
            ChangeOptions();
        } catch (...) {
            Application::ShowCurrentException();
        }
    });
    auto* layout = new QGridLayout(this);
    layout->setMenuBar(menu);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setHorizontalSpacing(7);
    layout->setVerticalSpacing(3);
    layout->addWidget(optionsBar, 0, 0, 1, 2);
    layout->addWidget(OriginalPageControl, 1, 0);
    layout->addWidget(AboutButton, 2, 0);
    layout->addLayout(fileButtons, 3, 0);
    layout->addWidget(TransformPageControl, 1, 1, 2, 1);
    layout->addLayout(convertButtons, 3, 1);
    layout->setRowStretch(1, 1);
    // The comparison table and the error maps on the left want the room more than the pages.
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(1, 2);

    connect(AboutButton, &QToolButton::clicked, this,
            Guarded(this, &TMainWindow::AboutButtonClick));
    connect(OpenButton, &QToolButton::clicked, this, Guarded(this, &TMainWindow::OpenButtonClick));
    connect(SaveButton, &QToolButton::clicked, this, Guarded(this, &TMainWindow::SaveButtonClick));
    connect(ExitButton, &QToolButton::clicked, this, Guarded(this, &TMainWindow::ExitButtonClick));
    connect(ConvertButton, &QToolButton::clicked, this,
            Guarded(this, &TMainWindow::ConvertButtonClick));
    connect(StopButton, &QToolButton::clicked, this, Guarded(this, &TMainWindow::StopButtonClick));
    connect(TransformPageControl, &QTabWidget::currentChanged, this,
            Guarded(this, &TMainWindow::ChangeActivePage));
    connect(browser, &FileBrowser::FileClicked, this,
            Guarded(this, &TMainWindow::SelectImageToView));
    connect(browser, &FileBrowser::FileChosen, this,
            Guarded(this, &TMainWindow::SelectImageToConvert));
    connect(curves, &CurvesTab::SweepRequested, this, Guarded(this, &TMainWindow::StartSweep));
    connect(bestTiles, &BestTileTab::TilesRequested, this,
            Guarded(this, &TMainWindow::StartBestTiles));
    connect(bestTiles, &BestTileTab::SaveRequested, this,
            Guarded(this, &TMainWindow::SaveBestTiles));
    connect(bestTiles, &BestTileTab::LikeForLikeRequested, this, [this] {
        optionsBar->LikeForLikeAction->trigger();
        Guarded(this, &TMainWindow::StartBestTiles)();
    });
    connect(bestTiles, &BestTileTab::Computed, this,
            [this](const std::shared_ptr<const ConversionResult>& result) {
                compare->ShowBestPerTile(*result, LoadedFileName);
                sideBySide->SetBestPerTile(bestTiles->ComposedImage());
            });

    AboutDialog = std::make_unique<TAboutDialog>(this);
    for (auto& page : Pages) {
        UpdateCoverage(page);
    }
    UpdateCommands();
    // Room for the comparison table's columns beside a page, and for the options bar.
    resize(1120, 720);
}

TMainWindow::~TMainWindow() {
    // The conversions write into the pages: they end before anything goes, and no waiting page
    // starts as they do.
    queue->Cancel();
    live.reset();
    runner.reset();
}

void TMainWindow::BuildMenu() {
    menu = new MainMenu(this);
    const auto on = [this](QAction* action, void (TMainWindow::*handler)()) {
        connect(action, &QAction::triggered, this, Guarded(this, handler));
    };
    on(menu->OpenAction, &TMainWindow::OpenButtonClick);
    on(menu->OpenResultsAction, &TMainWindow::OpenResults);
    on(menu->SaveAction, &TMainWindow::SaveButtonClick);
    on(menu->SaveAllAction, &TMainWindow::SaveAllPages);
    on(menu->ExitAction, &TMainWindow::ExitButtonClick);
    on(menu->ConvertAction, &TMainWindow::ConvertButtonClick);
    on(menu->ConvertAllAction, &TMainWindow::ConvertAllPages);
    on(menu->StopAction, &TMainWindow::StopButtonClick);
    on(menu->AboutAction, &TMainWindow::AboutButtonClick);
    on(menu->FitSideAction, &TMainWindow::FitSideToImage);
    connect(menu->ZoomInAction, &QAction::triggered, this, [this] { ZoomInImage(Qt::LeftButton); });
    connect(menu->ZoomOutAction, &QAction::triggered, this,
            [this] { ZoomInImage(Qt::RightButton); });
    // The box itself is the state: the action clicks it, as a person would.
    connect(menu->SameSettingsAction, &QAction::toggled, this,
            [this] { FollowPage(*CurrentPage); });
    connect(menu->LivePreviewAction, &QAction::toggled, this, [this](bool on) {
        if (!on) {
            live->Stop();
            live->ReleaseCoefficients();
            liveAfterStop.fill(false);
        }
    });
    connect(menu->ShowGridAction, &QAction::triggered, this, [this] {
        CurrentPage->GridBox->click();
        UpdateCommands();
    });
    constexpr int Pages = static_cast<int>(TransformKindCount);
    connect(menu->NextPageAction, &QAction::triggered, this, [this] {
        TransformPageControl->setCurrentIndex((TransformPageControl->currentIndex() + 1) % Pages);
    });
    connect(menu->PreviousPageAction, &QAction::triggered, this, [this] {
        TransformPageControl->setCurrentIndex((TransformPageControl->currentIndex() + Pages - 1) %
                                              Pages);
    });
}

void TMainWindow::ConnectZoom(ImageView* image, void (TMainWindow::*handler)(Qt::MouseButton)) {
    connect(image, &ImageView::MouseDown, this, Guarded(this, handler));
    connect(image, &ImageView::WheelZoom, this, [this, handler](int steps) {
        for (int i = 0; i < std::abs(steps); ++i) {
            (this->*handler)(steps > 0 ? Qt::LeftButton : Qt::RightButton);
        }
    });
}

void TMainWindow::AddTransformPage(int index) {
    const TransformKindInfo& kind = TransformKinds()[static_cast<std::size_t>(index)];
    TransformPage& page = Pages[index];
    QWidget* sheet = TransformPageBuilder::Build(page, kind);
    page.Transform = (transforms[index] = MakeTransform(kind.Kind)).get();

    ConnectZoom(page.Image, &TMainWindow::ZoomInImage);
    connect(page.GridBox, &QCheckBox::clicked, this, Guarded(this, &TMainWindow::ShowGrid));
    connect(page.GridBox, &QCheckBox::toggled, this, [this] { UpdateCommands(); });
    connect(page.WinSizeTrackBar, &QSlider::valueChanged, this,
            Guarded(this, &TMainWindow::DrawGrid));
    connect(page.ErrorTrackBar, &QSlider::valueChanged, this,
            Guarded(this, &TMainWindow::ChangeErrorLabel));
    connect(page.ColorCorrection, &QCheckBox::toggled, this,
            [this, index] { FollowPage(Pages[static_cast<std::size_t>(index)]); });
    // After the labels and the grid have followed the slider.
    for (QSlider* slider : {page.ErrorTrackBar, page.WinSizeTrackBar}) {
        connect(slider, &QSlider::valueChanged, this,
                Guarded([this, index] { SliderMoved(index, false); }));
        connect(slider, &QSlider::sliderReleased, this,
                Guarded([this, index] { SliderMoved(index, true); }));
    }

    const int tab = TransformPageControl->addTab(sheet, TextOf(kind.Caption));
    TransformPageControl->setTabToolTip(tab, WrappedTip(PageHint(kind.Kind)));
}

void TMainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!centred) {
        centred = true;
        Application::CentreOnScreen(*this);
    }
}

QString TMainWindow::CaptionOf(const TransformPage& page) const {
    return TransformPageControl->tabText(TransformPageControl->indexOf(page.TabSheet));
}

void TMainWindow::ShowMessage(const QString& text) {
    Dialogs::Current().Message(this, QApplication::applicationName(), text);
}

void TMainWindow::UpdateCommands(CommandHold hold) {
    const TransformPage& page = *CurrentPage;
    const bool held = hold == CommandHold::SaveAndConvert;
    // Open and Exit wait until every conversion has ended and been collected, and no page
    // waits for memory to start one.
    const bool waiting = !queue->Empty();
    bool converting = waiting;
    bool anyIdle = false;
    bool anyToSave = false;
    for (const auto& p : Pages) {
        converting = converting || p.Busy || p.Thread;
        anyIdle = anyIdle || (!p.Busy && !queue->Waiting(p));
        anyToSave = anyToSave || (p.Unsaved && !p.Busy);
    }
    const bool liveRunning = live && live->Running(static_cast<int>(&page - Pages.data()));
    SaveButton->setEnabled(!held && page.Unsaved && !page.Busy);
    // A waiting page starts on its own; Stop cancels the waiting, whichever page is active.
    ConvertButton->setEnabled(!held && convertOffered && !page.Busy && !queue->Waiting(page));
    StopButton->setEnabled(page.Busy || waiting || liveRunning);
    OpenButton->setEnabled(!converting);
    ExitButton->setEnabled(!converting);

    menu->OpenAction->setEnabled(OpenButton->isEnabled());
    menu->SaveAction->setEnabled(SaveButton->isEnabled());
    menu->SaveAllAction->setEnabled(anyToSave);
    menu->ExitAction->setEnabled(ExitButton->isEnabled());
    menu->ConvertAction->setEnabled(ConvertButton->isEnabled());
    menu->ConvertAllAction->setEnabled(convertOffered && anyIdle);
    menu->StopAction->setEnabled(StopButton->isEnabled());
    const int side = page.Image->width();
    menu->ZoomInAction->setEnabled(side * 2 <= MaximumImageSide);
    menu->ZoomOutAction->setEnabled(side / 2 >= MinimumImageSide);
    menu->FitSideAction->setEnabled(!OriginalImage->Picture().isNull());
    menu->ShowGridAction->setChecked(page.GridBox->isChecked());
}

TransformOptions TMainWindow::ConversionOptions() const {
    return optionsBar->Options();
}

void TMainWindow::UpdateCoverage(TransformPage& page) {
    ShowCoverage(page, OriginalImage->Picture(), LoadedFileName);
}

// Loading.

QImage TMainWindow::LoadOrExplain(const QString& path) {
    try {
        return LoadImageFile(path);
    } catch (...) {
        ShowMessage(QStringLiteral("Cannot load %1: %2")
                        .arg(QFileInfo(path).fileName(),
                             Application::ExceptionText(std::current_exception())));
    }
    return QImage();
}

void TMainWindow::SelectImageToView() {
    const QString path = browser->SelectedFile();
    if (path.isEmpty()) {
        return;
    }
    browser->QuickViewEdit->setText(QFileInfo(path).fileName());
    const QImage image = LoadOrExplain(path);
    if (!image.isNull()) {
        browser->ShowPreview(image);
    }
}

void TMainWindow::TakeImageToConvert(const QString& path) {
    const QImage image = LoadOrExplain(path);
    if (image.isNull()) {
        return;
    }
    // A sweep of the old image would no longer describe the one shown.
    curves->Cancel();
    bestTiles->Cancel();
    live->Stop();
    live->ReleaseCoefficients();
    CurrentFileName = path;
    LoadedFileName = path;
    compare->SetLoadedImage(path);
    errors->SetLoadedImage(path);
    OriginalImage->SetPicture(image);
    sideBySide->SetOriginal(OriginalImage->Picture(), QFileInfo(path).fileName());
    browser->ShowPreview(image);
    const int sheet = OriginalPageControl->indexOf(OriginalTabSheet);
    OriginalPageControl->setTabText(sheet, CurrentFileName);
    OriginalPageControl->setTabToolTip(sheet, CurrentFileName);
    OriginalPageControl->setCurrentWidget(OriginalTabSheet);
    convertOffered = true;
    for (auto& page : Pages) {
        page.NeedsReload = true;
        UpdateCoverage(page);
    }
    UpdateCommands();
}

void TMainWindow::SelectImageToConvert() {
    const QString path = browser->SelectedFile();
    if (!path.isEmpty()) {
        TakeImageToConvert(path);
    }
}

void TMainWindow::OpenButtonClick() {
    if (!OpenButton->isEnabled()) {
        return;
    }
    OpenImageDialog.SetTitle(QStringLiteral("Open image"));
    if (OpenImageDialog.Execute(this)) {
        TakeImageToConvert(OpenImageDialog.FileName());
        return;
    }
    for (auto& page : Pages) {
        page.NeedsReload = true;
    }
}

// Converting.

bool TMainWindow::MayConvert(const TransformPage& page) {
    const QString refusal =
        PageConversionRefusal(Pages, page, CaptionOf(page), OriginalImage->Picture());
    if (!refusal.isEmpty()) {
        ShowMessage(refusal);
    }
    return refusal.isEmpty();
}

void TMainWindow::ConvertButtonClick() {
    if (CurrentPage->Busy || queue->Waiting(*CurrentPage) || !MayConvert(*CurrentPage)) {
        return;
    }
    StartConversion();
}

void TMainWindow::StartConversion() {
    StartConversion(*CurrentPage);
}

void TMainWindow::StartConversion(TransformPage& page) {
    page.ConvertingImagePath = LoadedFileName;
    // The worker's result supersedes a live step under way.
    const auto index = static_cast<std::size_t>(&page - Pages.data());
    sourcePictures[index] = OriginalImage->Picture();
    if (live->Running(static_cast<int>(index))) {
        live->Stop();
    }
    liveAfterStop[index] = false;
    runner->Start(page, OriginalImage->Picture());
    UpdateCoverage(page);
    UpdateCommands();
}

void TMainWindow::ConvertAllPages() {
    if (!convertOffered) {
        return;
    }
    // Every page goes through the queue: those that fit start at once, in page order.
    for (auto& page : Pages) {
        if (!page.Busy) {
            queue->Add(page);
        }
    }
    StartWaitingPages();
}

void TMainWindow::ConnectQueue() {
    queue = std::make_unique<ConversionQueue>(Pages);
    // After the window has taken the result or the stop: the ended page's memory is free.
    connect(runner.get(), &ConversionRunner::Converted, this,
            Guarded(this, &TMainWindow::StartWaitingPages));
    connect(runner.get(), &ConversionRunner::Ended, this,
            Guarded(this, &TMainWindow::StartWaitingPages));
    connect(runner.get(), &ConversionRunner::Collected, this,
            Guarded(this, &TMainWindow::StartWaitingPages));
}

void TMainWindow::StartWaitingPages() {
    if (queue->Empty()) {
        return;
    }
    const QImage& picture = OriginalImage->Picture();
    const std::vector<TransformPage*> refused = queue->Advance(
        [this, &picture](const TransformPage& page) {
            return PageConversionFit(Pages, page, picture);
        },
        [this](TransformPage& page) { StartConversion(page); });
    UpdateCommands();
    RefusePages(refused);
}

void TMainWindow::RefusePages(const std::vector<TransformPage*>& pages) {
    if (pages.empty()) {
        return;
    }
    QStringList refusals;
    for (const TransformPage* page : pages) {
        QString refusal =
            PageConversionRefusalAlone(*page, CaptionOf(*page), OriginalImage->Picture());
        // The memory changed between the checks: still, the page is named.
        if (refusal.isEmpty()) {
            refusal = QStringLiteral("The conversion on page \"%1\" does not fit in memory now.")
                          .arg(CaptionOf(*page));
        }
        refusals << refusal;
    }
    ShowMessage(ConversionQueue::RefusalMessage(refusals));
}

void TMainWindow::StartSweep() {
    const QImage& picture = OriginalImage->Picture();
    const SweepSettings settings = SweepSettingsOf(*CurrentPage, optionsBar->Options());
    if (const QString refusal = SweepRefusal(settings, CaptionOf(*CurrentPage), picture);
        !refusal.isEmpty()) {
        ShowMessage(refusal);
        return;
    }
    curves->Start(picture, QFileInfo(LoadedFileName).fileName(), settings);
}

void TMainWindow::OpenResults() {
    const QStringList paths = Dialogs::Current().OpenFileNames(
        this, QStringLiteral("Open results"), QString(),
        QStringLiteral("Rows of tarvish-batch (*.csv);;All files (*)"));
    if (paths.isEmpty()) {
        return;
    }
    OriginalPageControl->setCurrentWidget(curves);
    curves->OpenResults(paths);
}

void TMainWindow::StartBestTiles() {
    const QImage& picture = OriginalImage->Picture();
    const ConversionSettings settings = TileSettingsOf(*CurrentPage, optionsBar->Options());
    // Six conversions one after another, each result kept: as a sweep of one error that keeps
    // its pixels.
    SweepSettings memory = SweepSettingsOf(*CurrentPage, settings.Options);
    memory.ErrorPercents = {settings.ErrorPercent};
    memory.KeepPixels = true;
    if (const QString refusal = SweepRefusal(memory, CaptionOf(*CurrentPage), picture);
        !refusal.isEmpty()) {
        ShowMessage(refusal);
        return;
    }
    bestTiles->Start(picture, settings);
}

void TMainWindow::SaveBestTiles() {
    SaveImageDialog.SetTitle(QStringLiteral("Save best per tile"));
    const auto result = bestTiles->Result();
    SaveImageDialog.SetSuggestedName(
        result ? BestTilesSaveName(*result, LoadedFileName,
                                   SaveFormatFor(QString(), SaveImageDialog.SelectedFilter()))
               : QString());
    if (!SaveImageDialog.Execute(this)) {
        return;
    }
    const QString path = SaveImageDialog.FileName();
    try {
        SaveImageFile(bestTiles->ComposedImage(), path,
                      SaveFormatFor(path, SaveImageDialog.SelectedFilter()));
    } catch (...) {
        ShowMessage(QStringLiteral("Cannot save %1: %2")
                        .arg(QFileInfo(path).fileName(),
                             Application::ExceptionText(std::current_exception())));
    }
}

void TMainWindow::StopButtonClick() {
    queue->Cancel();
    const auto index = static_cast<std::size_t>(CurrentPage - Pages.data());
    if (live->Running(static_cast<int>(index))) {
        live->Stop();
    }
    liveAfterStop[index] = false;
    convertAfterStop[index] = false;
    runner->Stop(*CurrentPage);
    UpdateCommands();
}

void TMainWindow::PageConverted(TransformPage* page,
                                std::shared_ptr<const ConversionResult> result) {
    page->LastResult = result;
    page->ResultImagePath = page->ConvertingImagePath;
    page->ShowsResult = true;
    const QString options = OptionsCaption(result->Settings.Options);
    page->QualityLabel->setText(QualityCaption(result->Quality));
    page->OptionsLabel->setText(QStringLiteral("Made with ") + options);
    page->OptionsLabel->setVisible(!options.isEmpty());
    compare->ShowResult(static_cast<int>(page - Pages.data()), *result, page->ResultImagePath);
    if (page == CurrentPage) {
        errors->Show(CaptionOf(*page), result, page->ResultImagePath);
    }
    UpdateCoverage(*page);
    UpdateCommands();
    const auto index = static_cast<std::size_t>(page - Pages.data());
    sideBySide->SetPageResult(static_cast<int>(index), result,
                              std::exchange(sourcePictures[index], {}));
    emit ResultShown(static_cast<int>(index));
    if (liveAfterStop[index] || convertAfterStop[index]) {
        // The stop came too late: what was asked meanwhile still runs, after the worker's end.
        QTimer::singleShot(0, this, Guarded([this, page] { RunAfterStop(*page); }));
    }
}

void TMainWindow::ConversionEnded(TransformPage* page, const QString& failure) {
    UpdateCoverage(*page);
    UpdateCommands();
    // Not inside the worker's own end: starting again replaces that worker.
    QTimer::singleShot(0, this, Guarded([this, page] { RunAfterStop(*page); }));
    // A stopped conversion is what the user asked for; only a failure is worth a message.
    if (!failure.isEmpty()) {
        ShowMessage(QStringLiteral("The conversion on page \"%1\" failed: %2")
                        .arg(CaptionOf(*page), failure));
    }
}

// Saving, closing, About.

bool TMainWindow::SavePage(TransformPage& page) {
    const QString path = SaveImageDialog.FileName();
    return SavePage(page, path, SaveFormatFor(path, SaveImageDialog.SelectedFilter()));
}

bool TMainWindow::SavePage(TransformPage& page, const QString& path, ImageFormat format) {
    try {
        SaveImageFile(page.Image->Picture(), path, format);
    } catch (...) {
        ShowMessage(QStringLiteral("Cannot save %1: %2")
                        .arg(QFileInfo(path).fileName(),
                             Application::ExceptionText(std::current_exception())));
        return false;
    }
    CurrentFileName = path;
    page.Unsaved = false;
    UpdateCommands();
    return true;
}

void TMainWindow::SaveButtonClick() {
    if (CurrentPage->Busy || !CurrentPage->Unsaved) {
        return;
    }
    SaveImageDialog.SetTitle(QStringLiteral("Save image"));
    SaveImageDialog.SetSuggestedName(SuggestedName(*CurrentPage));
    if (SaveImageDialog.Execute(this)) {
        SavePage(*CurrentPage);
    }
}

TransformKind TMainWindow::KindOf(const TransformPage& page) const {
    return TransformKinds()[static_cast<std::size_t>(&page - Pages.data())].Kind;
}

QString TMainWindow::SuggestedName(const TransformPage& page) const {
    return PageSaveName(page, KindOf(page), LoadedFileName, optionsBar->Options(),
                        SaveFormatFor(QString(), SaveImageDialog.SelectedFilter()));
}

void TMainWindow::SaveAllPages() {
    // Bitmaps, as tarvish-batch writes its --images by default.
    std::vector<std::pair<TransformPage*, QString>> named;
    for (auto& page : Pages) {
        if (page.Unsaved && !page.Busy) {
            named.emplace_back(&page, PageSaveName(page, KindOf(page), LoadedFileName,
                                                   optionsBar->Options(), ImageFormat::Bmp));
        }
    }
    const QString lastSaved = SaveImageDialog.FileName();
    const QString folder =
        lastSaved.isEmpty() ? QDir::currentPath() : QFileInfo(lastSaved).absolutePath();
    // A failed save has said why and the others go on.
    for (const SaveAllPlan::Target& target : SaveAllPlan::Ask(this, named, folder)) {
        SavePage(*target.Page, target.Path, ImageFormat::Bmp);
    }
}

void TMainWindow::ExitButtonClick() {
    close();
}

void TMainWindow::AboutButtonClick() {
    Dialogs::Current().RunModal(*AboutDialog);
}

bool TMainWindow::CloseHdl() {
    live->Stop();
    curves->Cancel();
    bestTiles->Cancel();
    // Waiting pages are counted with the running ones, and leave the queue before the running
    // ones end, so that none starts while the window closes.
    if (!runner->ConfirmStopAll(this, queue->Count())) {
        return false;
    }
    queue->Cancel();
    runner->StopAll();
    runner->WaitUntilIdle();
    for (auto& page : Pages) {
        if (!page.Unsaved) {
            continue;
        }
        const QString caption = CaptionOf(page);
        const auto answer = Dialogs::Current().Question(
            this, QStringLiteral("Be careful !"),
            caption + QStringLiteral(" transformed image not saved. Do you want to save ?"));
        if (answer == Dialogs::Answer::Cancel) {
            return false;
        }
        if (answer == Dialogs::Answer::No) {
            continue;
        }
        // A result the user asked to keep is never lost: if the save is
        // cancelled or fails, the window stays open.
        SaveImageDialog.SetTitle(QStringLiteral("Save image : ") + caption);
        SaveImageDialog.SetSuggestedName(SuggestedName(page));
        if (!SaveImageDialog.Execute(this) || !SavePage(page)) {
            return false;
        }
    }
    return true;
}

void TMainWindow::closeEvent(QCloseEvent* event) {
    if (CloseHdl()) {
        event->accept();
    } else {
        event->ignore();
    }
}

// Pages, labels, grid and zoom.

void TMainWindow::ChangeActivePage(int index) {
    if (index < 0 || index >= static_cast<int>(TransformKindCount)) {
        return;
    }
    CurrentPage = &Pages[index];
    convertOffered = true;
    UpdateCommands();
    errors->Show(CaptionOf(*CurrentPage), CurrentPage->LastResult, CurrentPage->ResultImagePath);
    sideBySide->SetActivePage(index);
}

void TMainWindow::ChangeErrorLabel() {
    CurrentPage->ErrorLabel->setText(
        ErrorLabelText(optionsBar->Options().Rule, CurrentPage->ErrorTrackBar->value()));
    FollowPage(*CurrentPage);
}

void TMainWindow::ChangeOptions() {
    const TransformOptions options = optionsBar->Options();
    for (auto& page : Pages) {
        ShowErrorRule(page, options.Rule);
    }
    compare->SetCurrentOptions(options);
}

void TMainWindow::FollowPage(TransformPage& source) {
    if (!menu->SameSettingsAction->isChecked()) {
        return;
    }
    // Alike on every page, the labels say what each page's next conversion takes.
    ShowGridSize(source);
    const KeepRule rule = optionsBar->Options().Rule;
    for (auto& page : Pages) {
        if (&page == &source || !CopyPageSettings(source, page)) {
            continue;
        }
        page.ErrorLabel->setText(ErrorLabelText(rule, page.ErrorTrackBar->value()));
        RedrawPageGrid(page, OriginalImage->Picture());
        UpdateCoverage(page);
    }
    UpdateCommands();
}

void TMainWindow::DrawGrid() {
    RedrawPageGrid(*CurrentPage, OriginalImage->Picture());
    UpdateCoverage(*CurrentPage);
    FollowPage(*CurrentPage);
}

void TMainWindow::ShowGrid() {
    ToggleGrid(*CurrentPage);
}

void TMainWindow::ZoomInImage(Qt::MouseButton button) {
    ZoomImage(*CurrentPage->Image, button, MinimumImageSide, MaximumImageSide);
    UpdateCoverage(*CurrentPage);
    UpdateCommands();
    FollowPage(*CurrentPage);
}

void TMainWindow::ZoomOriginalImage(Qt::MouseButton button) {
    ZoomImage(*OriginalImage, button, MinimumImageSide, MaximumImageSide);
}

void TMainWindow::FitSideToImage() {
    const QImage& picture = OriginalImage->Picture();
    if (picture.isNull()) {
        return;
    }
    QStringList captions;
    for (const auto& page : Pages) {
        captions << CaptionOf(page);
    }
    const QStringList refusals = FitPageSides(Pages, FittedSide(picture), picture, captions);
    for (auto& page : Pages) {
        UpdateCoverage(page);
    }
    UpdateCommands();
    if (!refusals.isEmpty()) {
        ShowMessage(QStringLiteral("Fit side to image left %1:\n\n%2")
                        .arg(refusals.size() == 1 ? QStringLiteral("this page as it was")
                                                  : QStringLiteral("these pages as they were"),
                             refusals.join(QStringLiteral("\n\n"))));
    }
}

// Live preview.

void TMainWindow::SliderMoved(int index, bool released) {
    TransformPage& page = Pages[static_cast<std::size_t>(index)];
    // The other pages' sliders move when they follow the active one.
    if (!menu->LivePreviewAction->isChecked() || &page != CurrentPage || !convertOffered) {
        return;
    }
    const bool dragging =
        page.ErrorTrackBar->isSliderDown() || page.WinSizeTrackBar->isSliderDown();
    if (dragging && !released && !LivePreview::FollowsDrag(page.Image->width())) {
        return;
    }
    FollowLive(page);
    if (released) {
        followersTimer->stop();
        ConvertFollowers(page);
    } else if (!dragging) {
        followersTimer->start();
    }
}

void TMainWindow::FollowLive(TransformPage& page) {
    const auto index = static_cast<std::size_t>(&page - Pages.data());
    if (page.Busy) {
        // The latest position replaces the worker's conversion once it has stopped.
        runner->Stop(page);
        liveAfterStop[index] = true;
        return;
    }
    const TransformOptions options = optionsBar->Options();
    ConversionSettings settings = TileSettingsOf(page, options);
    settings.Order = ScanOrderOfFlag(page.TwoDimensional);
    const QImage& picture = OriginalImage->Picture();
    const bool fits =
        PageConversionRefusal(Pages, page, CaptionOf(page), picture).isEmpty() &&
        LivePreview::BytesNeeded(settings) <= AvailableMemoryBytes() + live->HeldBytes();
    if (!LivePreview::FollowsDrag(settings.Side) || !fits ||
        !live->Request(static_cast<int>(index), settings, picture, *page.Transform,
                       page.Transform->KeptPercent)) {
        // Too large to follow, or it does not fit: the page's worker converts it, or says why
        // it cannot.
        live->Stop();
        if (MayConvert(page)) {
            StartConversion(page);
        }
        return;
    }
    UpdateCommands();
}

void TMainWindow::LiveConverted(int index, std::shared_ptr<ConversionResult> result,
                                const QImage& picture, double lastKept) {
    TransformPage& page = Pages[static_cast<std::size_t>(index)];
    // A worker started since owns the page now.
    if (page.Busy) {
        return;
    }
    page.Transform->KeptPercent = lastKept;
    ShowResultOnPage(page, picture, *result);
    // The loaded image: opening another stops the live preview first.
    page.ConvertingImagePath = LoadedFileName;
    sourcePictures[static_cast<std::size_t>(index)] = picture;
    PageConverted(&page, std::move(result));
}

void TMainWindow::ConvertFollowers(const TransformPage& source) {
    if (!menu->SameSettingsAction->isChecked()) {
        return;
    }
    // As Convert all: the pages that fit start, the others wait for memory.
    for (std::size_t i = 0; i < Pages.size(); ++i) {
        TransformPage& page = Pages[i];
        if (&page == &source) {
            continue;
        }
        if (page.Busy) {
            runner->Stop(page);
            convertAfterStop[i] = true;
        } else {
            queue->Add(page);
        }
    }
    StartWaitingPages();
}

void TMainWindow::RunAfterStop(TransformPage& page) {
    const auto index = static_cast<std::size_t>(&page - Pages.data());
    if (page.Busy) {
        return;
    }
    if (std::exchange(liveAfterStop[index], false) && &page == CurrentPage &&
        menu->LivePreviewAction->isChecked()) {
        FollowLive(page);
    } else if (std::exchange(convertAfterStop[index], false)) {
        queue->Add(page);
        StartWaitingPages();
    }
}
