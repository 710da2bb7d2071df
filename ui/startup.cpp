#include "ui/startup.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "generated/version.h"
#include "storage/console_text.h"
#include "ui/about_form.h"
#include "ui/main_form.h"

namespace {

// The few texts the command-line parser writes itself (the help headings and
// its error messages), in Russian: the command line is read before Qt's own
// translation is loaded, and they are Russian also where that one is missing.
class CommandLineTranslator : public QTranslator {
 public:
  QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                    int /*n*/) const override {
    if (qstrcmp(context, "QCommandLineParser") != 0)
      return {};
    return Texts().value(QLatin1String(sourceText));
  }
  bool isEmpty() const override { return false; }

 private:
  static const QHash<QString, QString>& Texts() {
    static const QHash<QString, QString> texts = {
        {QStringLiteral("Usage: %1"),
         QString::fromUtf8(QT_TRANSLATE_NOOP("QCommandLineParser", "Использование: %1"))},
        {QStringLiteral("[options]"),
         QString::fromUtf8(QT_TRANSLATE_NOOP("QCommandLineParser", "[параметры]"))},
        {QStringLiteral("Options:"),
         QString::fromUtf8(QT_TRANSLATE_NOOP("QCommandLineParser", "Параметры:"))},
        {QStringLiteral("Arguments:"),
         QString::fromUtf8(QT_TRANSLATE_NOOP("QCommandLineParser", "Аргументы:"))},
        {QStringLiteral("Unknown option '%1'."),
         QString::fromUtf8(QT_TRANSLATE_NOOP("QCommandLineParser", "Неизвестный параметр «%1»."))},
        {QStringLiteral("Unknown options: %1."),
         QString::fromUtf8(QT_TRANSLATE_NOOP("QCommandLineParser", "Неизвестные параметры: %1."))},
        {QStringLiteral("Unexpected value after '%1'."),
         QString::fromUtf8(QT_TRANSLATE_NOOP("QCommandLineParser", "Лишнее значение после «%1»."))},
        {QStringLiteral("Missing value after '%1'."),
         QString::fromUtf8(QT_TRANSLATE_NOOP("QCommandLineParser", "Нет значения после «%1»."))},
    };
    return texts;
  }
};

// Installed in the current application for as long as it lives.
class ScopedTranslator {
 public:
  explicit ScopedTranslator(QTranslator& translator) : translator_(translator) {
    QCoreApplication::installTranslator(&translator_);
  }
  ~ScopedTranslator() { QCoreApplication::removeTranslator(&translator_); }
  ScopedTranslator(const ScopedTranslator&) = delete;
  ScopedTranslator& operator=(const ScopedTranslator&) = delete;

 private:
  QTranslator& translator_;
};

// The first line of the help, as the translator above gives it.
QString UsageLine() {
  return QString::fromUtf8(QT_TRANSLATE_NOOP("QCommandLineParser", "Использование: %1"));
}

StartupRequest UsageError(const QString& message, const QString& program) {
  StartupRequest request;
  request.exitNow = true;
  request.exitCode = kExitUsage;
  request.errors =
      QCoreApplication::translate("Startup", "%1\nСправка: %2 --help\n").arg(message, program);
  return request;
}

StartupRequest ExitWith(const QString& output) {
  StartupRequest request;
  request.exitNow = true;
  request.exitCode = kExitSuccess;
  request.output = output;
  return request;
}

