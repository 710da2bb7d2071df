// Start-up: the command line as the editor reads it, and a file named on it
// opened in the main window once the window is shown.

#include "ui/startup.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

#include <gtest/gtest.h>

#include "formats/table_csv.h"
#include "generated/version.h"
#include "samplegen/sample_image.h"
#include "tests/support/image_helpers.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_form.h"
#include "ui/ui_language.h"
#include "ui/user_dialogs.h"

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// --- The command line --------------------------------------------------------

StartupRequest Parse(QStringList arguments) {
  arguments.prepend(QStringLiteral("trevalune"));
  return ParseCommandLine(arguments);
}

TEST(CommandLineTest, StartsWithAtMostOneFile) {
  const struct {
    QStringList arguments;
    QString file;
  } cases[] = {
      {{}, QString()},
      {{QStringLiteral("HMM2PL.exe")}, QStringLiteral("HMM2PL.exe")},
      {{QStringLiteral("/tmp/с пробелом.exe")}, QStringLiteral("/tmp/с пробелом.exe")},
      // After "--" a name that begins with a dash is a file, not an option.
      {{QStringLiteral("--"), QStringLiteral("-v.exe")}, QStringLiteral("-v.exe")},
  };
  for (const auto& c : cases) {
    const StartupRequest request = Parse(c.arguments);
    EXPECT_FALSE(request.exitNow) << c.arguments.join(' ').toStdString();
    EXPECT_EQ(request.file, c.file);
    EXPECT_TRUE(request.output.isEmpty());
    EXPECT_TRUE(request.errors.isEmpty());
  }
}

TEST(CommandLineTest, HelpAndVersionPrintAndEndWithSuccess) {
  for (const QString& option : {QStringLiteral("--version"), QStringLiteral("-v")}) {
    const StartupRequest request = Parse({option, QStringLiteral("HMM2PL.exe")});
    EXPECT_TRUE(request.exitNow);
    EXPECT_EQ(request.exitCode, kExitSuccess);
    EXPECT_EQ(request.output, QStringLiteral("trevalune " TREVALUNE_VERSION "\n"));
    EXPECT_TRUE(request.errors.isEmpty());
  }
  for (const QString& option : {QStringLiteral("--help"), QStringLiteral("-h")}) {
    const StartupRequest request = Parse({option});
    EXPECT_TRUE(request.exitNow);
    EXPECT_EQ(request.exitCode, kExitSuccess);
    EXPECT_TRUE(request.errors.isEmpty());
    const QString& help = request.output;
    for (const QString& part :
         {QStringLiteral("Использование: "), QStringLiteral(" [параметры] [ФАЙЛ]\n"),
          QStringLiteral("Параметры:"), QStringLiteral("Аргументы:"), QStringLiteral("--version"),
          QStringLiteral("Показать версию программы и выйти.")})
      EXPECT_TRUE(help.contains(part)) << part.toStdString() << " in\n" << help.toStdString();
    // The parser's own headings are translated, none is left in English.
    EXPECT_FALSE(help.contains(QStringLiteral("Usage"))) << help.toStdString();
    EXPECT_FALSE(help.contains(QStringLiteral("Options:"))) << help.toStdString();
  }
}

TEST(CommandLineTest, UsageErrorsAreReportedInRussianAndEndWithOne) {
  const struct {
    QStringList arguments;
    QString message;
  } cases[] = {
      {{QStringLiteral("--bogus")}, QStringLiteral("Неизвестный параметр «bogus».")},
      {{QStringLiteral("-x"), QStringLiteral("a.exe")},
       QStringLiteral("Неизвестный параметр «x».")},
      {{QStringLiteral("--version=2")}, QStringLiteral("Лишнее значение после «--version».")},
      {{QStringLiteral("a.exe"), QStringLiteral("b.exe")},
       QStringLiteral("Можно открыть только один файл, а указано 2.")},
  };
  for (const auto& c : cases) {
    const StartupRequest request = Parse(c.arguments);
    EXPECT_TRUE(request.exitNow) << c.arguments.join(' ').toStdString();
    EXPECT_EQ(request.exitCode, kExitUsage);
    EXPECT_TRUE(request.output.isEmpty());
    EXPECT_EQ(request.errors, c.message + QStringLiteral("\nСправка: trevalune --help\n"));
    EXPECT_TRUE(request.file.isEmpty());
  }
}

// --- A file named at start-up ------------------------------------------------

