#include "ShiftraInOut.h"

#include "Clock.h"
#include "ControlNames.h"
#include "DatePictures.h"
#include "ProgramValues.h"
#include "Prompts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tillora {

namespace {

ProgramValues& withTimeClockFolder(ProgramValues& values) {
    if (values.ShiftraDIR.isEmpty())
        values.ShiftraDIR = QStringLiteral("c:\\shiftra\\");
    return values;
}

} // namespace

ShiftraInOut::ShiftraInOut(Platform& platform, ProgramValues& values, const Clock& clock,
                           Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , MList1(named(new QTreeWidget(this), "MList1"))
    , List1(named(new QListWidget(this), "List1"))
    , Label7(named(new QLabel(this), "Label7"))
    , Label1(named(new QLabel(this), "Label1"))
    , SSCommand3(named(new QPushButton(QStringLiteral("Clock Out"), this), "SSCommand3"))
    , SSCommand1(named(new QPushButton(QStringLiteral("&Done"), this), "SSCommand1"))
    , SSCommand2(named(new QPushButton(this), "SSCommand2"))
    , prompts_(prompts)
    , files_(platform, withTimeClockFolder(values), clock) {
    setObjectName(QStringLiteral("ShiftraInOut"));
    setWindowTitle(QStringLiteral("Employees Clocked In"));
    setAttribute(Qt::WA_DeleteOnClose);

    MList1->setColumnCount(3);
    MList1->setHeaderLabels(
        {QStringLiteral("Time"), QStringLiteral("Employee"), QStringLiteral("ID")});
    MList1->setRootIsDecorated(false);
    MList1->setUniformRowHeights(true);
    MList1->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    List1->hide(); // read by the report and the texter, not by the operator
    Label7->hide();
    Label1->hide();
    SSCommand3->setEnabled(false);
    SSCommand2->hide(); // present for its callers; it has no action

    auto* title = new QLabel(QStringLiteral("Employees Clocked IN"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* selection = new QHBoxLayout;
    selection->addWidget(Label1);
    selection->addWidget(Label7);
    selection->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SSCommand3);
    buttons->addWidget(SSCommand2);
    buttons->addWidget(SSCommand1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(MList1);
    layout->addWidget(List1);
    layout->addLayout(selection);
    layout->addLayout(buttons);
    resize(420, 420);

    connect(MList1, &QTreeWidget::itemClicked, this, &ShiftraInOut::rowClicked);
    connect(SSCommand3, &QPushButton::clicked, this, &ShiftraInOut::clockOutClicked);
    connect(SSCommand1, &QPushButton::clicked, this, &QWidget::close);

    Label7->setText(formatPicture(clock.now(), Picture::Time24));
    LoadClockedIn();
}

void ShiftraInOut::LoadClockedIn() {
    const ClockedInList list = files_.LoadClockedIn();
    loadFailure_ = list.failure;
    for (const ClockedInEmployee& employee : list.employees) {
        auto* row =
            new QTreeWidgetItem(MList1, {employee.timeIn, employee.name, employee.employee});
        row->setData(0, KeyRole, employee.employee);
        List1->addItem(QStringLiteral("|") + employee.name);
    }
    for (int i = blankRowsAfter(MList1->topLevelItemCount()); i > 0; --i)
        new QTreeWidgetItem(MList1, {QString(), QString(), QString()});
}

QStringList ShiftraInOut::clockedInEntries() const {
    QStringList entries;
    for (int i = 0; i < List1->count(); ++i)
        entries.append(List1->item(i)->text());
    return entries;
}

void ShiftraInOut::rowClicked(QTreeWidgetItem* item) {
    const QString key = item ? item->data(0, KeyRole).toString().trimmed() : QString();
    if (key.isEmpty())
        return; // a blank filler row names nobody to clock out
    Label1->show();
    Label7->show();
    Label1->setText(key);
    SelectedEmployee = key;
    SSCommand3->setEnabled(true);
}

void ShiftraInOut::clockOutClicked() {
    SSCommand3->setEnabled(false);
    MList1->setEnabled(false);
    const ClockOutResult result = files_.ClockOutSelected(SelectedEmployee, Label7->text());
    if (!result.ok)
        prompts_.critical(QStringLiteral("Clock Out"), result.failure);
    MList1->clear();
    List1->clear();
    LoadClockedIn();
    MList1->setEnabled(true);
    SelectedEmployee.clear();
}

} // namespace tillora
