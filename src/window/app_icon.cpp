#include "window/app_icon.h"

#include <QPainter>

namespace velmora {

namespace {

const QColor kFrame(0, 0, 255), kPaper(250, 250, 250), kInk(0, 0, 0), kGap(100, 220, 100), kResult(224, 224, 224);
// Upper text, lower text: matched blocks black, gaps green.
constexpr bool kUpperGaps[] = {true, false, true, true, false, false};
constexpr bool kLowerGaps[] = {false, false, true, false, false, true};

// The 16-pixel icon, set pixel by pixel: scaled down, the drawing's one-pixel blocks and
// frame would blur into their neighbours.
QImage drawSmallIcon()
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(QRect(1, 0, 14, 16), kFrame);  // the frame, with its corners cut
    painter.fillRect(QRect(0, 1, 16, 14), kFrame);
    painter.fillRect(QRect(1, 1, 14, 14), kPaper);
    for (int i = 0; i < 6; ++i) {
        painter.fillRect(QRect(2 + i * 2, 3, 1, 3), kUpperGaps[i] ? kGap : kInk);
        painter.fillRect(QRect(2 + i * 2, 7, 1, 3), kLowerGaps[i] ? kGap : kInk);
    }
    painter.fillRect(QRect(2, 11, 12, 3), kResult);
    for (int i = 0; i < 4; ++i) painter.fillRect(QRect(3 + i * 3, 12, 2, 1), kInk);
    return image;
}

}  // namespace

QImage drawIcon(int size)
{
    if (size == 16) return drawSmallIcon();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    painter.setPen(QPen(kFrame, 1));
    painter.setBrush(kPaper);
    painter.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 4, 4);
    for (int i = 0; i < 6; ++i) {
        painter.fillRect(QRectF(4 + i * 4, 6, 3, 5), kUpperGaps[i] ? kGap : kInk);
        painter.fillRect(QRectF(4 + i * 4, 14, 3, 5), kLowerGaps[i] ? kGap : kInk);
    }
    painter.fillRect(QRectF(4, 22, 24, 6), kResult);
    for (int i = 0; i < 4; ++i) painter.fillRect(QRectF(5 + i * 4, 23, 3, 4), kInk);
    return image;
}

QIcon velmoraIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(drawIcon(size)));
    return icon;
}

}  // namespace velmora
