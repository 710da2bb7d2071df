// trevalune-cli run as a user runs it: a round trip that succeeds, and each
// way out (wrong arguments, refused input), checking what it says and what it
// writes; and the sample generator the same way.

#include <QDeadlineTimer>
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

#include "document/table_document.h"
#include "formats/change_list.h"
#include "formats/patch_texts.h"
#include "formats/table_csv.h"
#include "samplegen/sample_image.h"
#include "tests/support/file_helpers.h"
#include "tests/support/file_layout.h"
#include "tests/support/os_helpers.h"
#include "tests/support/text_refusals.h"

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
  // The program run: trevalune-cli unless another is named.
  QString program = {};
  // TREVALUNE_LANG, set when not null.
  const char* language = nullptr;
};

// Starts `process` and waits up to a minute for its end. Wine now and then
// fails to create a process, or a wait on one, under load; the program has
// then not run, or still runs, and is started or waited for again.
void RunToTheEnd(QProcess& process) {
  const QDeadlineTimer deadline(60000);
  for (int attempt = 0; attempt < 3; ++attempt) {
    process.start();
    if (process.waitForStarted(static_cast<int>(deadline.remainingTime())) ||
        process.error() != QProcess::FailedToStart)
      break;
  }
  while (process.state() != QProcess::NotRunning && !deadline.hasExpired())
    process.waitForFinished(static_cast<int>(deadline.remainingTime()));
  EXPECT_EQ(process.state(), QProcess::NotRunning) << "still running after a minute";
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_NE(process.error(), QProcess::FailedToStart) << process.errorString().toStdString();
}

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
    // The leak checker of a sanitized build cannot run under a tracer.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       asan + (asan.isEmpty() ? "" : ":") + QStringLiteral("detect_leaks=0"));
    process.setProcessEnvironment(environment);
    process.setProgram(strace);
    process.setArguments(QStringList{"-f", "-o", log, "-e",
                                     "trace=openat,write,fsync,fdatasync,rename,renameat,"
                                     "renameat2,linkat",
                                     QStringLiteral(TREVALUNE_CLI_PATH)} +
                         arguments);
    RunToTheEnd(process);
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
    if (start.language) {
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert(QStringLiteral("TREVALUNE_LANG"), QString::fromUtf8(start.language));
      process.setProcessEnvironment(environment);
    }
    if (start.through_bash) {
      process.setProgram(QStringLiteral("bash"));
      process.setArguments({QStringLiteral("-c"), QStringLiteral("exec '" TREVALUNE_CLI_PATH "' ") +
                                                      arguments.join(' ')});
    } else {
      process.setProgram(start.program.isEmpty() ? QStringLiteral(TREVALUNE_CLI_PATH)
                                                 : start.program);
      process.setArguments(arguments);
    }
    RunToTheEnd(process);
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

  // Read through a pipe, as a process substitution gives it; Windows has no
  // bash to make one, and reads the file itself.
#ifdef Q_OS_UNIX
  const CliRun imported =
      Invoke({"import", "a.exe", "<(cat spells.csv)", "--table", "spells", "-o", "b.exe"},
             Start{{}, {}, 0, true});
#else
  const CliRun imported =
      Invoke({"import", "a.exe", "spells.csv", "--table", "spells", "-o", "b.exe"});
#endif
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

  // With --lang en the captions are English, and read back without it.
  const CliRun english_diff = Invoke({"--lang", "en", "diff", "a.exe", "b.exe"});
  ASSERT_EQ(english_diff.exit_code, 0) << english_diff.err.toStdString();
  EXPECT_TRUE(english_diff.out.startsWith(QStringLiteral("Table,No.,Name,Column,In file,New\r\n")));
  EXPECT_TRUE(english_diff.out.contains(QStringLiteral("\r\nSpells,2,")));
  EXPECT_TRUE(english_diff.out.contains(QStringLiteral(",Mana,") + old_mana + "," + new_mana));
  ASSERT_TRUE(WriteText(Path("english.csv"), english_diff.out));
  ASSERT_EQ(Invoke({"apply", "a.exe", "english.csv", "-o", "d.exe"}).exit_code, 0);
  EXPECT_EQ(ReadBytes(Path("d.exe")), ReadBytes(Path("b.exe")));
  const CliRun english_table =
      Invoke({"export", "b.exe", "--table", "spells", "--lang=en", "-o", "english-spells.csv"});
  ASSERT_EQ(english_table.exit_code, 0) << english_table.err.toStdString();
  EXPECT_TRUE(QString::fromUtf8(QByteArray(reinterpret_cast<const char*>(
                                               ReadBytes(Path("english-spells.csv")).data()),
                                           32))
                  .contains(QStringLiteral("No.,Name,Level")));
  ASSERT_EQ(Invoke({"import", "a.exe", "english-spells.csv", "--table", "spells", "-o", "e.exe"})
                .exit_code,
            0);
  EXPECT_EQ(ReadBytes(Path("e.exe")), ReadBytes(Path("b.exe")));
  // TREVALUNE_LANG=en means --lang en: the answers and the captions are English.
  const CliRun by_environment =
      Invoke({"diff", "a.exe", "b.exe", "--separator", "x"}, Start{{}, {}, 0, false, {}, "en"});
  const CliRun english_captions =
      Invoke({"diff", "a.exe", "b.exe"}, Start{{}, {}, 0, false, {}, "en"});
  EXPECT_TRUE(by_environment.err.contains(QStringLiteral("unknown separator “x”")))
      << by_environment.err.toStdString();
  EXPECT_TRUE(english_captions.out.startsWith(QStringLiteral("Table,No.,Name")));

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
  ASSERT_TRUE(WriteText(Path("wide.csv"), QStringLiteral("№,Мана\r\n1,5053391522\r\n")));
  Bytes image = ReadBytes(Path("a.exe"));
  image.resize(5000);
  ASSERT_TRUE(WriteBytes(Path("short.exe"), image));
  image = ReadBytes(Path("a.exe"));
  image.insert(image.end(), {1, 2, 3});
  ASSERT_TRUE(WriteBytes(Path("long.exe"), image));
  ASSERT_TRUE(WriteText(Path("same.ips"), QStringLiteral("PATCHEOF")));
  // Other names of the executable and of the list: a second (hard) link, and
  // symbolic links where the system has them.
  ASSERT_TRUE(MakeHardLink(Path("a.exe"), Path("hard.exe")));
  ASSERT_TRUE(QDir(folder_.path()).mkdir("sub"));
