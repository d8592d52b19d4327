#include "Email2.h"

#include "AsyncTask.h"
#include "CancelFlag.h"
#include "Clock.h"
#include "ControlNames.h"
#include "FileSave.h"
#include "Platform.h"
#include "Prompts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tillora {

Email2::Email2(Platform& platform, const Clock& clock, Prompts& prompts, const MailServer& server,
               const MailTimeouts& timeouts, const MailAccount& account,
               std::shared_ptr<const CancelFlag> cancel, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , Text1(named(new QLineEdit(account.user, this), "Text1"))
    , Text2(named(new QLineEdit(account.password, this), "Text2"))
    , Text3(named(new QLineEdit(this), "Text3"))
    , Text4(named(new QLineEdit(QStringLiteral("Sales report\r\n"), this), "Text4"))
    , Text5(named(new QPlainTextEdit(this), "Text5"))
    , Command1(named(new QPushButton(QStringLiteral("Send"), this), "Command1"))
    , Command2(named(new QPushButton(QStringLiteral("Done"), this), "Command2"))
    , platform_(platform)
    , clock_(clock)
    , prompts_(prompts)
    , server_(server)
    , timeouts_(timeouts)
    , cancel_(std::move(cancel)) {
    setObjectName(QStringLiteral("Email2"));
    setWindowTitle(QStringLiteral("Send Email"));
    setAttribute(Qt::WA_DeleteOnClose);
    Text2->setEchoMode(QLineEdit::Password);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("From  EMAIL"), Text1);
    fields->addRow(QStringLiteral("PASSWORD"), Text2);
    fields->addRow(QStringLiteral("Send To"), Text3);
    fields->addRow(QStringLiteral("Subject"), Text4);
    fields->addRow(QStringLiteral("Message"), Text5);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    resize(460, 360);

    // Enter moves to the next field, Up arrow to the previous one.
    for (QWidget* w : {static_cast<QWidget*>(Text1), static_cast<QWidget*>(Text2),
                       static_cast<QWidget*>(Command1)})
        w->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, &Email2::sendClicked);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);

    copyPosSettingsForMail();
}

// A fresh copy of the point-of-sale settings file beside it, made each time the window
// loads: empty when there is no settings file.
void Email2::copyPosSettingsForMail() {
    const auto settings =
        readWholeFile(platform_.nativePath(QStringLiteral("c:\\Tillora\\TLRAini.dat")));
    const QString copy = platform_.nativePath(QStringLiteral("c:\\Tillora\\TLRAini.DOC"));
    // The window may be loaded at night: the failure goes to the log, nothing waits.
    if (const SaveResult saved = saveFileAtomically(copy, settings.value_or(QByteArray())); !saved)
        qWarning("%s cannot be written: %s", qUtf8Printable(copy), qUtf8Printable(saved.reason));
}

void Email2::M1(std::function<void(const MailResult&)> done) {
    if (sending_) {
        if (done)
            done({MailFailure::Other, QStringLiteral("A message is being sent already.")});
        return;
    }
    sending_ = true;
    Command1->setEnabled(false);
    Command2->setEnabled(false);

    const MailAccount account{Text1->text(), Text2->text().trimmed()};
    const MailMessage message{Text3->text(), Text1->text(), Text4->text(), Text5->toPlainText(),
                              clock_.now()};
    // The exchange gets its own copy of everything; the cancel flag lives as long as it.
    runInBackground(
        this,
        [client = SmtpClient(server_, timeouts_, cancel_.get()), cancel = cancel_, account,
         message] { return client.sendRetryingOnce(account, message); },
        [this, done = std::move(done)](const MailResult& result) {
            sending_ = false;
            Command1->setEnabled(true);
            Command2->setEnabled(true);
            Q_EMIT sendFinished(result.ok(), result.reason);
            if (result.ok() || !isVisible())
                close(); // unloads: the next message starts from a new window
            if (done)
                done(result);
        });
}

void Email2::sendClicked() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    M1([this](const MailResult& result) {
        QApplication::restoreOverrideCursor();
        if (!result.ok())
            prompts_.critical(QStringLiteral("Send Failed"), result.reason);
    });
}

bool Email2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        if (key == Qt::Key_Up) {
            focusPreviousChild();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Email2::closeEvent(QCloseEvent* event) {
    // The exchange is still running on its thread; the window goes once it ends.
    if (sending_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace tillora
