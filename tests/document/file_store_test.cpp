// The disk layer: whole-file reads, and writes that replace a file only when
// the new one is complete.

#include "file_store.h"

#ifdef __linux__
#include <sys/mount.h>
#include <unistd.h>
#endif
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "../support/file_helpers.h"
#include "../support/os_helpers.h"

namespace {

class FileStoreTest : public ::testing::Test {
 protected:
  QString Path(const QString& name) const { return dir.filePath(name); }

  static Bytes Pattern(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
      bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
  }

  QTemporaryDir dir;
  QtFileStore store;
  QString reason;
};

// Each write replaces the file, leaving nothing of a longer one's tail, and
// each read replaces what the buffer held.
TEST_F(FileStoreTest, WritesAndReadsBackEveryByte) {
  const QString path = Path(QStringLiteral("a.exe"));
  Bytes back = Pattern(3, 1);
  for (const Bytes& bytes : {Pattern(1208393, 3), Pattern(10, 9), Bytes{}}) {
    SCOPED_TRACE(bytes.size());
    ASSERT_TRUE(store.WriteAll(path, bytes, reason)) << reason.toStdString();
    EXPECT_EQ(ReadBytes(path), bytes);
    ASSERT_TRUE(store.ReadAll(path, back, reason));
    EXPECT_EQ(back, bytes);
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("a.exe")});
  }
}

// A failed read leaves the buffer empty. A pipe would block forever; it is
// refused without being opened.
TEST_F(FileStoreTest, ReadRefusesWhatIsNotARegularFile) {
  ASSERT_TRUE(::mkfifo(QFile::encodeName(Path(QStringLiteral("pipe"))).constData(), 0600) == 0);
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
  const std::pair<const char*, std::string> refusals[] = {{"pipe", "это не обычный файл"},
                                                          {"folder", "это папка, а не файл"},
                                                          {"missing", "файл не найден"}};
  for (const auto& [name, why] : refusals) {
    SCOPED_TRACE(name);
    Bytes out = Pattern(3, 1);
    EXPECT_FALSE(store.ReadAll(Path(QString::fromUtf8(name)), out, reason));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(reason.toStdString(), why);
  }
}

TEST_F(FileStoreTest, WriteThroughASymbolicLinkKeepsTheLink) {
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
      // Refused only when the new file is renamed into place.
      {QString(300, QLatin1Char('n')), "слишком длинное имя файла"},
  };
  for (const auto& [name, why] : refusals) {
    SCOPED_TRACE(why);
    EXPECT_FALSE(store.WriteAll(Path(name), Pattern(4, 1), reason));
    EXPECT_EQ(reason.toStdString(), why);
    EXPECT_EQ(FolderEntries(dir.path()), before);
  }
  EXPECT_TRUE(QFileInfo(Path(QStringLiteral("folder"))).isDir());
  EXPECT_TRUE(FolderEntries(Path(QStringLiteral("folder"))).isEmpty());
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
