#pragma once

#include <QColor>

namespace tillora {

// Colour values as the system stores them: blue-green-red integers, plus the system
// colours whose value has the top bit set (0x80000012 is the button text colour).
namespace colour {
constexpr unsigned int Red = 255;
constexpr unsigned int Green = 49152;       // ON, configured
constexpr unsigned int BrightGreen = 65280; // a re-mapped drive
constexpr unsigned int ButtonText = 0x80000012u;
} // namespace colour

QColor toQColor(unsigned int bgr);

} // namespace tillora
