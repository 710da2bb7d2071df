#include "storage/console_text.h"

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>

#include <algorithm>
#endif

namespace {

#ifdef Q_OS_WIN
HANDLE HandleOf(int descriptor) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
}
#endif

}  // namespace

bool IsConsoleHandle(void* handle) {
#ifdef Q_OS_WIN
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
#else
  static_cast<void>(handle);
  return false;
#endif
}

bool IsConsole(int descriptor) {
#ifdef Q_OS_WIN
  return IsConsoleHandle(HandleOf(descriptor));
#else
  static_cast<void>(descriptor);
  return false;
#endif
}

bool WriteConsoleText(void* handle, const QString& text) {
#ifdef Q_OS_WIN
  if (!IsConsoleHandle(handle))
    return false;
  // In pieces a console takes at once, never between the two halves of a
  // character outside the Basic Multilingual Plane.
  constexpr qsizetype kPiece = 8192;
  qsizetype done = 0;
  while (done < text.size()) {
    qsizetype piece = std::min(kPiece, text.size() - done);
    if (done + piece < text.size() && text.at(done + piece - 1).isHighSurrogate())
      --piece;
    DWORD written = 0;
    if (!::WriteConsoleW(handle, text.utf16() + done, static_cast<DWORD>(piece), &written,
                         nullptr) ||
        written == 0)
      return false;
    done += written;
  }
  return true;
#else
  static_cast<void>(handle);
  static_cast<void>(text);
  return false;
#endif
}

bool WriteConsoleText(int descriptor, const QString& text) {
#ifdef Q_OS_WIN
  return WriteConsoleText(HandleOf(descriptor), text);
#else
  static_cast<void>(descriptor);
  static_cast<void>(text);
  return false;
#endif
}
