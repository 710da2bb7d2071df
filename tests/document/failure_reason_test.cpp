// Why a file operation failed, as the user reads it: from the system's code
// first, from Qt's code when the system gave none, and never in English.

#include "storage/failure_reason.h"

#include <QRegularExpression>
#include <cerrno>
#include <string>
#include <tuple>
#include <vector>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include <gtest/gtest.h>

namespace {

struct Case {
  FileAction action;
  int system_error;
  QFileDevice::FileError file_error;
  const char* reason;
};

TEST(FailureReasonTest, EachCodeGivesItsRussianReason) {
  constexpr auto kRead = FileAction::kRead;
  constexpr auto kWrite = FileAction::kWriteInFolder;
  constexpr auto kReplace = FileAction::kReplaceFile;
  const std::vector<Case> cases = {
      // The system's code wins over Qt's.
      {kWrite, ENOSPC, QFileDevice::ResourceError, "на диске недостаточно места"},
      {kWrite, ENOSPC, QFileDevice::NoError, "на диске недостаточно места"},
      {kWrite, EROFS, QFileDevice::WriteError, "файловая система доступна только для чтения"},
      {kWrite, ENAMETOOLONG, QFileDevice::RenameError, "слишком длинное имя файла"},
      {kRead, EIO, QFileDevice::ReadError, "ошибка ввода-вывода"},
      {kRead, EMFILE, QFileDevice::ResourceError, "открыто слишком много файлов"},
      {kWrite, EFBIG, QFileDevice::WriteError, "файл слишком велик для этой файловой системы"},
      // A missing entry and a refusal depend on what was being done.
      {kRead, ENOENT, QFileDevice::OpenError, "файл не найден"},
      {kWrite, ENOENT, QFileDevice::OpenError, "папка не существует"},
      {kRead, EACCES, QFileDevice::OpenError, "нет прав на чтение"},
      {kWrite, EACCES, QFileDevice::OpenError, "нет прав на запись в папку"},
      {kWrite, EPERM, QFileDevice::RenameError, "нет прав на запись в папку"},
      {kReplace, EACCES, QFileDevice::WriteError, "нет прав на запись в файл"},
      {kReplace, EROFS, QFileDevice::WriteError, "файловая система доступна только для чтения"},
      // No system code: Qt's tells what it can.
      {kWrite, 0, QFileDevice::ResourceError, "не хватает ресурсов системы"},
      {kWrite, 0, QFileDevice::RenameError, "новый файл не удалось поставить на место старого"},
      {kRead, 0, QFileDevice::PermissionsError, "нет прав на чтение"},
      {kRead, 0, QFileDevice::NoError, "ошибка чтения"},
      {kWrite, 0, QFileDevice::NoError, "ошибка записи"},
      // Codes not known here keep their numbers.
      {kWrite, EDOM, QFileDevice::WriteError, nullptr},
  };
  for (const Case& c : cases) {
    const std::string expected =
        c.reason ? std::string(c.reason) : "системная ошибка " + std::to_string(c.system_error);
    EXPECT_EQ(FailureReason(c.action, c.system_error, c.file_error).toStdString(), expected)
        << c.system_error << " " << c.file_error;
  }

#ifdef Q_OS_WIN
  // Windows' own codes, as Qt leaves them, in the same words.
  const std::vector<std::tuple<FileAction, unsigned long, const char*>> windows = {
      {kRead, ERROR_FILE_NOT_FOUND, "файл не найден"},
      {kRead, ERROR_PATH_NOT_FOUND, "файл не найден"},
      {kWrite, ERROR_PATH_NOT_FOUND, "папка не существует"},
      {kWrite, ERROR_FILENAME_EXCED_RANGE, "слишком длинное имя файла"},
      {kWrite, ERROR_DISK_FULL, "на диске недостаточно места"},
      {kReplace, ERROR_ACCESS_DENIED, "нет прав на запись в файл"},
      {kReplace, ERROR_SHARING_VIOLATION, "файл занят другой программой"},
      {kWrite, ERROR_WRITE_PROTECT, "файловая система доступна только для чтения"},
      {kWrite, ERROR_NO_DATA, "читающая программа закрыла канал"},
      {kWrite, ERROR_BROKEN_PIPE, "читающая программа закрыла канал"},
      {kWrite, ERROR_INVALID_FUNCTION, "системная ошибка 1"},
  };
  for (const auto& [action, code, reason] : windows)
    EXPECT_EQ(FailureReason(action, SystemErrorOfWindowsError(code), QFileDevice::OpenError)
                  .toStdString(),
              reason)
        << code;
#endif

  // Whatever the codes, the reason has text and no Latin letters.
  const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
  for (const FileAction action : {kRead, kWrite, kReplace})
    for (int system_error = 0; system_error < 200; ++system_error)
      for (int file_error = QFileDevice::NoError; file_error <= QFileDevice::CopyError;
           ++file_error) {
        const QString reason =
            FailureReason(action, system_error, static_cast<QFileDevice::FileError>(file_error));
        EXPECT_FALSE(reason.isEmpty());
        EXPECT_FALSE(reason.contains(latin)) << reason.toStdString();
      }
}

}  // namespace
