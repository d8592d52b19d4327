#pragma once

#include "Platform.h"
#include "Prompts.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tillora {

class FileListBox;

// "Windows Startup": moves the product's shortcuts between the all-users Startup folder
// and the product's program-menu folder, one file at a time.
class GetApiDir : public QWidget {
    Q_OBJECT

public:
    GetApiDir(const Platform& platform, Prompts& prompts, QWidget* parent = nullptr);

    // Fills the profile folders and points both file lists at their folders.
    void Get_UserInfo();

    QLineEdit* Text1; // all-users folder
    QLineEdit* Text2; // startup folder
    QListWidget* List1;
    FileListBox* File1; // startup folder
    FileListBox* File2; // product folder
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* Command1; // "Done"
    QPushButton* Command2; // "Delete": startup -> product folder
    QPushButton* Command3; // "Move to Startup": product folder -> startup
    QLabel* Image1;

private:
    void showSelection(FileListBox* list, QLabel* label, QPushButton* button, const QString& name);
    void moveSelected(QLabel* label, QPushButton* button, const FileListBox* target);

    const Platform& platform_;
    Prompts& prompts_;
};

} // namespace tillora
