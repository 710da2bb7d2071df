#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "tables/target_file.h"

// How a text file (a table as CSV, a list of changes) may be read.
struct TextReadRules {
  // A longer file is refused; a stream is read no further than this.
  std::int64_t max_size = 0;
  // Besides a regular file, also a pipe, and "-" for standard input, read
  // until they end, as command-line tools read them. The window takes regular
  // files only: a pipe with no writer would block it.
  bool streams = false;
};

// Where the editor's files come from and go to. Open reads the whole
// executable in one go; Save As puts a finished image on disk in one go; the
// text files of both front ends are read whole and written the same way.
class FileStore {
 public:
  virtual ~FileStore() = default;

  // Reads the whole file at `path` into `out`. On failure returns false, leaves
  // `out` empty and says why in `reason` (for the user, in Russian).
  virtual bool ReadAll(const QString& path, Bytes& out, QString& reason) = 0;
  // Replaces the file at `path` with `bytes`. On failure returns false, says
  // why in `reason`, and the file at `path` is as it was. On success `reason`
  // is empty, or is a warning for the user, a whole sentence: the new file is
  // in place, but may not outlive a power cut.
  virtual bool WriteAll(const QString& path, const Bytes& bytes, QString& reason) = 0;
  // Reads the whole text file at `path` into `out` by `rules`. On failure
  // returns false, leaves `out` empty and says why in `reason`.
  virtual bool ReadText(const QString& path, const TextReadRules& rules, QByteArray& out,
                        QString& reason) = 0;
};

// The files on disk.
//
// A write goes to a temporary file in the destination's folder, is flushed to
// the disk and only then renamed over the destination, so the destination is
// either the old file or the complete new one, never a mix; the folder is
// then synced (on POSIX), so that the rename itself is on the disk. A destination that
// is a symbolic link is written at the link's target, and the link stays.
// Only a regular file is read (and, for a text file by its rules, a pipe or
// standard input); a folder or a device is refused before anything is read.
class QtFileStore : public FileStore {
 public:
  // No executable this program edits is anywhere near this size; a larger
  // file is refused before it is read.
  static constexpr std::int64_t kMaxFileSize = 256 * 1024 * 1024;

  bool ReadAll(const QString& path, Bytes& out, QString& reason) override;
  bool WriteAll(const QString& path, const Bytes& bytes, QString& reason) override;
  bool ReadText(const QString& path, const TextReadRules& rules, QByteArray& out,
                QString& reason) override;
};
