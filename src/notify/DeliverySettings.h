#pragma once

#include "FileSave.h"

#include <QString>

namespace tillora {

struct ProgramValues;

// Where messages to the owner go, as stored in DataDIR + "ini\Notify.ini" (Qt's INI
// format). The push token is a secret and lives in the secret store, never here: the data
// folder is copied to the backup drive every night.
struct DeliverySettings {
    bool gatewayEnabled = true;
    bool emailEnabled = false;
    QString emailTo;
    bool pushEnabled = false;
    QString pushServer = QStringLiteral("https://ntfy.sh");
    QString pushTopic;
    QString pushCaFile; // Windows form ("c:\Tillora\ini\ca.pem"); empty: the system store

    bool operator==(const DeliverySettings&) const = default;
};

QString deliverySettingsPath(const ProgramValues& values);

// The settings in the file; a missing file or key gives its default. A switch that does
// not read as true or false gives its default; an address, server or topic is returned as
// stored and checked again before anything is sent, so a damaged one is never guessed
// into a recipient.
DeliverySettings readDeliverySettings(const QString& nativePath);

// Rewrites the file atomically and owner-only; keys of other groups in it are kept.
SaveResult writeDeliverySettings(const QString& nativePath, const DeliverySettings& settings);

// Checks of one field each: empty when the value is usable, otherwise a sentence that
// names the field.
QString emailAddressProblem(const QString& address);
QString pushServerProblem(const QString& server);
QString pushTopicProblem(const QString& topic);
// The first problem of the channels that are switched on, and of any field filled in.
QString deliverySettingsProblem(const DeliverySettings& settings);

// A topic nobody can guess: 24 random letters and digits. Topics on a public server can
// be read by anyone who knows them.
QString randomPushTopic();

} // namespace tillora
