#pragma once

// The field separators of the editor's CSV files: a comma by default, a
// semicolon for spreadsheets whose locale writes decimals with a comma, a tab
// for text copied out of a spreadsheet.
enum class CsvSeparator : char { Comma = ',', Semicolon = ';', Tab = '\t' };
