#pragma once

#include <QIcon>

namespace tillora {

// The kitchen printer 2 picture: the window's icon, its notification-area icon and the
// picture beside its banner: the installed icon, else drawn in code so that a program run
// from its build folder has one too.
QIcon printerPicture();

} // namespace tillora
