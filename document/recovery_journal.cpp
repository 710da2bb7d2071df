#include "recovery_journal.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <algorithm>
#include <span>
#include <utility>

#include "crc32.h"
#include "file_store.h"
#include "table_document.h"

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

// Takes the lock unless a running process holds it. A lock file that says
// nothing of its owner was left by a process ended while it made the file
// (its name and process are written just after); with no stale time it would
// never be taken over, and its journal never offered again. One that has
// stayed so for a while is removed; one being made right now is left alone.
//
// Qt takes a lock of an ended process over under a second lock file beside
// it, with ".rmlock" added to the name, and that one, if stale, under a third.
// A process ended while it made one of those leaves it empty, and Qt then
// takes none of them over for half a minute. A maker holds its file locked
// from the moment it exists, so one that can be locked has nobody behind it
// and is removed, the innermost first.
bool TakeLock(QLockFile& lock) {
  if (lock.tryLock(0))
    return true;
  const QString path = lock.fileName();
  QStringList takeovers;
  for (QString next = path + QStringLiteral(".rmlock");
       QFileInfo::exists(next) && takeovers.size() < 3; next += QStringLiteral(".rmlock"))
    takeovers.prepend(next);
  if (!takeovers.isEmpty()) {
    for (const QString& takeover : std::as_const(takeovers))
      QLockFile(takeover).removeStaleLockFile();
    if (lock.tryLock(0))
      return true;
  }
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
      file.isEmpty() ? QString() : QStringLiteral(" файла «%1»").arg(NativePath(file));
  return QStringLiteral("Журнал несохранённых изменений%1 не прочитан (%2) и отложен как «%3».")
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

}  // namespace

RecoveryJournal::RecoveryJournal(TableDocument* document, const QString& folder)
    : QObject(document), document_(document), folder_(folder), worker_(new QObject) {
  QDir().mkpath(folder_);
  timer_.setSingleShot(true);
  timer_.setInterval(kDelayMs);
  connect(&timer_, &QTimer::timeout, this, &RecoveryJournal::WriteNow);
  worker_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_.start();
  connect(document_, &TableDocument::opened, this, &RecoveryJournal::Opened);
  connect(document_, &TableDocument::savedAs, this, &RecoveryJournal::SavedAs);
  connect(&document_->History(), &DocumentHistory::stepCompleted, this,
          &RecoveryJournal::StepCompleted);
}

RecoveryJournal::~RecoveryJournal() {
  // Writes already asked for finish; nothing new is written.
  timer_.stop();
  Flush();
  thread_.quit();
  thread_.wait();
}

QString RecoveryJournal::DefaultFolder() {
  const QString chosen = qEnvironmentVariable("TREVALUNE_JOURNAL_DIR");
  if (!chosen.isEmpty())
    return chosen;
  return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
         QStringLiteral("/journals");
}

QString RecoveryJournal::JournalPath(const QString& folder, const QString& path) {
  const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1);
  return folder + QLatin1Char('/') + QString::fromLatin1(hash.toHex().left(24)) + kSuffix;
}

void RecoveryJournal::Queue(std::function<void()> work) {
  QMetaObject::invokeMethod(worker_, std::move(work), Qt::QueuedConnection);
}

void RecoveryJournal::Flush() {
  QMetaObject::invokeMethod(
      worker_, [] {}, Qt::BlockingQueuedConnection);
}

void RecoveryJournal::ReleaseLock() {
  if (lock_)
    lock_->unlock();
  lock_.reset();
}

void RecoveryJournal::Opened() {
  // The journal of the file left stays: its edits were not saved.
  timer_.stop();
  Flush();
  ReleaseLock();
  journal_ = JournalPath(folder_, document_->TargetFileName());
  const Bytes& image = document_->Image();
  file_size_ = static_cast<std::int64_t>(image.size());
  file_crc_ = Crc32(std::span(image.data(), image.size()));
  on_disk_ = false;
  last_body_.clear();
  Lock();
}

void RecoveryJournal::Lock() {
  lock_ = LockOf(journal_);
  held_elsewhere_ = !TakeLock(*lock_);
  if (held_elsewhere_)
    lock_.reset();
}

