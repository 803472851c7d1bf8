#pragma once

#include "ConversionHost.h"
#include "ImageView.h"
#include "ProgressBar.h"
#include "Threads.h"
#include "Transform.h"
#include "TransformPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QToolButton>

#include <memory>

// One transform page's controls and record, without a window, for driving a
// TransformThread directly. As the window does, it sets Save and Convert from the page that is
// current when a step asks.
struct PageFixture : ConversionHost {
    explicit PageFixture(std::unique_ptr<Transform> transform, std::uint8_t twoDimensional) {
        image.SetControlSize(256, 256);
        errorTrackBar.setRange(0, 100);
        winSizeTrackBar.setRange(1, 6);
        winSizeTrackBar.setValue(1);
        compressBar.setRange(0, 100);
        progressBar.setRange(0, 255);
        owned = std::move(transform);
        page.TabSheet = &tabSheet;
        page.Image = &image;
        page.GridBox = &gridBox;
        page.ColorCorrection = &colorCorrection;
        page.ErrorTrackBar = &errorTrackBar;
        page.ErrorLabel = &errorLabel;
        page.WinSizeTrackBar = &winSizeTrackBar;
        page.WinSizeLabel = &winSizeLabel;
        page.CompressBar = &compressBar;
        page.CompressLabel = &compressLabel;
        page.Transform = owned.get();
        page.TwoDimensional = twoDimensional;
        current = &page;
    }

    // Starts a worker and returns it; terminated becomes true on its end.
    TransformThread* Start() {
        page.Busy = true;
        worker = std::make_unique<TransformThread>(true, &page, &progressBar, this);
        worker->OnTerminate = [this](Thread*) { terminated = true; };
        worker->Resume();
        return worker.get();
    }

    void RequestCommandUpdate(CommandHold hold) override {
        const bool held = hold == CommandHold::SaveAndConvert;
        saveButton.setEnabled(!held && current->Unsaved && !current->Busy);
        convertButton.setEnabled(!held && !current->Busy);
    }

    TransformOptions ConversionOptions() const override { return options; }

    TransformOptions options;
    QWidget tabSheet;
    ImageView image;
    QCheckBox gridBox;
    QCheckBox colorCorrection;
    QSlider errorTrackBar;
    QLabel errorLabel;
    QSlider winSizeTrackBar;
    QLabel winSizeLabel;
    ProgressBar compressBar;
    QLabel compressLabel;
    QToolButton convertButton;
    QToolButton saveButton;
    ProgressBar progressBar;
    std::unique_ptr<Transform> owned;
    TransformPage page;
    TransformPage* current = nullptr;
    std::unique_ptr<TransformThread> worker;
    bool terminated = false;
};
