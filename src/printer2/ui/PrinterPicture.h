#pragma once

#include <QIcon>

namespace tillora {

// The kitchen printer 2 picture: the window's icon, its notification-area icon and the
// picture beside its banner. Drawn in code so the program ships no image files.
QIcon printerPicture();

} // namespace tillora
