// The file stores: what every store promises, run over the disk and the
// memory store, then the disk's own ways: whole-file reads, and writes that
// replace a file only when the new one is complete.

#include "storage/file_store.h"
#include "storage/long_path.h"

#ifdef __linux__
#include <sys/mount.h>
#include <unistd.h>
#endif
#ifdef Q_OS_UNIX
#include <sys/resource.h>

#include <csignal>
#endif
#ifdef Q_OS_WIN
#include <windows.h>

#include <thread>
#endif
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "storage/file_identity.h"
#include "tests/support/file_helpers.h"
#include "tests/support/memory_file_store.h"
#include "tests/support/os_helpers.h"

namespace {

Bytes Pattern(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  return bytes;
}

// The disk in a folder of its own. Writes are made to fail past a size by the
// limit the system puts on the size of a file this process writes.
struct DiskStore {
  QString Path(const QString& name) const { return dir.filePath(name); }
  QStringList Names() const { return FolderEntries(dir.path()); }
  // False where the system has no such limit.
  bool LimitWrites(std::size_t bytes) {
#ifdef Q_OS_UNIX
    std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    rlimit limited = unlimited;
    limited.rlim_cur = bytes;
    return ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
#else
    static_cast<void>(bytes);
    return false;
#endif
  }
  void Unlimit() {
#ifdef Q_OS_UNIX
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
#endif
  }

  QTemporaryDir dir;
  QtFileStore store;
#ifdef Q_OS_UNIX
  rlimit unlimited{};
#endif
};

struct MemoryStore {
  QString Path(const QString& name) const { return QStringLiteral("/memory/") + name; }
  QStringList Names() const {
    QStringList names;
    for (const auto& [path, bytes] : store.files)
      names << path.mid(8);
    return names;
  }
  bool LimitWrites(std::size_t bytes) {
    store.capacity = bytes;
    return true;
  }
  void Unlimit() { store.capacity = std::numeric_limits<std::size_t>::max(); }

  MemoryFileStore store;
};

// What every store promises, as the document and the text files rely on it.
template <typename Store>
class FileStoreContract : public ::testing::Test {
 protected:
  Store files;
  QString reason;
};
using Stores = ::testing::Types<DiskStore, MemoryStore>;
TYPED_TEST_SUITE(FileStoreContract, Stores);

// Each write replaces the whole file, leaving nothing of a longer one's tail
// and nothing beside it; each read replaces what the buffer held. A text read
// takes a file of exactly its limit and refuses one byte more, with nothing
// read. Sizes cross the chunks a stream is read in.
TYPED_TEST(FileStoreContract, WhatIsWrittenReadsBackWhole) {
  FileStore& store = this->files.store;
  QString& reason = this->reason;
  const QString path = this->files.Path(QStringLiteral("a.exe"));
  Bytes back = Pattern(3, 1);
  for (const Bytes& bytes :
       {Pattern(1208393, 3), Pattern(64 * 1024 + 1, 5), Pattern(10, 9), Bytes{}}) {
    SCOPED_TRACE(bytes.size());
    reason = QStringLiteral("stale");
    ASSERT_TRUE(store.WriteAll(path, bytes, reason)) << reason.toStdString();
    EXPECT_TRUE(reason.isEmpty()) << reason.toStdString();  // no warning
    EXPECT_EQ(this->files.Names(), QStringList{QStringLiteral("a.exe")});
    ASSERT_TRUE(store.ReadAll(path, back, reason));
    EXPECT_EQ(back, bytes);
    const auto size = static_cast<std::int64_t>(bytes.size());
    QByteArray text = "old";
    ASSERT_TRUE(store.ReadText(path, {size, false}, text, reason)) << reason.toStdString();
    EXPECT_EQ(Bytes(text.begin(), text.end()), bytes);
    if (size > 0) {
      text = "old";
      EXPECT_FALSE(store.ReadText(path, {size - 1, false}, text, reason));
      EXPECT_EQ(reason, TooLargeReason(size - 1));
      EXPECT_TRUE(text.isEmpty());
    }
  }
}

// A write that fails says why and leaves the old file whole and nothing
// beside it; a file that is not there reads as nothing, with a reason.
TYPED_TEST(FileStoreContract, AFailedWriteOrReadChangesNothing) {
  FileStore& store = this->files.store;
  QString& reason = this->reason;
  const QString path = this->files.Path(QStringLiteral("keep.csv"));
  ASSERT_TRUE(store.WriteAll(path, Pattern(100, 1), reason));
  if (!this->files.LimitWrites(4096))
    GTEST_SKIP() << "no way to make a write fail here";
  const bool written = store.WriteAll(path, Pattern(64 * 1024, 2), reason);
  this->files.Unlimit();
  EXPECT_FALSE(written);
  EXPECT_FALSE(reason.isEmpty());
  Bytes back;
  ASSERT_TRUE(store.ReadAll(path, back, reason));
  EXPECT_EQ(back, Pattern(100, 1));
  EXPECT_EQ(this->files.Names(), QStringList{QStringLiteral("keep.csv")});

  back = Pattern(3, 1);
  QByteArray text = "old";
  reason.clear();
  EXPECT_FALSE(store.ReadAll(this->files.Path(QStringLiteral("none")), back, reason));
  EXPECT_TRUE(back.empty());
  EXPECT_EQ(reason.toStdString(), "файл не найден");
  EXPECT_FALSE(store.ReadText(this->files.Path(QStringLiteral("none")), {100, true}, text, reason));
  EXPECT_TRUE(text.isEmpty());
  EXPECT_EQ(reason.toStdString(), "файл не найден");
}

class FileStoreTest : public ::testing::Test {
 protected:
  QString Path(const QString& name) const { return dir.filePath(name); }