#ifdef Q_OS_UNIX
  ASSERT_TRUE(QFile::link(QStringLiteral("a.exe"), Path("link.exe")));
  ASSERT_TRUE(QFile::link(Path("bad.csv"), Path("list-link.csv")));
#endif
  const QStringList files = FolderEntries(folder_.path());
  const Bytes executable = ReadBytes(Path("a.exe"));
  const Bytes list = ReadBytes(Path("bad.csv"));
  const QString over = QStringLiteral("записался бы поверх входного файла");
  const struct {
    QStringList arguments;
    int exit_code;
    bool on_stdout;
    QString text;
    const char* language = nullptr;  // TREVALUNE_LANG
  } cases[] = {
      {{"export", "a.exe", "--table", "heroes"}, 1, false, "неизвестная таблица «heroes»"},
      {{"apply", "a.exe", "c.csv"}, 1, false, "нужен параметр -o"},
      {{"--help"}, 0, true, "--allow-name-mismatch"},
      {{"--version"}, 0, true, "trevalune-cli " TREVALUNE_VERSION "\n"},
      {{"import", "a.exe", "bad.csv", "--table", "spells", "-o", "b.exe"},
       2,
       false,
       "bad.csv: строка 2, столбец 2: «много» не число"},
      {{"import", "a.exe", "wide.csv", "--table", "spells", "-o", "b.exe"},
       2,
       false,
       "wide.csv: строка 2, «Мана»: 5053391522 не помещается в поле (от 0 до 255)\n"
       "trevalune-cli: чтобы ограничить"},
      {{"import", "a.exe", "wide.csv", "--table", "spells", "-o", "b.exe", "--out-of-range", "cut"},
       1,
       false,
       "неизвестное значение --out-of-range «cut»: нужно limit или wrap"},
      {{"export", "a.exe", "--out-of-range", "wrap"}, 1, false, "--out-of-range не относится"},
      {{"diff", "a.exe", "none.exe"}, 2, false, "none.exe"},
      {{"export", "short.exe", "--table", "spells"}, 2, false, "--any-size"},
      // Patches keep the size rule of diff.
      {{"patch", "short.exe", "a.exe", "-o", "m.bps"}, 2, false, "«short.exe» не того размера"},
      {{"patch", "a.exe", "long.exe", "-o", "m.bps"}, 2, false, "«long.exe» не того размера"},
      {{"apply-patch", "long.exe", "same.ips", "-o", "out.exe"}, 2, false, "--any-size"},
      // A result never goes over an input, but for the executable it changes.
      {{"diff", "a.exe", "short.exe", "-o", "a.exe", "--any-size"}, 2, false, over},
      {{"patch", "a.exe", "a.exe", "-o", "./a.exe"}, 2, false, over + " «a.exe»"},
      {{"import", "a.exe", "bad.csv", "--table", "spells", "-o", "bad.csv"}, 2, false, over},
      {{"apply", "a.exe", "bad.csv", "-o", "bad.csv"}, 2, false, over + " «bad.csv»"},
      // ... whatever other name the input goes by: not even as a change list
      // instead of the executable, or as a report.
      {{"diff", "a.exe", "a.exe", "-o", "hard.exe"}, 2, false, over + " «a.exe»"},
      {{"patch", "a.exe", "a.exe", "-o", "hard.exe"}, 2, false, over},
      {{"export", "hard.exe", "--table", "spells", "-o", "a.exe"}, 2, false, over + " «hard.exe»"},
      {{"formula", "a.exe", "--table", "creatures", "--column", "Атака", "--expr", "value + 1",
        "--changes", "hard.exe"},
       2,
       false,
       "список изменений «hard.exe» " + over + " «a.exe»"},
      {{"apply", "a.exe", "bad.csv", "-o", "b.exe", "--report", "hard.exe"},
       2,
       false,
       "отчёт «hard.exe» записался бы поверх файла «a.exe»"},
      {{"diff", "a.exe", "a.exe", "-o", "sub/../a.exe"}, 2, false, over},
#ifdef Q_OS_WIN
      {{"diff", "a.exe", "a.exe", "-o", "A.EXE"}, 2, false, over},
#endif
#ifdef Q_OS_UNIX
      {{"formula", "a.exe", "--table", "creatures", "--column", "Атака", "--expr", "value + 1",
        "--changes", "link.exe"},
       2,
       false,
       over + " «a.exe»"},
      {{"formula", "link.exe", "--table", "creatures", "--column", "Атака", "--expr", "value + 1",
        "--changes", "a.exe"},
       2,
       false,
       over + " «link.exe»"},
      {{"formula", "a.exe", "--table", "creatures", "--column", "Атака", "--expr", "value + 1",
        "--changes", "./sub/../link.exe"},
       2,
       false,
       over},
      {{"import", "a.exe", "list-link.csv", "--table", "spells", "-o", "bad.csv"}, 2, false, over},
      {{"apply", "link.exe", "bad.csv", "-o", "b.exe", "--report", "a.exe"},
       2,
       false,
       "записался бы поверх файла «link.exe»"},
#endif
      // "-" is standard output for text alone.
      {{"diff", "a.exe", "a.exe", "-o", "-"}, 0, true, "Таблица,№,Название"},
      {{"patch", "a.exe", "a.exe", "-o", "-"}, 1, false, "не пишет в стандартный вывод"},
      {{"apply", "a.exe", "bad.csv", "-o", "b.exe", "--report", "-"}, 1, false, "--report файл"},
      // The same in English, with --lang en; Qt's words of the help stay English.
      {{"--lang", "en", "export", "a.exe", "--table", "heroes"},
       1,
       false,
       "unknown table “heroes”: creatures, buildings or spells expected\nHelp: trevalune-cli"},
      {{"import", "a.exe", "bad.csv", "--table", "spells", "-o", "b.exe", "--lang", "en"},
       2,
       false,
       "bad.csv: line 2, column 2: “много” is not a number"},
      {{"--lang", "en", "--help"}, 0, true, "Usage: trevalune-cli [options]"},
      {{"--help"}, 0, true, "Использование: trevalune-cli [параметры]"},
      {{"--lang", "de", "diff", "a.exe", "a.exe"},
       1,
       false,
       "неизвестный язык «de»: нужен ru или en"},
      // TREVALUNE_LANG means what --lang means, for the answers and the
      // captions alike; an unknown --lang is refused in its language.
      {{"--lang", "de", "diff", "a.exe", "a.exe"},
       1,
       false,
       "trevalune-cli: unknown language “de”: ru or en expected\n",
       "en"},
      {{"diff", "a.exe", "a.exe"}, 1, false, "неизвестный язык «de» в TREVALUNE_LANG", "de"},
      {{"diff", "a.exe", "a.exe", "-o", "-"}, 0, true, "Table,No.,Name", "en"},
      {{"diff", "a.exe", "a.exe", "-o", "-", "--lang", "ru"}, 0, true, "Таблица,№,Название", "en"},
      {{"diff", "a.exe", "none.exe"}, 2, false, "trevalune-cli: could not open", "en"},
      // Counts in their plural forms.
      {{"diff", "a.exe"}, 1, false, "команде diff нужно 2 файла, а указан 1\n"},
      {{"diff", "a.exe"}, 1, false, "the command diff needs 2 files, but 1 was given\n", "en"},
      {{"export", "a.exe", "a.exe", "a.exe", "a.exe", "a.exe"},
       1,
       false,
       "команде export нужен 1 файл, а указано 5\n"},
      {{"export", "a.exe", "a.exe", "--lang", "en"},
       1,
       false,
       "the command export needs 1 file, but 2 were given\n"},
      // Options named as typed, in our own words rather than the parser's.
      {{"export", "a.exe", "--bogus"}, 1, false, "trevalune-cli: неизвестный параметр --bogus\n"},
      {{"export", "a.exe", "-q", "--lang", "en"}, 1, false, "unknown option -q\n"},
      {{"export", "a.exe", "--table"}, 1, false, "параметру --table нужно значение\n"},
      {{"export", "a.exe", "--table", "--lang", "en"},
       1,
       false,
       "the option --table needs a value, but the option --lang follows it\n"},
      {{"export", "a.exe", "-o", "--table", "spells"},
       1,
       false,
       "параметру -o нужно значение, а за ним идёт параметр --table\n"},
      {{"export", "a.exe", "--any-size=yes"}, 1, false, "option --any-size takes no value\n", "en"},
      // formula: its arguments, its errors with their line and column, and its change list.
      {{"formula", "a.exe", "--table", "creatures", "--column", "Золото", "--expr", "1"},
       1,
       false,
       "ровно один из параметров -o и --changes"},
      {{"formula", "a.exe", "--table", "spells", "--column", "Золото", "--expr", "1", "-o", "b"},
       1,
       false,
       "в таблице spells нет столбца «Золото»; есть «Уровень», «Мана», «Альфа»\n"},
      // A column by its English caption too; the captions listed in the
      // language of the answers, in its quotes.
      {{"formula", "a.exe", "--table", "spells", "--column", "Gold", "--expr", "1", "-o", "b",
        "--lang", "en"},
       1,
       false,
       "the table spells has no column “Gold”; there are “Level”, “Mana”, “Alpha”\n"},
      {{"formula", "a.exe", "--table", "spells", "--column", "Wrong", "--expr", "1", "-o", "b"},
       1,
       false,
       "there are “Level”, “Mana”, “Alpha”\n",
       "en"},
      {{"formula", "a.exe", "--table", "creatures", "--column", "Gold", "--expr", "Здоровье / 10",
        "--where", "Мин_урон == 84", "--changes", "-"},
       0,
       true,
       "Существа,2,Жар Улнор,Золото,4983,1409\r\n"},
      {{"formula", "a.exe", "--table", "creatures", "--column", "Золото", "--expr", "Здоровье / 10",
        "--where", "Мин_урон == 84", "--changes", "-", "--lang", "en"},
       0,
       true,
       "Column,In file,New\r\nCreatures,2,Жар Улнор,Gold,4983,1409\r\n"},
      // An empty condition is no condition at all.
      {{"formula", "a.exe", "--table", "spells", "--column", "Мана", "--expr", "1", "--where", "",
        "--changes", "-"},
       2,
       false,
       "trevalune-cli: пустое условие\n"},
      {{"formula", "a.exe", "--table", "spells", "--column", "Мана", "--expr", "1", "--where",
        " \t ", "-o", "b.exe", "--lang", "en"},
       2,
       false,
       "trevalune-cli: empty condition\n"},
      {{"formula", "a.exe", "--column", "Мана", "--expr", "1", "-o", "b"},
       1,
       false,
       "нужен параметр --table"},
      {{"formula", "a.exe", "--table", "spells", "--column", "Мана", "--expr", "1 +\n  * 2", "-o",
        "b.exe"},
       2,
       false,
       "строка 2, столбец 3: здесь не может стоять «*»"},
      {{"formula", "a.exe", "--table", "spells", "--column", "Мана", "--expr", "Мана", "--where",
        "nothing > 1", "--changes", "-"},
       2,
       false,
       "условие: ошибка в формуле, строка 1, столбец 1: нет поля «nothing»"},
      {{"--lang", "en", "formula", "a.exe", "--table", "spells", "--column", "Мана", "--expr",
        "Mana + Levle", "-o", "b.exe"},
       2,
       false,
       "error in the formula, line 1, column 8: no field “Levle”; did you mean “Level”?"},
      // Texts that ran without end or crashed the script engine formulas once used.
      {{"formula", "a.exe", "--table", "creatures", "--column", "Атака", "--expr",
        "1); } finally {} }), (()=>{for(;;){}})(), (function(){ try { return (1", "-o", "b.exe"},
       2,
       false,
       "строка 1, столбец 2: здесь не может стоять скобка «)»"},
      {{"formula", "a.exe", "--table", "creatures", "--column", "Атака", "--expr",
        "Math.max(...new Array(1e6).fill(1))", "-o", "b.exe"},
       2,
       false,
       "«Math» — из прежних формул"},
      {{"formula", "a.exe", "--table", "creatures", "--column", "Золото", "--expr", "Здоровье / 10",
        "--where", "Мин_урон == 84", "--changes", "-"},
       0,
       true,
       "Столбец,В файле,Новое\r\nСущества,2,Жар Улнор,Золото,4983,1409\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const CliRun run = Invoke(c.arguments, Start{{}, {}, 0, false, {}, c.language});
    EXPECT_EQ(run.exit_code, c.exit_code);
    EXPECT_TRUE((c.on_stdout ? run.out : run.err).contains(c.text))
        << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(FolderEntries(folder_.path()), files);
    EXPECT_EQ(ReadBytes(Path("a.exe")), executable);
    EXPECT_EQ(ReadBytes(Path("bad.csv")), list);
  }
}

