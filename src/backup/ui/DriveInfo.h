#pragma once

#include "Platform.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tillora {

// "Drive Info": size and free space of the backup destination drive.
class DriveInfo : public QWidget {
    Q_OBJECT

public:
    explicit DriveInfo(const Platform& platform, QWidget* parent = nullptr);

    // Fills Text2 and Text3 from the disk space of the drive in Text1.
    void CalculateValues();

    QLineEdit* Text1;      // the drive to query, "e:"
    QLineEdit* Text2;      // capacity line
    QLineEdit* Text3;      // free-space line
    QLineEdit* Text4;      // the destination selector's whole text
    QPushButton* Command1; // "Get Info"
    QPushButton* Command2; // "Done"

private:
    const Platform& platform_;
};

// The main window's pop-up for a new destination drive: shows the drive's figures for a
// few seconds, then hides the window again by a timer. The window is made
// on first use; "Done" closes it and the next pop-up makes a new one.
class DriveInfoPopup : public QObject {
    Q_OBJECT

public:
    explicit DriveInfoPopup(const Platform& platform, QObject* parent = nullptr);
    ~DriveInfoPopup() override;

    // DriveInfoPopup: `driveText` is the destination selector's text ("e: [BACKUP]").
    void popUp(const QString& driveText);
    // Hides the window when it is loaded.
    void hideWindow();
    // The figures of a pop-up are still on show for their seconds.
    bool showingFigures() const { return hideTimer_.isActive(); }
    // While `widget` is shown (the start-up splash), the pop-up is placed clear of it.
    void keepClearOf(QWidget* widget) { keepClearOf_ = widget; }

    DriveInfo* window() const { return window_; }

    std::chrono::milliseconds pauseDuration{4000};

private:
    void placeClearOfOthers();

    const Platform& platform_;
    QPointer<DriveInfo> window_;
    QPointer<QWidget> keepClearOf_;
    QTimer hideTimer_;
};

} // namespace tillora
