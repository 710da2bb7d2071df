#pragma once

#include <QString>

// The form of a path that the Windows file calls take at any length, as Qt's
// own file engine gives them: an absolute path of MAX_PATH (260) characters
// or more gets the prefix \\?\ (\\?\UNC\ for a network path), with Windows'
// separators and its "." and ".." names resolved, since the prefix turns off
// the system's own clean-up. Shorter paths, relative ones, device paths and
// those already prefixed come back with Windows' separators only. Pure text:
// the same on every system, so that it is tested everywhere.
QString LongPathSafe(const QString& path);