#ifdef Q_OS_WIN
// The editor is a program of the Windows GUI subsystem, which has no console
// of its own. Its text goes to the console it was started from, in UTF-16
// whatever the console's code page; to the file or pipe its output was sent
// to, in UTF-8; and, started with neither, into a box.
void Print(const QString& text, FILE* stream) {
  if (text.isEmpty())
    return;
  const bool error = stream == stderr;
  HANDLE handle = ::GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    if (::AttachConsole(ATTACH_PARENT_PROCESS) || ::GetLastError() == ERROR_ACCESS_DENIED)
      handle = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
  }
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    ::MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.utf16()), L"Trevalune",
                  MB_OK | (error ? MB_ICONWARNING : MB_ICONINFORMATION));
    return;
  }
  if (IsConsoleHandle(handle)) {
    WriteConsoleText(handle, text);
    return;
  }
  DWORD written = 0;
  const QByteArray bytes = text.toUtf8();
  ::WriteFile(handle, bytes.constData(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
#else
void Print(const QString& text, FILE* stream) {
  if (text.isEmpty())
    return;
  std::fputs(text.toLocal8Bit().constData(), stream);
  std::fflush(stream);
}
#endif

// Reads the command line in a short-lived core application, so that --help,
// --version and usage errors need no display and no window system at all.
StartupRequest ReadCommandLine(int& argc, char** argv) {
  const QCoreApplication application(argc, argv);
  return ParseCommandLine(QCoreApplication::arguments());
}

}  // namespace

StartupRequest ParseCommandLine(const QStringList& arguments) {
  CommandLineTranslator translator;
  const ScopedTranslator installed(translator);

  QCommandLineParser parser;
  parser.setApplicationDescription(QCoreApplication::translate(
      "Startup", "Редактор таблиц существ, построек и заклинаний в исполняемом файле игры."));
  const QCommandLineOption help(
      {QStringLiteral("h"), QStringLiteral("help")},
      QCoreApplication::translate("Startup", "Показать эту справку и выйти."));
  const QCommandLineOption version(
      {QStringLiteral("v"), QStringLiteral("version")},
      QCoreApplication::translate("Startup", "Показать версию программы и выйти."));
  parser.addOption(help);
  parser.addOption(version);
  parser.addPositionalArgument(
      QCoreApplication::translate("Startup", "ФАЙЛ"),
      QCoreApplication::translate(
          "Startup", "Открыть этот исполняемый файл сразу после запуска, как команда «Открыть»."),
      QCoreApplication::translate("Startup", "[ФАЙЛ]"));

  const QString program = arguments.isEmpty() ? QStringLiteral("trevalune") : arguments.first();
  if (!parser.parse(arguments))
    return UsageError(parser.errorText(), program);
  if (parser.isSet(help)) {
    // Qt names the program as it was started, on Windows with its whole path.
    QString text = parser.helpText();
    const QString started = QCoreApplication::arguments().value(0);
    if (!started.isEmpty())
      text.replace(UsageLine().arg(started), UsageLine().arg(QStringLiteral("trevalune")));
    return ExitWith(text);
  }
  if (parser.isSet(version))
    return ExitWith(QStringLiteral("trevalune %1\n").arg(QStringLiteral(TREVALUNE_VERSION)));

  const QStringList files = parser.positionalArguments();
  if (files.size() > 1)
    return UsageError(
        QCoreApplication::translate("Startup", "Можно открыть только один файл, а указано %1.")
            .arg(files.size()),
        program);
  StartupRequest request;
  if (!files.isEmpty())
    request.file = files.first();
  return request;
}

QIcon WindowIcon() {
  QIcon icon;
  for (const int side : {16, 32, 48, 64})
    icon.addFile(QStringLiteral(":/icons/trevalune-%1.png").arg(side), QSize(side, side));
  return icon;
}

void ShowMainForm(TMainForm& form, const QString& file) {
  form.showMaximized();
  if (file.isEmpty()) {
    // Unsaved edits of an earlier run, over the window.
    QTimer::singleShot(0, &form, [&form] { form.OfferLatestJournal(); });
    return;
  }
  // A name relative to the folder the editor was started in; resolved now,
  // whatever that folder is by the time the file is read.
  const QString path = QFileInfo(file).absoluteFilePath();
  // Queued, so the window is on the screen first and the size question or an
  // error message appears over it.
  QTimer::singleShot(0, &form, [&form, path] { form.OpenPath(path); });
}

int RunEditor(int& argc, char** argv, bool quitOnceShown) {
  const StartupRequest request = ReadCommandLine(argc, argv);
  if (request.exitNow) {
    Print(request.output, stdout);
    Print(request.errors, stderr);
    return request.exitCode;
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Trevalune"));
  QApplication::setApplicationVersion(QStringLiteral(TREVALUNE_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.trevalune.Trevalune"));
  Q_INIT_RESOURCE(resources);
  QApplication::setWindowIcon(WindowIcon());
  // The window installs the translations of its language (Вид → Язык):
  // Russian by default, with Qt's own texts in Russian where Qt has them.
  TMainForm MainForm;
  // Hidden until About is chosen. A window of the main window's, so it stays
  // above it and closing the main window ends the program whatever it shows.
  TAboutForm AboutForm(&MainForm);
  AboutForm.hide();
  MainForm.SetAboutForm(&AboutForm);

  ShowMainForm(MainForm, request.file);
  if (quitOnceShown)
    QTimer::singleShot(0, &application, &QCoreApplication::quit);
  return QApplication::exec();
}
