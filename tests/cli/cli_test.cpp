// trevalune-cli run as a user runs it: one case per way out (done, wrong
// arguments, refused input), checking what it says and what it writes.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "sample_image.h"
#include "table_csv.h"

namespace {

struct CliRun {
  int exit_code = -1;
  QString out;
  QString err;
};

CliRun RunCli(const QStringList& arguments, const QString& folder) {
  QProcess process;
  process.setWorkingDirectory(folder);
  process.start(QStringLiteral(TREVALUNE_CLI_PATH), arguments);
  EXPECT_TRUE(process.waitForFinished(60000));
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    const Bytes image = MakeSample(1).image;
    QFile file(Path("a.exe"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
  }
  QString Path(const char* name) const { return QDir(folder_.path()).filePath(name); }
  CliRun Invoke(const QStringList& arguments) const { return RunCli(arguments, folder_.path()); }

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
  QFile csv(Path("spells.csv"));
  ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
  csv.write(lines.join(QStringLiteral("\r\n")).toUtf8());
  csv.close();

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
    EXPECT_FALSE(ReadAll(Path(name)).isEmpty()) << name;
}

TEST_F(Cli, WrongArgumentsExitOneWithTheReason) {
  const CliRun unknown = Invoke({"export", "a.exe", "--table", "heroes"});
  EXPECT_EQ(unknown.exit_code, 1);
  EXPECT_TRUE(unknown.err.contains(QStringLiteral("неизвестная таблица «heroes»")));
  const CliRun no_output = Invoke({"apply", "a.exe", "c.csv"});
  EXPECT_EQ(no_output.exit_code, 1);
  EXPECT_TRUE(no_output.err.contains(QStringLiteral("нужен параметр -o")));
  const CliRun help = Invoke({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_TRUE(help.out.contains(QStringLiteral("--allow-name-mismatch")));
  EXPECT_EQ(Invoke({"--version"}).out.trimmed(), QStringLiteral("trevalune-cli 1.1"));
}

TEST_F(Cli, RefusedInputExitsTwoNamingTheFileAndWritesNothing) {
  QFile csv(Path("bad.csv"));
  ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
  csv.write(QStringLiteral("№,Мана\r\n1,много\r\n").toUtf8());
  csv.close();
  const CliRun refused = Invoke({"import", "a.exe", "bad.csv", "--table", "spells", "-o", "b.exe"});
  EXPECT_EQ(refused.exit_code, 2);
  EXPECT_TRUE(
      refused.err.contains(QStringLiteral("bad.csv: строка 2, столбец 2: «много» не число")))
      << refused.err.toStdString();
  EXPECT_FALSE(QFile::exists(Path("b.exe")));

  const CliRun missing = Invoke({"diff", "a.exe", "none.exe"});
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_TRUE(missing.err.contains(QStringLiteral("none.exe")));

  QFile short_file(Path("short.exe"));
  ASSERT_TRUE(short_file.open(QIODevice::WriteOnly));
  short_file.write(ReadAll(Path("a.exe")).left(5000));
  short_file.close();
  const CliRun other_size = Invoke({"export", "short.exe", "--table", "spells"});
  EXPECT_EQ(other_size.exit_code, 2);
  EXPECT_TRUE(other_size.err.contains(QStringLiteral("--any-size")));
}

}  // namespace
