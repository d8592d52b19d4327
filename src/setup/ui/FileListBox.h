#pragma once

#include "Platform.h"

#include <QListWidget>

namespace tillora {

// A list of the files in one folder that match a pattern. The folder is kept in its
// Windows form; the list shows what is there at the last refresh.
class FileListBox : public QListWidget {
    Q_OBJECT

public:
    FileListBox(const Platform& platform, QWidget* parent = nullptr);

    const QString& path() const { return path_; }
    void setPath(const QString& windowsFolder) { path_ = windowsFolder; }
    void setPattern(const QString& pattern) { pattern_ = pattern; }
    void refresh();

    // The selected file name; empty when none is selected.
    QString selectedName() const;

Q_SIGNALS:
    // A file was selected by the operator (not by a refresh).
    void fileSelected(const QString& name);

private:
    const Platform& platform_;
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

} // namespace tillora
