#include "app/AppIcon.h"

#include <QPainter>
#include <QPixmap>

QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(QColor(32, 32, 96));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const qreal s = size / 32.0;
    painter.setBrush(QColor(64, 64, 192));
    painter.drawEllipse(QRectF(3 * s, 5 * s, 26 * s, 22 * s));
    painter.setBrush(QColor(191, 255, 127));
    painter.drawEllipse(QRectF(7 * s, 9 * s, 18 * s, 14 * s));
    painter.setBrush(QColor(128, 255, 0));
    painter.drawEllipse(QRectF(11 * s, 12 * s, 10 * s, 8 * s));
    painter.setBrush(QColor(191, 127, 0));
    painter.drawEllipse(QRectF(14 * s, 14 * s, 4 * s, 4 * s));
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    return icon;
}
