#pragma once

#include <QString>

// A path Qt can open for the file that a path names, also when a name in it
// is not UTF-8.
//
// Linux file names are bytes, and Qt reads them as UTF-8: a byte that is not
// UTF-8 becomes U+FFFD, both in the arguments of a command line and in the
// names a file dialog lists, and the text then names no file. Such a path is
// matched, name by name, with the entries of its folders as they read in Qt;
// the one file found is opened by its bytes, and Qt is given that open file
// as /proc/self/fd/N, which stays usable while this object lives.
class ReachablePath {
 public:
  explicit ReachablePath(const QString& path);
  ~ReachablePath();
  ReachablePath(const ReachablePath&) = delete;
  ReachablePath& operator=(const ReachablePath&) = delete;

  // False, with `reason` for the user, when the name is not UTF-8 and cannot
  // be matched with one file. A path of a missing file is usable: opening it
  // says that it is missing.
  bool Usable(QString& reason) const;
  // The path to give Qt: the path itself, or the file found by its bytes.
  const QString& Path() const { return path_; }

 private:
  QString path_;
  QString failure_;
  int descriptor_ = -1;
};
