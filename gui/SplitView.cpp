#include "SplitView.h"

#include "ZoomPainting.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

const QColor Background(48, 48, 48);
// Inside the image area but outside a smaller image.
const QColor Uncovered(72, 72, 72);
const QColor Hatch(104, 104, 104);
const QColor CaptionBox(0, 0, 0, 170);
const QColor CaptionText(Qt::white);
const QColor EmptyText(200, 200, 200);

// Logical pixels.
constexpr double GapWidth = 4;
constexpr double DividerReach = 5;
constexpr double CaptionMargin = 4;
// Grid lines closer than this many device pixels would hide the picture.
constexpr double GridMinimumSpacing = 4;

} // namespace

SplitView::SplitView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(Qt::OpenHandCursor);
    SyncViewport();
}

QSize SplitView::sizeHint() const {
    return QSize(400, 400);
}

QSize SplitView::minimumSizeHint() const {
    return QSize(64, 64);
}

// --- State --------------------------------------------------------------------------------

void SplitView::SetImages(const QImage& left, const QImage& right) {
    const State before = Snapshot();
    // One format, so painting never converts per paint.
    images[0] = left.isNull() ? QImage() : left.convertToFormat(QImage::Format_RGB32);
    images[1] = right.isNull() ? QImage() : right.convertToFormat(QImage::Format_RGB32);
    differenceStale = true;
    SyncViewport();
    zoom.SetImageSize(images[0].size().expandedTo(images[1].size()));
    Changed(before);
    update();
}

void SplitView::SetLabels(const QString& left, const QString& right) {
    labels[0] = left;
    labels[1] = right;
    update();
}

void SplitView::SetMode(Mode newMode) {
    if (newMode == mode) {
        return;
    }
    const State before = Snapshot();
    mode = newMode;
    drag = Drag::None;
    SyncViewport();
    Changed(before, true);
}

void SplitView::SetMagnification(int magnification) {
    const State before = Snapshot();
    SyncViewport();
    zoom.SetMagnification(magnification);
    Changed(before);
}

void SplitView::SetDividerFraction(double fraction) {
    if (!(fraction >= 0 && fraction <= 1)) {
        throw std::invalid_argument("SplitView: divider fraction " + std::to_string(fraction) +
                                    " is not within 0..1");
    }
    if (fraction == divider) {
        return;
    }
    const int before = DividerX();
    divider = fraction;
    if (mode == Mode::Split) {
        if (images[0].isNull() || images[1].isNull()) {
            update(); // the "nothing to show" text is centred on its side
        } else {
            // Only the strip between the two positions, with the grip's width around it.
            const double r = Ratio();
            const double from = std::min(before, DividerX()) / r - 12;
            const double to = std::max(before, DividerX()) / r + 12;
            update(QRectF(from, 0, to - from, height()).toAlignedRect());
        }
    }
    emit ViewChanged();
}

void SplitView::SetGridTileSide(int tileSide) {
    if (tileSide < 0) {
        throw std::invalid_argument("SplitView: grid tile side " + std::to_string(tileSide) +
                                    " is negative");
    }
    gridTileSide = tileSide;
    update();
}

QRectF SplitView::SourceRect(int pane) const {
    if (pane != 0 && pane != 1) {
        throw std::invalid_argument("SplitView: pane " + std::to_string(pane) +
                                    " is neither 0 nor 1");
    }
    return zoom.SourceRect();
}

QPoint SplitView::ImagePixelAt(QPointF widgetPoint) const {
    const QPointF device = ToDevice(widgetPoint);
    const int pane = PaneAt(device);
    if (pane < 0) {
        return QPoint(-1, -1);
    }
    const QPointF image = zoom.ToImage(device - QPointF(PaneRect(pane).topLeft()));
    const QPoint pixel(qFloor(image.x()), qFloor(image.y()));
    if (!QRect(QPoint(0, 0), zoom.ImageSize()).contains(pixel)) {
        return QPoint(-1, -1);
    }
    return pixel;
}

const QImage& SplitView::DifferenceImage() const {
    ComputeDifference();
    return difference;
}

int SplitView::LargestDifference() const {
    ComputeDifference();
    return largestDifference;
}

QString SplitView::DifferenceCaption() const {
    if (DifferenceImage().isNull()) {
        return tr("Nothing to show");
    }
    if (largestDifference == 0) {
        return tr("identical");
    }
    return tr("0 = black, largest difference %1 = white").arg(largestDifference);
}

