#include "TLRAconnect.h"

#include "Colors.h"
#include "QuotedCsv.h"

#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QVBoxLayout>

namespace tillora {

TLRAconnect::TLRAconnect(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TLRAconnect"));
    setWindowTitle(QStringLiteral("Connection Data"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    const std::array<const char*, 3> captions{"Connecting the following network drives",
                                              "Just a moment Please", "Current connections"};
    for (std::size_t i = 0; i < Label1.size(); ++i) {
        Label1[i] = new QLabel(QString::fromLatin1(captions[i]), this);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
    }
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAutoFillBackground(true);
    Label2->setFrameShape(QFrame::Panel);
    Label2->setFrameShadow(QFrame::Sunken);
    Label4 = new QLabel(QStringLiteral("5"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setAlignment(Qt::AlignRight);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1[0]);
    layout->addWidget(Label2);
    layout->addWidget(Label1[1]);
    layout->addWidget(Label1[2]);
    layout->addWidget(List1);
    layout->addWidget(Label4);
    resize(360, 260);

    Timer1.setInterval(CountdownStepMs);
    connect(&Timer1, &QTimer::timeout, this, &TLRAconnect::countDown);
    Timer1.start();
}

void TLRAconnect::countDown() {
    const int remaining = int(leadingNumber(Label4->text())) - 1;
    if (remaining <= 0) {
        Timer1.stop();
        close();
        return;
    }
    Label4->setText(QString::number(remaining));
}

namespace {

class TLRAconnectHandle final : public ConnectionWindow {
public:
    explicit TLRAconnectHandle(TLRAconnect* window)
        : window_(window) {}

    void showConnection(const QString& line) override {
        if (window_)
            window_->Label2->setText(line);
    }
    void markReachable() override {
        if (!window_)
            return;
        QPalette palette = window_->Label2->palette();
        palette.setColor(QPalette::Window, toQColor(colour::BrightGreen));
        window_->Label2->setPalette(palette);
    }
    void unload() override {
        if (window_)
            window_->close();
    }

private:
    QPointer<TLRAconnect> window_;
};

} // namespace

std::unique_ptr<ConnectionWindow> openTLRAconnect(QWidget* parent) {
    auto* window = new TLRAconnect(parent);
    window->show();
    return std::make_unique<TLRAconnectHandle>(window);
}

} // namespace tillora