  QTemporaryDir dir;
  QtFileStore store;
  QString reason;
};

// A failed read leaves the buffer empty. A pipe would block forever; it is
// refused without being opened.
TEST_F(FileStoreTest, ReadRefusesWhatIsNotARegularFile) {
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
  std::vector<std::pair<QString, std::string>> refusals = {
      {Path(QStringLiteral("folder")), "это папка, а не файл"},
      {Path(QStringLiteral("missing")), "файл не найден"},
      {Path(QStringLiteral("no folder/missing")), "файл не найден"}};
#ifdef Q_OS_UNIX
  const QString pipe = Path(QStringLiteral("pipe"));
  ASSERT_TRUE(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
  refusals.push_back({pipe, "это не обычный файл"});
#endif
#ifdef Q_OS_UNIX
  refusals.push_back({QStringLiteral("/dev/null"), "это не обычный файл"});
#endif
  for (const auto& [path, why] : refusals) {
    SCOPED_TRACE(path.toStdString());
    Bytes out = Pattern(3, 1);
    EXPECT_FALSE(store.ReadAll(path, out, reason));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(reason.toStdString(), why);
  }
}

TEST_F(FileStoreTest, WriteThroughASymbolicLinkKeepsTheLink) {
  if (NoSymbolicLinks())
    GTEST_SKIP() << NoSymbolicLinks();
  const QString target = Path(QStringLiteral("target.exe"));
  const QString link = Path(QStringLiteral("link.exe"));
  ASSERT_TRUE(WriteBytes(target, Pattern(100, 1)));
  ASSERT_TRUE(QFile::link(QStringLiteral("target.exe"), link));  // a relative link
  ASSERT_TRUE(store.WriteAll(link, Pattern(100, 2), reason)) << reason.toStdString();
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(ReadBytes(target), Pattern(100, 2));
  // A link whose target does not exist yet gets its target created.
  const QString dangling = Path(QStringLiteral("dangling.exe"));
  ASSERT_TRUE(QFile::link(Path(QStringLiteral("later.exe")), dangling));
  ASSERT_TRUE(store.WriteAll(dangling, Pattern(5, 4), reason)) << reason.toStdString();
  EXPECT_TRUE(QFileInfo(dangling).isSymLink());
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("later.exe"))), Pattern(5, 4));
  // Links that go round lead nowhere: refused, and both stay links.
  const QString one = Path(QStringLiteral("one.exe"));
  const QString two = Path(QStringLiteral("two.exe"));
  ASSERT_TRUE(QFile::link(QStringLiteral("two.exe"), one));
  ASSERT_TRUE(QFile::link(QStringLiteral("one.exe"), two));
  EXPECT_FALSE(store.WriteAll(one, Pattern(5, 4), reason));
  EXPECT_EQ(reason, QStringLiteral("в пути слишком много символических ссылок"));
  EXPECT_TRUE(QFileInfo(one).isSymLink() && QFileInfo(two).isSymLink());
}

