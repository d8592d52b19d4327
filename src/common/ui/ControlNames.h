#pragma once

#include <QString>

namespace tillora {

// Controls carry their design names as object names, so tests and screenshots find them:
// "Text1" for a control, "Text1_3" for element 3 of the control array Text1.
template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

template <typename Widget> Widget* named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

inline QString indexedName(const char* name, int index) {
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

} // namespace tillora
