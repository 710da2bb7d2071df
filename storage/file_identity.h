#pragma once

#include <QString>
#include <optional>

// Which file a path names. Two paths are never compared as text to tell
// whether a result would go over an input: a symbolic link, "..", another
// spelling of a folder and a second (hard) link all name the same file.

// Follows symbolic links to the file they name, also when that file does not
// exist yet: where a write through `path` lands, the link staying a link.
// Links that go round in a loop, or further than the system itself would
// follow, lead nowhere: nothing is returned.
std::optional<QString> FollowLinks(const QString& path);

// Whether `one` and `other` name one file: the same device and inode on Unix,
// the same volume and file index on Windows, links and ".." followed. A path
// with no file yet names the place a write would make its file, after the
// links there are followed: the same place as another such path, never an
// existing file.
bool SameFile(const QString& one, const QString& other);
