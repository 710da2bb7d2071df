#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include "csv_separator.h"

// Writes `rows` as CSV for spreadsheets: UTF-8 after a byte-order mark, so that
// they show Cyrillic without asking for the encoding; fields separated by
// `separator`; every row, the last too, ends in CRLF.
//
// A field is put in quotes, its own quotes doubled, when it holds a quote, CR,
// LF or any of the three separators, not only the one in use: then no
// separator but the real one occurs outside quotes in the header row, and
// ReadCsv finds it. A row whose only field is empty is written as "" so that
// it is not taken for a blank line; a row with no fields is a blank line,
// which ReadCsv skips.
QByteArray WriteCsv(const QList<QStringList>& rows, CsvSeparator separator = CsvSeparator::Comma);
