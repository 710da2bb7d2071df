#include "storage/text_file.h"

#include <QCoreApplication>
#include <QDir>

namespace {

bool IsStandardStream(const QString& path) {
  return path == QStringLiteral("-");
}

}  // namespace

QString ReadFailedMessage(const QString& path, const QString& reason) {
  if (IsStandardStream(path))
    return QCoreApplication::translate("TextFile", "Не удалось прочитать стандартный ввод: %1.")
        .arg(reason);
  return QCoreApplication::translate("TextFile", "Не удалось прочитать файл «%1»: %2.")
      .arg(QDir::toNativeSeparators(path), reason);
}

QString WriteFailedMessage(const QString& path, const QString& reason) {
  if (IsStandardStream(path))
    return QCoreApplication::translate("TextFile", "Не удалось записать в стандартный вывод: %1.")
        .arg(reason);
  return QCoreApplication::translate("TextFile", "Не удалось записать файл «%1»: %2.")
      .arg(QDir::toNativeSeparators(path), reason);
}

bool ReadTextFile(FileStore& store, const QString& path, TextSources sources, QByteArray& text,
                  QString& message) {
  const TextReadRules rules{kMaxTextFileSize, sources == TextSources::kFilesAndStreams};
  QString reason;
  if (store.ReadText(path, rules, text, reason))
    return true;
  message = ReadFailedMessage(path, reason);
  return false;
}

bool WriteTextFile(FileStore& store, const QString& path, const QByteArray& text,
                   QString& message) {
  QString reason;
  if (store.WriteAll(path, Bytes(text.begin(), text.end()), reason)) {
    message = reason;  // a warning, if any
    return true;
  }
  message = WriteFailedMessage(path, reason);
  return false;
}
