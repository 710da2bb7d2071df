#pragma once

#include "cli/cli_commands.h"

// trevalune-cli formula FILE --table T --column CAPTION --expr FORMULA
//   [--where CONDITION] [--wrap] (-o OUT.exe | --changes CHANGES.csv)

// Checks what only formula asks of its arguments (the column, the formula,
// one of -o and --changes); a message and false when wrong.
bool ReadFormulaRequest(CliRequest& request);
// Sets the column of every entry the condition takes to the formula's value.
int RunFormula(const CliRequest& request);
