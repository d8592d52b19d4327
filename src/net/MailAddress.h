#pragma once

#include <QString>

namespace tillora {

// What the program accepts as a mail recipient it builds or stores. Kept strict on
// purpose: a recipient ends up inside an SMTP command line and the To header, where a
// comma, a blank or an angle bracket would add a recipient or smuggle text in.

// One domain name: ASCII letters, digits and hyphens in labels separated by single dots
// ("txt.example.net"). No blanks, no empty label, nothing else.
bool isMailDomain(const QString& domain);

// One bare address "local@domain": exactly one "@", a non-empty local part of printable
// ASCII without blanks, commas, semicolons, angle brackets or double quotes, and a
// domain as above.
bool isSingleMailAddress(const QString& address);

} // namespace tillora
