#include "window/app_icon.h"

#include <QPainter>

namespace velmora {

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    painter.setPen(QPen(QColor(0, 0, 255), 1));
    painter.setBrush(QColor(250, 250, 250));
    painter.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 4, 4);
    const QColor black(0, 0, 0), gap(100, 220, 100), result(224, 224, 224);
    // Upper text, lower text: matched blocks black, gaps green.
    const bool upperGaps[] = {true, false, true, true, false, false};
    const bool lowerGaps[] = {false, false, true, false, false, true};
    for (int i = 0; i < 6; ++i) {
        painter.fillRect(QRectF(4 + i * 4, 6, 3, 5), upperGaps[i] ? gap : black);
        painter.fillRect(QRectF(4 + i * 4, 14, 3, 5), lowerGaps[i] ? gap : black);
    }
    painter.fillRect(QRectF(4, 22, 24, 6), result);
    for (int i = 0; i < 4; ++i) painter.fillRect(QRectF(5 + i * 4, 23, 3, 4), black);
    return image;
}

QIcon velmoraIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(drawIcon(size)));
    return icon;
}

}  // namespace velmora
