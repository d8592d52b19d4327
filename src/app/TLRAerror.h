#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tillora {

// "ERROR": shown instead of a program that is already running. Its "QUIT" panel ends
// the program.
class TLRAerror : public QDialog {
    Q_OBJECT

public:
    explicit TLRAerror(QWidget* parent = nullptr);

    QLabel* TitlePanel;
    QLabel* MessageLabel;
    QLabel* ExplanationLabel;
    QPushButton* SSPanel2;
};

} // namespace tillora
