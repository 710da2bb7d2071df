#pragma once

#include <QString>
#include <map>

#include "file_store.h"
#include "target_file.h"

// Files kept in memory by path: the document's disk for fuzzing and
// benchmarks, where the real disk would only add noise.
class MemoryFileStore : public FileStore {
 public:
  bool ReadAll(const QString& path, Bytes& out, QString& reason) override {
    const auto file = files.find(path);
    if (file == files.end()) {
      out.clear();
      reason = QStringLiteral("файл не найден");
      return false;
    }
    out = file->second;
    return true;
  }
  bool WriteAll(const QString& path, const Bytes& bytes, QString&) override {
    files[path] = bytes;
    return true;
  }

  std::map<QString, Bytes> files;
};
