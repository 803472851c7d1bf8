#pragma once

class ImageView;
class QScrollArea;
struct TransformKindInfo;
struct TransformPage;
class QWidget;

// Builds one transform page: its controls, named after the kind's prefix, laid out, and filled
// into the page record with the kind's scan-order flag. The window uses it for all six pages,
// gives each record its transform and connects the controls itself.
class TransformPageBuilder {
public:
    // The image control's side at start, and the side of its scroll box's view.
    static constexpr int ImageSide = 256;

    // Returns the page's tab sheet, which owns every control of the page.
    static QWidget* Build(TransformPage& page, const TransformKindInfo& kind);

    // A scroll box holding image, whose view starts exactly as large as an unzoomed image.
    static QScrollArea* ScrollBoxFor(ImageView* image, QWidget* parent);
};
