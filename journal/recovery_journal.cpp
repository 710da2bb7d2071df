#include "journal/recovery_journal.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <functional>
#include <span>
#include <utility>

#include "document/table_document.h"
#include "formats/patch_formats.h"
#include "storage/file_store.h"

namespace {

const QString kSuffix = QStringLiteral(".journal");

QString NativePath(const QString& path) {
  return QDir::toNativeSeparators(path);
}

std::unique_ptr<QLockFile> LockOf(const QString& journal) {
  auto lock = std::make_unique<QLockFile>(journal + QStringLiteral(".lock"));
  // Held for as long as the file is open, however long: only a lock whose
  // process has ended is taken over.
  lock->setStaleLockTime(0);
  return lock;
}

// Qt takes a lock of an ended process over under a second lock file beside
// it, with ".rmlock" added to the name, and that one, if stale, under a third.
// A process ended while it made one of those leaves it empty, and Qt then
// takes none of them over for half a minute; one ended after it had removed
// the lock it took over, but before its own file went, leaves that file with
// no lock beside it. A maker holds its file locked from the moment it exists,
// so one that can be locked has nobody behind it and is removed, the
// innermost first. Says whether there were any.
bool RemoveUnheldTakeovers(const QString& path) {
  QStringList takeovers;
  for (QString next = path + QStringLiteral(".rmlock");
       QFileInfo::exists(next) && takeovers.size() < 3; next += QStringLiteral(".rmlock"))
    takeovers.prepend(next);
  for (const QString& takeover : std::as_const(takeovers))
    QLockFile(takeover).removeStaleLockFile();
  return !takeovers.isEmpty();
}

// Takes the lock unless a running process holds it, and removes the takeover
// files nobody holds. A lock file that says nothing of its owner was left by
// a process ended while it made the file (its name and process are written
// just after); with no stale time it would never be taken over, and its
// journal never offered again. One that has stayed so for a while is removed;
// one being made right now is left alone.
bool TakeLock(QLockFile& lock) {
  const QString path = lock.fileName();
  if (lock.tryLock(0)) {
    RemoveUnheldTakeovers(path);
    return true;
  }
  if (RemoveUnheldTakeovers(path) && lock.tryLock(0))
    return true;
  qint64 pid = 0;
  QString host, application;
  if (lock.getLockInfo(&pid, &host, &application))
    return false;
  const QDateTime made = QFileInfo(path).lastModified();
  if (!made.isValid() || qAbs(made.secsTo(QDateTime::currentDateTime())) < 10)
    return false;
  return lock.removeStaleLockFile() && lock.tryLock(0);
}

// Sets a broken journal aside, and says so.
QString SetAside(const QString& journal, const QString& file, const QString& problem) {
  const QString aside = journal + QStringLiteral(".broken");
  QFile::remove(aside);
  QFile::rename(journal, aside);
  const QString of =
      file.isEmpty()
          ? QString()
          : QCoreApplication::translate("RecoveryJournal", " файла «%1»").arg(NativePath(file));
  return QCoreApplication::translate(
             "RecoveryJournal",
             "Журнал несохранённых изменений%1 не прочитан (%2) и отложен как «%3».")
      .arg(of, problem, NativePath(aside));
}

// A journal holds at most every field with a typed text; one past this is
// no journal of ours, and is not read into memory.
constexpr qint64 kMaxJournalSize = 64 * 1024 * 1024;

bool ReadJournalFile(const QString& journal, QByteArray& bytes) {
  QFile file(journal);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  // Too large, it is read as far as the limit, and so found broken.
  bytes = file.read(kMaxJournalSize);
  return true;
}

// The first characters of a journal's name: the same for every editor's
// journal of one file.
QString HashOf(const QString& path) {
  const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1);
  return QString::fromLatin1(hash.toHex().left(24));
}

// The journals in `folder` whose names begin with `prefix`, newest first, as
// QDir::Time sorts them. The names are matched here rather than by a name
// filter, which Qt turns into a regular expression compiled anew for each
// listing: this runs at every Open.
QFileInfoList JournalFiles(const QString& folder, const QString& prefix) {
  QFileInfoList journals;
  for (QDirIterator it(folder, QDir::Files); it.hasNext();) {
    it.next();
    const QString name = it.fileName();
    if (name.startsWith(prefix, Qt::CaseInsensitive) && name.endsWith(kSuffix, Qt::CaseInsensitive))
      journals << it.fileInfo();
  }
  std::sort(journals.begin(), journals.end(), [](const QFileInfo& a, const QFileInfo& b) {
    const QDateTime a_time = a.lastModified();
    const QDateTime b_time = b.lastModified();
    return a_time != b_time ? a_time > b_time : a.fileName() < b.fileName();
  });
  return journals;
}

}  // namespace

