#pragma once

#include <QPlainTextEdit>

namespace tillora {

// A file shown read-only in a window of its own: what "open in the editor" falls back to
// where no text editor can be started. Deletes itself when closed.
class TextFileView : public QPlainTextEdit {
    Q_OBJECT

public:
    // `windowsPath` is the title, `nativePath` the file read (in the system code page);
    // a file that is missing shows empty.
    static TextFileView* open(const QString& windowsPath, const QString& nativePath);

private:
    TextFileView();
};

} // namespace tillora
