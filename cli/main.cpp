// trevalune-cli: the tables of an executable as CSV files and change lists,
// for scripts and spreadsheets, and patches for players, through the same
// document as the editor.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTranslator>

#include "cli/cli_commands.h"
#include "cli/formula_command.h"
#include "cli/standard_output.h"
#include "document/caption_language.h"
#include "document/command_line_language.h"
#include "formats/table_csv.h"

namespace {

const char* const kDescriptionStart =
    QT_TRANSLATE_NOOP("Cli",
                      "Таблицы исполняемого файла в виде CSV, списки изменений и патчи.\n"
                      "\n"
                      "Команды:\n");
const char* const kDescriptionEnd =
    QT_TRANSLATE_NOOP("Cli",
                      "\n"
                      "Коды выхода: 0 — готово, 1 — неверные аргументы, 2 — ошибка или отказ;\n"
                      "у check 1 — нарушена проверка уровня «ошибка».");

// The help's description: each command of the table with its synopsis and
// what it does.
QString Description() {
  QString text = QCoreApplication::translate("Cli", kDescriptionStart);
  for (const CliCommand& command : CliCommands()) {
    text += QStringLiteral("  ") +
            QCoreApplication::translate("Cli", command.usage)
                .replace(u'\n', QStringLiteral("\n        ")) +
            QStringLiteral("\n      ") +
            QCoreApplication::translate("Cli", command.help)
                .replace(u'\n', QStringLiteral("\n      ")) +
            u'\n';
  }
  return text + QCoreApplication::translate("Cli", kDescriptionEnd);
}

// The commands' names, as a list in words: "a, b или c".
QString CommandNames() {
  QStringList names;
  for (const CliCommand& command : CliCommands())
    names.append(QString::fromUtf8(command.name));
  const QString last = names.takeLast();
  return QCoreApplication::translate("Cli", "%1 или %2")
      .arg(names.join(QStringLiteral(", ")), last);
}

// Every option some command takes, beside those every command takes.
QStringList CommandOptions() {
  QStringList options;
  for (const CliCommand& command : CliCommands())
    for (const QString& option : command.options)
      if (!options.contains(option))
        options.append(option);
  return options;
}

void UsageError(const QString& message) {
  WriteStandardError(QStringLiteral("trevalune-cli: %1\n%2\n")
                         .arg(CommandLineMessage(message),
                              QCoreApplication::translate("Cli", "Справка: trevalune-cli --help")));
}

std::optional<CsvSeparator> SeparatorFrom(const QString& text) {
  if (text == QStringLiteral(","))
    return CsvSeparator::Comma;
  if (text == QStringLiteral(";"))
    return CsvSeparator::Semicolon;
  if (text == QStringLiteral("tab") || text == QStringLiteral("\t"))
    return CsvSeparator::Tab;
  return std::nullopt;
}

// Checks the arguments against the command; a message and false when wrong.
bool ReadRequest(const QCommandLineParser& parser, CliRequest& request) {
  // --lang, or else TREVALUNE_LANG: the answers and the files' captions alike.
  const LanguageRequest language =
      parser.isSet(QStringLiteral("lang"))
          ? LanguageRequest{parser.value(QStringLiteral("lang")), false}
          : RequestedLanguage({QCoreApplication::arguments().constFirst()});
  if (const QString refusal = LanguageRefusal(language); !refusal.isEmpty()) {
    UsageError(refusal);
    return false;
  }
  request.captions =
      language.value == QStringLiteral("en") ? CaptionLanguage::English : CaptionLanguage::Russian;
  QStringList arguments = parser.positionalArguments();
  if (arguments.isEmpty()) {
    UsageError(QCoreApplication::translate("Cli", "не указана команда: %1").arg(CommandNames()));
    return false;
  }
  request.command = arguments.takeFirst();
  const CliCommand* const shape = FindCliCommand(request.command);
  if (!shape) {
    UsageError(QCoreApplication::translate("Cli", "неизвестная команда «%1»").arg(request.command));
    return false;
  }
  if (arguments.size() < shape->files || arguments.size() > shape->most_files) {
    const int given = static_cast<int>(arguments.size());
    const QString needed =
        shape->files == shape->most_files
            ? QCoreApplication::translate("Cli", "команде %1 нужен %n файл", nullptr, shape->files)
            : QCoreApplication::translate("Cli", "команде %1 нужно не меньше %n файла", nullptr,
                                          shape->files);
    UsageError(QCoreApplication::translate("Cli", "%1, а указан %n", nullptr, given)
                   .arg(needed.arg(request.command)));
    return false;
  }
  request.files = arguments;
  for (const QString& option : CommandOptions()) {
    if (parser.isSet(option) && !shape->options.contains(option)) {
      UsageError(QCoreApplication::translate("Cli", "параметр --%1 не относится к команде %2")
                     .arg(option, request.command));
      return false;
    }
  }
  if (parser.isSet(QStringLiteral("table"))) {
    request.table = TableFromFileName(parser.value(QStringLiteral("table")));
    if (!request.table) {
      UsageError(QCoreApplication::translate(
                     "Cli", "неизвестная таблица «%1»: нужна creatures, buildings или spells")
                     .arg(parser.value(QStringLiteral("table"))));
      return false;
    }
  } else if (shape->needs_table) {
    UsageError(QCoreApplication::translate("Cli", "команде %1 нужен параметр --table")
                   .arg(request.command));
    return false;
  }
  if (parser.isSet(QStringLiteral("separator"))) {
    const auto separator = SeparatorFrom(parser.value(QStringLiteral("separator")));
    if (!separator) {
      UsageError(
          QCoreApplication::translate("Cli", "неизвестный разделитель «%1»: нужен «,», «;» или tab")
              .arg(parser.value(QStringLiteral("separator"))));
      return false;
    }
    request.separator = *separator;
  }
  if (parser.isSet(QStringLiteral("format"))) {
    const QString format = parser.value(QStringLiteral("format"));
    if (format != QStringLiteral("bps") && format != QStringLiteral("ips")) {
      UsageError(
          QCoreApplication::translate("Cli", "неизвестный формат патча «%1»: нужен bps или ips")
              .arg(format));
      return false;
    }
    request.format = format == QStringLiteral("ips") ? PatchFormat::kIps : PatchFormat::kBps;
  }
  if (parser.isSet(QStringLiteral("prefer"))) {
    const QString prefer = parser.value(QStringLiteral("prefer"));
    if (prefer != QStringLiteral("later") && prefer != QStringLiteral("earlier")) {
      UsageError(QCoreApplication::translate(
                     "Cli", "неизвестное значение --prefer «%1»: нужно later или earlier")
                     .arg(prefer));
      return false;
    }
    request.prefer =
        prefer == QStringLiteral("later") ? ListPreference::kLater : ListPreference::kEarlier;
  }
  if (parser.isSet(QStringLiteral("out-of-range"))) {
    const QString handling = parser.value(QStringLiteral("out-of-range"));
    if (handling != QStringLiteral("limit") && handling != QStringLiteral("wrap")) {
      UsageError(QCoreApplication::translate(
                     "Cli", "неизвестное значение --out-of-range «%1»: нужно limit или wrap")
                     .arg(handling));
      return false;
    }
    request.out_of_range =
        handling == QStringLiteral("limit") ? OutOfRange::Limit : OutOfRange::Wrap;
  }
  request.column = parser.value(QStringLiteral("column"));
  request.expression = parser.value(QStringLiteral("expr"));
  if (parser.isSet(QStringLiteral("where")))
    request.condition = parser.value(QStringLiteral("where"));
  request.wrap = parser.isSet(QStringLiteral("wrap"));
  request.changes = parser.value(QStringLiteral("changes"));
  request.notes = parser.value(QStringLiteral("notes"));
  request.report = parser.value(QStringLiteral("report"));
  request.allow_other_bytes = parser.isSet(QStringLiteral("allow-other-bytes"));
  request.output = parser.value(QStringLiteral("output"));
  // "-" is standard output where a command can write its text there, as it
  // is standard input for a list; no executable, patch or report goes there.
  // (Export of every table takes -o as a folder, checked below.)
  if (request.output == QStringLiteral("-")) {
    if (request.command == QStringLiteral("diff") ||
        (request.command == QStringLiteral("export") && request.table)) {
      request.output.clear();
    } else if (request.command != QStringLiteral("export")) {
      UsageError(QCoreApplication::translate(
                     "Cli", "команда %1 не пишет в стандартный вывод: укажите в -o файл")
                     .arg(request.command));
      return false;
    }
  }
  if (request.report == QStringLiteral("-")) {
    UsageError(QCoreApplication::translate(
        "Cli", "отчёт не пишется в стандартный вывод: укажите в --report файл"));
    return false;
  }
  if (request.output.isEmpty() && shape->needs_output) {
    UsageError(
        QCoreApplication::translate("Cli", "команде %1 нужен параметр -o").arg(request.command));
    return false;
  }
  if (request.command == QStringLiteral("export") && !request.table && !request.output.isEmpty() &&
      !QFileInfo(request.output).isDir()) {
    UsageError(
        QCoreApplication::translate("Cli",
                                    "без --table параметр -o должен указывать существующую папку, "
                                    "а «%1» не папка")
            .arg(request.output));
    return false;
  }
  if (request.command == QStringLiteral("formula") && !ReadFormulaRequest(request))
    return false;
  request.allow_name_mismatch = parser.isSet(QStringLiteral("allow-name-mismatch"));
  request.force = parser.isSet(QStringLiteral("force"));
  request.any_size = parser.isSet(QStringLiteral("any-size"));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareStandardStreams();
  QCoreApplication application(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("trevalune-cli"));
  QCoreApplication::setApplicationVersion(QStringLiteral(TREVALUNE_VERSION));

  QTranslator translation;
  if (LoadAnswersTranslation(translation, QCoreApplication::arguments()))
    QCoreApplication::installTranslator(&translation);

  QCommandLineParser parser;
  parser.setApplicationDescription(Description());
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QCoreApplication::translate("Cli", "Показать эту справку."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QCoreApplication::translate("Cli", "Показать версию."));
  const QList<QCommandLineOption> options{
      help,
      version,
      {QStringLiteral("table"),
       QCoreApplication::translate("Cli", "Таблица: creatures, buildings или spells."),
       QCoreApplication::translate("Cli", "таблица")},
      {QStringLiteral("separator"),
       QCoreApplication::translate("Cli",
                                   "Разделитель полей CSV: «,» (по умолчанию), «;» или tab."),
       QCoreApplication::translate("Cli", "разделитель")},
      {{QStringLiteral("o"), QStringLiteral("output")},
       QCoreApplication::translate(
           "Cli", "Файл (или папка для export всех таблиц), куда записать результат."),
       QCoreApplication::translate("Cli", "путь")},
      {QStringLiteral("allow-name-mismatch"),
       QCoreApplication::translate("Cli",
                                   "import: не сверять названия в CSV с названиями в файле.")},
      {QStringLiteral("force"),
       QCoreApplication::translate(
           "Cli", "apply: применить изменения, даже если в файле уже другие значения.")},
      {QStringLiteral("prefer"),
       QCoreApplication::translate(
           "Cli",
           "apply: какой список главнее, если два задают полю разные значения: "
           "later (поздний) или earlier (ранний)."),
       QCoreApplication::translate("Cli", "список")},
      {QStringLiteral("report"),
       QCoreApplication::translate(
           "Cli", "apply: записать в CSV, из какого списка взято каждое изменение."),
       QCoreApplication::translate("Cli", "путь")},
      {QStringLiteral("out-of-range"),
       QCoreApplication::translate(
           "Cli",
           "import, apply: значение, которое не помещается в своё поле, "
           "ограничить диапазоном поля (limit) или оставить его младшие биты "
           "(wrap), как при вводе; без параметра это ошибка."),
       QCoreApplication::translate("Cli", "как")},
      {QStringLiteral("format"),
       QCoreApplication::translate("Cli", "patch: формат патча, bps (по умолчанию) или ips."),
       QCoreApplication::translate("Cli", "формат")},
      {QStringLiteral("allow-other-bytes"),
       QCoreApplication::translate(
           "Cli",
           "apply-patch: применить патч, даже если он меняет байты вне записей "
           "таблиц.")},
      {QStringLiteral("column"), QCoreApplication::translate("Cli", "formula: название столбца."),
       QCoreApplication::translate("Cli", "столбец")},
      {QStringLiteral("expr"),
       QCoreApplication::translate("Cli", "formula: формула нового значения."),
       QCoreApplication::translate("Cli", "формула")},
      {QStringLiteral("where"),
       QCoreApplication::translate(
           "Cli", "formula: условие (формула), для каких записей; без него для всех."),
       QCoreApplication::translate("Cli", "условие")},
      {QStringLiteral("wrap"),
       QCoreApplication::translate("Cli",
                                   "formula: результат, который не помещается в поле, перенести, "
                                   "как при вводе (иначе ограничить диапазоном поля).")},
      {QStringLiteral("changes"),
       QCoreApplication::translate("Cli",
                                   "formula: записать список изменений вместо исполняемого файла."),
       QCoreApplication::translate("Cli", "путь")},
      {QStringLiteral("notes"),
       QCoreApplication::translate(
           "Cli", "check, notes: файл заметок о полях вместо заметок, поставляемых с программой."),
       QCoreApplication::translate("Cli", "путь")},
      {QStringLiteral("lang"),
       QCoreApplication::translate("Cli",
                                   "Язык ответов и заголовков в файлах CSV, ru или en. "
                                   "Без параметра — из TREVALUNE_LANG, что значит то же самое, "
                                   "иначе ru."),
       QCoreApplication::translate("Cli", "язык")},
      {QStringLiteral("any-size"),
       QCoreApplication::translate("Cli", "Открывать файлы любого размера.")},
  };
  parser.addOptions(options);
  parser.addPositionalArgument(QCoreApplication::translate("Cli", "команда"),
                               CommandNames() + u'.');
  parser.addPositionalArgument(QCoreApplication::translate("Cli", "файлы"),
                               QCoreApplication::translate("Cli", "Файлы команды."),
                               QCoreApplication::translate("Cli", "файлы..."));

  if (const QString problem = ParseCommandLine(parser, options); !problem.isEmpty()) {
    UsageError(problem);
    return kExitUsage;
  }
  if (parser.isSet(help) || parser.isSet(version)) {
    const QByteArray answer =
        parser.isSet(help) ? CommandLineHelp(parser, QStringLiteral("trevalune-cli")).toUtf8()
                           : QByteArrayLiteral("trevalune-cli " TREVALUNE_VERSION "\n");
    QString message;
    if (WriteStandardOutput(answer, message))
      return kExitDone;
    Complain(message);
    return kExitFailed;
  }
  CliRequest request;
  if (!ReadRequest(parser, request))
    return kExitUsage;
  return RunCommand(request);
}