void SplitView::ComputeDifference() const {
    if (!differenceStale) {
        return;
    }
    differenceStale = false;
    difference = QImage();
    differenceShown = QImage();
    largestDifference = 0;
    if (images[0].isNull() || images[1].isNull()) {
        return;
    }
    const QSize common = images[0].size().boundedTo(images[1].size());
    difference = QImage(common, QImage::Format_Grayscale8);
    for (int y = 0; y < common.height(); ++y) {
        const auto* left = reinterpret_cast<const QRgb*>(images[0].constScanLine(y));
        const auto* right = reinterpret_cast<const QRgb*>(images[1].constScanLine(y));
        uchar* out = difference.scanLine(y);
        for (int x = 0; x < common.width(); ++x) {
            const int d = std::max({std::abs(qRed(right[x]) - qRed(left[x])),
                                    std::abs(qGreen(right[x]) - qGreen(left[x])),
                                    std::abs(qBlue(right[x]) - qBlue(left[x]))});
            out[x] = static_cast<uchar>(d);
            largestDifference = std::max(largestDifference, d);
        }
    }
    // Rounded to nearest; all black when identical.
    std::array<uchar, 256> amplified{};
    for (int d = 1; d <= largestDifference; ++d) {
        amplified[d] = static_cast<uchar>((d * 255 + largestDifference / 2) / largestDifference);
    }
    differenceShown = QImage(common, QImage::Format_RGB32);
    for (int y = 0; y < common.height(); ++y) {
        uchar* row = difference.scanLine(y);
        auto* shown = reinterpret_cast<QRgb*>(differenceShown.scanLine(y));
        for (int x = 0; x < common.width(); ++x) {
            row[x] = amplified[row[x]];
            shown[x] = qRgb(row[x], row[x], row[x]);
        }
    }
}

SplitView::State SplitView::Snapshot() const {
    return zoom.Where();
}

void SplitView::Changed(const State& before, bool viewChanged) {
    const State after = Snapshot();
    if (after == before && !viewChanged) {
        return;
    }
    update();
    if (after.Magnification != before.Magnification) {
        emit MagnificationChanged(after.Magnification);
    }
    emit ViewChanged();
}

// --- Geometry, in device pixels -----------------------------------------------------------

double SplitView::Ratio() const {
    return devicePixelRatioF();
}

QSize SplitView::DeviceSize() const {
    const double r = Ratio();
    return QSize(qRound(width() * r), qRound(height() * r));
}

QRect SplitView::PaneRect(int pane) const {
    const QSize view = DeviceSize();
    if (mode != Mode::SideBySide) {
        return QRect(QPoint(0, 0), view);
    }
    const int gap = std::max(1, qRound(GapWidth * Ratio()));
    const int paneWidth = std::max(0, (view.width() - gap) / 2);
    return QRect(pane == 0 ? 0 : view.width() - paneWidth, 0, paneWidth, view.height());
}

QSize SplitView::PaneSize() const {
    return PaneRect(0).size();
}

int SplitView::PaneAt(QPointF devicePoint) const {
    for (int pane = 0; pane < 2; ++pane) {
        if (QRectF(PaneRect(pane)).contains(devicePoint)) {
            return pane;
        }
    }
    return -1;
}

QPointF SplitView::ToDevice(QPointF widgetPoint) const {
    return widgetPoint * Ratio();
}

int SplitView::DividerX() const {
    return qRound(divider * DeviceSize().width());
}

bool SplitView::NearDivider(QPointF widgetPoint) const {
    return mode == Mode::Split &&
           std::abs(widgetPoint.x() * Ratio() - DividerX()) <= DividerReach * Ratio();
}

void SplitView::SyncViewport() {
    if (zoom.ViewportSize() != PaneSize()) {
        zoom.SetViewportSize(PaneSize());
    }
}

const QImage& SplitView::Shown(int side) const {
    return images[swapped ? 1 - side : side];
}

const QString& SplitView::ShownLabel(int side) const {
    return labels[swapped ? 1 - side : side];
}

// --- Painting -----------------------------------------------------------------------------

QImage SplitView::Composed(const QRect& area) const {
    return ComposeAtDeviceResolution(*this, area,
                                     [&](QPainter& painter) { Compose(painter, area); });
}

