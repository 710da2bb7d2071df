#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "storage/file_store.h"

// The text files both front ends read and write (tables as CSV, lists of
// changes), through the file store, with the same messages in the window and
// on the command line.

// A whole table as CSV is about 10 KB; a text file past this is refused.
inline constexpr std::int64_t kMaxTextFileSize = 8 * 1024 * 1024;

// Where a text file may come from: the window reads regular files only; the
// command line also reads a pipe, and "-" for standard input.
enum class TextSources { kFiles, kFilesAndStreams };

// "-" names standard input when reading and standard output when writing.
QString ReadFailedMessage(const QString& path, const QString& reason);
QString WriteFailedMessage(const QString& path, const QString& reason);

// Reads the text file at `path` whole. On failure returns false, leaves `text`
// empty and puts the whole message for the user in `message`.
bool ReadTextFile(FileStore& store, const QString& path, TextSources sources, QByteArray& text,
                  QString& message);
// Replaces the file at `path` with `text` through the store's safe write. On
// failure returns false with the message, and the file is as it was. On
// success `message` is empty, or a warning that the file may not outlive a
// power cut.
bool WriteTextFile(FileStore& store, const QString& path, const QByteArray& text, QString& message);
