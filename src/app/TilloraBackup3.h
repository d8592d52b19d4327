#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QTimer;

namespace tillora {

// "Loading": the splash shown while the settings load. Its counter and bar advance every
// two seconds, at most five steps.
class TilloraBackup3 : public QWidget {
    Q_OBJECT

public:
    explicit TilloraBackup3(QWidget* parent = nullptr);

    // One tick of Timer1.
    void advance();

    QLabel* Label3; // the counter
    QFrame* Frame;
    QFrame* Bar;
    QTimer* Timer1;
};

} // namespace tillora