// A reader that closes its end of the pipe early (`| head`) wants no more:
// the rest is not written, and that is no failure, on either system.
TEST_F(Cli, AReaderThatClosesThePipeIsNoFailure) {
  ASSERT_TRUE(WriteBytes(Path("b.exe"), MakeSample(2).image));
  for (const QStringList& arguments :
       {QStringList{"diff", "a.exe", "b.exe"},
        QStringList{"export", "a.exe", "--table", "creatures"}, QStringList{"--help"}}) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    QProcess process;
    process.setWorkingDirectory(folder_.path());
    process.setProgram(QStringLiteral(TREVALUNE_CLI_PATH));
    process.setArguments(arguments);
    // Standard output is a pipe whose reader is gone before anything is written.
#ifdef Q_OS_WIN
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    ASSERT_TRUE(::CreatePipe(&reader, &writer, &inherited, 0));
    ::CloseHandle(reader);
    process.setCreateProcessArgumentsModifier([writer](QProcess::CreateProcessArguments* start) {
      start->startupInfo->hStdOutput = writer;
      start->inheritHandles = true;
    });
    RunToTheEnd(process);
    ::CloseHandle(writer);
#else
    int ends[2] = {-1, -1};
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const int writer = ends[1];
    process.setChildProcessModifier([writer] {
      // Ignored, as some shells and services leave it: the write fails with
      // EPIPE. (Otherwise the signal itself ends the program, quietly.)
      std::signal(SIGPIPE, SIG_IGN);
      ::dup2(writer, 1);
    });
    RunToTheEnd(process);
    ::close(writer);
#endif
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()), QString());
  }
}

