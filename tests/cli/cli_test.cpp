// trevalune-cli run as a user runs it: a round trip that succeeds, and each
// way out (wrong arguments, refused input), checking what it says and what it
// writes.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#ifdef Q_OS_UNIX
#include <sys/resource.h>

#include <csignal>
#endif

#include <gtest/gtest.h>

#include "../support/file_helpers.h"
#include "../support/text_refusals.h"
#include "sample_image.h"
#include "table_csv.h"

namespace {

struct CliRun {
  int exit_code = -1;
  QString out;
  QString err;
};

bool WriteText(const QString& path, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return WriteBytes(path, Bytes(utf8.begin(), utf8.end()));
}

// How the program is started besides its arguments.
struct Start {
  QString input;   // the file standard input reads, if any
  QString output;  // the file standard output goes to, if any
  // The size past which the program may not write a file (RLIMIT_FSIZE,
  // with SIGXFSZ ignored, so that a write fails with EFBIG); 0: none.
  std::uint64_t file_size_limit = 0;
  // Run by bash, for the arguments to be what bash makes of them.
  bool through_bash = false;
};

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    ASSERT_TRUE(WriteBytes(Path("a.exe"), MakeSample(1).image));
  }
  QString Path(const char* name) const { return QDir(folder_.path()).filePath(name); }
  // Runs the program under strace and returns the calls it made that put a
  // file on disk, one a line; empty where strace cannot trace it.
  QStringList Trace(const QStringList& arguments) const {
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
      return {};
    const QString log = Path("strace.log");
    QProcess process;
    process.setWorkingDirectory(folder_.path());
    process.start(strace, QStringList{"-f", "-o", log, "-e",
                                      "trace=openat,write,fsync,fdatasync,rename,renameat,"
                                      "renameat2,linkat",
                                      QStringLiteral(TREVALUNE_CLI_PATH)} +
                              arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const Bytes bytes = ReadBytes(log);
    QFile::remove(log);
    return QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size()))
        .split('\n', Qt::SkipEmptyParts);
  }
  CliRun Invoke(const QStringList& arguments, const Start& start = {}) const {
    QProcess process;
    process.setWorkingDirectory(folder_.path());
    if (!start.input.isEmpty())
      process.setStandardInputFile(start.input);
    if (!start.output.isEmpty())
      process.setStandardOutputFile(start.output);
#ifdef Q_OS_UNIX
    if (start.file_size_limit != 0) {
      const auto limit = static_cast<rlim_t>(start.file_size_limit);
      process.setChildProcessModifier([limit] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit sizes{};
        ::getrlimit(RLIMIT_FSIZE, &sizes);
        sizes.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &sizes);
      });
    }
#endif
    if (start.through_bash)
      process.start(QStringLiteral("bash"),
                    {QStringLiteral("-c"),
                     QStringLiteral("exec '" TREVALUNE_CLI_PATH "' ") + arguments.join(' ')});
    else
      process.start(QStringLiteral(TREVALUNE_CLI_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
  }

  QTemporaryDir folder_;
};

TEST_F(Cli, ExportImportDiffRoundTripExitsZero) {
  const CliRun exported = Invoke({"export", "a.exe", "--table", "spells", "--separator", ";"});
  ASSERT_EQ(exported.exit_code, 0) << exported.err.toStdString();
  EXPECT_TRUE(exported.out.startsWith(QStringLiteral("№;Название;Уровень;Мана;Альфа\r\n")));

  // (QString::fromUtf8 drops the byte-order mark.) The mana of spell 2 changes.
  QStringList lines = exported.out.split(QStringLiteral("\r\n"));
  QStringList fields = lines[2].split(';');
  const QString old_mana = fields[3];
  const QString new_mana =
      old_mana == QStringLiteral("7") ? QStringLiteral("8") : QStringLiteral("7");
  fields[3] = new_mana;
  lines[2] = fields.join(';');
  ASSERT_TRUE(WriteText(Path("spells.csv"), lines.join(QStringLiteral("\r\n"))));

  // Read through a pipe, as a process substitution gives it.
  const CliRun imported =
      Invoke({"import", "a.exe", "<(cat spells.csv)", "--table", "spells", "-o", "b.exe"},
             Start{{}, {}, 0, true});
  ASSERT_EQ(imported.exit_code, 0) << imported.err.toStdString();
  const CliRun diff = Invoke({"diff", "a.exe", "b.exe"});
  ASSERT_EQ(diff.exit_code, 0) << diff.err.toStdString();
  const QStringList changes = diff.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  ASSERT_EQ(changes.size(), 2) << diff.out.toStdString();
  EXPECT_TRUE(changes[1].startsWith(QStringLiteral("Заклинания,2,")));
  EXPECT_TRUE(changes[1].endsWith(QStringLiteral(",Мана,") + old_mana + "," + new_mana))
      << changes[1].toStdString();
  // The list, read from standard input, makes the same file again.
  ASSERT_TRUE(WriteText(Path("changes.csv"), diff.out));
  const CliRun applied =
      Invoke({"apply", "a.exe", "-", "-o", "c.exe"}, Start{Path("changes.csv"), {}, 0, false});
  ASSERT_EQ(applied.exit_code, 0) << applied.err.toStdString();
  EXPECT_EQ(ReadBytes(Path("c.exe")), ReadBytes(Path("b.exe")));

  // Every table into a folder.
  ASSERT_TRUE(QDir(folder_.path()).mkdir("out"));
  ASSERT_EQ(Invoke({"export", "a.exe", "-o", "out"}).exit_code, 0);
  for (const char* name : {"out/creatures.csv", "out/buildings.csv", "out/spells.csv"})
    EXPECT_FALSE(ReadBytes(Path(name)).empty()) << name;
}

