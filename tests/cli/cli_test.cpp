// trevalune-cli run as a user runs it: a round trip that succeeds, and each
// way out (wrong arguments, refused input), checking what it says and what it
// writes.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "../support/file_helpers.h"
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

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    ASSERT_TRUE(WriteBytes(Path("a.exe"), MakeSample(1).image));
  }
  QString Path(const char* name) const { return QDir(folder_.path()).filePath(name); }
  CliRun Invoke(const QStringList& arguments) const {
    QProcess process;
    process.setWorkingDirectory(folder_.path());
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

  const CliRun imported =
      Invoke({"import", "a.exe", "spells.csv", "--table", "spells", "-o", "b.exe"});
  ASSERT_EQ(imported.exit_code, 0) << imported.err.toStdString();
  const CliRun diff = Invoke({"diff", "a.exe", "b.exe"});
  ASSERT_EQ(diff.exit_code, 0) << diff.err.toStdString();
  const QStringList changes = diff.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  ASSERT_EQ(changes.size(), 2) << diff.out.toStdString();
  EXPECT_TRUE(changes[1].startsWith(QStringLiteral("Заклинания,2,")));
  EXPECT_TRUE(changes[1].endsWith(QStringLiteral(",Мана,") + old_mana + "," + new_mana))
      << changes[1].toStdString();

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

}  // namespace
