#pragma once

class ImageView;
class ProgressBar;
class QWidget;

// Builds the sheet of the loaded image: OriginalImage in its scroll box, and under it the
// conversions' TransformProgressBar. The window connects the image's zoom itself.
class OriginalSheetBuilder {
public:
    // Returns the sheet, named OriginalTabSheet, which owns both controls.
    static QWidget* Build(ImageView*& image, ProgressBar*& progressBar);
};
