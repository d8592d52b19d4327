#include "FileListBox.h"

#include "StartupFolders.h"

#include <QSignalBlocker>

namespace tillora {

FileListBox::FileListBox(const Platform& platform, QWidget* parent)
    : QListWidget(parent)
    , platform_(platform) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        const QString name = selectedName();
        if (!name.isEmpty())
            Q_EMIT fileSelected(name);
    });
}

void FileListBox::refresh() {
    const QSignalBlocker quiet(this);
    clear();
    if (!path_.isEmpty())
        addItems(listFiles(platform_.nativePath(path_), pattern_));
}

QString FileListBox::selectedName() const {
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

} // namespace tillora
