#pragma once

#include "NetReconnect.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <memory>

class QLabel;
class QListWidget;

namespace tillora {

// "Connection Data": shown while a network drive is re-mapped. It closes itself when its
// countdown from "5" (one step every 1.5 seconds) runs out, unless the re-mapping closes
// it first.
class TLRAconnect : public QDialog {
    Q_OBJECT
public:
    static constexpr int CountdownStepMs = 1500;

    explicit TLRAconnect(QWidget* parent = nullptr);

    void setCountdownStep(int milliseconds) { Timer1.setInterval(milliseconds); }

    std::array<QLabel*, 3> Label1{};
    QLabel* Label2 = nullptr; // the connection line
    QLabel* Label4 = nullptr; // the countdown
    QListWidget* List1 = nullptr;
    QTimer Timer1;

private:
    void countDown();
};

// Opens a new TLRAconnect, modeless and deleted when closed, and gives the handle the
// re-mapping routine talks to.
std::unique_ptr<ConnectionWindow> openTLRAconnect(QWidget* parent = nullptr);

} // namespace tillora