void SplitView::Compose(QPainter& painter, const QRect& area) const {
    painter.fillRect(area, Background);
    switch (mode) {
    case Mode::Split: {
        const QRect view = PaneRect(0);
        const int x = DividerX();
        DrawPicture(painter, Shown(0), view, QRect(0, 0, x, view.height()), area);
        DrawPicture(painter, Shown(1), view, QRect(x, 0, view.width() - x, view.height()), area);
        DrawGrid(painter, view, area);
        DrawDivider(painter);
        DrawCaption(painter, view, ShownLabel(0), Qt::AlignLeft);
        DrawCaption(painter, view, ShownLabel(1), Qt::AlignRight);
        break;
    }
    case Mode::SideBySide:
        for (int pane = 0; pane < 2; ++pane) {
            const QRect rect = PaneRect(pane);
            DrawPicture(painter, Shown(pane), rect, rect, area);
            DrawGrid(painter, rect, area);
        }
        DrawCaption(painter, PaneRect(0), ShownLabel(0), Qt::AlignLeft);
        DrawCaption(painter, PaneRect(1), ShownLabel(1), Qt::AlignRight);
        break;
    case Mode::Difference: {
        const QRect view = PaneRect(0);
        ComputeDifference();
        DrawPicture(painter, differenceShown, view, view, area);
        DrawGrid(painter, view, area);
        DrawCaption(painter, view, DifferenceCaption(), Qt::AlignLeft);
        break;
    }
    }
}

void SplitView::DrawPicture(QPainter& painter, const QImage& picture, const QRect& pane,
                            const QRect& part, const QRect& area) const {
    const QRect visible = part & pane & area;
    if (visible.isEmpty()) {
        return;
    }
    if (picture.isNull()) {
        DrawCentredText(painter, part & pane, tr("Nothing to show"));
        return;
    }
    if (picture.size() != zoom.ImageSize()) {
        const QRect imageRect = zoom.ImageRect().translated(pane.topLeft());
        painter.save();
        painter.setClipRect(visible, Qt::IntersectClip);
        painter.fillRect(imageRect, Uncovered);
        painter.fillRect(imageRect, QBrush(Hatch, Qt::BDiagPattern));
        painter.restore();
    }
    DrawZoomedPicture(painter, picture, 1, zoom, pane.topLeft(), visible);
}

void SplitView::DrawGrid(QPainter& painter, const QRect& pane, const QRect& area) const {
    // A light line under a dark dash shows on any picture.
    DrawZoomedGrid(painter, zoom, pane, area, gridTileSide, GridMinimumSpacing,
                   {QPen(Qt::white, 0), QPen(Qt::black, 0, Qt::DashLine)});
}

void SplitView::DrawDivider(QPainter& painter) const {
    const double r = Ratio();
    const int x = DividerX();
    const int h = DeviceSize().height();
    const int line = std::max(1, qRound(r));
    painter.fillRect(QRect(x - line, 0, 3 * line, h), QColor(0, 0, 0, 140));
    painter.fillRect(QRect(x, 0, line, h), QColor(240, 240, 240));
    const QSize grip(qRound(10 * r), qRound(32 * r));
    const QRect box(QPoint(x + line / 2 - grip.width() / 2, h / 2 - grip.height() / 2), grip);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), line));
    painter.setBrush(QColor(230, 230, 230));
    painter.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 3 * r, 3 * r);
    painter.restore();
    for (const int dx : {-2, 2}) {
        const int lineX = box.center().x() + qRound(dx * r) - line / 2;
        painter.fillRect(
            QRect(lineX, box.top() + qRound(8 * r), line, grip.height() - qRound(16 * r)),
            QColor(90, 90, 90));
    }
}

void SplitView::DrawCaption(QPainter& painter, const QRect& pane, const QString& text,
                            Qt::Alignment corner) const {
    if (text.isEmpty() || pane.isEmpty()) {
        return;
    }
    const double r = Ratio();
    painter.save();
    painter.scale(r, r); // text in logical sizes
    painter.setFont(font());
    const QFontMetricsF metrics(painter.font());
    const QRectF logical(pane.x() / r, pane.y() / r, pane.width() / r, pane.height() / r);
    const QString shown = metrics.elidedText(text, Qt::ElideRight,
                                             std::max(0.0, logical.width() - 4 * CaptionMargin));
    const QSizeF box(metrics.horizontalAdvance(shown) + 2 * CaptionMargin,
                     metrics.height() + CaptionMargin);
    const double x = corner & Qt::AlignRight ? logical.right() - CaptionMargin - box.width()
                                             : logical.left() + CaptionMargin;
    const QRectF rect(QPointF(x, logical.top() + CaptionMargin), box);
    painter.fillRect(rect, CaptionBox);
    painter.setPen(CaptionText);
    painter.drawText(rect, Qt::AlignCenter, shown);
    painter.restore();
}

void SplitView::DrawCentredText(QPainter& painter, const QRect& part, const QString& text) const {
    if (part.isEmpty()) {
        return;
    }
    const double r = Ratio();
    painter.save();
    painter.setClipRect(part, Qt::IntersectClip);
    painter.scale(r, r);
    painter.setFont(font());
    painter.setPen(EmptyText);
    painter.drawText(QRectF(part.x() / r, part.y() / r, part.width() / r, part.height() / r),
                     Qt::AlignCenter, text);
    painter.restore();
}

