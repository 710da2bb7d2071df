#pragma once

#include <QFileDevice>
#include <QString>
#include <cstdint>

// What the program was doing when a file operation failed. The same code
// says different things: a missing entry is the file when reading and the
// folder when writing; a refusal is about the file or about its folder.
enum class FileAction {
  kRead,           // reading an existing file
  kWriteInFolder,  // making the new file in its folder and putting it in place
  kReplaceFile,    // replacing an existing file that is not to be written
};

// Why a file operation failed, in Russian, for the user. `system_error` is
// errno taken right after the failing call (0 when the system said nothing, as
// on Windows, where Qt does not go through the C runtime); `file_error` is Qt's
// own code, used only when errno is 0. A code not known here still gives a
// Russian reason, with the code's number.
QString FailureReason(FileAction action, int system_error, QFileDevice::FileError file_error);

// The code the system gave for the failure just seen, as an errno value, for
// FailureReason: errno itself, or on Windows, where Qt calls the system
// directly and leaves errno alone, the Windows error code turned into the
// errno value of the same meaning (one with none is passed on as
// kWindowsErrorBase plus its code, and told by its number). 0 when the system said nothing.
int LastSystemError();
// Clears what LastSystemError reads, before a step whose failure it is to
// tell: a code left by an earlier, harmless failure is not this step's.
void ClearSystemError();
inline constexpr int kWindowsErrorBase = 1 << 20;
#ifdef Q_OS_WIN
int SystemErrorOfWindowsError(unsigned long windows_error);
#endif

// Why a text file is refused for its size: it holds more than `max_size`
// bytes, or a stream went on past them.
QString TooLargeReason(std::int64_t max_size);

// Why a path did not reach its file: a name in it, the file's own or one of
// its folders', holds bytes that are not UTF-8. Qt reads such a name with
// U+FFFD in their place, and that text no longer gives the bytes back, so the
// file can be found only among the entries of its folder; `several_alike` when
// more than one entry there reads the same.
QString UnreadableNameReason(bool folder, bool several_alike);
