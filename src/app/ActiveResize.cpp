#include "ActiveResize.h"

#include <QEvent>
#include <QWidget>

namespace tillora {

ActiveResize::ActiveResize(QWidget* window, QSize designSize)
    : QObject(window)
    , window_(window)
    , designSize_(designSize) {
    window_->resize(designSize_);
    window_->installEventFilter(this);
}

void ActiveResize::place(QWidget* control, QRect designRect) {
    rects_.insert(control, designRect);
    apply(control);
}

void ActiveResize::moveTop(QWidget* control, int designTop) {
    QRect rect = rects_.value(control);
    rect.moveTop(designTop);
    place(control, rect);
}

void ActiveResize::apply(QWidget* control) const {
    const QRect design = rects_.value(control);
    const double sx = double(window_->width()) / designSize_.width();
    const double sy = double(window_->height()) / designSize_.height();
    control->setGeometry(qRound(design.x() * sx), qRound(design.y() * sy),
                         qRound(design.width() * sx), qRound(design.height() * sy));
}

bool ActiveResize::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Resize) {
        for (auto it = rects_.cbegin(); it != rects_.cend(); ++it)
            apply(it.key());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tillora