// A journal of another editor, taken: its lock is held for as long as this
// lives.
struct TakenJournal {
  QString journal;
  std::unique_ptr<QLockFile> lock;
  JournalContent content;
};

namespace {

// Takes `lock` of `journal` and reads the journal: nothing when its editor is
// running or it cannot be read. A journal that is broken, or to which
// `objection` objects (a reason, empty for none), is set aside as one of
// `path` (none when empty), `message` names it, and it gives nothing either.
std::optional<JournalContent> LockAndRead(
    QLockFile& lock, const QString& journal, const QString& path,
    const std::function<QString(const JournalContent&)>& objection, QString& message) {
  if (!TakeLock(lock))
    return std::nullopt;  // its editor is running
  QByteArray bytes;
  if (!ReadJournalFile(journal, bytes))
    return std::nullopt;
  QString problem;
  std::optional<JournalContent> content = ReadJournal(bytes, problem);
  if (content) {
    if (QString objected = objection(*content); !objected.isEmpty()) {
      content.reset();
      problem = std::move(objected);
    }
  }
  if (!content) {
    if (!message.isEmpty())
      message += QLatin1Char('\n');
    message += SetAside(journal, path, problem);
  }
  return content;
}

// The journals of `path` in `folder` that no running editor holds, besides
// `own`, read and taken; broken ones are set aside, and `message` names them.
std::vector<std::shared_ptr<TakenJournal>> TakeJournals(const QString& folder, const QString& path,
                                                        const QString& own, QString& message) {
  std::vector<std::shared_ptr<TakenJournal>> taken;
  for (const QFileInfo& info : JournalFiles(folder, HashOf(path))) {
    const QString journal = info.absoluteFilePath();
    if (journal == own)
      continue;
    auto one = std::make_shared<TakenJournal>(TakenJournal{journal, LockOf(journal), {}});
    std::optional<JournalContent> content = LockAndRead(
        *one->lock, journal, path,
        [&path](const JournalContent& read) {
          return read.file == path
                     ? QString()
                     : QCoreApplication::translate("RecoveryJournal", "он о другом файле");
        },
        message);
    if (!content)
      continue;
    one->content = std::move(*content);
    taken.push_back(std::move(one));
  }
  return taken;
}

void RemoveTaken(const std::vector<std::shared_ptr<TakenJournal>>& taken) {
  for (const auto& one : taken)
    QFile::remove(one->journal);
}

// Lock files whose journal is gone and whose editor is no longer running: a
// killed editor leaves its lock behind. A running editor's lock is never
// taken, and one that also has a journal is left for that journal's offer.
void RemoveStaleLocks(const QString& folder) {
  const QString lock_suffix = kSuffix + QStringLiteral(".lock");
  for (const QFileInfo& info :
       QDir(folder).entryInfoList({QStringLiteral("*") + lock_suffix}, QDir::Files)) {
    const QString lock_path = info.absoluteFilePath();
    const QString journal = lock_path.chopped(5);
    if (QFileInfo::exists(journal))
      continue;
    const std::unique_ptr<QLockFile> lock = LockOf(journal);
    if (TakeLock(*lock))
      lock->unlock();
  }
  // Takeover files whose lock is gone.
  for (const QFileInfo& info : QDir(folder).entryInfoList(
           {QStringLiteral("*") + lock_suffix + QStringLiteral(".rmlock")}, QDir::Files)) {
    const QString lock_path = info.absoluteFilePath().chopped(7);
    if (!QFileInfo::exists(lock_path))
      RemoveUnheldTakeovers(lock_path);
  }
}

}  // namespace

RecoveryJournal::RecoveryJournal(TableDocument* document, const QString& folder)
    : QObject(document),
      document_(document),
      folder_(folder),
      absolute_folder_(QDir(folder).absolutePath()),
      worker_(new QObject) {
  timer_.setSingleShot(true);
  timer_.setInterval(kDelayMs);
  connect(&timer_, &QTimer::timeout, this, &RecoveryJournal::WriteNow);
  worker_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_.start();
  connect(document_, &TableDocument::opened, this, &RecoveryJournal::Opened);
  connect(document_, &TableDocument::savedAs, this, &RecoveryJournal::SavedAs);
  connect(&document_->History(), &DocumentHistory::stepCompleted, this, &RecoveryJournal::Edited);
  // Typing writes too: a value typed and not yet left (Enter keeps the cell)
  // is part of the document, and would otherwise wait for the visit's end.
  connect(&document_->History(), &DocumentHistory::typed, this, &RecoveryJournal::Edited);
  Queue([folder] { RemoveStaleLocks(folder); });
}

RecoveryJournal::~RecoveryJournal() {
  // Writes already asked for finish; nothing new is written.
  timer_.stop();
  Flush();
  thread_.quit();
  thread_.wait();
  adopted_.clear();
  lock_.reset();
}

