#pragma once

#include "TransformKind.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>

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
    // The transform options of the last conversion when they are not the defaults; hidden
    // otherwise.
    QLabel* OptionsLabel = nullptr;
    // What the next conversion covers, in one line.
    QLabel* CoverageLabel = nullptr;
    // What the page's last finished conversion produced, or null.
    std::shared_ptr<const ConversionResult> LastResult;
    // The path of the image LastResult was made from (empty: the white square of no image).
    // Taken when the conversion starts: another image may be opened while it runs.
    QString ResultImagePath;
    QString ConvertingImagePath;
    // Whether the page's picture is LastResult's; false once it shows the loaded image again.
    bool ShowsResult = false;
};

// The window's pages, one per transform kind, in page order.
using TransformPages = std::array<TransformPage, TransformKindCount>;

// Tiles per side at a grid track bar position: 2 to the power (position - 1).
int TilesAt(int gridPosition);
// Tiles per side at the page's grid track bar.
int TilesAt(const TransformPage& page);
