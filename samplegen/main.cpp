// trevalune-sample: writes a sample executable for trying the editor, and for
// the tests, through the same safe write as the editor's Save As:
//   trevalune-sample [--seed N] FILE

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTranslator>
#include <cstdint>
#include <cstdio>

#include "document/caption_language.h"
#include "document/command_line_language.h"
#include "samplegen/sample_image.h"
#include "storage/console_text.h"
#include "storage/file_store.h"
#include "storage/text_file.h"

namespace {

// Exit codes, as trevalune-cli has them: done, the arguments are wrong, the
// file is not written.
constexpr int kExitDone = 0;
constexpr int kExitUsage = 1;
constexpr int kExitFailed = 2;

// To a console as text, whatever its code page; elsewhere as UTF-8.
void Print(const QString& text, FILE* stream) {
  if (IsConsole(stream == stderr ? 2 : 1)) {
    WriteConsoleText(stream == stderr ? 2 : 1, text);
    return;
  }
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
  std::fflush(stream);
}

void Complain(const QString& message) {
  Print(QStringLiteral("trevalune-sample: %1\n").arg(CommandLineMessage(message)), stderr);
}

int UsageError(const QString& message) {
  Print(QStringLiteral("trevalune-sample: %1\n%2\n")
            .arg(CommandLineMessage(message),
                 QCoreApplication::translate("Sample", "Справка: trevalune-sample --help")),
        stderr);
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("trevalune-sample"));
  QCoreApplication::setApplicationVersion(QStringLiteral(TREVALUNE_VERSION));

  QTranslator english;
  if (AnswersInEnglish(QCoreApplication::arguments()) &&
      english.load(QString::fromLatin1(kEnglishTranslationPath)))
    QCoreApplication::installTranslator(&english);

  QCommandLineParser parser;
  parser.setApplicationDescription(QCoreApplication::translate(
      "Sample",
      "Пишет пример исполняемого файла для опытов: все таблицы на своих местах, придуманные\n"
      "имена и разные значения. Одно и то же зерно всегда даёт одни и те же байты.\n"
      "\n"
      "Коды выхода: 0 — готово, 1 — неверные аргументы, 2 — файл не записан."));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QCoreApplication::translate("Sample", "Показать эту справку."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QCoreApplication::translate("Sample", "Показать версию."));
  const QCommandLineOption seed(
      QStringLiteral("seed"),
      QCoreApplication::translate("Sample", "Зерно, от 0 до 4294967295 (по умолчанию 1)."),
      QCoreApplication::translate("Sample", "N"), QStringLiteral("1"));
  const QCommandLineOption language(
      QStringLiteral("lang"),
      QCoreApplication::translate(
          "Sample", "Язык ответов, ru или en. Без параметра — из TREVALUNE_LANG, иначе ru."),
      QCoreApplication::translate("Sample", "язык"));
  const QList<QCommandLineOption> options{help, version, seed, language};
  parser.addOptions(options);
  parser.addPositionalArgument(QCoreApplication::translate("Sample", "ФАЙЛ"),
                               QCoreApplication::translate("Sample", "Куда записать пример."));

  if (const QString problem = ParseCommandLine(parser, options); !problem.isEmpty())
    return UsageError(problem);
  if (parser.isSet(help)) {
    Print(CommandLineHelp(parser, QStringLiteral("trevalune-sample")), stdout);
    return kExitDone;
  }
  if (parser.isSet(version)) {
    Print(QStringLiteral("trevalune-sample " TREVALUNE_VERSION "\n"), stdout);
    return kExitDone;
  }
  if (parser.isSet(language) && parser.value(language) != QStringLiteral("ru") &&
      parser.value(language) != QStringLiteral("en"))
    return UsageError(
        QCoreApplication::translate("Sample", "неизвестный язык «%1»: нужен ru или en")
            .arg(parser.value(language)));
  bool number = false;
  const std::uint32_t seed_value = parser.value(seed).toUInt(&number);
  if (!number)
    return UsageError(QCoreApplication::translate(
                          "Sample", "неверное зерно «%1»: нужно целое число от 0 до 4294967295")
                          .arg(parser.value(seed)));
  const QStringList files = parser.positionalArguments();
  if (files.size() != 1)
    return UsageError(files.isEmpty()
                          ? QCoreApplication::translate("Sample", "не указан файл")
                          : QCoreApplication::translate("Sample", "нужен один файл, а указано %1")
                                .arg(files.size()));

  QtFileStore store;
  QString reason;
  if (!store.WriteAll(files.first(), MakeSample(seed_value).image, reason)) {
    Complain(WriteFailedMessage(files.first(), reason));
    return kExitFailed;
  }
  if (!reason.isEmpty())
    Complain(reason);  // written, but its folder is not synced
  return kExitDone;
}
