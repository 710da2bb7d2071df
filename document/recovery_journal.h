#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>
#include <memory>
#include <optional>

#include "journal_file.h"

class QLockFile;
class TableDocument;

// Keeps the recovery journal of the document's current file: while the file
// has unsaved edits, a while after each completed step (never on a
// keystroke), the edits go to "<hash of the path>.journal" in the journal
// folder through the durable write, on a thread of their own, so that typing
// never waits for the disk. Undoing back to the file as saved removes the
// journal, and so does a Save As once the copy is on the disk. Closing writes
// nothing: the journal stays for the next start.
//
// A QLockFile beside the journal is held while the file is open, so that two
// editors never use one journal: the second one neither offers nor writes it.
// A lock left by a process that has ended is taken over.
class RecoveryJournal : public QObject {
  Q_OBJECT

 public:
  // How long after a step the journal is written.
  static constexpr int kDelayMs = 400;

  RecoveryJournal(TableDocument* document, const QString& folder);
  ~RecoveryJournal() override;

  // The folder for journals: $TREVALUNE_JOURNAL_DIR when set, else
  // "journals" in the user's application data folder.
  static QString DefaultFolder();
  // The journal of the file at the absolute `path`.
  static QString JournalPath(const QString& folder, const QString& path);

  // What there is for the file just opened.
  enum class Found {
    Nothing,
    Journal,  // `offer` holds it
    Broken,   // set aside as "<journal>.broken"; `message` says so
    Held,     // another editor has the file open; `message` says so
  };
  struct Offer {
    JournalContent content;
    bool file_changed = false;  // its size or checksum differs from the journal's
  };
  Found Check(Offer& offer, QString& message);
  // The user declined the journal of the current file: it is removed.
  void Discard();

  // At a start with no file: the journal written last that no running editor
  // holds, and its path. Broken journals met on the way are set aside and
  // `message` names them.
  struct Latest {
    QString journal;
    JournalContent content;
  };
  static std::optional<Latest> FindLatest(const QString& folder, QString& message);
  static void Remove(const QString& journal);

  // The journal as the next write would put it, and writing it now (no wait
  // for the timer); Flush waits until every write asked for is on the disk.
  QByteArray Snapshot() const;
  void WriteNow();
  void Flush();
  QString CurrentJournal() const { return journal_; }
  const QString& Folder() const { return folder_; }

 private:
  void Opened();
  void SavedAs(bool durable);
  void StepCompleted();
  void ReleaseLock();
  void Lock();
  void Queue(std::function<void()> work);

  TableDocument* document_;
  QString folder_;
  QString journal_;  // of the current file; empty before an Open
  std::unique_ptr<QLockFile> lock_;
  bool held_elsewhere_ = false;
  std::int64_t file_size_ = 0;
  std::uint32_t file_crc_ = 0;
  bool on_disk_ = false;  // a journal of this session may be on the disk
  QByteArray last_body_;  // the change list written last
  QTimer timer_;
  QThread thread_;
  QObject* worker_;
};