QString RecoveryJournal::DefaultFolder() {
  const QString chosen = qEnvironmentVariable("TREVALUNE_JOURNAL_DIR");
  if (!chosen.isEmpty())
    return chosen;
  return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
         QStringLiteral("/journals");
}

QStringList RecoveryJournal::JournalsOf(const QString& folder, const QString& path) {
  QStringList journals;
  for (const QFileInfo& info : JournalFiles(folder, HashOf(path)))
    journals << info.absoluteFilePath();
  return journals;
}

void RecoveryJournal::Queue(std::function<void()> work) {
  QMetaObject::invokeMethod(worker_, std::move(work), Qt::QueuedConnection);
}

void RecoveryJournal::ReleaseLock() {
  // Only a write takes the lock: after none there is nothing to let go, and
  // the writing thread is not woken for it.
  if (!std::exchange(lock_asked_, false))
    return;
  Queue([this] { lock_.reset(); });
}

void RecoveryJournal::Flush() {
  QMetaObject::invokeMethod(
      worker_, [] {}, Qt::BlockingQueuedConnection);
}

namespace {

// A journal name of this editor's own for the file at `path`, in the absolute
// `folder`. The token comes from the system each time: a generator of our own
// would be copied into a forked process, which would then name its journals
// as this one does.
QString NewJournal(const QString& folder, const QString& path) {
  return QStringLiteral("%1/%2-%3%4")
      .arg(folder, HashOf(path))
      .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'))
      .arg(kSuffix);
}

}  // namespace

void RecoveryJournal::HoldLock(const QString& journal) {
  if (lock_ && lock_->fileName() == journal + QStringLiteral(".lock"))
    return;
  lock_.reset();
  QDir().mkpath(folder_);
  lock_ = LockOf(journal);
  // Without the lock the journal is still written: another editor may then
  // offer it too early, but nothing is lost.
  if (!TakeLock(*lock_))
    lock_.reset();
}

void RecoveryJournal::Failed(const QString& journal, const QString& reason) {
  // Back on the window's thread, and only about the file still open.
  QMetaObject::invokeMethod(
      this,
      [this, journal, reason] {
        if (journal != journal_)
          return;
        // The same edits are not taken for written: the next step writes
        // them again, and the first failure tries once more after the delay.
        last_body_.clear();
        if (reported_)
          return;
        reported_ = true;
        if (!timer_.isActive())
          timer_.start();
        emit notWritten(QCoreApplication::translate(
                            "RecoveryJournal",
                            "Несохранённые изменения файла «%1» не записываются в журнал для "
                            "восстановления: папка журнала недоступна для записи: %2. Папка "
                            "журнала: «%3».")
                            .arg(NativePath(document_->File().path), reason, NativePath(folder_)));
      },
      Qt::QueuedConnection);
}

void RecoveryJournal::Opened() {
  // The journal of the file left stays, its lock let go: its edits were not
  // saved.
  timer_.stop();
  if (!journal_.isEmpty())
    left_ << journal_;
  ReleaseLock();
  adopted_.clear();
  journal_ = NewJournal(absolute_folder_, document_->File().path);
  reported_ = false;
  file_size_ = static_cast<std::int64_t>(document_->File().image.size());
  file_crc_.reset();
  on_disk_ = false;
  last_body_.clear();
}

void RecoveryJournal::SavedAs(bool durable) {
  timer_.stop();
  const QString& path = document_->File().path;
  const bool moved = !QFileInfo(journal_).fileName().startsWith(HashOf(path));
  if (durable) {
    // The edits are in the copy now, those taken from other editors too.
    Queue([this, left = journal_, adopted = std::exchange(adopted_, {})] {
      QFile::remove(left);
      lock_.reset();
      RemoveTaken(adopted);
    });
    lock_asked_ = false;
  }
  // A journal left on the disk is this file's only when it was not moved from
  // and the copy may not last.
  on_disk_ = !durable && !moved;
  if (moved) {
    left_ << journal_;
    ReleaseLock();
    journal_ = NewJournal(absolute_folder_, path);
    reported_ = false;
    if (durable) {
      // Journals left for the destination were about a file that is no
      // longer there.
      Queue([folder = folder_, path, own = journal_] {
        QString ignored;
        RemoveTaken(TakeJournals(folder, path, own, ignored));
      });
    }
  }
  file_size_ = static_cast<std::int64_t>(document_->File().image.size());
  file_crc_.reset();
  last_body_.clear();
}

void RecoveryJournal::Edited() {
  // Not restarted by later steps or keystrokes: the journal is never more
  // than the delay (and one write) behind, however fast the user types.
  if (!timer_.isActive())
    timer_.start();
}

