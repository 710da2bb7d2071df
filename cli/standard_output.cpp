#include "standard_output.h"

#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <cstdlib>
#endif

#include "failure_reason.h"
#include "text_file.h"

namespace {

// The system's code is read at once, before anything else can change it.
// Only a failure the C library already reported without a code says just
// "ошибка записи".
bool Failed(QString& message) {
  const int system_error = LastSystemError();
  message = WriteFailedMessage(
      QStringLiteral("-"),
      FailureReason(FileAction::kWriteInFolder, system_error, QFileDevice::WriteError));
  return false;
}

#ifdef Q_OS_WIN
UINT console_code_page = 0;

void RestoreConsoleCodePage() {
  ::SetConsoleOutputCP(console_code_page);
}
#endif

}  // namespace

bool WriteStandardOutput(const QByteArray& bytes, QString& message) {
  // A large write bypasses the buffer and fails here; a small one fails when
  // it is flushed.
  const auto size = static_cast<std::size_t>(bytes.size());
  ClearSystemError();
  if (std::fwrite(bytes.constData(), 1, size, stdout) != size)
    return Failed(message);
  return FinishStandardOutput(message);
}

bool FinishStandardOutput(QString& message) {
  ClearSystemError();
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)
    return Failed(message);
  return true;
}

void PrepareStandardStreams() {
#ifdef Q_OS_WIN
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  // The console's code page belongs to the console, not to this program: it
  // is set back as the program ends.
  console_code_page = ::GetConsoleOutputCP();
  if (console_code_page != 0 && console_code_page != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8))
    std::atexit(RestoreConsoleCodePage);
#endif
}
