#pragma once

#include "BackupHistoryLog.h"
#include "Clock.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace tillora {

class NightlyBarChart;

// "Backup History": the runs newest first, the ones that failed or left files out in red,
// and the megabytes of the last 30 nights as a chart. A double click on a run with files
// not copied lists them.
class BackupHistory : public QWidget {
    Q_OBJECT

public:
    enum Column {
        Date,
        Start,
        Trigger,
        Result,
        Files,
        NotCopied,
        Size,
        Time,
        Offsite,
        Destination,
        Notes
    };
    static constexpr int ChartNights = 30;

    BackupHistory(const BackupHistoryLog& log, const Clock& clock, QWidget* parent = nullptr);

    // Reads the history afresh.
    void reload();
    // What "Delivery..." opens (where the owner's alerts go); the button shows once set.
    void setDeliveryAction(std::function<void()> action);
    // The list of the files not copied of the run in `row`; nothing for a run without any.
    QWidget* showFilesNotCopied(int row);

    QTableWidget* RunTable;
    NightlyBarChart* NightChart;
    QLabel* ReadBackLine; // when the backup drive was last read back whole
    QLabel* RestoreLine;  // when the off-site copy last passed its restore drill
    QPushButton* DeliveryButton;
    QPushButton* CloseButton;

private:
    void addRow(int row, const HistoryEntry& entry);

    const BackupHistoryLog& log_;
    const Clock& clock_;
    std::function<void()> deliveryAction_;
};

} // namespace tillora
