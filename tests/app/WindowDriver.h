#pragma once

#include "FakeDialogs.h"
#include "ImageView.h"
#include "TMainWindow.h"
#include "TestTransforms.h"

#include <QLabel>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

// Drives a main window the way a person does, with the dialogs answered by a
// FakeDialogs.
class WindowDriver {
public:
    FakeDialogsScope dialogs;
    TMainWindow window;

    template <typename T>
    T* Find(const QString& name) {
        T* widget = window.findChild<T*>(name);
        if (!widget) {
            qFatal("no widget named %s", qPrintable(name));
        }
        return widget;
    }
    QToolButton* Button(const char* name) { return Find<QToolButton>(QString::fromLatin1(name)); }
    ImageView* OriginalImage() { return Find<ImageView>(QStringLiteral("OriginalImage")); }

    void SelectPage(int index) {
        Find<QTabWidget>(QStringLiteral("TransformPageControl"))->setCurrentIndex(index);
    }
    // Opens path through the Open button.
    void Open(const QString& path) {
        dialogs->openAnswers.push_back(path);
        Button("OpenButton")->click();
    }
    // True once no page converts and every worker is collected.
    bool Idle() const {
        for (const auto& page : window.Pages) {
            if (page.Busy || page.Thread) {
                return false;
            }
        }
        return true;
    }
};

inline QString Corpus(const char* name) {
    return QStringLiteral(TARVISH_TEST_DATA "/bmp-corpus/") + QString::fromLatin1(name);
}
