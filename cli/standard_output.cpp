#include "cli/standard_output.h"

#include <cerrno>
#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdlib>
#endif

#include "storage/console_text.h"
#include "storage/failure_reason.h"
#include "storage/text_file.h"

namespace {

constexpr int kStandardOutput = 1;
constexpr int kStandardError = 2;

// Set once the reader of standard output has closed its end.
bool reader_gone = false;

// Whether the write that just failed met a pipe whose reader has closed it.
// On Unix that is EPIPE (where SIGPIPE is ignored; otherwise the signal
// quietly ends the program first). On Windows the system says
// ERROR_NO_DATA or ERROR_BROKEN_PIPE, which the C runtime keeps in
// _doserrno and turns into EINVAL in errno.
bool ReaderClosed(int system_error) {
  if (system_error == EPIPE)
    return true;
#ifdef Q_OS_WIN
  const unsigned long windows_error = _doserrno;
  if (windows_error == ERROR_NO_DATA || windows_error == ERROR_BROKEN_PIPE ||
      windows_error == ERROR_PIPE_NOT_CONNECTED)
    return true;
  const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(kStandardOutput));
  return system_error == EINVAL && ::GetFileType(handle) == FILE_TYPE_PIPE;
#else
  return false;
#endif
}

// The system's code is read at once, before anything else can change it.
// Only a failure the C library already reported without a code says just
// "ошибка записи".
bool Failed(QString& message) {
  const int system_error = LastSystemError();
  if (ReaderClosed(system_error)) {
    reader_gone = true;
    std::clearerr(stdout);
    return true;
  }
  message = WriteFailedMessage(
      QStringLiteral("-"),
      FailureReason(FileAction::kWriteInFolder, system_error, QFileDevice::WriteError));
  return false;
}

void ClearErrors() {
  ClearSystemError();
#ifdef Q_OS_WIN
  _doserrno = 0;
#endif
}

}  // namespace

bool WriteStandardOutput(const QByteArray& bytes, QString& message) {
  if (reader_gone)
    return true;
  if (IsConsole(kStandardOutput)) {
    if (WriteConsoleText(kStandardOutput, QString::fromUtf8(bytes)))
      return true;
    message = WriteFailedMessage(
        QStringLiteral("-"),
        FailureReason(FileAction::kWriteInFolder, LastSystemError(), QFileDevice::WriteError));
    return false;
  }
  // A large write bypasses the buffer and fails here; a small one fails when
  // it is flushed.
  const auto size = static_cast<std::size_t>(bytes.size());
  ClearErrors();
  if (std::fwrite(bytes.constData(), 1, size, stdout) != size)
    return Failed(message);
  ClearErrors();
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)
    return Failed(message);
  return true;
}

void WriteStandardError(const QString& text) {
  if (IsConsole(kStandardError)) {
    WriteConsoleText(kStandardError, text);
    return;
  }
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
  std::fflush(stderr);
}

void PrepareStandardStreams() {
#ifdef Q_OS_WIN
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
#endif
}
