#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class QWidget;

namespace tillora {

// Places a window's controls at design positions and, when the window is resized, scales
// each position and size in proportion, so the window can be made larger or smaller.
class ActiveResize : public QObject {
    Q_OBJECT

public:
    ActiveResize(QWidget* window, QSize designSize);

    // Places `control` at `designRect` (pixels of the design size).
    void place(QWidget* control, QRect designRect);
    // Moves a placed control's top edge to `designTop`.
    void moveTop(QWidget* control, int designTop);
    QRect designRect(QWidget* control) const { return rects_.value(control); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply(QWidget* control) const;

    QWidget* window_;
    QSize designSize_;
    QHash<QWidget*, QRect> rects_;
};

// Twips (1/1440 inch) in pixels at 96 dots per inch.
constexpr int twips(int value) {
    return value / 15;
}

} // namespace tillora
