#pragma once

#include <QObject>

class QWidget;

namespace tillora {

// Keeps a window tall enough for its word-wrapped lines. Qt gives a window the height its
// layout needs without the extra lines of wrapped text, so a line that grows after the
// window is shown (an error, a warning) squeezes the fields around it. When the window is
// shown and whenever its layout changes, this grows the window to the height the layout
// asks at its width; it never shrinks it.
class TallEnough : public QObject {
    Q_OBJECT

public:
    // Watches `window` for as long as it lives.
    explicit TallEnough(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
};

} // namespace tillora