// trevalune-sample reads its arguments as the other programs do: --help and
// --version answer, in Russian or in English, and write nothing; a wrong
// argument exits 1 and a file that cannot be written 2, with the reason; a
// name in any script names the file written, with the seed's own bytes. Its
// text ends its lines as the system does (\r\n on Windows).
TEST_F(Cli, TheSampleGeneratorAnswersAndWritesItsFile) {
  const struct {
    QStringList arguments;
    int exit_code;
    bool on_stdout;
    QString text;
    const char* written = nullptr;
    std::uint32_t seed = 1;
  } cases[] = {
      {{"--help"}, 0, true, "Использование: trevalune-sample [параметры] ФАЙЛ"},
      {{"--lang", "en", "--help"}, 0, true, "Usage: trevalune-sample [options] FILE"},
      {{"--version"}, 0, true, "trevalune-sample " TREVALUNE_VERSION},
      {{}, 1, false, "trevalune-sample: не указан файл"},
      {{"--seed", "-1", "s.exe"}, 1, false, "неверное зерно «-1»"},
      {{"s.exe", "t.exe"}, 1, false, "нужен один файл, а указано 2"},
      {{"--out", "s.exe"}, 1, false, "неизвестный параметр --out\n"},
      {{"s.exe", "--seed"}, 1, false, "trevalune-sample: параметру --seed нужно значение\n"},
      {{"--seed", "--lang", "en", "s.exe"},
       1,
       false,
       "the option --seed needs a value, but the option --lang follows it\n"},
      {{"--lang", "en", "--seed", "x", "s.exe"}, 1, false, "wrong seed “x”"},
      {{"--lang", "de", "s.exe"}, 1, false, "неизвестный язык «de»"},
      {{"none/s.exe"},
       2,
       false,
       QStringLiteral("trevalune-sample: не удалось записать файл «%1»: папка не существует\n")
           .arg(QDir::toNativeSeparators("none/s.exe"))},
      {{"--seed", "2", "второй образец.exe"}, 0, false, "", "второй образец.exe", 2},
      {{"--seed=4294967295", "s.exe"}, 0, false, "", "s.exe", 4294967295u},
      {{"образец.exe"}, 0, false, "", "образец.exe"},
  };
  const QStringList files = FolderEntries(folder_.path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const CliRun run =
        Invoke(c.arguments, Start{{}, {}, 0, false, QStringLiteral(TREVALUNE_SAMPLE_PATH)});
    EXPECT_EQ(run.exit_code, c.exit_code);
    // Lines end as the system ends them; the table's texts end in \n.
    const QString said = QString(c.on_stdout ? run.out : run.err).replace("\r\n", "\n");
    EXPECT_TRUE(said.contains(c.text)) << run.out.toStdString() << run.err.toStdString();
    if (c.written) {
      EXPECT_EQ(run.err, QString());
      EXPECT_TRUE(ReadBytes(Path(c.written)) == MakeSample(c.seed).image);
      EXPECT_TRUE(QFile::remove(Path(c.written)));
    }
    EXPECT_EQ(FolderEntries(folder_.path()), files);
  }
}

// formula writes the executable its change list describes, and says what it did.
TEST_F(Cli, AFormulaWritesWhatItsChangeListSays) {
  const QStringList formula = {"formula", "a.exe",  "--table",   "creatures", "--column",
                               "Атака",   "--expr", "value * 3", "--where",   "Скорость > 0"};
  const CliRun listed = Invoke(formula + QStringList{"--changes", "-"});
  ASSERT_EQ(listed.exit_code, 0) << listed.err.toStdString();
  const CliRun written = Invoke(formula + QStringList{"-o", "b.exe"});
  ASSERT_EQ(written.exit_code, 0) << written.err.toStdString();
  EXPECT_TRUE(written.err.contains(QStringLiteral("не поместились в поле (ограничены)")))
      << written.err.toStdString();
  EXPECT_EQ(Invoke({"diff", "a.exe", "b.exe"}).out, listed.out);
  EXPECT_GT(listed.out.count('\n'), 2);
}

