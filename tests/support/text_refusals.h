#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/file_helpers.h"
#include "tests/support/os_helpers.h"
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

// Text files that neither front end reads, for the same reason in the same
// words: the window's CSV commands and trevalune-cli are tested over one table.
struct TextRefusal {
  QString path;        // absolute, or "-" for standard input
  QString input;       // what standard input is then
  const char* reason;  // the reason the user reads
  bool window;         // refused by the window's CSV commands
  bool cli;            // refused by trevalune-cli
};

// Makes what the refusals read in `folder` and returns them. The superuser
// reads every file, so a file without read rights is left out for them.
inline std::vector<TextRefusal> MakeTextRefusals(const QString& folder) {
  const QDir dir(folder);
  EXPECT_TRUE(dir.mkpath(QStringLiteral("folder")));
  // One byte past the limit: a whole table as CSV is about 10 KB.
  QFile big(dir.filePath(QStringLiteral("big.csv")));
  EXPECT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(8 * 1024 * 1024 + 1));
  big.close();
  std::vector<TextRefusal> refusals = {
      {dir.filePath(QStringLiteral("folder")), {}, "это папка, а не файл", true, true},
      {big.fileName(), {}, "файл слишком велик: больше 8 МиБ", true, true},
      {dir.filePath(QStringLiteral("missing.csv")), {}, "файл не найден", true, true},
  };
#ifdef Q_OS_UNIX
  // A device, and a stream with no end, which stops at the limit too. Windows
  // has no endless device to read.
  refusals.push_back({QStringLiteral("/dev/zero"), {}, "это не обычный файл", true, true});
  refusals.push_back({QStringLiteral("-"), QStringLiteral("/dev/zero"),
                      "файл слишком велик: больше 8 МиБ", false, true});
  // A pipe with no writer would block the window; the command line reads pipes.
  const QString pipe = dir.filePath(QStringLiteral("pipe.csv"));
  EXPECT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  refusals.push_back({pipe, {}, "это не обычный файл", true, false});
#endif
  // Read rights are a Unix matter: on Windows the file would still be read.
#ifdef Q_OS_UNIX
  if (!RunningAsSuperuser()) {
    const QString unreadable = dir.filePath(QStringLiteral("unreadable.csv"));
    EXPECT_TRUE(WriteBytes(unreadable, Bytes{'1'}));
    EXPECT_TRUE(QFile::setPermissions(unreadable, QFileDevice::WriteOwner));
    refusals.push_back({unreadable, {}, "нет прав на чтение", true, true});
  }
#endif
  return refusals;
}

// The message both front ends show for a refusal.
inline QString ReadFailure(const TextRefusal& refusal) {
  if (refusal.path == QStringLiteral("-"))
    return QStringLiteral("Не удалось прочитать стандартный ввод: %1.")
        .arg(QString::fromUtf8(refusal.reason));
  return QStringLiteral("Не удалось прочитать файл «%1»: %2.")
      .arg(QDir::toNativeSeparators(refusal.path), QString::fromUtf8(refusal.reason));
}
