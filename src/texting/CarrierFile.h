#pragma once

#include "FileSave.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace tillora {

class Platform;
struct ProgramValues;

// A carrier and its e-mail-to-SMS gateway template: "number", "@", the gateway domain.
struct Carrier {
    QString name;
    QString gatewayTemplate;
    bool operator==(const Carrier&) const = default;
};

// The nine carriers a new carrier file starts with, in their order.
const QList<Carrier>& defaultCarriers();

QString carrierFilePath(const ProgramValues& values);
QByteArray formatCarriers(const QList<Carrier>& carriers);
// One carrier per line; a line without both a name and a template is skipped.
QList<Carrier> parseCarriers(const QByteArray& bytes);
// The carriers of the file; empty when it is missing.
QList<Carrier> loadCarriers(const Platform& platform, const ProgramValues& values);

// The carriers whose gateway makes a recipient, and the names of those left out.
struct UsableCarriers {
    QList<Carrier> carriers;
    QStringList refused;
};
UsableCarriers usableCarriers(const QList<Carrier>& carriers);
// Creates the file with the default carriers when it is missing; an existing file is
// never rewritten.
SaveResult ensureCarrierFile(const Platform& platform, const ProgramValues& values);

} // namespace tillora