// A file cut inside the spell records: the records past its end are never
// written, so apply, import and formula refuse to change them, naming each
// field, with exit 2 and nothing written, whatever else they were asked. A
// change inside the file is written, and only its bytes.
TEST_F(Cli, ChangesToRecordsPastTheEndOfAShortFileAreRefused) {
  Bytes image = ReadBytes(Path("a.exe"));
  image.resize(layout::SpellRecord(40) + 3);  // spell 40 cut after its Level byte
  ASSERT_TRUE(WriteBytes(Path("short.exe"), image));
  const TableSet names = LoadTablesFrom(image);
  const QString past = PastEndFieldText(FieldPlace(names, {kSpells, 50, 1}));
  const QString cut = PastEndFieldText(FieldPlace(names, {kSpells, 40, 1}));
  ASSERT_TRUE(
      WriteText(Path("past.csv"),
                QStringLiteral("Таблица,№,Столбец,В файле,Новое\n"
                               "Существа,1,Атака,%1,9\nЗаклинания,51,Уровень,0,9\n")
                    .arg(QString::fromStdString(FieldDisplayText(names, kCreatures, 0, 1)))));
  ASSERT_TRUE(WriteText(Path("spells.csv"), QStringLiteral("№,Уровень\n41,9\n51,9\n")));
  const QStringList files = FolderEntries(folder_.path());
  const struct {
    QStringList arguments;
    QStringList told;
  } cases[] = {
    {{"apply", "short.exe", "past.csv", "-o", "out.exe", "--any-size"}, {past}},
    {{"apply", "short.exe", "past.csv", "-o", "out.exe", "--any-size", "--force"}, {past}},
    {{"import", "short.exe", "spells.csv", "--table", "spells", "-o", "out.exe", "--any-size"},
     {cut, past}},
#if TREVALUNE_HAVE_BALANCE
    {{"formula", "short.exe", "--table", "spells", "--column", "Уровень", "--expr", "9", "-o",
      "out.exe", "--any-size"},
     {cut, past, QStringLiteral("ничего не записано")}},
    {{"formula", "short.exe", "--table", "spells", "--column", "Уровень", "--expr", "9",
      "--changes", "changes.csv", "--any-size"},
     {cut, past}},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const CliRun run = Invoke(c.arguments);
    EXPECT_EQ(run.exit_code, 2);
    for (const QString& text : c.told)
      EXPECT_TRUE(run.err.contains(text)) << run.err.toStdString();
    EXPECT_EQ(FolderEntries(folder_.path()), files);
    EXPECT_EQ(ReadBytes(Path("short.exe")), image);
  }

  // Inside the file the same commands write what they are asked, and only that.
  ASSERT_TRUE(WriteText(Path("inside.csv"), QStringLiteral("№,Уровень\n40,201\n")));
  const CliRun inside = Invoke(
      {"import", "short.exe", "inside.csv", "--table", "spells", "-o", "out.exe", "--any-size"});
  ASSERT_EQ(inside.exit_code, 0) << inside.err.toStdString();
  Bytes expected = image;
  expected[layout::SpellRecord(39)] = 201;
  EXPECT_EQ(ReadBytes(Path("out.exe")), expected);
}

