#pragma once

#include <QByteArray>
#include <QString>

// Standard output, where a failed write is an error like any other: a script
// that sends a table to a full disk must not be told that it worked.

// Writes `bytes` and flushes them. On failure returns false with the message.
bool WriteStandardOutput(const QByteArray& bytes, QString& message);
// Flushes what is still buffered and checks that no earlier write failed.
bool FinishStandardOutput(QString& message);

// Readies the standard streams for bytes: on Windows they are put in binary
// mode (in text mode every line of a CSV file would end in "\r\r\n" and a
// list read from standard input would lose its carriage returns), and a
// console shows the UTF-8 the tool writes. Call once, first thing.
void PrepareStandardStreams();