void SplitView::paintEvent(QPaintEvent* event) {
    SyncViewport(); // the device pixel ratio may have changed with the screen
    const double r = Ratio();
    const QRect device = DeviceRectOf(event->rect(), r, DeviceSize());
    PaintComposed(*this, Composed(device), device.topLeft(), r);
}

QImage SplitView::RenderShown() const {
    return Composed(QRect(QPoint(0, 0), DeviceSize()));
}

QImage SplitView::RenderFullSize() const {
    const QSize area = zoom.ImageSize();
    if (area.isEmpty()) {
        return QImage();
    }
    if (mode == Mode::Difference) {
        return DifferenceImage();
    }
    const bool split = mode == Mode::Split;
    QImage full(split ? area : QSize(2 * area.width(), area.height()), QImage::Format_RGB32);
    full.fill(Background);
    QPainter painter(&full);
    if (split) {
        // The image column under the divider starts the right image.
        const int column =
            std::clamp(qRound(zoom.ToImage(QPointF(DividerX(), 0)).x()), 0, area.width());
        painter.drawImage(QPoint(0, 0), Shown(0),
                          QRect(0, 0, std::min(column, Shown(0).width()), Shown(0).height()));
        if (Shown(1).width() > column) {
            painter.drawImage(QPoint(column, 0), Shown(1),
                              QRect(column, 0, Shown(1).width() - column, Shown(1).height()));
        }
    } else {
        painter.drawImage(QPoint(0, 0), Shown(0));
        painter.drawImage(QPoint(area.width(), 0), Shown(1));
    }
    return full;
}

// --- Input --------------------------------------------------------------------------------

void SplitView::resizeEvent(QResizeEvent* event) {
    const State before = Snapshot();
    SyncViewport();
    Changed(before);
    QWidget::resizeEvent(event);
}

void SplitView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    SyncViewport();
    if (NearDivider(event->position())) {
        drag = Drag::Divider;
    } else {
        drag = Drag::Pan;
        dragDevice = ToDevice(event->position()).toPoint();
    }
    UpdateCursor(event->position());
    event->accept();
}

void SplitView::mouseMoveEvent(QMouseEvent* event) {
    if (drag == Drag::Divider && width() > 0) {
        SetDividerFraction(std::clamp(event->position().x() / width(), 0.0, 1.0));
    } else if (drag == Drag::Pan) {
        const QPoint now = ToDevice(event->position()).toPoint();
        const State before = Snapshot();
        zoom.PanBy(now.x() - dragDevice.x(), now.y() - dragDevice.y());
        dragDevice = now;
        Changed(before);
    }
    UpdateCursor(event->position());
    HoverAt(event->position());
    event->accept();
}

void SplitView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    drag = Drag::None;
    UpdateCursor(event->position());
    event->accept();
}

void SplitView::wheelEvent(QWheelEvent* event) {
    SyncViewport();
    const QPointF device = ToDevice(event->position());
    const int pane = PaneAt(device);
    const QPointF anchor = pane < 0 ? QPointF(QRectF(PaneRect(0)).center())
                                    : device - QPointF(PaneRect(pane).topLeft());
    const State before = Snapshot();
    input.Wheel(*event, Ratio(), anchor, zoom);
    Changed(before);
    HoverAt(event->position());
    event->accept();
}

void SplitView::keyPressEvent(QKeyEvent* event) {
    SyncViewport();
    const State before = Snapshot();
    if (ZoomInput::Key(event->key(), zoom)) {
        Changed(before);
    } else if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat()) {
            SetSwapped(true);
        }
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void SplitView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat()) {
            SetSwapped(false);
        }
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void SplitView::focusOutEvent(QFocusEvent* event) {
    SetSwapped(false); // the release would go elsewhere
    QWidget::focusOutEvent(event);
}

void SplitView::leaveEvent(QEvent* event) {
    hovered = QPoint(-1, -1);
    emit PixelHovered(hovered);
    QWidget::leaveEvent(event);
}

void SplitView::HoverAt(QPointF widgetPoint) {
    const QPoint pixel = ImagePixelAt(widgetPoint);
    if (pixel != hovered) {
        hovered = pixel;
        emit PixelHovered(pixel);
    }
}

void SplitView::SetSwapped(bool on) {
    if (on == swapped) {
        return;
    }
    swapped = on;
    update();
    emit SwapChanged(on);
}

void SplitView::UpdateCursor(QPointF widgetPoint) {
    if (drag == Drag::Pan) {
        setCursor(Qt::ClosedHandCursor);
    } else if (drag == Drag::Divider || NearDivider(widgetPoint)) {
        setCursor(Qt::SplitHCursor);
    } else {
        setCursor(Qt::OpenHandCursor);
    }
}
