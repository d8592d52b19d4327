#include "TilloraBackup3.h"

#include "ActiveResize.h"
#include "QuotedCsv.h"

#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace tillora {

namespace {
constexpr int MaxSteps = 5;
constexpr int StepTwips = 1000;
} // namespace

TilloraBackup3::TilloraBackup3(QWidget* parent)
    // Not kept on top: the start-up messages ("Config file Missing", a missing drive) must
    // not open behind it.
    : QWidget(parent, Qt::SplashScreen)
    , Label3(new QLabel(QStringLiteral("0"), this))
    , Frame(new QFrame(this))
    , Bar(new QFrame(Frame))
    , Timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("TilloraBackup3"));
    setWindowTitle(QStringLiteral("Loading"));
    Label3->setObjectName(QStringLiteral("Label3"));
    Frame->setObjectName(QStringLiteral("Frame"));
    Bar->setObjectName(QStringLiteral("Bar"));
    Timer1->setObjectName(QStringLiteral("Timer1"));

    auto* title = new QLabel(QStringLiteral("Tillora Auto Backup"), this);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 6);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    auto* loading = new QLabel(QStringLiteral("Loading your settings"), this);
    loading->setAlignment(Qt::AlignCenter);
    Label3->setAlignment(Qt::AlignCenter);

    Frame->setFrameShape(QFrame::Box);
    Frame->setFixedSize(twips(MaxSteps * StepTwips) + 4, 20);
    Bar->setAutoFillBackground(true);
    QPalette palette = Bar->palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 160));
    Bar->setPalette(palette);
    Bar->setGeometry(2, 2, twips(12), 16);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(loading);
    layout->addWidget(Label3);
    layout->addWidget(Frame, 0, Qt::AlignHCenter);

    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &TilloraBackup3::advance);
    Timer1->start();
}

void TilloraBackup3::advance() {
    const int n = static_cast<int>(leadingNumber(Label3->text()));
    if (n >= MaxSteps) {
        Timer1->stop();
        return;
    }
    Label3->setText(QString::number(n + 1));
    Bar->resize(twips((n + 1) * StepTwips), Bar->height());
}

} // namespace tillora
