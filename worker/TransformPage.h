#pragma once

#include <cstdint>
#include <memory>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QSlider;
class QWidget;
class ImageView;
class ProgressBar;
class Transform;
class TransformThread;
struct ConversionResult;

// One transform page: its controls, its transform and its conversion state.
struct TransformPage {
    QWidget* TabSheet = nullptr;
    ImageView* Image = nullptr;
    QCheckBox* GridBox = nullptr;
    QCheckBox* ColorCorrection = nullptr;
    QSlider* ErrorTrackBar = nullptr;
    QLabel* ErrorLabel = nullptr;
    QSlider* WinSizeTrackBar = nullptr;
    QLabel* WinSizeLabel = nullptr;
    ProgressBar* CompressBar = nullptr;
    QLabel* CompressLabel = nullptr;
    ::Transform* Transform = nullptr;   // owned by the window, shared by every conversion
    std::uint8_t TwoDimensional = 0;    // also the scan-order flag: 1 raster, 0 zigzag
    std::int32_t ShownGridPosition = 1; // grid position whose lines are drawn on the image
    bool NeedsReload = false;
    bool Unsaved = false;
    bool Busy = false;
    TransformThread* Thread = nullptr;
    // The quality figures of the last conversion, under the Comp line.
    QLabel* QualityLabel = nullptr;
    // What the next conversion covers, in one line.
    QLabel* CoverageLabel = nullptr;
    // What the page's last finished conversion produced, or null.
    std::shared_ptr<const ConversionResult> LastResult;
};

// Save follows an unsaved, idle active page; Convert any idle active page.
void SetButtonsFromPage(const TransformPage& active, QAbstractButton* saveButton,
                        QAbstractButton* convertButton);
