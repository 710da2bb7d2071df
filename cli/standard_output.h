#pragma once

#include <QByteArray>
#include <QString>

// Standard output, where a failed write is an error like any other: a script
// that sends a table to a full disk must not be told that it worked. A reader
// that closes its end early (`| head`) wants no more and is no failure: what
// is left is not written, and the command ends as it would have.
//
// A file or a pipe gets the UTF-8 bytes as they are; a Windows console gets
// the text in UTF-16, whatever its code page.

// Writes `bytes` (UTF-8 text, or a table as CSV) and flushes them. On failure
// returns false with the message.
bool WriteStandardOutput(const QByteArray& bytes, QString& message);
// Writes `text` to standard error. A failure there has nowhere to be told.
void WriteStandardError(const QString& text);

// Readies the standard streams for bytes: on Windows they are put in binary
// mode (in text mode every line of a CSV file would end in "\r\r\n" and a
// list read from standard input would lose its carriage returns). Call once,
// first thing.
void PrepareStandardStreams();
