#include "PrinterPicture.h"

#include <QPainter>
#include <QPixmap>

namespace tillora {

QIcon printerPicture() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    // Paper going in at the top, the body, the ticket coming out.
    p.setBrush(Qt::white);
    p.drawRect(18, 6, 28, 20);
    p.setBrush(QColor(70, 90, 120));
    p.drawRoundedRect(6, 22, 52, 24, 5, 5);
    p.setBrush(Qt::white);
    p.drawRect(16, 40, 32, 20);
    p.setPen(QPen(QColor(120, 120, 120), 2));
    for (int y : {46, 51, 56})
        p.drawLine(21, y, 43, y);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 192, 0));
    p.drawEllipse(QPointF(50, 30), 3, 3);
    // The "2" of the second kitchen printer.
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(14);
    p.setFont(font);
    p.drawText(QRect(8, 24, 20, 18), Qt::AlignCenter, QStringLiteral("2"));
    p.end();
    // The installed icon where the desktop's theme has it; this drawing otherwise.
    return QIcon::fromTheme(QStringLiteral("tillora-kp2"), QIcon(pixmap));
}

} // namespace tillora
