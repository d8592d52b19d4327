#include "DriveSpaceFigures.h"

#include <QLocale>

#include <cmath>

namespace tillora {

namespace {

double roundedToFourDecimals(double value) {
    return std::round(value * 10000.0) / 10000.0;
}

// Keeps at most two digits after the full stop; digits are cut, never rounded.
double cutToTwoDecimals(double value) {
    const QString text = QLocale::c().toString(value, 'f', 4);
    const qsizetype stop = text.indexOf(u'.');
    if (stop < 0)
        return value;
    return QLocale::c().toDouble(text.left(stop + 3));
}

} // namespace

DriveFigure DriveFigure::of(quint64 bytes) {
    constexpr double K = 1024.0;
    const double b = static_cast<double>(bytes);
    DriveFigure figure;
    if (b / K < 1) {
        figure = {b, QStringLiteral("Bytes")};
    } else if (b / K / K < 1) {
        figure = {b / K, QStringLiteral("Kilobytes")};
    } else if (b / K / K / K < 1) {
        figure = {b / K / K, QStringLiteral("Megabytes")};
    } else {
        figure = {b / K / K / K, QStringLiteral("Gigabytes")};
    }
    figure.shown = cutToTwoDecimals(roundedToFourDecimals(figure.shown));
    return figure;
}

QString DriveFigure::text() const {
    QString t = QLocale::c().toString(shown, 'f', 2);
    while (t.endsWith(u'0'))
        t.chop(1);
    if (t.endsWith(u'.'))
        t.chop(1);
    return t;
}

DriveSpaceLines DriveSpaceLines::of(const std::optional<DiskSpace>& space) {
    const quint64 total = space ? space->total : 0;
    const quint64 free = space ? space->free : 0;
    const DriveFigure totalFigure = DriveFigure::of(total);
    const DriveFigure freeFigure = DriveFigure::of(free);
    return {QStringLiteral("Drive Capacity: ") + totalFigure.text() + u' ' + totalFigure.unit,
            QStringLiteral("Free Space: ") + freeFigure.text() + u' ' + freeFigure.unit};
}

} // namespace tillora
