#pragma once

#include <QString>

namespace tillora {

class Platform;

// True when the folder (a Windows-form path) exists and can be listed.
bool DirExists(const Platform& platform, const QString& folder);

// Makes sure the folder exists, creating missing parents; never creates a drive that is
// not there. False when the folder is still missing afterwards.
bool ensureFolder(const Platform& platform, const QString& folder);

} // namespace tillora