// Remembers whether the main window was on the screen when it asked.
class StartupDialogs : public FakeDialogs {
 public:
  bool AskSizeWarning(QWidget* parent) override {
    asked_while_visible = parent != nullptr && parent->isVisible();
    return FakeDialogs::AskSizeWarning(parent);
  }
  void ShowError(QWidget* parent, const QString& text) override {
    asked_while_visible = parent != nullptr && parent->isVisible();
    FakeDialogs::ShowError(parent, text);
  }
  bool asked_while_visible = false;
};

class StartupFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }

  QString Path(const QString& name) const { return dir.filePath(name); }

  // Shows the window as start-up does and waits until `done` holds.
  template <typename Done>
  void StartWith(const QString& file, Done done) {
    ShowMainForm(form, file);
    ASSERT_TRUE(QTest::qWaitFor(done));
  }

  QTemporaryDir dir;
  StartupDialogs dialogs;
  FaultyFileStore store;
  TMainForm form{&dialogs, &store};
};

TEST_F(StartupFileTest, TheFileIsLoadedOnceTheWindowIsShown) {
  const Bytes image = MakeSample(11).image;
  const QString path = Path(QStringLiteral("HMM2PL.exe"));
  ASSERT_TRUE(WriteBytes(path, image));
  // A name relative to the current folder, as typed in a shell.
  const QString current = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  ShowMainForm(form, QStringLiteral("HMM2PL.exe"));
  ASSERT_TRUE(QDir::setCurrent(current));
  EXPECT_TRUE(form.isVisible());
  ASSERT_TRUE(QTest::qWaitFor([this] { return form.FileLoaded(); }));

  EXPECT_EQ(form.TargetFileName(), path);
  EXPECT_TRUE(dialogs.errors.isEmpty());
  EXPECT_EQ(dialogs.size_warnings, 0);
  EXPECT_EQ(store.reads, 1);
  ASSERT_NE(form.CurrentTables(), nullptr);
  const Bytes blank(ExpectedFileSize, 0);
  EXPECT_EQ(SaveTables(*form.CurrentTables(), blank), SaveTables(LoadTables(image), blank));
}

TEST_F(StartupFileTest, AMissingFileLoadsNothingAndIsReported) {
  const QString path = Path(QStringLiteral("нет такого.exe"));
  StartWith(path, [this] { return !dialogs.errors.isEmpty(); });

  EXPECT_TRUE(dialogs.asked_while_visible);
  ASSERT_EQ(dialogs.errors.size(), 1);
  EXPECT_TRUE(dialogs.errors.first().startsWith(
      QStringLiteral("Не удалось открыть файл «%1»: ").arg(QDir::toNativeSeparators(path))))
      << dialogs.errors.first().toStdString();
  EXPECT_FALSE(form.FileLoaded());
  EXPECT_EQ(form.CurrentTables(), nullptr);
  EXPECT_TRUE(form.TargetFileName().isEmpty());
  EXPECT_FALSE(Named<QAction>(&form, "mm_SaveAs")->isEnabled());
}

TEST_F(StartupFileTest, AFileOfAnotherSizeAsksAndLoadsNothingWhenRefused) {
  Bytes image = MakeSample(11).image;
  image.push_back(0);
  const QString path = Path(QStringLiteral("longer.exe"));
  ASSERT_TRUE(WriteBytes(path, image));
  StartWith(path, [this] { return dialogs.size_warnings > 0; });

  EXPECT_TRUE(dialogs.asked_while_visible);
  EXPECT_EQ(dialogs.size_warnings, 1);
  EXPECT_TRUE(dialogs.errors.isEmpty());
  EXPECT_FALSE(form.FileLoaded());
  EXPECT_TRUE(form.TargetFileName().isEmpty());
}

TEST_F(StartupFileTest, NoFileOpensNothing) {
  ShowMainForm(form, QString());
  EXPECT_TRUE(form.isVisible());
  QCoreApplication::processEvents();
  EXPECT_EQ(store.reads, 0);
  EXPECT_TRUE(dialogs.errors.isEmpty());
  EXPECT_FALSE(form.FileLoaded());
}

#if defined(Q_OS_LINUX) && defined(TREVALUNE_CLI_PATH)
// --- Names that are not UTF-8 ------------------------------------------------

