#include "window/crisp_outline.h"

#include <QPainter>
#include <QtMath>

namespace velmora {

void drawCrispOutline(QPainter& painter, const QRect& rect, const QColor& colour, qreal ratio)
{
    // A child widget can itself sit at a fractional device position, so the edges are
    // rounded in the device pixels of the whole window, not of the widget.
    const QTransform toDevice = painter.deviceTransform();
    const QRectF onDevice = toDevice.mapRect(QRectF(rect));
    const QTransform deviceOnly = painter.worldTransform().inverted() * toDevice;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setWorldTransform(deviceOnly.inverted());  // device pixels from here on
    const int left = qRound(onDevice.left()), top = qRound(onDevice.top());
    const int right = qRound(onDevice.right()), bottom = qRound(onDevice.bottom());
    const int width = std::max(1, qFloor(ratio));
    painter.fillRect(left, top, right - left, width, colour);
    painter.fillRect(left, bottom - width, right - left, width, colour);
    painter.fillRect(left, top, width, bottom - top, colour);
    painter.fillRect(right - width, top, width, bottom - top, colour);
    painter.restore();
}

OutlineShape::OutlineShape(QWidget* parent, const QColor& colour) : QFrame(parent), colour_(colour)
{
    setFrameStyle(QFrame::NoFrame);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void OutlineShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawCrispOutline(painter, rect(), colour_, devicePixelRatioF());
}

}  // namespace velmora
