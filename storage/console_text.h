#pragma once

#include <QString>

// Text for a Windows console, which shows UTF-16 whatever its code page: bytes
// written there go through the code page, and a character split between two
// writes shows as two wrong ones. A file or a pipe takes the UTF-8 bytes
// themselves, and so does a terminal on every other system.

// Whether `handle` (a Windows HANDLE) is a console. Never off Windows.
bool IsConsoleHandle(void* handle);
// Whether the C runtime's `descriptor` (0, 1 and 2 are the standard streams)
// is a console.
bool IsConsole(int descriptor);

// Writes `text` whole to the console `handle` as UTF-16. False when `handle`
// is no console or the console refuses it; then nothing more is written.
bool WriteConsoleText(void* handle, const QString& text);
bool WriteConsoleText(int descriptor, const QString& text);
