#include "TallEnough.h"

#include <QEvent>
#include <QLayout>
#include <QWidget>

namespace tillora {

TallEnough::TallEnough(QWidget* window)
    : QObject(window)
    , window_(window) {
    window->installEventFilter(this);
}

bool TallEnough::eventFilter(QObject* watched, QEvent* event) {
    // A window given its size before it is shown gets no layout request at the show.
    const bool changed = event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show;
    if (watched != window_ || !changed)
        return false;
    QLayout* layout = window_->layout();
    if (!layout || !layout->hasHeightForWidth())
        return false;
    const int needed = layout->totalHeightForWidth(window_->width());
    if (needed > window_->height())
        window_->resize(window_->width(), needed);
    return false;
}

} // namespace tillora