// Values past their fields, the same in a table and in a change list: limited
// or wrapped as --out-of-range asks, with how many were, and refused without.
TEST_F(Cli, OutOfRangeLimitsOrWrapsValuesPastTheirFields) {
  ASSERT_TRUE(
      WriteText(Path("spells.csv"), QStringLiteral("№,Мана,Альфа\r\n4,512,\"-40 000,00\"\r\n")));
  ASSERT_TRUE(WriteText(Path("changes.csv"), QStringLiteral("Таблица,№,Столбец,В файле,Новое\r\n"
                                                            "Заклинания,4,Мана,0,512\r\n"
                                                            "Заклинания,4,Альфа,0,-40000\r\n")));
  const QStringList import = {"import", "a.exe", "spells.csv", "--table", "spells", "-o", "b.exe"};
  const QStringList apply = {"apply", "a.exe", "changes.csv", "-o", "b.exe", "--force"};
  const struct {
    const char* handling;
    int exit_code;
    QString message;
    std::int32_t mana, alpha;
  } cases[] = {
      {nullptr, 2, "«Альфа»: -40000 не помещается в поле (от -32768 до 32767)", 0, 0},
      {"limit", 0, "значений, не помещавшихся в поле, ограничено: 2", 255, -32768},
      {"wrap", 0, "значений, не помещавшихся в поле, оставлены младшие биты: 2", 0, 25536},
  };
  for (const QStringList& command : {import, apply})
    for (const auto& c : cases) {
      SCOPED_TRACE((command.front() + ' ' + (c.handling ? c.handling : "")).toStdString());
      QFile::remove(Path("b.exe"));
      const CliRun run =
          Invoke(c.handling ? command + QStringList{"--out-of-range", c.handling} : command);
      EXPECT_EQ(run.exit_code, c.exit_code);
      EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
      if (c.exit_code != 0) {
        EXPECT_FALSE(QFile::exists(Path("b.exe")));
        continue;
      }
      const TableSet out = LoadTablesFrom(ReadBytes(Path("b.exe")));
      EXPECT_EQ(FieldValue(out, kSpells, 3, 2), c.mana);
      EXPECT_EQ(FieldValue(out, kSpells, 3, 3), c.alpha);
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
      // The window's sentence, in the command line's style: no capital, no stop.
      QString message = ReadFailure(refusal);
      message[0] = message[0].toLower();
      message.chop(1);
      EXPECT_EQ(run.err, QStringLiteral("trevalune-cli: ") + message + '\n');
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
  ASSERT_TRUE(QDir(folder_.path()).mkpath("part/spells.csv"));
  const Bytes kept{'k', 'e', 'e', 'p', ' ', 'm', 'e'};
  ASSERT_EQ(Invoke({"diff", "a.exe", "other.exe", "-o", "changes.csv"}).exit_code, 0);
  for (const char* name : {"keep.csv", "out/creatures.csv", "b.exe"})
    ASSERT_TRUE(WriteBytes(Path(name), kept));
  const QString full = QStringLiteral("на диске недостаточно места");
  const QString too_big = QStringLiteral("файл слишком велик для этой файловой системы");
  const QString to_stdout = QStringLiteral("не удалось записать в стандартный вывод: ");
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
      // The last of three fails: the two written before it are named.
      {{"export", "a.exe", "-o", "part"},
       {},
       0,
       QStringLiteral("записаны только «%1», «%2», остальные таблицы не записаны")
           .arg(QDir::toNativeSeparators("part/creatures.csv"),
                QDir::toNativeSeparators("part/buildings.csv")),
       nullptr},
      // In English, in its quotes.
      {{"export", "a.exe", "-o", "part", "--lang", "en"},
       {},
       0,
       QStringLiteral("only “%1”, “%2” written, the other tables were not written")
           .arg(QDir::toNativeSeparators("part/creatures.csv"),
                QDir::toNativeSeparators("part/buildings.csv")),
       nullptr},
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
#ifndef Q_OS_UNIX
    // A full device and a limit on the size of a file are Unix's.
    if (c.size_limit != 0 || !c.output.isEmpty())
      continue;
#endif
    const CliRun run =
        Invoke(c.arguments, Start{QProcess::nullDevice(), c.output, c.size_limit, false});
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

// A patch made by `patch` turns the original into the modded file in both
// formats; apply-patch refuses, exiting 2 with the reason and writing nothing,
// a patch for another file, one that changes bytes outside the table fields
// (unless allowed), a cut one, a damaged one and a file that is no patch.
TEST_F(Cli, PatchesAreMadeAppliedAndRefused) {
  const Bytes original = ReadBytes(Path("a.exe"));
  Bytes modded = original;
  modded[CrRecordsOffset + 26 * 5 + 12] ^= 0x21;  // the attack of creature 6
  ASSERT_TRUE(WriteBytes(Path("mod.exe"), modded));
  Bytes other = modded;
  other[100] ^= 0xFF;
  other[CrRecordsOffset + 17] ^= 0x01;  // a creature's byte that no column shows
  ASSERT_TRUE(WriteBytes(Path("other-bytes.exe"), other));
  ASSERT_TRUE(WriteBytes(Path("b.exe"), MakeSample(2).image));
  for (const char* format : {"bps", "ips"}) {
    const QString name = QStringLiteral("mod.") + format;
    const CliRun made = Invoke({"patch", "a.exe", "mod.exe", "-o", name, "--format", format});
    ASSERT_EQ(made.exit_code, 0) << made.err.toStdString();
    EXPECT_EQ(made.err, QString());
    ASSERT_EQ(Invoke({"apply-patch", "a.exe", name, "-o", "out.exe"}).exit_code, 0) << format;
    EXPECT_TRUE(ReadBytes(Path("out.exe")) == modded) << format;
    ASSERT_TRUE(QFile::remove(Path("out.exe")));
  }
  const CliRun outside = Invoke({"patch", "a.exe", "other-bytes.exe", "-o", "other.bps"});
  ASSERT_EQ(outside.exit_code, 0);
  EXPECT_TRUE(outside.err.contains("внимание")) << outside.err.toStdString();

  Bytes patch = ReadBytes(Path("mod.ips"));
  ASSERT_TRUE(WriteBytes(Path("cut.ips"), Bytes(patch.begin(), patch.end() - 4)));
  patch = ReadBytes(Path("mod.bps"));
  patch[patch.size() / 2] ^= 0x40;
  ASSERT_TRUE(WriteBytes(Path("damaged.bps"), patch));
  ASSERT_TRUE(WriteBytes(Path("garbage.bps"), Bytes(64, 0x5A)));
  // IPS cutting the file after "EOF": to 1,000 bytes, and to just past the records.
  const auto write_cut = [this](const char* name, std::size_t size) {
    Bytes cut{'P', 'A', 'T', 'C', 'H', 'E', 'O', 'F'};
    for (int shift = 16; shift >= 0; shift -= 8)
      cut.push_back(static_cast<std::uint8_t>(size >> shift));
    ASSERT_TRUE(WriteBytes(Path(name), cut));
  };
  write_cut("cut.1000.ips", 1000);
  // The last record is the lone building's.
  const std::size_t records_end = BlLoneRecordOffset + BlRecordSize;
  write_cut("cut.tail.ips", records_end + 10);
  const QString too_short =
      QStringLiteral(
          "патч меняет размер файла с 1208393 до 1000 байт, а записи таблиц кончаются на смещении "
          "%1: такой файл уже не открыть")
          .arg(records_end);

  const struct {
    const char* file;
    const char* patch;
    QString message;
    QStringList options = {};
  } refusals[] = {
      {"b.exe", "mod.bps", PatchRefusalText(PatchRefusal::kWrongSource)},
      {"a.exe", "other.bps",
       "патч меняет 2 байта вне записей таблиц, первый по смещению 0x000064 (100); чтобы "
       "применить его всё же, добавьте --allow-other-bytes"},
      {"a.exe", "cut.ips", PatchRefusalText(PatchRefusal::kCut)},
      {"a.exe", "damaged.bps", PatchRefusalText(PatchRefusal::kBadPatchChecksum)},
      {"a.exe", "garbage.bps", PatchRefusalText(PatchRefusal::kUnknownFormat)},
      {"a.exe", "none.bps", "none.bps"},
      {"a.exe", "cut.1000.ips", too_short},
      {"a.exe", "cut.1000.ips", too_short, {"--allow-other-bytes"}},
      {"a.exe", "cut.tail.ips",
       QStringLiteral("патч меняет размер файла с 1208393 до %1 байт; чтобы применить его всё "
                      "же, добавьте --allow-other-bytes")
           .arg(records_end + 10)},
  };
  const QStringList files = FolderEntries(folder_.path());
  for (const auto& refusal : refusals) {
    SCOPED_TRACE(refusal.patch);
    const CliRun run = Invoke(
        QStringList{"apply-patch", refusal.file, refusal.patch, "-o", "out.exe"} + refusal.options);
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_TRUE(run.err.contains(refusal.message)) << run.err.toStdString();
    EXPECT_EQ(FolderEntries(folder_.path()), files);
  }
  const CliRun allowed =
      Invoke({"apply-patch", "a.exe", "other.bps", "-o", "out.exe", "--allow-other-bytes"});
  ASSERT_EQ(allowed.exit_code, 0) << allowed.err.toStdString();
  EXPECT_TRUE(ReadBytes(Path("out.exe")) == other);

  // Files of another size with --any-size, both ways.
  Bytes longer = original;
  longer.insert(longer.end(), {1, 2, 3});
  ASSERT_TRUE(WriteBytes(Path("long.exe"), longer));
  const CliRun grown =
      Invoke({"patch", "a.exe", "long.exe", "-o", "grow.ips", "--format", "ips", "--any-size"});
  ASSERT_EQ(grown.exit_code, 0) << grown.err.toStdString();
  EXPECT_TRUE(grown.err.contains("патч меняет размер файла с 1208393 до 1208396 байт"))
      << grown.err.toStdString();
  const CliRun onto_longer =
      Invoke({"apply-patch", "long.exe", "mod.ips", "-o", "out.exe", "--any-size"});
  ASSERT_EQ(onto_longer.exit_code, 0) << onto_longer.err.toStdString();
  Bytes longer_modded = modded;
  longer_modded.insert(longer_modded.end(), {1, 2, 3});
  EXPECT_TRUE(ReadBytes(Path("out.exe")) == longer_modded);
}

// Lists applied together: a field two lists set to different values refuses
// them all, naming both lists and values, until --prefer picks one; the same
// value twice agrees; the report says where each change came from.
TEST_F(Cli, SeveralChangeListsMergeOrRefuseTheirConflicts) {
  const TableSet tables = LoadTablesFrom(ReadBytes(Path("a.exe")));
  const FieldRef contested{kCreatures, 0, 1};
  const FieldRef agreed{kCreatures, 1, 1};
  const FieldRef only_later{kSpells, 2, 1};
  // A value the field does not hold now.
  const auto other_than = [&](const FieldRef& field, int value) {
    return FieldValue(tables, field.table, field.entry, field.column) == value ? value + 1 : value;
  };
  const int first = other_than(contested, 11);
  const int second = first == 12 ? 13 : other_than(contested, 12);
  const auto row = [&](const FieldRef& field, int value) {
    return QStringLiteral("%1,%2,%3,%4,%5\r\n")
        .arg(QString::fromUtf8(TabCaptions[field.table]))
        .arg(field.entry + 1)
        .arg(QString::fromUtf8(HeaderCaptions[field.table][field.column]),
             QString::fromStdString(
                 FieldDisplayText(tables, field.table, field.entry, field.column)))
        .arg(value);
  };
  const QString header = QStringLiteral("Таблица,№,Столбец,В файле,Новое\r\n");
  const int same = other_than(agreed, 7);
  const int level = other_than(only_later, 3);
  ASSERT_TRUE(WriteText(Path("early.csv"), header + row(contested, first) + row(agreed, same)));
  ASSERT_TRUE(WriteText(Path("late.csv"), header + row(contested, second) + row(agreed, same) +
                                              row(only_later, level)));

  const QStringList files = FolderEntries(folder_.path());
  const CliRun refused = Invoke({"apply", "a.exe", "early.csv", "late.csv", "-o", "out.exe"});
  EXPECT_EQ(refused.exit_code, 2);
  EXPECT_TRUE(refused.err.contains(
      QStringLiteral("«Атака»: early.csv — %1, late.csv — %2").arg(first).arg(second)))
      << refused.err.toStdString();
  EXPECT_EQ(refused.err.count(QStringLiteral("конфликт:")), 1) << refused.err.toStdString();
  EXPECT_EQ(FolderEntries(folder_.path()), files);

  const struct {
    const char* prefer;
    int contested_value;
    QString contested_from;
  } choices[] = {{"later", second, "late.csv"}, {"earlier", first, "early.csv"}};
  for (const auto& choice : choices) {
    SCOPED_TRACE(choice.prefer);
    const CliRun run = Invoke({"apply", "a.exe", "early.csv", "late.csv", "-o", "out.exe",
                               "--prefer", choice.prefer, "--report", "report.csv"});
    ASSERT_EQ(run.exit_code, 0) << run.err.toStdString();
    const TableSet out = LoadTablesFrom(ReadBytes(Path("out.exe")));
    EXPECT_EQ(FieldValue(out, kCreatures, 0, 1), choice.contested_value);
    EXPECT_EQ(FieldValue(out, kCreatures, 1, 1), same);
    EXPECT_EQ(FieldValue(out, kSpells, 2, 1), level);
    const Bytes bytes = ReadBytes(Path("report.csv"));
    const QStringList report = QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<qsizetype>(bytes.size()))
                                   .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(report.size(), 4) << report.join('\n').toStdString();
    EXPECT_TRUE(report[0].endsWith(QStringLiteral(",Список")));
    EXPECT_TRUE(report[1].endsWith(
        QStringLiteral(",%1,%2").arg(choice.contested_value).arg(choice.contested_from)))
        << report[1].toStdString();
    EXPECT_TRUE(report[2].endsWith(QStringLiteral(",%1,\"early.csv; late.csv\"").arg(same)))
        << report[2].toStdString();
    EXPECT_TRUE(report[3].endsWith(QStringLiteral(",%1,late.csv").arg(level)))
        << report[3].toStdString();
  }

  // A report over a file of the command is refused before anything is written.
  QFile::remove(Path("out.exe"));
  for (const char* over : {"out.exe", "late.csv", "./a.exe"}) {
    SCOPED_TRACE(over);
    const QStringList before = FolderEntries(folder_.path());
    const Bytes list = ReadBytes(Path("late.csv"));
    const CliRun run = Invoke({"apply", "a.exe", "early.csv", "late.csv", "-o", "out.exe",
                               "--prefer", "later", "--report", over});
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("записался бы поверх"))) << run.err.toStdString();
    EXPECT_EQ(FolderEntries(folder_.path()), before);
    EXPECT_TRUE(ReadBytes(Path("late.csv")) == list);
  }

  // A report that cannot be written after the executable was: said, with its
  // reason and that the executable is written.
  const CliRun unreported = Invoke({"apply", "a.exe", "early.csv", "late.csv", "-o", "out.exe",
                                    "--prefer", "later", "--report", "missing/report.csv"});
  EXPECT_EQ(unreported.exit_code, 2);
  EXPECT_TRUE(unreported.err.contains(QStringLiteral("не удалось записать файл «%1»: ")
                                          .arg(QDir::toNativeSeparators("missing/report.csv"))))
      << unreported.err.toStdString();
  EXPECT_TRUE(unreported.err.contains(QStringLiteral("файл «out.exe» записан, не записан только")))
      << unreported.err.toStdString();
  EXPECT_EQ(FieldValue(LoadTablesFrom(ReadBytes(Path("out.exe"))), kSpells, 2, 1), level);

  // The check against the file stays: a list made for another file needs --force.
  Bytes changed = ReadBytes(Path("a.exe"));
  changed[CrRecordsOffset + 12] ^= 0x01;
  ASSERT_TRUE(WriteBytes(Path("changed.exe"), changed));
  const QStringList stale = {"apply", "changed.exe", "early.csv", "late.csv",
                             "-o",    "out2.exe",    "--prefer",  "later"};
  EXPECT_EQ(Invoke(stale).exit_code, 2);
  EXPECT_EQ(Invoke(stale + QStringList{"--force"}).exit_code, 0);
}