// Two paths name one file by what the system says of the file, not by their
// text: links and ".." are followed, a second (hard) link is the same file
// and a copy is not. A path with no file yet is the place a write would put
// its file: one with every other path to that place, never an existing file.
TEST_F(FileStoreTest, SameFileComparesFilesNotTheirPaths) {
  ASSERT_TRUE(WriteBytes(Path(QStringLiteral("a.exe")), Pattern(10, 1)));
  ASSERT_TRUE(WriteBytes(Path(QStringLiteral("copy.exe")), Pattern(10, 1)));
  ASSERT_TRUE(MakeHardLink(Path(QStringLiteral("a.exe")), Path(QStringLiteral("hard.exe"))));
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("sub/inner")));
  struct Case {
    const char* one;
    const char* other;
    bool same;
  };
  std::vector<Case> cases = {
      {"a.exe", "a.exe", true},
      {"a.exe", "sub/../a.exe", true},
      {"a.exe", "./sub/inner/./../../a.exe", true},
      {"a.exe", "hard.exe", true},
      {"a.exe", "copy.exe", false},
      {"a.exe", "missing.exe", false},
      {"a.exe", "a.exe/missing.exe", false},
      {"missing.exe", "sub/../missing.exe", true},
      {"missing.exe", "none/../missing.exe", true},
      {"missing.exe", "sub/missing.exe", false},
      {"missing.exe", "other.exe", false},
  };
#ifdef Q_OS_WIN
  // Windows' names do not tell case.
  cases.insert(cases.end(),
               {{"a.exe", "A.EXE", true}, {"missing.exe", "sub/../MISSING.exe", true}});
#else
  const auto link = [this](const char* target, const char* name) {
    return ::symlink(target, QFile::encodeName(Path(QString::fromUtf8(name))).constData()) == 0;
  };
  ASSERT_TRUE(link("a.exe", "link.exe"));
  ASSERT_TRUE(link("link.exe", "chain.exe"));
  ASSERT_TRUE(link("../a.exe", "sub/up.exe"));
  ASSERT_TRUE(link("sub", "folder"));
  ASSERT_TRUE(link("sub/inner", "deep"));
  ASSERT_TRUE(link("later.exe", "dangling.exe"));
  // A name that is not UTF-8, as a Windows-1251 name on Linux: Qt reads its
  // byte as U+FFFD.
  ASSERT_TRUE(WriteBytes(Path(QStringLiteral("x")), Pattern(10, 2)));
  ASSERT_EQ(::rename(QFile::encodeName(Path(QStringLiteral("x"))).constData(),
                     (QFile::encodeName(dir.path()) + "/\xC0.exe").constData()),
            0);
  ASSERT_TRUE(link("\xC0.exe", "raw-link.exe"));
  cases.insert(cases.end(), {
                                {"link.exe", "a.exe", true},
                                {"chain.exe", "hard.exe", true},
                                {"sub/up.exe", "a.exe", true},
                                // ".." past a link to a folder: the system goes
                                // up from the folder linked to, Qt from the link.
                                {"deep/../up.exe", "a.exe", true},
                                {"deep/../a.exe", "a.exe", true},
                                {"folder/missing.csv", "sub/missing.csv", true},
                                {"folder/missing.csv", "missing.csv", false},
                                {"dangling.exe", "later.exe", true},
                                {"dangling.exe", "a.exe", false},
                                {"\uFFFD.exe", "raw-link.exe", true},
                                {"\uFFFD.exe", "a.exe", false},
                            });
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.one) + " and " + c.other);
    const QString one = Path(QString::fromUtf8(c.one));
    const QString other = Path(QString::fromUtf8(c.other));
    EXPECT_EQ(SameFile(one, other), c.same);
    EXPECT_EQ(SameFile(other, one), c.same);
  }
}

TEST_F(FileStoreTest, ReplacedFileKeepsItsPermissions) {
#ifdef Q_OS_UNIX
  // rwxr-x---: owner, group and others all different.
  const QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                        QFileDevice::ExeGroup;
  // What the current user may do is not part of the file's mode.
  const QFileDevice::Permissions current_user =
      QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
  const QString path = Path(QStringLiteral("tool.exe"));
  ASSERT_TRUE(WriteBytes(path, Pattern(10, 1)));
  ASSERT_TRUE(QFile::setPermissions(path, mode));
  ASSERT_TRUE(store.WriteAll(path, Pattern(10, 2), reason));
  EXPECT_EQ(QFile::permissions(path) & ~current_user, mode);
#else
  GTEST_SKIP() << "file modes are a Unix matter";
#endif
}

