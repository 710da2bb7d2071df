// trevalune-cli: the tables of an executable as CSV files and change lists,
// for scripts and spreadsheets, through the same document as the editor.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <map>

#include "cli_commands.h"
#include "standard_output.h"
#include "table_csv.h"

namespace {

struct CommandShape {
  int files;            // how many file arguments
  QStringList allowed;  // the options it takes besides -o and --any-size
  bool needs_table;
  bool needs_output;
};

const std::map<QString, CommandShape>& Commands() {
  static const std::map<QString, CommandShape> commands = {
      {QStringLiteral("export"), {1, {"table", "separator"}, false, false}},
      {QStringLiteral("import"), {2, {"table", "allow-name-mismatch"}, true, true}},
      {QStringLiteral("diff"), {2, {"separator"}, false, false}},
      {QStringLiteral("apply"), {2, {"force"}, false, true}},
  };
  return commands;
}

const char* const kDescription =
    "Таблицы исполняемого файла в виде CSV и списки изменений.\n"
    "\n"
    "Команды:\n"
    "  export ФАЙЛ.exe [--table Т] [--separator Р] [-o ВЫХОД]\n"
    "      таблицы в CSV: без --table три файла creatures.csv, buildings.csv,\n"
    "      spells.csv (в папке -o или в текущей), с --table одна таблица\n"
    "      в стандартный вывод или в файл -o\n"
    "  import ФАЙЛ.exe ТАБЛИЦА.csv --table Т -o ВЫХОД.exe [--allow-name-mismatch]\n"
    "      загрузить таблицу из CSV и записать исполняемый файл\n"
    "  diff A.exe B.exe [-o ИЗМЕНЕНИЯ.csv]\n"
    "      список полей, которыми B отличается от A\n"
    "  apply ФАЙЛ.exe ИЗМЕНЕНИЯ.csv -o ВЫХОД.exe [--force]\n"
    "      применить список изменений и записать исполняемый файл\n"
    "\n"
    "Коды выхода: 0 — готово, 1 — неверные аргументы, 2 — ошибка или отказ.";

void UsageError(const QString& message) {
  std::fprintf(stderr, "trevalune-cli: %s\nСправка: trevalune-cli --help\n",
               qUtf8Printable(message));
}

// Qt words the parts of its help in English; the rest of the help is Russian.
QString RussianHelp(const QCommandLineParser& parser) {
  QString help = parser.helpText();
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
    UsageError(QStringLiteral("не указана команда: export, import, diff или apply"));
    return false;
  }
  request.command = arguments.takeFirst();
  const auto shape = Commands().find(request.command);
  if (shape == Commands().end()) {
    UsageError(QStringLiteral("неизвестная команда «%1»").arg(request.command));
    return false;
  }
  if (arguments.size() != shape->second.files) {
    UsageError(QStringLiteral("команде %1 нужно файлов: %2, а указано %3")
                   .arg(request.command)
                   .arg(shape->second.files)
                   .arg(arguments.size()));
    return false;
  }
  request.files = arguments;
  for (const QString& option : {QStringLiteral("table"), QStringLiteral("separator"),
                                QStringLiteral("allow-name-mismatch"), QStringLiteral("force")}) {
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
  request.output = parser.value(QStringLiteral("output"));
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
  request.allow_name_mismatch = parser.isSet(QStringLiteral("allow-name-mismatch"));
  request.force = parser.isSet(QStringLiteral("force"));
  request.any_size = parser.isSet(QStringLiteral("any-size"));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
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
      {QStringLiteral("any-size"), QStringLiteral("Открывать файлы любого размера.")},
  });
  parser.addPositionalArgument(QStringLiteral("команда"),
                               QStringLiteral("export, import, diff или apply."));
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
