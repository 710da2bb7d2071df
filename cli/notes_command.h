#pragma once

#include "cli/cli_commands.h"

// trevalune-cli check FILE [--notes NOTES] [--table T]
//   Every broken check and every value outside its sane range, as CSV.
// trevalune-cli notes --table T [--notes NOTES]
//   The notes in force for one table, as text for reading.

// Exit codes of check: no error-level check is broken; one is.
inline constexpr int kExitChecksPass = 0;
inline constexpr int kExitChecksBroken = 1;

int RunCheck(const CliRequest& request);
int RunNotes(const CliRequest& request);