// Writes `image` at `folder` + "/" + `name`, a name of bytes, making its folders.
bool WriteNamed(const QString& folder, const QByteArray& name, const Bytes& image) {
  const QByteArray path = QFile::encodeName(folder) + '/' + name;
  for (qsizetype slash = path.indexOf('/', folder.size() + 1); slash >= 0;
       slash = path.indexOf('/', slash + 1))
    ::mkdir(path.left(slash).constData(), 0700);
  FILE* file = std::fopen(path.constData(), "wb");
  if (file == nullptr)
    return false;
  const bool written = std::fwrite(image.data(), 1, image.size(), file) == image.size();
  return std::fclose(file) == 0 && written;
}

// Runs trevalune-cli in `folder` through the shell, its arguments passed as
// the bytes they are; returns the exit code, with what it wrote in `output`.
int RunCli(const QString& folder, const QList<QByteArray>& arguments, QByteArray& output) {
  QByteArray command = "cd '" + QFile::encodeName(folder) + "' && '" TREVALUNE_CLI_PATH "'";
  for (const QByteArray& argument : arguments)
    command += " '" + argument + "'";
  FILE* pipe = ::popen((command + " 2>&1").constData(), "r");
  if (pipe == nullptr)
    return -1;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, static_cast<qsizetype>(got));
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A file whose name, or whose folder's name, is not UTF-8 opens when named on
// the command line of either program or chosen in Qt's own Open dialog. Where
// another name beside it reads the same in Qt, each says that the name
// cannot be read, not that the file is missing.
TEST(UndecodableNameTest, TheFileOpensFromEitherCommandLineAndTheDialog) {
  const QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const struct {
    QByteArray name;
    std::uint32_t seed;
  } files[] = {{"\xff\xfe-name.exe", 21},
               {"\xff-folder/x.exe", 22},
               {"\xfe-twin.exe", 23},
               {"\xfd-twin.exe", 24}};
  // QTemporaryDir removes by names as Qt reads them, which miss these.
  const auto remove_files = qScopeGuard([&] {
    for (const auto& file : files)
      ::unlink((QFile::encodeName(dir.path()) + '/' + file.name).constData());
    ::rmdir((QFile::encodeName(dir.path()) + "/\xff-folder").constData());
  });
  for (const auto& file : files)
    ASSERT_TRUE(WriteNamed(dir.path(), file.name, MakeSample(file.seed).image));

  enum class Road { kEditor, kCli, kDialog };
  const struct {
    Road road;
    QByteArray name;
    bool relative;         // to the current folder, on a command line
    std::uint32_t opened;  // the seed of the file opened; 0: refused
  } cases[] = {
      {Road::kEditor, "\xff\xfe-name.exe", false, 21},
      {Road::kEditor, "\xff-folder/x.exe", true, 22},
      {Road::kCli, "\xff\xfe-name.exe", true, 21},
      {Road::kCli, "\xff-folder/x.exe", false, 22},
      {Road::kDialog, "\xff\xfe-name.exe", false, 21},
      {Road::kEditor, "\xfe-twin.exe", false, 0},
      {Road::kCli, "\xfe-twin.exe", true, 0},
      {Road::kDialog, "\xfe-twin.exe", false, 0},
  };
  const QString unreadable = QStringLiteral("имя файла не читается");
  for (const auto& c : cases) {
    SCOPED_TRACE(QStringLiteral("road %1, %2")
                     .arg(static_cast<int>(c.road))
                     .arg(QFile::decodeName(c.name))
                     .toStdString());
    const QByteArray absolute = QFile::encodeName(dir.path()) + '/' + c.name;
    const QByteArray argument = c.relative ? c.name : absolute;
    const Bytes expected = c.opened ? MakeSample(c.opened).image : Bytes();

    if (c.road == Road::kCli) {
      QByteArray output;
      const int exit_code =
          RunCli(dir.path(), {"export", "--table", "creatures", argument}, output);
      if (c.opened) {
        TableDocument document;
        document.OpenImage(QStringLiteral("x.exe"), expected);
        EXPECT_EQ(exit_code, 0) << output.toStdString();
        EXPECT_EQ(output, ExportTableCsv(document, kCreatures, CsvSeparator::Comma));
      } else {
        EXPECT_EQ(exit_code, 2);
        EXPECT_TRUE(QString::fromUtf8(output).contains(unreadable)) << output.toStdString();
      }
      continue;
    }

    QStringList messages;
    FakeDialogs fake_dialogs;
    QtUserDialogs qt_dialogs;
    TMainForm form(c.road == Road::kDialog ? static_cast<UserDialogs*>(&qt_dialogs)
                                           : &fake_dialogs);
    if (c.road == Road::kEditor) {
      // The argument as Qt reads the command line.
      const StartupRequest request =
          ParseCommandLine({QStringLiteral("trevalune"), QFile::decodeName(argument)});
      const QString current = QDir::currentPath();
      ASSERT_TRUE(QDir::setCurrent(dir.path()));
      ShowMainForm(form, request.file);
      ASSERT_TRUE(QDir::setCurrent(current));
      ASSERT_TRUE(
          QTest::qWaitFor([&] { return form.FileLoaded() || !fake_dialogs.errors.isEmpty(); }));
      messages = fake_dialogs.errors;
    } else {
      // The real dialogs: the name given once (a dialog that stays up after
      // that has refused it, and is cancelled), every message read and closed.
      // The name is given and accepted in one go, so that the folder's
      // listing, arriving later, cannot put the dialog's first selection back
      // in between; a box that the accept shows is answered by the other timer.
      QTimer answer;
      QTimer boxes;
      answer.setInterval(10);
      boxes.setInterval(10);
      bool picked = false;
      QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
          return;
        if (picked) {
          dialog->reject();
          return;
        }
        // Typed into the name field, as a user does; selectFile leaves a
        // field that has the focus alone.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        picked = true;
        name->setText(QFile::decodeName(absolute));
        static_cast<QDialog*>(dialog)->accept();
      });
      QObject::connect(&boxes, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          messages << box->text();
          box->accept();
        }
      });
      boxes.start();
      answer.start();
      form.show();
      form.OpenClick();
    }
    if (c.opened) {
      EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
      ASSERT_TRUE(form.FileLoaded());
      EXPECT_EQ(form.TargetFileName(), QFile::decodeName(absolute));
      EXPECT_EQ(form.Document()->File().image, expected);
    } else {
      EXPECT_FALSE(form.FileLoaded());
      ASSERT_EQ(messages.size(), 1);
      EXPECT_TRUE(messages[0].contains(unreadable)) << messages[0].toStdString();
    }
  }
}
#endif

