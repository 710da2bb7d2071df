#include "standard_output.h"

#include <cerrno>
#include <cstdio>

#include "failure_reason.h"
#include "text_file.h"

namespace {

// errno is read at once, before anything else can change it. Only a failure
// the C library already reported without a code says just "ошибка записи".
bool Failed(QString& message) {
  const int system_error = errno;
  message = WriteFailedMessage(
      QStringLiteral("-"),
      FailureReason(FileAction::kWriteInFolder, system_error, QFileDevice::WriteError));
  return false;
}

}  // namespace

bool WriteStandardOutput(const QByteArray& bytes, QString& message) {
  // A large write bypasses the buffer and fails here; a small one fails when
  // it is flushed.
  const auto size = static_cast<std::size_t>(bytes.size());
  errno = 0;
  if (std::fwrite(bytes.constData(), 1, size, stdout) != size)
    return Failed(message);
  return FinishStandardOutput(message);
}

bool FinishStandardOutput(QString& message) {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)
    return Failed(message);
  return true;
}
