#pragma once

#include <QListWidget>

// The files of one folder that match a mask ("*.bmp"), by name, with glyphs.
class FileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString Directory() const { return directory; }
    void SetDirectory(const QString& path);
    QString Mask() const { return mask; }
    // One or more masks separated by ';'.
    void SetMask(const QString& newMask);
    // Re-reads the folder.
    void Update();

    // Full path of the selected file, or empty.
    QString FileName() const;
    // Selects the file of that name, if listed.
    bool SelectFile(const QString& name);

signals:
    // A file was selected by mouse or keyboard.
    void Click();
    // A file was double-clicked or chosen with Enter.
    void DblClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString directory;
    QString mask;
};
