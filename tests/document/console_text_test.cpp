// Text for a console: a Windows console takes it as UTF-16, whatever its code
// page; a pipe or a file is no console, on any system, and gets bytes.

#include "storage/console_text.h"

#include <QTemporaryFile>
#include <algorithm>
#include <string>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <gtest/gtest.h>

namespace {

TEST(ConsoleText, APipeOrAFileIsNoConsole) {
  int ends[2] = {-1, -1};
#ifdef Q_OS_WIN
  ASSERT_EQ(::_pipe(ends, 4096, _O_BINARY), 0);
#else
  ASSERT_EQ(::pipe(ends), 0);
#endif
  QTemporaryFile file;
  ASSERT_TRUE(file.open());
  for (const int descriptor : {ends[0], ends[1], file.handle()}) {
    SCOPED_TRACE(descriptor);
    EXPECT_FALSE(IsConsole(descriptor));
    EXPECT_FALSE(WriteConsoleText(descriptor, QStringLiteral("текст")));
  }
  EXPECT_EQ(file.size(), 0);
  ::close(ends[0]);
  ::close(ends[1]);
}

#ifdef Q_OS_WIN
// A console screen buffer of the test's own (in a console made for it, if
// the test has none) takes every character, one past the Basic Multilingual
// Plane and a text longer than one piece too, and shows them as written.
TEST(ConsoleText, AConsoleShowsTheTextAsWritten) {
  const auto make_buffer = [] {
    return ::CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       CONSOLE_TEXTMODE_BUFFER, nullptr);
  };
  bool made_console = false;
  HANDLE buffer = make_buffer();
  if (buffer == INVALID_HANDLE_VALUE && ::AllocConsole()) {
    made_console = true;
    buffer = make_buffer();
  }
  if (buffer == INVALID_HANDLE_VALUE)
    GTEST_SKIP() << "no console can be made here";
  // Room for more than one piece of the write.
  ::SetConsoleScreenBufferSize(buffer, COORD{100, 200});
  CONSOLE_SCREEN_BUFFER_INFO shape{};
  ASSERT_TRUE(::GetConsoleScreenBufferInfo(buffer, &shape));
  const qsizetype room = qsizetype{shape.dwSize.X} * (shape.dwSize.Y - 1);
  QString text = QStringLiteral("Жёлтый \U0001D538 ");
  while (text.size() < std::min<qsizetype>(room - 20, 9000))
    text += QStringLiteral("Ярл-%1 ").arg(text.size());
  EXPECT_TRUE(IsConsoleHandle(buffer));
  EXPECT_TRUE(WriteConsoleText(buffer, text));
  std::wstring shown(static_cast<std::size_t>(text.size()), L' ');
  DWORD read = 0;
  ASSERT_TRUE(::ReadConsoleOutputCharacterW(buffer, shown.data(), static_cast<DWORD>(shown.size()),
                                            COORD{0, 0}, &read));
  EXPECT_EQ(QString::fromWCharArray(shown.data(), read), text);
  ::CloseHandle(buffer);
  if (made_console)
    ::FreeConsole();
}
#endif

}  // namespace
