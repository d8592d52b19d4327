#pragma once

#include "Platform.h"
#include "ProgramValues.h"
#include "Prompts.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace tillora {

class GetApiDir;

// "Quick Setup 1": the main fields of the point-of-sale settings for review, with the
// installed printers in the printer lists. It saves nothing; closing discards edits.
class QS1 : public QWidget {
    Q_OBJECT

public:
    // Reads the settings at once; when they cannot be read even from the folder the
    // operator names, the window closes instead of showing.
    QS1(const Platform& platform, Prompts& prompts, ProgramValues& values,
        QWidget* parent = nullptr);

    // Opens a window that deletes itself when closed.
    static QS1* open(const Platform& platform, Prompts& prompts, ProgramValues& values,
                     QWidget* parent = nullptr);

    // False when the settings could not be read and the window gave up.
    bool loaded() const { return loaded_; }

    void setVisible(bool visible) override;

    QLineEdit* Text1;        // Company Name
    QLineEdit* Text2;        // Address
    QLineEdit* Text3;        // City, State and Zip
    QLineEdit* Text4;        // Phone
    QLineEdit* Text5;        // Web Site
    QLineEdit* Text6;        // Data Directory
    QLineEdit* Text7;        // Sales Tax
    QLineEdit* Text8;        // RemoteDIR
    QLineEdit* Text9;        // ShiftraDIR
    QLineEdit* Text12;       // Password
    QLineEdit* Text13;       // Shiftra Directory
    QLineEdit* Text14;       // Server Directory
    QLineEdit* Text15;       // Cardessa Directory
    QLineEdit* Text16;       // Loyvana Directory
    QComboBox* Combo1;       // Receipt Printer
    QComboBox* Combo5;       // Kitchen Printer
    QComboBox* Combo7;       // Beverage Printer
    QComboBox* Combo9;       // 2nd Kitchen Printer
    QPushButton* Command1;   // "Quit"
    QPushButton* Command2;   // "Windows Startup"
    QGroupBox* Frame1;       // "Transfer Settings To"
    QPushButton* SSCommand1; // "Tillora"
    QPushButton* SSCommand5; // "Ondrik"
    QPushButton* SSCommand2; // "Shiftra"
    QPushButton* SSCommand3; // "Loyvana"
    QPushButton* SSCommand4; // "Cardessa"

    // The startup shortcuts window this window opened, while it is open.
    GetApiDir* startupWindow() const;

private:
    void layOut();
    bool Form_Load();
    void openStartupWindow();

    const Platform& platform_;
    Prompts& prompts_;
    ProgramValues& values_;
    bool loaded_ = false;
    QPointer<GetApiDir> startupWindow_;
};

} // namespace tillora
