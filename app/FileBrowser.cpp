#include "FileBrowser.h"

#include "DirectoryListBox.h"
#include "DriveComboBox.h"
#include "FileListBox.h"
#include "FilterComboBox.h"
#include "ImageView.h"

#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>

FileBrowser::FileBrowser(const QString& filter, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("OpenOriginalImage"));

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("QuickViewBevel"));
    bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bevel->setLineWidth(2);
    QuickViewImage = new ImageView(bevel);
    QuickViewImage->setObjectName(QStringLiteral("QuickViewImage"));
    QuickViewImage->SetControlSize(146, 146);
    auto* bevelLayout = new QVBoxLayout(bevel);
    bevelLayout->setContentsMargins(2, 2, 2, 2);
    bevelLayout->addWidget(QuickViewImage, 0, Qt::AlignCenter);

    QuickViewFilterComboBox = new FilterComboBox(filter, this);
    QuickViewFilterComboBox->setObjectName(QStringLiteral("QuickViewFilterComboBox"));
    const QString mask = QuickViewFilterComboBox->Mask();
    QuickViewEdit = new QLineEdit(mask, this);
    QuickViewEdit->setObjectName(QStringLiteral("QuickViewEdit"));
    QuickViewFileListBox = new FileListBox(this);
    QuickViewFileListBox->setObjectName(QStringLiteral("QuickViewFileListBox"));
    QuickViewFileListBox->SetMask(mask);
    QuickViewDirectoryListBox = new DirectoryListBox(this);
    QuickViewDirectoryListBox->setObjectName(QStringLiteral("QuickViewDirectoryListBox"));
    QuickViewDriveComboBox = new DriveComboBox(this);
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
    connect(QuickViewFileListBox, &FileListBox::Click, this, &FileBrowser::FileClicked);
    connect(QuickViewFileListBox, &FileListBox::DblClick, this, &FileBrowser::FileChosen);
    connect(QuickViewEdit, &QLineEdit::returnPressed, this, &FileBrowser::EditReturn);

    auto* layout = new QGridLayout(this);
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
    layout->setRowStretch(2, 1);
    // Room for real names: a long file name, a folder name a few levels down, and ten files.
    const QFontMetrics metrics = QuickViewFileListBox->fontMetrics();
    QuickViewFileListBox->setMinimumWidth(
        metrics.horizontalAdvance(QStringLiteral("astronaut_512x512_poster3.bmp")) + 48);
    QuickViewFileListBox->setMinimumHeight(10 * metrics.height() + 8);
    QuickViewDirectoryListBox->setMinimumWidth(
        metrics.horizontalAdvance(QStringLiteral("        quality-reference")) + 40);
}

QString FileBrowser::SelectedFile() const {
    return QuickViewFileListBox->FileName();
}

void FileBrowser::ShowPreview(const QImage& image) {
    QuickViewImage->SetPicture(image);
}

void FileBrowser::EditReturn() {
    const QString text = QuickViewEdit->text().trimmed();
    const QFileInfo info(QDir(QuickViewFileListBox->Directory()), text);
    if (text.contains('*') || text.contains('?')) {
        QuickViewFileListBox->SetMask(text);
    } else if (info.isDir()) {
        QuickViewDirectoryListBox->SetDirectory(info.absoluteFilePath());
    } else if (QuickViewFileListBox->SelectFile(info.fileName())) {
        emit FileClicked();
    }
}
