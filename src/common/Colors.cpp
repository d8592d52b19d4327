#include "Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace tillora {

QColor toQColor(unsigned int bgr) {
    if (bgr & 0x80000000u) {
        // System colours: only the button text colour is used by the system.
        if (qGuiApp)
            return QGuiApplication::palette().color(QPalette::ButtonText);
        return QColor(Qt::black);
    }
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

} // namespace tillora
