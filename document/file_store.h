#pragma once

#include <QString>
#include <cstdint>

#include "target_file.h"

// Where the editor's files come from and go to. Open reads the whole
// executable in one go; Save As puts a finished image on disk in one go.
class FileStore {
 public:
  virtual ~FileStore() = default;

  // Reads the whole file at `path` into `out`. On failure returns false, leaves
  // `out` empty and says why in `reason` (for the user, in Russian).
  virtual bool ReadAll(const QString& path, Bytes& out, QString& reason) = 0;
  // Replaces the file at `path` with `bytes`. On failure returns false, says
  // why in `reason`, and the file at `path` is as it was.
  virtual bool WriteAll(const QString& path, const Bytes& bytes, QString& reason) = 0;
};

// The files on disk.
//
// A write goes to a temporary file in the destination's folder, is flushed to
// the disk and only then renamed over the destination, so the destination is
// either the old file or the complete new one, never a mix. A destination that
// is a symbolic link is written at the link's target, and the link stays.
class QtFileStore : public FileStore {
 public:
  // No executable this program edits is anywhere near this size; a larger
  // file is refused before it is read.
  static constexpr std::int64_t kMaxFileSize = 256 * 1024 * 1024;

  bool ReadAll(const QString& path, Bytes& out, QString& reason) override;
  bool WriteAll(const QString& path, const Bytes& bytes, QString& reason) override;
};
