#pragma once

#include "FileSave.h"

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tillora {

class DaySummaryService;
class Platform;
struct ProgramValues;

// The day summary's part of the delivery window: whether it goes out, when, and a button
// that sends today's summary now.
class SummarySection : public QGroupBox {
    Q_OBJECT
public:
    SummarySection(const Platform& platform, const ProgramValues& values,
                   DaySummaryService& summary, QWidget* parent = nullptr);

    // Empty when the fields may be saved; otherwise a sentence naming the field.
    QString problem() const;
    // Writes the fields to the [Summary] group; the window's "Save" runs it.
    SaveResult save() const;

    QCheckBox* enabled;
    QLineEdit* at;
    QPushButton* sendTest;
    QLabel* testResult;

private:
    void sendTestSummary();

    const Platform& platform_;
    const ProgramValues& values_;
    DaySummaryService& summary_;
};

} // namespace tillora
