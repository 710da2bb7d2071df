#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cerrno>

#include "storage/failure_reason.h"
#include "storage/file_store.h"
#include "tables/target_file.h"

// The disk, with failures on demand: a write that fails as a full disk would
// (the destination keeps what it had), or a read that fails. The reasons are
// the ones the real disk gives for those codes.
class FaultyFileStore : public FileStore {
 public:
  bool ReadAll(const QString& path, Bytes& out, QString& reason) override {
    ++reads;
    if (fail_reads) {
      out.clear();
      reason = FailureReason(FileAction::kRead, EIO, QFileDevice::ReadError);
      return false;
    }
    return disk_.ReadAll(path, out, reason);
  }
  bool WriteAll(const QString& path, const Bytes& bytes, QString& reason) override {
    ++writes;
    if (disk_full) {
      reason = FailureReason(FileAction::kWriteInFolder, ENOSPC, QFileDevice::ResourceError);
      return false;
    }
    return disk_.WriteAll(path, bytes, reason);
  }
  bool ReadText(const QString& path, const TextReadRules& rules, QByteArray& out,
                QString& reason) override {
    ++reads;
    if (fail_reads) {
      out.clear();
      reason = FailureReason(FileAction::kRead, EIO, QFileDevice::ReadError);
      return false;
    }
    return disk_.ReadText(path, rules, out, reason);
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
