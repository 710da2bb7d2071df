#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <deque>

#include "file_store.h"
#include "target_file.h"
#include "user_dialogs.h"

// Answers the window's dialogs from queues filled by a test, and remembers
// what was asked. A dialog with no answer queued is cancelled.
class FakeDialogs : public UserDialogs {
 public:
  QString AskOpenFileName(QWidget*, const QString& initialName) override {
    open_initial_names << initialName;
    return Next(open_answers);
  }
  QString AskSaveFileName(QWidget*, const QString& proposedName) override {
    save_proposed_names << proposedName;
    return Next(save_answers);
  }
  bool AskSizeWarning(QWidget*) override {
    ++size_warnings;
    if (size_answers.empty())
      return false;
    const bool answer = size_answers.front();
    size_answers.pop_front();
    return answer;
  }
  void ShowError(QWidget*, const QString& text) override { errors << text; }

  std::deque<QString> open_answers;
  std::deque<QString> save_answers;
  std::deque<bool> size_answers;
  QStringList open_initial_names;
  QStringList save_proposed_names;
  QStringList errors;
  int size_warnings = 0;

 private:
  static QString Next(std::deque<QString>& answers) {
    if (answers.empty())
      return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// The disk, with failures on demand: a write that fails as a full disk would
// (the destination keeps what it had), or a read that fails.
class FaultyFileStore : public FileStore {
 public:
  bool ReadAll(const QString& path, Bytes& out, QString& reason) override {
    ++reads;
    if (fail_reads) {
      out.clear();
      reason = QStringLiteral("ошибка ввода-вывода");
      return false;
    }
    return disk_.ReadAll(path, out, reason);
  }
  bool WriteAll(const QString& path, const Bytes& bytes, QString& reason) override {
    ++writes;
    if (disk_full) {
      reason = QStringLiteral("No space left on device");
      return false;
    }
    return disk_.WriteAll(path, bytes, reason);
  }

  bool fail_reads = false;
  bool disk_full = false;
  int reads = 0;
  int writes = 0;

 private:
  QtFileStore disk_;
};

inline Bytes ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  const QByteArray data = file.readAll();
  return Bytes(data.begin(), data.end());
}

inline bool WriteBytes(const QString& path, const Bytes& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return false;
  return file.write(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

// The names in a folder, to show that nothing was left behind.
inline QStringList FolderEntries(const QString& folder) {
  return QDir(folder).entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
