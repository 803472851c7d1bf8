#pragma once

#include <QString>

#include <utility>
#include <vector>

class QWidget;
struct TransformPage;

// File > Save all unsaved pages, before anything is written: one folder for every page, the
// file names shown in one question (Yes saves, No or Cancel stops), and the files already in the
// folder named in one more (Yes overwrites them, No skips their pages, Cancel stops). Asks
// through the installed Dialogs.
class SaveAllPlan {
public:
    struct Target {
        TransformPage* Page = nullptr;
        QString Path;
    };

    // named: each page to save with its file name (no folder); startFolder is the folder the
    // dialog shows first. Returns the pages to write and their paths, in the order given; none
    // when the user cancelled or skipped them all.
    static std::vector<Target> Ask(QWidget* parent,
                                   const std::vector<std::pair<TransformPage*, QString>>& named,
                                   const QString& startFolder);

    static QString Title() { return QStringLiteral("Save all unsaved pages"); }
};
