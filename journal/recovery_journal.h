#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "journal/journal_file.h"

class QLockFile;
class TableDocument;
struct TakenJournal;

// Keeps the recovery journal of the document's current file: while the file
// has unsaved edits, a while after each completed step or keystroke, the
// edits (text typed into a cell and not yet left included) go to a journal in
// the journal folder through the durable write, on a thread of their own, so
// that typing never waits for the disk. Undoing back to the file as saved removes the journal, and
// so does a Save As once the copy is on the disk. Closing writes nothing: the journal stays for the
// next start.
//
// Each editor keeps a journal of its own, "<hash of the path>-<token>.journal"
// with a token new at each Open, so editors of one file never write over each
// other's edits. A QLockFile beside it, taken on the writing thread before the
// first write, says its editor is running: a journal whose lock nobody holds
// is offered at the next Open of its file, merged with the others left for it.
class RecoveryJournal : public QObject {
  Q_OBJECT

 public:
  // How long after a step or a keystroke the journal is written.
  static constexpr int kDelayMs = 400;

  RecoveryJournal(TableDocument* document, const QString& folder);
  ~RecoveryJournal() override;

  // The folder for journals: $TREVALUNE_JOURNAL_DIR when set, else
  // "journals" in the user's application data folder.
  static QString DefaultFolder();
  // The journals in `folder` of the file at the absolute `path`, whoever
  // wrote them.
  static QStringList JournalsOf(const QString& folder, const QString& path);

  // What there is for the file just opened.
  enum class Found {
    Nothing,
    Journal,  // `offer` holds it; `message` may name broken ones set aside
    Broken,   // only broken journals, set aside as "<journal>.broken"; `message` says so
  };
  struct Offer {
    JournalContent content;     // every journal left for the file, merged
    bool file_changed = false;  // its size or checksum differs from a journal's
  };
  // The journals of the current file that no running editor holds are taken
  // (until the edits are written to this editor's journal, or declined).
  Found Check(Offer& offer, QString& message);
  // The user declined the journals of the current file: they are removed.
  void Discard();
  // The journals taken were not put back (the user put the question off, or
  // cancelled it later on): they are let go, left on the disk as they are
  // for the next start. This editor's own journal never takes their edits
  // in, so neither its writes nor a Save As remove them.
  void PutOff();

  // At a start with no file: the journals of the file whose journal was
  // written last, of those no running editor holds. Broken journals met on
  // the way are set aside and `message` names them.
  struct Latest {
    QStringList journals;
    JournalContent content;  // merged
  };
  static std::optional<Latest> FindLatest(const QString& folder, QString& message);
  static void Remove(const QStringList& journals);

  // The journal as the next write would put it, and writing it now (no wait
  // for the timer); Flush waits until every write asked for is on the disk.
  QByteArray Snapshot() const;
  std::uint32_t FileCrc() const;
  void WriteNow();
  void Flush();
  // This editor's journal of the current file (written or not yet).
  QString CurrentJournal() const { return journal_; }
  const QString& Folder() const { return folder_; }

 signals:
  // The journal of the current file could not be written; said once a file.
  void notWritten(const QString& message);

 private:
  void Opened();
  void SavedAs(bool durable);
  // A step completed or a keystroke typed: the journal is written once the
  // delay is over.
  void Edited();
  void Queue(std::function<void()> work);
  // Lets the lock of the journal go on the writing thread, if a write took it.
  void ReleaseLock();
  // On the writing thread: the lock of `journal`, the one held before let go.
  void HoldLock(const QString& journal);
  void Failed(const QString& journal, const QString& reason);

  TableDocument* document_;
  QString folder_;
  QString absolute_folder_;
  QString journal_;  // this editor's, of the current file; empty before an Open
  // Journals of the current file taken by Check, each with its lock held.
  std::vector<std::shared_ptr<TakenJournal>> adopted_;
  QStringList left_;  // this editor's journals of files it has left, locks maybe still held
  bool reported_ = false;
  std::int64_t file_size_ = 0;
  // Worked out from the document's image when a journal is first written or
  // compared, not on Open: a pass over the whole file that Open need not wait for.
  mutable std::optional<std::uint32_t> file_crc_;
  bool on_disk_ = false;  // a journal of this session may be on the disk
  QByteArray last_body_;  // the change list written last
  QTimer timer_;
  QThread thread_;
  QObject* worker_;
  std::unique_ptr<QLockFile> lock_;  // of `journal_`; used on the writing thread only
  bool lock_asked_ = false;          // a write that takes `lock_` was queued, its release not yet
};