// --- Qt's own texts ----------------------------------------------------------

// The real warning box for a file of another size, as Open shows it: its Yes
// and No are Russian with the window in Russian, which loads Qt's translation,
// and English with the window in English. Where Qt's translation is missing,
// the window still works, with Qt's English.
TEST(QtTranslationTest, TheSizeWarningAnswersInTheWindowsLanguage) {
  const QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Bytes image = MakeSample(11).image;
  image.push_back(0);
  const QString path = dir.filePath(QStringLiteral("longer.exe"));
  ASSERT_TRUE(WriteBytes(path, image));
  {
    UiTranslations missing(dir.path());
    EXPECT_FALSE(missing.Use(UiLanguage::Russian));
    UiTranslations found(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    EXPECT_TRUE(found.Use(UiLanguage::Russian));
  }
  const struct {
    UiLanguage language;
    QString yes;
    QString no;
  } cases[] = {
      {UiLanguage::Russian, QStringLiteral("Да"), QStringLiteral("Нет")},
      {UiLanguage::English, QStringLiteral("Yes"), QStringLiteral("No")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(LanguageKey(c.language).toStdString());
    QtUserDialogs dialogs;
    TMainForm form(&dialogs);
    form.SetLanguage(c.language);
    form.show();
    // Reads the box once it is up and answers No.
    QString yes;
    QString no;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr)
        return;
      answer.stop();
      yes = box->button(QMessageBox::Yes)->text().remove(QLatin1Char('&'));
      no = box->button(QMessageBox::No)->text().remove(QLatin1Char('&'));
      box->button(QMessageBox::No)->click();
    });
    answer.start();
    form.OpenPath(path);
    EXPECT_EQ(yes, c.yes);
    EXPECT_EQ(no, c.no);
    EXPECT_FALSE(form.FileLoaded());
    form.SetLanguage(UiLanguage::Russian);  // kept for the windows of later tests
  }
}

// Every size of the icon is there and can be drawn with no image plugin, which
// a fresh system may not have.
TEST(WindowIconTest, EverySizeIsDrawn) {
  const QIcon icon = WindowIcon();
  ASSERT_FALSE(icon.isNull());
  for (const int side : {16, 32, 48, 64}) {
    const QImage image = icon.pixmap(QSize(side, side)).toImage();
    ASSERT_EQ(image.size(), QSize(side, side)) << side;
    // The navy tile is drawn in the middle of every size.
    EXPECT_EQ(image.pixelColor(side / 2, side / 8).alpha(), 255) << side;
  }
}

}  // namespace
