#include "GetApiDir.h"

#include "ControlNames.h"
#include "FileListBox.h"
#include "ShortcutMove.h"
#include "StartupFolders.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

namespace tillora {

GetApiDir::GetApiDir(const Platform& platform, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , Text1(named(new QLineEdit(this), "Text1"))
    , Text2(named(new QLineEdit(this), "Text2"))
    , List1(named(new QListWidget(this), "List1"))
    , File1(named(new FileListBox(platform, this), "File1"))
    , File2(named(new FileListBox(platform, this), "File2"))
    , Label2(named(new QLabel(this), "Label2"))
    , Label3(named(new QLabel(this), "Label3"))
    , Command1(named(new QPushButton(QStringLiteral("Done"), this), "Command1"))
    , Command2(named(new QPushButton(QStringLiteral("Delete"), this), "Command2"))
    , Command3(named(new QPushButton(QStringLiteral("Move to Startup"), this), "Command3"))
    , Image1(named(new QLabel(this), "Image1"))
    , platform_(platform)
    , prompts_(prompts) {
    setObjectName(QStringLiteral("GetApiDir"));
    setWindowTitle(QStringLiteral("Windows Startup"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_DesktopIcon).pixmap(48, 48));
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    for (QLabel* label : {Label2, Label3})
        label->setFrameShape(QFrame::StyledPanel);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Start UP Directory"), this), 0, 0, 1, 2);
    grid->addWidget(Text2, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Items in the Startup Directory"), this), 2, 0);
    grid->addWidget(new QLabel(QStringLiteral("Items in the Tillora Directory"), this), 2, 1);
    grid->addWidget(File1, 3, 0);
    grid->addWidget(File2, 3, 1);
    grid->addWidget(Label2, 4, 0);
    grid->addWidget(Label3, 4, 1);
    grid->addWidget(Command2, 5, 0);
    grid->addWidget(Command3, 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("All Users Directory"), this), 6, 0, 1, 2);
    grid->addWidget(Text1, 7, 0, 1, 2);
    grid->addWidget(List1, 8, 0, 1, 2);
    grid->addWidget(Image1, 9, 0);
    grid->addWidget(Command1, 9, 1);
    resize(560, 520);

    connect(File1, &FileListBox::fileSelected, this,
            [this](const QString& name) { showSelection(File1, Label2, Command2, name); });
    connect(File2, &FileListBox::fileSelected, this,
            [this](const QString& name) { showSelection(File2, Label3, Command3, name); });
    connect(Command2, &QPushButton::clicked, this,
            [this] { moveSelected(Label2, Command2, File2); });
    connect(Command3, &QPushButton::clicked, this,
            [this] { moveSelected(Label3, Command3, File1); });
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);

    Get_UserInfo();
}

void GetApiDir::Get_UserInfo() {
    const ProfileFolders profiles = readProfileFolders(platform_);
    List1->addItem(profiles.allUsers);
    Text1->setText(profiles.allUsers);

    const StartupFolders folders = StartupFolders::below(Text1->text());
    File1->setPath(folders.startup);
    Text2->setText(folders.startup);
    File1->setPattern(QStringLiteral("*.*"));
    File1->refresh();
    File2->setPath(folders.product);
    File2->setPattern(QStringLiteral("*.*"));
    File2->refresh();

    List1->addItem(profiles.defaultUser);
    List1->addItem(profiles.profilesRoot);
    List1->addItem(profiles.currentUser);
}

void GetApiDir::showSelection(FileListBox* list, QLabel* label, QPushButton* button,
                              const QString& name) {
    label->setText(name);
    label->setToolTip(list->path() + u'\\' + name);
    button->setEnabled(true);
}

void GetApiDir::moveSelected(QLabel* label, QPushButton* button, const FileListBox* target) {
    if (label->text().isEmpty())
        return;
    const MoveResult moved = moveFileToFolder(platform_, label->toolTip(), target->path());
    if (!moved)
        prompts_.critical(QStringLiteral("Move Failed"), moved.reason);
    // Either way the selection is spent: the lists show the folders as they now are.
    button->setEnabled(false);
    label->clear();
    File1->refresh();
    File2->refresh();
}

} // namespace tillora
