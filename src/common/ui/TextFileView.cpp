#include "TextFileView.h"

#include "CodePage.h"
#include "FileSave.h"

#include <QFontDatabase>

namespace tillora {

TextFileView::TextFileView()
    : QPlainTextEdit(nullptr) {
    setObjectName(QStringLiteral("TextFileView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    resize(640, 420);
}

TextFileView* TextFileView::open(const QString& windowsPath, const QString& nativePath) {
    auto* view = new TextFileView;
    view->setWindowTitle(windowsPath);
    view->setPlainText(fromCodePage(readWholeFile(nativePath).value_or(QByteArray())));
    view->show();
    return view;
}

} // namespace tillora
