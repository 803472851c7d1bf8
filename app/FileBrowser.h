#pragma once

#include <QWidget>

class DirectoryListBox;
class DriveComboBox;
class FileListBox;
class FilterComboBox;
class ImageView;
class QLineEdit;

// The "QuickView" page: a preview, the files of a folder that match a filter, the folders and
// the drives, each following the other. Picking a file is the window's business: the browser
// reports clicks and double clicks and shows what it is given.
class FileBrowser : public QWidget {
    Q_OBJECT

public:
    // filter: description|mask pairs, the first one in use.
    FileBrowser(const QString& filter, QWidget* parent = nullptr);

    // Full path of the selected file, or empty.
    QString SelectedFile() const;
    void ShowPreview(const QImage& image);

    ImageView* QuickViewImage = nullptr;
    QLineEdit* QuickViewEdit = nullptr;
    FileListBox* QuickViewFileListBox = nullptr;
    DirectoryListBox* QuickViewDirectoryListBox = nullptr;
    FilterComboBox* QuickViewFilterComboBox = nullptr;
    DriveComboBox* QuickViewDriveComboBox = nullptr;

signals:
    // A file was selected: preview it.
    void FileClicked();
    // A file was chosen (double click, Enter, or its name typed): convert it.
    void FileChosen();

private:
    // A mask filters the list, a folder opens, a file name selects and previews it.
    void EditReturn();
};
