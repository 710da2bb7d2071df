#include "storage/failure_reason.h"

#include <QCoreApplication>
#include <cerrno>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

QString NotAllowed(FileAction action) {
  switch (action) {
    case FileAction::kRead:
      return QCoreApplication::translate("FailureReason", "нет прав на чтение");
    case FileAction::kWriteInFolder:
      return QCoreApplication::translate("FailureReason", "нет прав на запись в папку");
    case FileAction::kReplaceFile:
      return QCoreApplication::translate("FailureReason", "нет прав на запись в файл");
  }
  return QCoreApplication::translate("FailureReason", "нет прав");
}

QString NotFound(FileAction action) {
  return action == FileAction::kRead
             ? QCoreApplication::translate("FailureReason", "файл не найден")
             : QCoreApplication::translate("FailureReason", "папка не существует");
}

// An empty string for a code not known here.
QString SystemReason(FileAction action, int system_error) {
  switch (system_error) {
    case ENOSPC:
      return QCoreApplication::translate("FailureReason", "на диске недостаточно места");
#ifdef EDQUOT  // this and the other guarded codes are not in every C runtime
    case EDQUOT:
      return QCoreApplication::translate("FailureReason", "превышена дисковая квота");
#endif
    case EROFS:
      return QCoreApplication::translate("FailureReason",
                                         "файловая система доступна только для чтения");
    case EACCES:
    case EPERM:
      return NotAllowed(action);
    case ENOENT:
      return NotFound(action);
    case ENAMETOOLONG:
      return QCoreApplication::translate("FailureReason", "слишком длинное имя файла");
    case ENOTDIR:
      return QCoreApplication::translate("FailureReason", "часть пути не является папкой");
#ifdef ELOOP
    case ELOOP:
      return QCoreApplication::translate("FailureReason",
                                         "в пути слишком много символических ссылок");
#endif
    case EISDIR:
      return QCoreApplication::translate("FailureReason", "это папка, а не файл");
    case EIO:
      return QCoreApplication::translate("FailureReason", "ошибка ввода-вывода");
    case EMFILE:
    case ENFILE:
      return QCoreApplication::translate("FailureReason", "открыто слишком много файлов");
    case EPIPE:
      return QCoreApplication::translate("FailureReason", "читающая программа закрыла канал");
    case EFBIG:
      return QCoreApplication::translate("FailureReason",
                                         "файл слишком велик для этой файловой системы");
    case ENOMEM:
      return QCoreApplication::translate("FailureReason", "недостаточно памяти");
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
      return QCoreApplication::translate("FailureReason", "файл занят другой программой");
    default:
      return {};
  }
}

// Qt's code, for a failure the system gave no code for.
QString DeviceReason(FileAction action, QFileDevice::FileError file_error) {
  switch (file_error) {
    case QFileDevice::NoError:  // failed without saying why
    case QFileDevice::UnspecifiedError:
      return action == FileAction::kRead
                 ? QCoreApplication::translate("FailureReason", "ошибка чтения")
                 : QCoreApplication::translate("FailureReason", "ошибка записи");
    case QFileDevice::ReadError:
      return QCoreApplication::translate("FailureReason", "ошибка чтения");
    case QFileDevice::WriteError:
      return QCoreApplication::translate("FailureReason", "ошибка записи");
    case QFileDevice::FatalError:
      return QCoreApplication::translate("FailureReason", "неустранимая ошибка файла");
    case QFileDevice::ResourceError:
      return QCoreApplication::translate("FailureReason", "не хватает ресурсов системы");
    case QFileDevice::OpenError:
      return QCoreApplication::translate("FailureReason", "файл не открывается");
    case QFileDevice::AbortError:
      return QCoreApplication::translate("FailureReason", "операция прервана");
    case QFileDevice::TimeOutError:
      return QCoreApplication::translate("FailureReason", "время ожидания истекло");
    case QFileDevice::RemoveError:
      return QCoreApplication::translate("FailureReason", "файл не удаляется");
    case QFileDevice::RenameError:
      return QCoreApplication::translate("FailureReason",
                                         "новый файл не удалось поставить на место старого");
    case QFileDevice::PositionError:
      return QCoreApplication::translate("FailureReason", "ошибка перемещения по файлу");
    case QFileDevice::ResizeError:
      return QCoreApplication::translate("FailureReason", "размер файла не изменяется");
    case QFileDevice::PermissionsError:
      return action == FileAction::kRead
                 ? QCoreApplication::translate("FailureReason", "нет прав на чтение")
                 : QCoreApplication::translate("FailureReason", "нет прав на запись");
    case QFileDevice::CopyError:
      return QCoreApplication::translate("FailureReason", "файл не копируется");
  }
  return QCoreApplication::translate("FailureReason", "ошибка файла %1")
      .arg(static_cast<int>(file_error));
}

}  // namespace

QString FailureReason(FileAction action, int system_error, QFileDevice::FileError file_error) {
  if (system_error == 0)
    return DeviceReason(action, file_error);
  if (system_error >= kWindowsErrorBase)
    return QCoreApplication::translate("FailureReason", "системная ошибка %1")
        .arg(system_error - kWindowsErrorBase);
  const QString known = SystemReason(action, system_error);
  return known.isEmpty()
             ? QCoreApplication::translate("FailureReason", "системная ошибка %1").arg(system_error)
             : known;
}

#ifdef Q_OS_WIN
int SystemErrorOfWindowsError(unsigned long windows_error) {
  switch (windows_error) {
    case ERROR_SUCCESS:
      return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_ACCESS:
    case ERROR_PRIVILEGE_NOT_HELD:
      return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return ENAMETOOLONG;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
      return EPIPE;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_NOT_READY:
    case ERROR_IO_DEVICE:
      return EIO;
    case ERROR_FILE_TOO_LARGE:
      return EFBIG;
#ifdef ELOOP
    case ERROR_CANT_RESOLVE_FILENAME:
      return ELOOP;
#endif
    default:
      return kWindowsErrorBase + static_cast<int>(windows_error);
  }
}
#endif

int LastSystemError() {
#ifdef Q_OS_WIN
  // The Windows code first: the C runtime's errno is often a rougher word for
  // it (a closed pipe is EINVAL there), and Qt's files never set errno.
  if (const int windows = SystemErrorOfWindowsError(::GetLastError()); windows != 0)
    return windows;
#endif
  return errno;
}

void ClearSystemError() {
  errno = 0;
#ifdef Q_OS_WIN
  ::SetLastError(ERROR_SUCCESS);
#endif
}

QString TooLargeReason(std::int64_t max_size) {
  constexpr std::int64_t kMebibyte = 1024 * 1024;
  const QString limit =
      max_size % kMebibyte == 0
          ? QCoreApplication::translate("FailureReason", "%1 МиБ").arg(max_size / kMebibyte)
          : QCoreApplication::translate("FailureReason", "%1 байт").arg(max_size);
  return QCoreApplication::translate("FailureReason", "файл слишком велик: больше %1").arg(limit);
}

QString UnreadableNameReason(bool folder, bool several_alike) {
  const QString unreadable =
      folder ? QCoreApplication::translate("FailureReason", "имя папки в пути не читается")
             : QCoreApplication::translate("FailureReason", "имя файла не читается");
  const QString bytes =
      QCoreApplication::translate("FailureReason", " — в нём есть байты не в кодировке UTF-8");
  if (!several_alike)
    return unreadable + bytes;
  return unreadable + bytes +
         QCoreApplication::translate("FailureReason",
                                     ", и рядом есть другое имя, которое выглядит так же");
}
