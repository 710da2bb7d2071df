#pragma once

#include <QString>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <limits>
#include <map>

#include "storage/failure_reason.h"
#include "storage/file_store.h"
#include "tables/target_file.h"

// Files kept in memory by path: the document's disk for fuzzing and
// benchmarks, where the real disk would only add noise. A write larger than
// `capacity` fails as on a full disk, and the file keeps what it had.
class MemoryFileStore : public FileStore {
 public:
  bool ReadAll(const QString& path, Bytes& out, QString& reason) override {
    const auto file = files.find(path);
    if (file == files.end()) {
      out.clear();
      reason = QStringLiteral("файл не найден");
      return false;
    }
    CopyInto(out, file->second);
    return true;
  }
  bool WriteAll(const QString& path, const Bytes& bytes, QString& reason) override {
    if (bytes.size() > capacity) {
      reason = FailureReason(FileAction::kWriteInFolder, ENOSPC, QFileDevice::ResourceError);
      return false;
    }
    CopyInto(files[path], bytes);
    reason.clear();
    return true;
  }
  bool ReadText(const QString& path, const TextReadRules& rules, QByteArray& out,
                QString& reason) override {
    out.clear();
    Bytes bytes;
    if (!ReadAll(path, bytes, reason))
      return false;
    if (static_cast<std::int64_t>(bytes.size()) > rules.max_size) {
      reason = TooLargeReason(rules.max_size);
      return false;
    }
    out = QByteArray(reinterpret_cast<const char*>(bytes.data()),
                     static_cast<qsizetype>(bytes.size()));
    return true;
  }

  std::map<QString, Bytes> files;
  std::size_t capacity = std::numeric_limits<std::size_t>::max();

 private:
  // Into the storage `to` already has. With memcpy: under the address
  // sanitizer a vector's own copy goes through the sanitizer's memmove, which
  // is several times slower on a file of a megabyte.
  static void CopyInto(Bytes& to, const Bytes& from) {
    if (&to == &from)
      return;
    to.resize(from.size());
    if (!from.empty())
      std::memcpy(to.data(), from.data(), from.size());
  }
};