void RecoveryJournal::SavedAs(bool durable) {
  timer_.stop();
  const QString left = journal_;
  if (durable) {
    // The edits are in the copy now; a journal left for the destination was
    // about a file that is no longer there.
    Queue([left] { QFile::remove(left); });
  }
  const QString next = JournalPath(folder_, document_->TargetFileName());
  // A journal left on the disk is this file's only when it was not moved from
  // and the copy may not last.
  on_disk_ = !durable && next == journal_;
  if (next != journal_) {
    ReleaseLock();
    journal_ = next;
    Lock();
    if (durable && !held_elsewhere_)
      Queue([next] { QFile::remove(next); });
  }
  const Bytes& image = document_->Image();
  file_size_ = static_cast<std::int64_t>(image.size());
  file_crc_ = Crc32(std::span(image.data(), image.size()));
  last_body_.clear();
}

void RecoveryJournal::StepCompleted() {
  // Not restarted by later steps: the journal is never more than the delay
  // (and one write) behind.
  if (!timer_.isActive())
    timer_.start();
}

QByteArray RecoveryJournal::Snapshot() const {
  JournalContent content;
  content.file = document_->TargetFileName();
  content.file_size = file_size_;
  content.file_crc = file_crc_;
  content.written = QDateTime::currentDateTimeUtc();
  content.entries = JournalEntries(*document_);
  if (content.entries.empty())
    return {};
  return WriteJournal(content, document_->Saved());
}

void RecoveryJournal::WriteNow() {
  timer_.stop();
  if (journal_.isEmpty() || held_elsewhere_ || !document_->IsLoaded())
    return;
  const QByteArray bytes = document_->History().IsClean() ? QByteArray() : Snapshot();
  if (bytes.isEmpty()) {
    if (on_disk_) {
      Queue([journal = journal_] { QFile::remove(journal); });
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
  Queue([journal = journal_, bytes] {
    QtFileStore store;
    QString reason;
    const Bytes data(bytes.begin(), bytes.end());
    if (!store.WriteAll(journal, data, reason) && !reason.isEmpty())
      qWarning("Recovery journal %s not written: %s", qUtf8Printable(journal),
               qUtf8Printable(reason));
  });
}

RecoveryJournal::Found RecoveryJournal::Check(Offer& offer, QString& message) {
  if (journal_.isEmpty())
    return Found::Nothing;
  if (held_elsewhere_) {
    message = QStringLiteral(
                  "Файл «%1» открыт и в другом окне редактора. Несохранённые изменения этого "
                  "окна не записываются в журнал для восстановления.")
                  .arg(NativePath(document_->TargetFileName()));
    return Found::Held;
  }
  Flush();
  QByteArray bytes;
  if (!QFileInfo::exists(journal_) || !ReadJournalFile(journal_, bytes))
    return Found::Nothing;
  QString problem;
  std::optional<JournalContent> content = ReadJournal(bytes, problem);
  if (content && content->file != document_->TargetFileName()) {
    content.reset();
    problem = QStringLiteral("он о другом файле");
  }
  if (!content) {
    message = SetAside(journal_, document_->TargetFileName(), problem);
    return Found::Broken;
  }
  offer.content = std::move(*content);
  offer.file_changed = offer.content.file_size != file_size_ || offer.content.file_crc != file_crc_;
  return Found::Journal;
}

void RecoveryJournal::Discard() {
  if (journal_.isEmpty() || held_elsewhere_)
    return;
  Flush();
  QFile::remove(journal_);
  on_disk_ = false;
  last_body_.clear();
}

void RecoveryJournal::Remove(const QString& journal) {
  QFile::remove(journal);
}

std::optional<RecoveryJournal::Latest> RecoveryJournal::FindLatest(const QString& folder,
                                                                   QString& message) {
  const QFileInfoList journals =
      QDir(folder).entryInfoList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::Time);
  for (const QFileInfo& info : journals) {
    const QString journal = info.absoluteFilePath();
    const std::unique_ptr<QLockFile> lock = LockOf(journal);
    if (!TakeLock(*lock))
      continue;  // its file is open in a running editor
    QByteArray bytes;
    if (!ReadJournalFile(journal, bytes))
      continue;
    QString problem;
    std::optional<JournalContent> content = ReadJournal(bytes, problem);
    if (content && JournalPath(folder, content->file) != journal) {
      content.reset();
      problem = QStringLiteral("его имя не от его файла");
    }
    if (!content) {
      if (!message.isEmpty())
        message += QLatin1Char('\n');
      message += SetAside(journal, QString(), problem);
      continue;
    }
    return Latest{journal, std::move(*content)};
  }
  return std::nullopt;
}
