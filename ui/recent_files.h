#pragma once

#include <QString>
#include <QStringList>

class UserSettings;

// The files opened or saved last, newest first: absolute paths, each once, at
// most kMaxCount. Kept in the user's settings between runs.
class RecentFiles {
 public:
  static constexpr int kMaxCount = 8;

  // The list as `settings` hold it; whatever is malformed there is dropped.
  static RecentFiles Load(const UserSettings& settings);
  void Save(UserSettings& settings) const;

  // Puts `path` first; an older entry for the same file goes.
  void Add(const QString& path);
  void Remove(const QString& path);
  void Clear() { paths_.clear(); }

  const QStringList& Paths() const { return paths_; }

 private:
  QStringList paths_;
};
