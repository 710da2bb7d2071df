// trevalune-cli: the tables of an executable as CSV files and change lists,
// for scripts and spreadsheets, and patches for players, through the same
// document as the editor.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <map>

#include "cli_commands.h"
#include "formula_command.h"
#include "standard_output.h"
#include "table_csv.h"

namespace {

struct CommandShape {
  int files;            // how many file arguments, at least
  int most_files;       // and at most
  QStringList allowed;  // the options it takes besides -o and --any-size
  bool needs_table;
  bool needs_output;
};

const std::map<QString, CommandShape>& Commands() {
  static const std::map<QString, CommandShape> commands = {
      {QStringLiteral("export"), {1, 1, {"table", "separator"}, false, false}},
      {QStringLiteral("import"),
       {2, 2, {"table", "allow-name-mismatch", "out-of-range"}, true, true}},
      {QStringLiteral("diff"), {2, 2, {"separator"}, false, false}},
      {QStringLiteral("apply"),
       {2, 1000, {"force", "prefer", "report", "separator", "out-of-range"}, false, true}},
      {QStringLiteral("patch"), {2, 2, {"format"}, false, true}},
      {QStringLiteral("apply-patch"), {2, 2, {"allow-other-bytes"}, false, true}},
      {QStringLiteral("formula"),
       {1, 1, {"table", "column", "expr", "where", "wrap", "changes", "separator"}, true, false}},
  };
  return commands;
}

const char* const kDescription =
    "Таблицы исполняемого файла в виде CSV, списки изменений и патчи.\n"
    "\n"
    "Команды:\n"
    "  export ФАЙЛ.exe [--table Т] [--separator Р] [-o ВЫХОД]\n"
    "      таблицы в CSV: без --table три файла creatures.csv, buildings.csv,\n"
    "      spells.csv (в папке -o или в текущей), с --table одна таблица\n"
    "      в стандартный вывод или в файл -o\n"
    "  import ФАЙЛ.exe ТАБЛИЦА.csv --table Т -o ВЫХОД.exe [--allow-name-mismatch]\n"
    "        [--out-of-range limit|wrap]\n"
    "      загрузить таблицу из CSV и записать исполняемый файл; значение,\n"
    "      которое не помещается в своё поле, без --out-of-range — ошибка\n"
    "  diff A.exe B.exe [-o ИЗМЕНЕНИЯ.csv]\n"
    "      список полей, которыми B отличается от A\n"
    "  apply ФАЙЛ.exe ИЗМЕНЕНИЯ.csv... -o ВЫХОД.exe [--force]\n"
    "        [--prefer later|earlier] [--report ОТЧЁТ.csv] [--out-of-range limit|wrap]\n"
    "      применить списки изменений по порядку и записать исполняемый файл;\n"
    "      если два списка задают полю разные значения, ничего не записывается,\n"
    "      пока --prefer не скажет, какой список главнее\n"
    "  patch ИСХОДНЫЙ.exe ИЗМЕНЁННЫЙ.exe -o МОД.bps [--format bps|ips]\n"
    "      патч BPS (или IPS), превращающий первый файл во второй\n"
    "  apply-patch ФАЙЛ.exe МОД.bps -o ВЫХОД.exe [--allow-other-bytes]\n"
    "      применить патч BPS или IPS и записать результат\n"
    "  formula ФАЙЛ.exe --table Т --column СТОЛБЕЦ --expr ФОРМУЛА [--where УСЛОВИЕ]\n"
    "        [--wrap] (-o ВЫХОД.exe | --changes ИЗМЕНЕНИЯ.csv)\n"
    "      задать столбцу каждой записи, для которой УСЛОВИЕ истинно, значение\n"
    "      ФОРМУЛЫ (выражение JavaScript: value — значение поля, поля записи —\n"
    "      по названиям столбцов, row[\"Мин. урон\"]); с --changes записать\n"
    "      список изменений вместо исполняемого файла\n"
    "\n"
    "Коды выхода: 0 — готово, 1 — неверные аргументы, 2 — ошибка или отказ.";

void UsageError(const QString& message) {
  std::fprintf(stderr, "trevalune-cli: %s\nСправка: trevalune-cli --help\n",
               qUtf8Printable(message));
}

// Qt words the parts of its help in English; the rest of the help is Russian.
QString RussianHelp(const QCommandLineParser& parser) {
  QString help = parser.helpText();
  // Qt names the program as it was started, on Windows with its whole path.
  help.replace(QStringLiteral("Usage: ") + QCoreApplication::arguments().constFirst(),
               QStringLiteral("Usage: trevalune-cli"));
  help.replace(QStringLiteral("Usage:"), QStringLiteral("Использование:"));
  help.replace(QStringLiteral("[options]"), QStringLiteral("[параметры]"));
  help.replace(QStringLiteral("Options:"), QStringLiteral("Параметры:"));
  help.replace(QStringLiteral("Arguments:"), QStringLiteral("Аргументы:"));
  return help;
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
  QStringList arguments = parser.positionalArguments();
  if (arguments.isEmpty()) {
    UsageError(QStringLiteral(
        "не указана команда: export, import, diff, apply, patch, apply-patch или formula"));
    return false;
  }
  request.command = arguments.takeFirst();
  const auto shape = Commands().find(request.command);
  if (shape == Commands().end()) {
    UsageError(QStringLiteral("неизвестная команда «%1»").arg(request.command));
    return false;
  }
  if (arguments.size() < shape->second.files || arguments.size() > shape->second.most_files) {
    UsageError((shape->second.files == shape->second.most_files
                    ? QStringLiteral("команде %1 нужно файлов: %2, а указано %3")
                    : QStringLiteral("команде %1 нужно файлов не меньше %2, а указано %3"))
                   .arg(request.command)
                   .arg(shape->second.files)
                   .arg(arguments.size()));
    return false;
  }
  request.files = arguments;
  for (const QString& option :
       {QStringLiteral("table"), QStringLiteral("separator"), QStringLiteral("allow-name-mismatch"),
        QStringLiteral("force"), QStringLiteral("format"), QStringLiteral("allow-other-bytes"),
        QStringLiteral("prefer"), QStringLiteral("report"), QStringLiteral("out-of-range"),
        QStringLiteral("column"), QStringLiteral("expr"), QStringLiteral("where"),
        QStringLiteral("wrap"), QStringLiteral("changes")}) {
    if (parser.isSet(option) && !shape->second.allowed.contains(option)) {
      UsageError(
          QStringLiteral("параметр --%1 не относится к команде %2").arg(option, request.command));
      return false;
    }
  }
  if (parser.isSet(QStringLiteral("table"))) {
    request.table = TableFromFileName(parser.value(QStringLiteral("table")));
    if (!request.table) {
      UsageError(QStringLiteral("неизвестная таблица «%1»: нужна creatures, buildings или spells")
                     .arg(parser.value(QStringLiteral("table"))));
      return false;
    }
  } else if (shape->second.needs_table) {
    UsageError(QStringLiteral("команде %1 нужен параметр --table").arg(request.command));
    return false;
  }
  if (parser.isSet(QStringLiteral("separator"))) {
    const auto separator = SeparatorFrom(parser.value(QStringLiteral("separator")));
    if (!separator) {
      UsageError(QStringLiteral("неизвестный разделитель «%1»: нужен «,», «;» или tab")
                     .arg(parser.value(QStringLiteral("separator"))));
      return false;
    }
    request.separator = *separator;
  }
  if (parser.isSet(QStringLiteral("format"))) {
    const QString format = parser.value(QStringLiteral("format"));
    if (format != QStringLiteral("bps") && format != QStringLiteral("ips")) {
      UsageError(QStringLiteral("неизвестный формат патча «%1»: нужен bps или ips").arg(format));
      return false;
    }
    request.format = format == QStringLiteral("ips") ? PatchFormat::kIps : PatchFormat::kBps;
  }
  if (parser.isSet(QStringLiteral("prefer"))) {
    const QString prefer = parser.value(QStringLiteral("prefer"));
    if (prefer != QStringLiteral("later") && prefer != QStringLiteral("earlier")) {
      UsageError(QStringLiteral("неизвестное значение --prefer «%1»: нужно later или earlier")
                     .arg(prefer));
      return false;
    }
    request.prefer =
        prefer == QStringLiteral("later") ? ListPreference::kLater : ListPreference::kEarlier;
  }
  if (parser.isSet(QStringLiteral("out-of-range"))) {
    const QString handling = parser.value(QStringLiteral("out-of-range"));
    if (handling != QStringLiteral("limit") && handling != QStringLiteral("wrap")) {
      UsageError(QStringLiteral("неизвестное значение --out-of-range «%1»: нужно limit или wrap")
                     .arg(handling));
      return false;
    }
    request.out_of_range =
        handling == QStringLiteral("limit") ? OutOfRange::Limit : OutOfRange::Wrap;
  }
  request.column = parser.value(QStringLiteral("column"));
  request.expression = parser.value(QStringLiteral("expr"));
  request.condition = parser.value(QStringLiteral("where"));
  request.wrap = parser.isSet(QStringLiteral("wrap"));
  request.changes = parser.value(QStringLiteral("changes"));
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
      UsageError(QStringLiteral("команда %1 не пишет в стандартный вывод: укажите в -o файл")
                     .arg(request.command));
      return false;
    }
  }
  if (request.report == QStringLiteral("-")) {
    UsageError(QStringLiteral("отчёт не пишется в стандартный вывод: укажите в --report файл"));
    return false;
  }
  if (request.output.isEmpty() && shape->second.needs_output) {
    UsageError(QStringLiteral("команде %1 нужен параметр -o").arg(request.command));
    return false;
  }
  if (request.command == QStringLiteral("export") && !request.table && !request.output.isEmpty() &&
      !QFileInfo(request.output).isDir()) {
    UsageError(QStringLiteral("без --table параметр -o должен указывать существующую папку, "
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

  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8(kDescription));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Показать эту справку."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Показать версию."));
  parser.addOptions({
      help,
      version,
      {QStringLiteral("table"), QStringLiteral("Таблица: creatures, buildings или spells."),
       QStringLiteral("таблица")},
      {QStringLiteral("separator"),
       QStringLiteral("Разделитель полей CSV: «,» (по умолчанию), «;» или tab."),
       QStringLiteral("разделитель")},
      {{QStringLiteral("o"), QStringLiteral("output")},
       QStringLiteral("Файл (или папка для export всех таблиц), куда записать результат."),
       QStringLiteral("путь")},
      {QStringLiteral("allow-name-mismatch"),
       QStringLiteral("import: не сверять названия в CSV с названиями в файле.")},
      {QStringLiteral("force"),
       QStringLiteral("apply: применить изменения, даже если в файле уже другие значения.")},
      {QStringLiteral("prefer"),
       QStringLiteral("apply: какой список главнее, если два задают полю разные значения: "
                      "later (поздний) или earlier (ранний)."),
       QStringLiteral("список")},
      {QStringLiteral("report"),
       QStringLiteral("apply: записать в CSV, из какого списка взято каждое изменение."),
       QStringLiteral("путь")},
      {QStringLiteral("out-of-range"),
       QStringLiteral("import, apply: значение, которое не помещается в своё поле, "
                      "ограничить диапазоном поля (limit) или оставить его младшие биты "
                      "(wrap), как при вводе; без параметра это ошибка."),
       QStringLiteral("как")},
      {QStringLiteral("format"), QStringLiteral("patch: формат патча, bps (по умолчанию) или ips."),
       QStringLiteral("формат")},
      {QStringLiteral("allow-other-bytes"),
       QStringLiteral("apply-patch: применить патч, даже если он меняет байты вне записей "
                      "таблиц.")},
      {QStringLiteral("column"), QStringLiteral("formula: название столбца."),
       QStringLiteral("столбец")},
      {QStringLiteral("expr"), QStringLiteral("formula: формула нового значения."),
       QStringLiteral("формула")},
      {QStringLiteral("where"),
       QStringLiteral("formula: условие (формула), для каких записей; без него для всех."),
       QStringLiteral("условие")},
      {QStringLiteral("wrap"),
       QStringLiteral("formula: результат, который не помещается в поле, перенести, как при "
                      "вводе (иначе ограничить диапазоном поля).")},
      {QStringLiteral("changes"),
       QStringLiteral("formula: записать список изменений вместо исполняемого файла."),
       QStringLiteral("путь")},
      {QStringLiteral("any-size"), QStringLiteral("Открывать файлы любого размера.")},
  });
  parser.addPositionalArgument(
      QStringLiteral("команда"),
      QStringLiteral("export, import, diff, apply, patch, apply-patch или formula."));
  parser.addPositionalArgument(QStringLiteral("файлы"), QStringLiteral("Файлы команды."),
                               QStringLiteral("файлы..."));

  if (!parser.parse(QCoreApplication::arguments())) {
    const QStringList unknown = parser.unknownOptionNames();
    UsageError(unknown.isEmpty()
                   ? QStringLiteral("неверные параметры: %1").arg(parser.errorText())
                   : QStringLiteral("неизвестный параметр «%1»").arg(unknown.first()));
    return kExitUsage;
  }
  if (parser.isSet(help) || parser.isSet(version)) {
    const QByteArray answer = parser.isSet(help)
                                  ? RussianHelp(parser).toUtf8()
                                  : QByteArrayLiteral("trevalune-cli " TREVALUNE_VERSION "\n");
    QString message;
    if (WriteStandardOutput(answer, message))
      return kExitDone;
    std::fprintf(stderr, "trevalune-cli: %s\n", qUtf8Printable(message));
    return kExitFailed;
  }
  CliRequest request;
  if (!ReadRequest(parser, request))
    return kExitUsage;
  return RunCommand(request);
}
