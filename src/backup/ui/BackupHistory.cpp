#include "BackupHistory.h"

#include "Colors.h"
#include "DatePictures.h"
#include "NightlyBarChart.h"
#include "RunSummary.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tillora {

namespace {

constexpr int StartRole = Qt::UserRole;
constexpr int NotCopiedRole = Qt::UserRole + 1;

QString filesNotCopiedText(const HistoryEntry& entry,
                           const std::optional<QList<FileProblem>>& problems) {
    if (!problems) {
        return QStringLiteral("The list of these files is no longer kept: only the last %1 runs "
                              "with files not copied keep theirs.")
            .arg(BackupHistoryLog::KeptProblemRuns);
    }
    QString text;
    for (const FileProblem& problem : *problems)
        text += problem.path + QStringLiteral("\n    ") + problem.reason + u'\n';
    if (entry.filesNotCopied > problems->size()) {
        text += QStringLiteral("... and %1 more")
                    .arg(QLocale().toString(entry.filesNotCopied - problems->size()));
    }
    return text;
}

// How the night's copy elsewhere ended and when: "made at 3:41 am".
QString offsiteCell(const std::optional<OffsiteSummary>& offsite) {
    if (!offsite)
        return {};
    QString cell = offsiteOutcomeInWords(offsite->outcome);
    if (offsite->finished.isValid())
        cell += QStringLiteral(" at ") + timeOfDayInWords(offsite->finished.time());
    if (offsite->restoreProven)
        cell += QStringLiteral(", restore proven");
    return cell;
}

} // namespace

BackupHistory::BackupHistory(const BackupHistoryLog& log, const Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , log_(log)
    , clock_(clock) {
    setObjectName(QStringLiteral("BackupHistory"));
    setWindowTitle(QStringLiteral("Backup History"));
    resize(860, 560);

    NightChart = new NightlyBarChart(this);
    ReadBackLine = new QLabel(this);
    ReadBackLine->setObjectName(QStringLiteral("ReadBackLine"));
    RestoreLine = new QLabel(this);
    RestoreLine->setObjectName(QStringLiteral("RestoreLine"));
    RunTable = new QTableWidget(0, Notes + 1, this);
    RunTable->setObjectName(QStringLiteral("RunTable"));
    RunTable->setHorizontalHeaderLabels({"Date", "Start", "Started by", "Result", "Files copied",
                                         "Not copied", "Size", "Time", "Off-site", "Destination",
                                         "Notes"});
    RunTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RunTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    RunTable->verticalHeader()->setVisible(false);
    RunTable->horizontalHeader()->setStretchLastSection(true);
    DeliveryButton = new QPushButton(QStringLiteral("Delivery..."), this);
    DeliveryButton->setObjectName(QStringLiteral("DeliveryButton"));
    DeliveryButton->setToolTip(QStringLiteral("Where messages about failed backups are sent"));
    DeliveryButton->setVisible(false);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("Double-click a run with files not copied "
                                                 "to list them."),
                                  this));
    buttons->addStretch();
    buttons->addWidget(DeliveryButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(NightChart);
    auto* proven = new QHBoxLayout;
    proven->addWidget(ReadBackLine);
    proven->addSpacing(24);
    proven->addWidget(RestoreLine);
    proven->addStretch();
    layout->addLayout(proven);
    layout->addWidget(RunTable, 1);
    layout->addLayout(buttons);

    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    connect(DeliveryButton, &QPushButton::clicked, this, [this] {
        if (deliveryAction_)
            deliveryAction_();
    });
    connect(RunTable, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { showFilesNotCopied(row); });
    reload();
}

void BackupHistory::setDeliveryAction(std::function<void()> action) {
    deliveryAction_ = std::move(action);
    DeliveryButton->setVisible(bool(deliveryAction_));
}

void BackupHistory::reload() {
    QList<HistoryEntry> runs = log_.runs();
    std::stable_sort(runs.begin(), runs.end(), [](const HistoryEntry& a, const HistoryEntry& b) {
        return a.run.started > b.run.started;
    });
    RunTable->setRowCount(int(runs.size()));
    for (int row = 0; row < runs.size(); ++row)
        addRow(row, runs[row]);
    RunTable->resizeColumnsToContents();
    NightChart->setNights(nightlyBars(runs, clock_.now().date(), ChartNights));
    ReadBackLine->setText(fullReadBackLine(runs));
    // Only a store with an off-site copy has restores to prove.
    const bool offsite = std::any_of(runs.cbegin(), runs.cend(), [](const HistoryEntry& entry) {
        return entry.run.offsite.has_value();
    });
    RestoreLine->setText(restoreProvenLine(runs));
    RestoreLine->setVisible(offsite);
}

void BackupHistory::addRow(int row, const HistoryEntry& entry) {
    const BackupRunResult& run = entry.run;
    const RunSummary summary = summarize(run, entry.filesNotCopied);
    const QLocale locale;
    const QStringList cells = {
        shortDate(run.started.date()),
        timeOfDayInWords(run.started.time()),
        triggerInWords(run.trigger),
        summary.outcome,
        locale.toString(run.filesCopied),
        entry.filesNotCopied ? locale.toString(entry.filesNotCopied) : QString(),
        sizeInWords(run.bytesCopied),
        durationInWords(run.started.secsTo(run.finished)),
        offsiteCell(run.offsite),
        run.destinationRoot,
        run.notes.join(QStringLiteral("; ")),
    };
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        if (summary.attention)
            item->setForeground(toQColor(colour::Red));
        RunTable->setItem(row, column, item);
    }
    RunTable->item(row, Date)->setData(StartRole, run.started);
    RunTable->item(row, Date)->setData(NotCopiedRole, entry.filesNotCopied);
    if (!run.reason.isEmpty())
        RunTable->item(row, Result)->setToolTip(run.reason);
    if (run.offsite && !run.offsite->reason.isEmpty())
        RunTable->item(row, Offsite)->setToolTip(run.offsite->reason);
}

QWidget* BackupHistory::showFilesNotCopied(int row) {
    const QTableWidgetItem* item = RunTable->item(row, Date);
    if (!item || item->data(NotCopiedRole).toLongLong() == 0)
        return nullptr;
    HistoryEntry entry;
    entry.run.started = item->data(StartRole).toDateTime();
    entry.filesNotCopied = item->data(NotCopiedRole).toLongLong();

    auto* dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("FilesNotCopied"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(
        QStringLiteral("Files not copied on %1 at %2")
            .arg(shortDate(entry.run.started.date()), timeOfDayInWords(entry.run.started.time())));
    auto* list =
        new QPlainTextEdit(filesNotCopiedText(entry, log_.problemsOf(entry.run.started)), dialog);
    list->setObjectName(QStringLiteral("FileList"));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* close = new QPushButton(QStringLiteral("Close"), dialog);
    connect(close, &QPushButton::clicked, dialog, &QDialog::close);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(list);
    layout->addWidget(close, 0, Qt::AlignRight);
    dialog->resize(640, 360);
    dialog->show();
    return dialog;
}

} // namespace tillora