TEST_F(FileStoreTest, FailedWritesLeaveNothingBehind) {
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
  const QStringList before = FolderEntries(dir.path());
  const std::pair<QString, std::string> refusals[] = {
      {QStringLiteral("folder"), "это папка, а не файл"},
      {QStringLiteral("none/x.exe"), "папка не существует"},
      // Refused only when the new file is renamed into place. Windows words
      // a name past its limit in more than one way.
      {QString(300, QLatin1Char('n')), "слишком длинное имя файла"},
  };
  for (const auto& [name, why] : refusals) {
    SCOPED_TRACE(why);
    EXPECT_FALSE(store.WriteAll(Path(name), Pattern(4, 1), reason));
#ifdef Q_OS_WIN
    if (name.size() < 300) {
      EXPECT_EQ(reason.toStdString(), why);
    }
#else
    EXPECT_EQ(reason.toStdString(), why);
#endif
    EXPECT_EQ(FolderEntries(dir.path()), before);
  }
  EXPECT_TRUE(QFileInfo(Path(QStringLiteral("folder"))).isDir());
  EXPECT_TRUE(FolderEntries(Path(QStringLiteral("folder"))).isEmpty());
}

// A folder deeper than Windows' old limit of 260 characters is written into
// and read from like any other, and the paths the Windows calls get are made
// for it as Qt's file engine makes them.
TEST_F(FileStoreTest, FoldersPastTheOldWindowsPathLimitAreWrittenInto) {
  const QString deep =
      Path(QString(80, QLatin1Char('d')) + QStringLiteral("/") + QStringLiteral("Мои моды ") +
           QString(80, QLatin1Char('m')) + QStringLiteral("/") + QString(80, QLatin1Char('e')) +
           QStringLiteral("/") + QString(80, QLatin1Char('p')));
  ASSERT_TRUE(QDir().mkpath(deep));
  const QString path = deep + QStringLiteral("/HMM2PL.exe");
  ASSERT_GT(path.size(), 300);
  Bytes back;
  for (const Bytes& bytes : {Pattern(1000, 3), Pattern(10, 4)}) {
    ASSERT_TRUE(store.WriteAll(path, bytes, reason)) << reason.toStdString();
    ASSERT_TRUE(store.ReadAll(path, back, reason)) << reason.toStdString();
    EXPECT_EQ(back, bytes);
    EXPECT_EQ(FolderEntries(deep), QStringList{QStringLiteral("HMM2PL.exe")});
  }

  const QString long_name = QString(260, QLatin1Char('x'));
  const std::pair<QString, QString> forms[] = {
      {QStringLiteral("C:/a/b.exe"), QStringLiteral("C:\\a\\b.exe")},
      {QStringLiteral("b.exe"), QStringLiteral("b.exe")},
      {QStringLiteral("C:\\") + long_name + QStringLiteral("\\b.exe"),
       QStringLiteral("\\\\?\\C:\\") + long_name + QStringLiteral("\\b.exe")},
      {QStringLiteral("C:/x/../") + long_name + QStringLiteral("/./b.exe"),
       QStringLiteral("\\\\?\\C:\\") + long_name + QStringLiteral("\\b.exe")},
      {QStringLiteral("//server/share/") + long_name,
       QStringLiteral("\\\\?\\UNC\\server\\share\\") + long_name},
      {QStringLiteral("\\\\?\\C:\\") + long_name, QStringLiteral("\\\\?\\C:\\") + long_name},
      {QStringLiteral("relative/") + long_name, QStringLiteral("relative\\") + long_name},
  };
  for (const auto& [given, taken] : forms) {
    SCOPED_TRACE(given.toStdString());
    EXPECT_EQ(LongPathSafe(given).toStdString(), taken.toStdString());
  }
  // Just under the limit: as it is.
  const QString under = QStringLiteral("C:\\") + QString(256, QLatin1Char('u'));
  ASSERT_EQ(under.size(), 259);
  EXPECT_EQ(LongPathSafe(under), under);
  EXPECT_TRUE(LongPathSafe(under + QLatin1Char('u')).startsWith(QStringLiteral("\\\\?\\")));
}