QByteArray RecoveryJournal::Snapshot() const {
  JournalContent content;
  content.file = document_->File().path;
  content.file_size = file_size_;
  content.file_crc = FileCrc();
  content.written = QDateTime::currentDateTimeUtc();
  content.entries = JournalEntries(*document_);
  if (content.entries.empty())
    return {};
  return WriteJournal(content);
}

std::uint32_t RecoveryJournal::FileCrc() const {
  if (!file_crc_) {
    const Bytes& image = document_->File().image;
    file_crc_ = Crc32(image);
  }
  return *file_crc_;
}

void RecoveryJournal::WriteNow() {
  timer_.stop();
  if (journal_.isEmpty() || !document_->IsLoaded())
    return;
  const QByteArray bytes = document_->History().IsClean() ? QByteArray() : Snapshot();
  if (bytes.isEmpty()) {
    if (on_disk_) {
      Queue([this, journal = journal_] {
        QFile::remove(journal);
        lock_.reset();
      });
      lock_asked_ = false;
      on_disk_ = false;
    }
    last_body_.clear();
    return;
  }
  // The same edits again (a step undone and redone) need no write.
  const QByteArray body = bytes.mid(bytes.indexOf("\n\n"));
  if (on_disk_ && body == last_body_)
    return;
  last_body_ = body;
  on_disk_ = true;
  // The journals taken from other editors go once this one holds their edits.
  lock_asked_ = true;
  Queue([this, journal = journal_, bytes, adopted = std::exchange(adopted_, {})] {
    HoldLock(journal);
    QtFileStore store;
    QString reason;
    const Bytes data(bytes.begin(), bytes.end());
    // Another program reading the journal (a scanner, a viewer) keeps it from
    // being replaced on Windows for a moment: this thread may wait that out.
    bool written = store.WriteAll(journal, data, reason);
    for (int attempt = 0; !written && attempt < 5; ++attempt) {
      QThread::msleep(200);
      written = store.WriteAll(journal, data, reason);
    }
    if (!written) {
      qWarning("Recovery journal %s not written: %s", qUtf8Printable(journal),
               qUtf8Printable(reason));
      Failed(journal, reason);
      return;
    }
    RemoveTaken(adopted);
  });
}

RecoveryJournal::Found RecoveryJournal::Check(Offer& offer, QString& message) {
  if (journal_.isEmpty())
    return Found::Nothing;
  const QString& path = document_->File().path;
  const QStringList journals = JournalsOf(folder_, path);
  if (journals.isEmpty())
    return Found::Nothing;
  // A journal this editor left earlier may still be locked by its thread.
  for (const QString& journal : journals) {
    if (left_.contains(journal)) {
      Flush();
      left_.clear();
      break;
    }
  }
  adopted_ = TakeJournals(folder_, path, journal_, message);
  if (adopted_.empty())
    return message.isEmpty() ? Found::Nothing : Found::Broken;
  std::vector<JournalContent> contents;
  offer.file_changed = false;
  for (const auto& one : adopted_) {
    offer.file_changed = offer.file_changed || one->content.file_size != file_size_ ||
                         one->content.file_crc != FileCrc();
    contents.push_back(one->content);
  }
  offer.content = MergeJournals(std::move(contents));
  return Found::Journal;
}

void RecoveryJournal::Discard() {
  if (adopted_.empty())
    return;
  Queue([adopted = std::exchange(adopted_, {})] { RemoveTaken(adopted); });
}

void RecoveryJournal::PutOff() {
  // Letting a lock go removes its file, and nothing is synced: no wait for
  // the disk.
  adopted_.clear();
}

void RecoveryJournal::Remove(const QStringList& journals) {
  for (const QString& journal : journals)
    QFile::remove(journal);
}

std::optional<RecoveryJournal::Latest> RecoveryJournal::FindLatest(const QString& folder,
                                                                   QString& message) {
  for (const QFileInfo& info : JournalFiles(folder, QString())) {
    const QString journal = info.absoluteFilePath();
    QString file;
    {
      const std::unique_ptr<QLockFile> lock = LockOf(journal);
      const std::optional<JournalContent> content = LockAndRead(
          *lock, journal, QString(),
          [&info](const JournalContent& read) {
            return info.fileName().startsWith(HashOf(read.file))
                       ? QString()
                       : QCoreApplication::translate("RecoveryJournal", "его имя не от его файла");
          },
          message);
      if (!content)
        continue;
      file = content->file;
    }
    // Every journal of that file, merged as an Open will merge them.
    const auto taken = TakeJournals(folder, file, QString(), message);
    if (taken.empty())
      continue;
    Latest latest;
    std::vector<JournalContent> contents;
    for (const auto& one : taken) {
      latest.journals << one->journal;
      contents.push_back(one->content);
    }
    latest.content = MergeJournals(std::move(contents));
    return latest;
  }
  return std::nullopt;
}