// check: every broken check as a CSV row, and its exit code (1 only for a
// broken error-level check, 2 for a bad file or bad notes); notes: the notes
// in force as text.
TEST_F(Cli, CheckListsBrokenChecksAndExitsByTheirLevel) {
  // The shipped creature checks, worked out here from the sample's fields.
  const TableSet tables = LoadTablesFrom(MakeSample(1).image);
  QStringList expected;
  bool error_broken = false;
  for (int entry = 0; entry < EntryCount(kCreatures); ++entry) {
    const auto field = [&](int column) { return FieldValue(tables, kCreatures, entry, column); };
    const QString prefix =
        QStringLiteral("Существа,%1,%2,")
            .arg(entry + 1)
            .arg(QString::fromStdString(EntryNameText(tables, kCreatures, entry)));
    if (field(3) > field(4)) {
      expected << prefix + QStringLiteral("Мин. урон не больше макс.,ошибка");
      error_broken = true;
    }
    if (field(3) < 0)
      expected << prefix + QStringLiteral("Мин. урон не меньше нуля,предупреждение");
    if (field(5) <= 0)
      expected << prefix + QStringLiteral("Здоровье больше нуля,предупреждение");
  }
  ASSERT_TRUE(error_broken) << "the sample breaks no error-level check: pick another seed";
  const CliRun shipped = Invoke({"check", "a.exe"});
  EXPECT_EQ(shipped.exit_code, 1) << shipped.err.toStdString();
  QStringList rows = shipped.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  ASSERT_FALSE(rows.isEmpty());
  EXPECT_EQ(rows.takeFirst(), QStringLiteral("Таблица,№,Название,Проверка,Уровень"));
  for (QString& row : rows)  // names with commas or quotes come quoted
    row.remove(u'"');
  EXPECT_EQ(rows, expected);

  // The other tables have no shipped checks.
  const CliRun spells = Invoke({"check", "a.exe", "--table", "spells", "--lang", "en"});
  EXPECT_EQ(spells.exit_code, 0) << spells.err.toStdString();
  EXPECT_EQ(spells.out, QStringLiteral("Table,No.,Name,Check,Level\r\n"));

  // Warnings and sane ranges alone exit 0, and name the range.
  ASSERT_TRUE(WriteText(Path("warn.json"), QStringLiteral(R"({"format": "trevalune-notes/1",
    "tables": {"creatures": {"fields": {"Скорость": {"min": 0, "max": 0}},
      "checks": [{"name": {"ru": "никогда", "en": "never"}, "condition": "0", "level": "warning"},
                 {"name": {"ru": "всегда"}, "condition": "1", "level": "error"}]}}})")));
  const CliRun warnings = Invoke({"check", "a.exe", "--notes", "warn.json", "--lang", "en"});
  EXPECT_EQ(warnings.exit_code, 0) << warnings.err.toStdString();
  const QStringList warning_rows = warnings.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  EXPECT_GT(warning_rows.filter(QStringLiteral(",never,warning")).size(), 60);
  EXPECT_TRUE(warning_rows.filter(QStringLiteral("always")).isEmpty());
  EXPECT_FALSE(warning_rows.filter(QStringLiteral(",Speed outside 0..0,warning")).isEmpty());

  // Bad notes and a missing file: 2, and nothing on standard output.
  ASSERT_TRUE(
      WriteText(Path("bad.json"),
                QStringLiteral("{\"format\": \"trevalune-notes/1\",\n \"tables\": {\"x\": {}}}")));
  const CliRun bad_notes = Invoke({"check", "a.exe", "--notes", "bad.json"});
  EXPECT_EQ(bad_notes.exit_code, 2);
  EXPECT_TRUE(bad_notes.out.isEmpty());
  EXPECT_TRUE(bad_notes.err.contains(QStringLiteral("строка 2, столбец 13")))
      << bad_notes.err.toStdString();
  EXPECT_EQ(Invoke({"check", "a.exe", "--notes", "none.json"}).exit_code, 2);
  EXPECT_EQ(Invoke({"check", "none.exe"}).exit_code, 2);
  EXPECT_EQ(Invoke({"notes", "--table", "creatures", "--notes", "bad.json"}).exit_code, 2);

  const CliRun notes =
      Invoke({"notes", "--table", "creatures", "--notes", "warn.json", "--lang", "en"});
  EXPECT_EQ(notes.exit_code, 0) << notes.err.toStdString();
  EXPECT_TRUE(notes.out.contains(QStringLiteral("Speed: signed integer, 1 byte")))
      << notes.out.toStdString();
  EXPECT_TRUE(notes.out.contains(QStringLiteral("0..0")));
  EXPECT_TRUE(notes.out.contains(QStringLiteral("never: 0")));
}

}  // namespace