// Windows lets a program keep others from replacing a file it holds: the game
// holds its executable while it runs, and a scanner or a viewer may hold a
// journal for a moment. A moment is waited out; a file held for good is
// refused, with the reason, and nothing changes.
TEST_F(FileStoreTest, AFileHeldByAnotherProgramIsWaitedForOrRefused) {
#ifdef Q_OS_WIN
  const QString path = Path(QStringLiteral("held.exe"));
  ASSERT_TRUE(WriteBytes(path, Pattern(10, 1)));
  const QStringList before = FolderEntries(dir.path());
  const auto hold = [&] {
    return ::CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
                         GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE held = hold();
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(store.WriteAll(path, Pattern(10, 2), reason));
  EXPECT_EQ(reason.toStdString(), "файл занят другой программой");
  EXPECT_EQ(FolderEntries(dir.path()), before);
  // Let go of while the store waits.
  std::thread release([held] {
    ::Sleep(100);
    ::CloseHandle(held);
  });
  EXPECT_TRUE(store.WriteAll(path, Pattern(10, 3), reason)) << reason.toStdString();
  release.join();
  EXPECT_EQ(ReadBytes(path), Pattern(10, 3));
  EXPECT_EQ(FolderEntries(dir.path()), before);
  // And a read goes through a handle that shares with the game's.
  held = hold();
  Bytes out;
  EXPECT_TRUE(store.ReadAll(path, out, reason)) << reason.toStdString();
  ::CloseHandle(held);
#else
  GTEST_SKIP() << "Unix does not let a program keep a file from being replaced";
#endif
}

TEST_F(FileStoreTest, ReadOnlyDestinationIsNotReplaced) {
  if (RunningAsSuperuser())
    GTEST_SKIP() << "the superuser writes every file";
  const QString path = Path(QStringLiteral("ro.exe"));
  ASSERT_TRUE(WriteBytes(path, Pattern(10, 1)));
  ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner));
  EXPECT_FALSE(store.WriteAll(path, Pattern(10, 2), reason));
  EXPECT_EQ(reason.toStdString(), "нет прав на запись в файл");
  EXPECT_EQ(ReadBytes(path), Pattern(10, 1));
}

// A real small file system, where the test may mount one (as root on Linux).
TEST_F(FileStoreTest, FullOrReadOnlyFileSystemIsReportedAndChangesNothing) {
#ifdef __linux__
  const QString mount_point = Path(QStringLiteral("small"));
  ASSERT_TRUE(QDir().mkpath(mount_point));
  const QByteArray where = QFile::encodeName(mount_point);
  if (::geteuid() != 0 || ::mount("tmpfs", where.constData(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "no small file system can be mounted here";
  struct Unmount {
    QByteArray where;
    ~Unmount() { ::umount2(where.constData(), MNT_DETACH); }
  } unmount{where};

  const QString path = mount_point + QStringLiteral("/game.exe");
  const Bytes existing = Pattern(16 * 1024, 1);
  ASSERT_TRUE(WriteBytes(path, existing));
  QStringList entries{QStringLiteral("game.exe")};
  const auto expect_refused = [&](const Bytes& bytes, const std::string& why) {
    EXPECT_FALSE(store.WriteAll(path, bytes, reason));
    EXPECT_EQ(reason.toStdString(), why);
    EXPECT_EQ(ReadBytes(path), existing);
    EXPECT_EQ(FolderEntries(mount_point), entries);
  };
  const std::string full = "на диске недостаточно места";
  // Partly written, then refused: Qt itself sees no error in the short write.
  expect_refused(Pattern(256 * 1024, 2), full);
  ASSERT_TRUE(WriteBytes(mount_point + QStringLiteral("/filler"), Pattern(48 * 1024, 3)));
  entries.prepend(QStringLiteral("filler"));
  expect_refused(Pattern(256 * 1024, 2), full);  // refused at the first byte
  expect_refused(Pattern(100, 2), full);         // refused when Qt's buffer is flushed

  ASSERT_EQ(::mount(nullptr, where.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  expect_refused(Pattern(100, 2), "файловая система доступна только для чтения");
#else
  GTEST_SKIP() << "mounts a file system the Linux way";
#endif
}

}  // namespace
