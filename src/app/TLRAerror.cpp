#include "TLRAerror.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tillora {

TLRAerror::TLRAerror(QWidget* parent)
    : QDialog(parent)
    , TitlePanel(new QLabel(QStringLiteral("Error"), this))
    , MessageLabel(new QLabel(QStringLiteral("Tillora BackUP is already running"), this))
    , ExplanationLabel(new QLabel(
          QStringLiteral(
              "You have encountered an error while trying to start Tillora BackUP. The reason is "
              "it is already running. You need to press quit below and then press "
              "Control-ALT-Delete to bring up your task manager. Select each instance of Tillora "
              "BackUP then you must click End Task. After compleation Tillora BackUP will run on "
              "your system."),
          this))
    , SSPanel2(new QPushButton(QStringLiteral("QUIT"), this)) {
    setObjectName(QStringLiteral("TLRAerror"));
    setWindowTitle(QStringLiteral("ERROR"));
    TitlePanel->setObjectName(QStringLiteral("TitlePanel"));
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    ExplanationLabel->setObjectName(QStringLiteral("ExplanationLabel"));
    SSPanel2->setObjectName(QStringLiteral("SSPanel2"));

    QFont big = TitlePanel->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    TitlePanel->setFont(big);
    TitlePanel->setAlignment(Qt::AlignCenter);
    TitlePanel->setFrameShape(QFrame::Panel);
    TitlePanel->setFrameShadow(QFrame::Raised);
    MessageLabel->setAlignment(Qt::AlignCenter);
    QFont bold = MessageLabel->font();
    bold.setBold(true);
    MessageLabel->setFont(bold);
    ExplanationLabel->setWordWrap(true);
    SSPanel2->setMinimumHeight(40);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TitlePanel);
    layout->addWidget(MessageLabel);
    layout->addWidget(ExplanationLabel);
    layout->addWidget(SSPanel2);
    setMinimumWidth(420);

    // QUIT ends the program at once: the dialog's result tells main() to leave.
    connect(SSPanel2, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace tillora
