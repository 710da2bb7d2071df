#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

// What a few tests ask of the operating system, answered where it has an
// answer, so that the tests build wherever Qt does.

// MinGW has a <unistd.h> too, without user ids.
#if defined(__unix__) || defined(__APPLE__)
#define TREVALUNE_HAVE_USER_IDS 1
#include <unistd.h>
#endif

// Whether the tests run as the superuser, whom file permissions do not stop:
// tests of refused reads and writes skip then. False where there is no such
// user id.
inline bool RunningAsSuperuser() {
#ifdef TREVALUNE_HAVE_USER_IDS
  return ::geteuid() == 0;
#else
  return false;
#endif
}

// Gives the file at `path` a second name, `other`: a hard link, on Windows as
// on Unix.
inline bool MakeHardLink(const QString& path, const QString& other) {
#ifdef Q_OS_WIN
  return ::CreateHardLinkW(
             reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(other).utf16()),
             reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
             nullptr) != 0;
#else
  return ::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()) == 0;
#endif
}

// Why a test of symbolic links cannot run here; empty where it can. On
// Windows a symbolic link needs a privilege, and QFile::link makes a shortcut
// (.lnk), which is a file of its own.
inline const char* NoSymbolicLinks() {
#ifdef Q_OS_WIN
  return "a symbolic link needs a privilege on Windows, and QFile::link makes a shortcut";
#else
  return nullptr;
#endif
}

// Holds a file open as a program that shares it with nobody (the game while
// it runs, on Windows): no other handle can open it while this lives. Does
// nothing off Windows, where no such hold exists.
class HeldWithoutSharing {
 public:
  explicit HeldWithoutSharing(const QString& path) {
#ifdef Q_OS_WIN
    handle_ =
        ::CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
                      GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
#else
    static_cast<void>(path);
#endif
  }
  ~HeldWithoutSharing() {
#ifdef Q_OS_WIN
    if (handle_ != INVALID_HANDLE_VALUE)
      ::CloseHandle(handle_);
#endif
  }
  HeldWithoutSharing(const HeldWithoutSharing&) = delete;
  HeldWithoutSharing& operator=(const HeldWithoutSharing&) = delete;

 private:
#ifdef Q_OS_WIN
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#endif
};