// Wrong arguments exit with 1, refused input with 2 naming the file; what
// only answers or is refused writes nothing.
TEST_F(Cli, EachWayOutHasItsExitCodeAndItsMessage) {
  ASSERT_TRUE(WriteText(Path("bad.csv"), QStringLiteral("№,Мана\r\n1,много\r\n")));
  Bytes image = ReadBytes(Path("a.exe"));
  image.resize(5000);
  ASSERT_TRUE(WriteBytes(Path("short.exe"), image));
  const QStringList files = FolderEntries(folder_.path());
  const struct {
    QStringList arguments;
    int exit_code;
    bool on_stdout;
    QString text;
  } cases[] = {
      {{"export", "a.exe", "--table", "heroes"}, 1, false, "неизвестная таблица «heroes»"},
      {{"apply", "a.exe", "c.csv"}, 1, false, "нужен параметр -o"},
      {{"--help"}, 0, true, "--allow-name-mismatch"},
      {{"--version"}, 0, true, "trevalune-cli " TREVALUNE_VERSION "\n"},
      {{"import", "a.exe", "bad.csv", "--table", "spells", "-o", "b.exe"},
       2,
       false,
       "bad.csv: строка 2, столбец 2: «много» не число"},
      {{"diff", "a.exe", "none.exe"}, 2, false, "none.exe"},
      {{"export", "short.exe", "--table", "spells"}, 2, false, "--any-size"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const CliRun run = Invoke(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code);
    EXPECT_TRUE((c.on_stdout ? run.out : run.err).contains(c.text))
        << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(FolderEntries(folder_.path()), files);
  }
}

// A text file that cannot be read is refused at once with the window's own
// message (see the window's test over the same table), and nothing is written.
TEST_F(Cli, RefusesTextFilesItCannotRead) {
  const std::vector<TextRefusal> refusals = MakeTextRefusals(folder_.path());
  const QStringList files = FolderEntries(folder_.path());
  for (const TextRefusal& refusal : refusals) {
    if (!refusal.cli)
      continue;
    SCOPED_TRACE(refusal.path.toStdString());
    for (const QStringList& arguments :
         {QStringList{"import", "a.exe", refusal.path, "--table", "spells", "-o", "b.exe"},
          QStringList{"apply", "a.exe", refusal.path, "-o", "b.exe"}}) {
      const CliRun run = Invoke(arguments, Start{refusal.input, {}, 0, false});
      EXPECT_EQ(run.exit_code, 2);
      EXPECT_EQ(run.err, QStringLiteral("trevalune-cli: ") + ReadFailure(refusal) + '\n');
      EXPECT_EQ(FolderEntries(folder_.path()), files);
    }
  }
}

// Output that cannot be written, to standard output or to a file (one at a
// time, or one of three): exit 2 with the reason, and a file that was there
// keeps its bytes.
TEST_F(Cli, AFailedWriteExitsTwoAndKeepsWhatWasThere) {
  ASSERT_TRUE(WriteBytes(Path("other.exe"), MakeSample(2).image));
  ASSERT_TRUE(QDir(folder_.path()).mkdir("out"));
  const Bytes kept{'k', 'e', 'e', 'p', ' ', 'm', 'e'};
  ASSERT_EQ(Invoke({"diff", "a.exe", "other.exe", "-o", "changes.csv"}).exit_code, 0);
  for (const char* name : {"keep.csv", "out/creatures.csv", "b.exe"})
    ASSERT_TRUE(WriteBytes(Path(name), kept));
  const QString full = QStringLiteral("на диске недостаточно места");
  const QString too_big = QStringLiteral("файл слишком велик для этой файловой системы");
  const QString to_stdout = QStringLiteral("Не удалось записать в стандартный вывод: ");
  const struct {
    QStringList arguments;
    QString output;            // where standard output goes
    std::uint64_t size_limit;  // the largest file the program may write
    QString message;           // what the program says
    const char* kept;          // the file that must keep its bytes
  } cases[] = {
      {{"export", "a.exe", "--table", "creatures"}, "/dev/full", 0, to_stdout + full, nullptr},
      {{"export", "a.exe", "--table", "spells"}, "/dev/full", 0, to_stdout + full, nullptr},
      {{"diff", "a.exe", "other.exe"}, "/dev/full", 0, to_stdout + full, nullptr},
      {{"--help"}, "/dev/full", 0, to_stdout + full, nullptr},
      {{"export", "a.exe", "--table", "creatures", "-o", "keep.csv"},
       {},
       1024,
       "«keep.csv»: " + too_big,
       "keep.csv"},
      {{"export", "a.exe", "-o", "out"},
       {},
       1024,
       QStringLiteral("«%1»: ").arg(QDir::toNativeSeparators("out/creatures.csv")) + too_big,
       "out/creatures.csv"},
      {{"diff", "a.exe", "other.exe", "-o", "keep.csv"},
       {},
       1024,
       "«keep.csv»: " + too_big,
       "keep.csv"},
      {{"apply", "a.exe", "changes.csv", "-o", "b.exe"},
       {},
       1024 * 1024,
       "b.exe»: " + too_big,
       "b.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const CliRun run = Invoke(c.arguments, Start{"/dev/null", c.output, c.size_limit, false});
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
    if (c.kept) {
      EXPECT_EQ(ReadBytes(Path(c.kept)), kept) << c.kept;
    }
  }
}

// Where the trace finds `pattern`, from line `from` on; -1 when nowhere. The
// first group, if any, goes to `group`.
int FindCall(const QStringList& calls, int from, const QString& pattern, QString* group = nullptr) {
  const QRegularExpression expression(pattern);
  for (int i = std::max(from, 0); i < calls.size(); ++i) {
    const QRegularExpressionMatch match = expression.match(calls[i]);
    if (match.hasMatch()) {
      if (group)
        *group = match.captured(1);
      return i;
    }
  }
  return -1;
}

// A file replaced (a CSV, by rename) or made (the executable of Save As, by a
// link of the unnamed temporary file where the system has them): the new file
// is written and synced, then put in place, and then its folder is synced.
TEST_F(Cli, AWriteIsSyncedPutInPlaceAndItsFolderSynced) {
  ASSERT_EQ(Invoke({"export", "a.exe", "--table", "spells", "-o", "spells.csv"}).exit_code, 0);
  const QString folder = QRegularExpression::escape(QDir(folder_.path()).canonicalPath());
  for (const auto& [arguments, destination] :
       {std::pair{QStringList{"export", "a.exe", "--table", "spells", "-o", "spells.csv"},
                  QStringLiteral("spells.csv")},
        std::pair{QStringList{"import", "a.exe", "spells.csv", "--table", "spells", "-o", "b.exe"},
                  QStringLiteral("b.exe")}}) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    const QStringList calls = Trace(arguments);
    if (calls.isEmpty())
      GTEST_SKIP() << "strace is not installed or cannot trace here";
    QString file;
    int at = FindCall(
        calls, 0,
        QStringLiteral(R"(openat\(AT_FDCWD, "%1[^"]*", [^)]*O_(?:TMPFILE|CREAT)[^)]*\) = (\d+))")
            .arg(folder),
        &file);
    ASSERT_GE(at, 0) << calls.join('\n').toStdString();
    at = FindCall(calls, at + 1, QStringLiteral(R"(write\(%1, .*\) = [1-9])").arg(file));
    EXPECT_GE(at, 0) << "written";
    at = FindCall(calls, at + 1, QStringLiteral(R"(f(?:data)?sync\(%1\) += 0)").arg(file));
    EXPECT_GE(at, 0) << "synced";
    at = FindCall(calls, at + 1,
                  QStringLiteral(R"((?:rename|renameat2?|linkat)\(.*"%1/%2"[^"]*\) += 0)")
                      .arg(folder, QRegularExpression::escape(destination)));
    EXPECT_GE(at, 0) << "put in place";
    QString opened_folder;
    at = FindCall(
        calls, at + 1,
        QStringLiteral(R"(openat\(AT_FDCWD, "%1", [^)]*O_DIRECTORY[^)]*\) = (\d+))").arg(folder),
        &opened_folder);
    EXPECT_GE(at, 0) << "folder opened";
    at = FindCall(calls, at + 1, QStringLiteral(R"(fsync\(%1\) += 0)").arg(opened_folder));
    EXPECT_GE(at, 0) << "folder synced\n" << calls.join('\n').toStdString();
  }
}

}  // namespace
