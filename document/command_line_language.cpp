#include "document/command_line_language.h"

#include <QCoreApplication>
#include <QTranslator>
#include <initializer_list>
#include <utility>

#include "document/caption_language.h"

namespace {

constexpr char kEnvironment[] = "TREVALUNE_LANG";

bool Known(const QString& language) {
  return language == QLatin1String("ru") || language == QLatin1String("en");
}

// An option as the user may type it: --name, or -n for a one-letter name.
QString Typed(const QString& name) {
  return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// Whether `argument` is an option rather than a value: --name, or one of the
// one-letter options. "-" (standard output) and a formula such as "-Attack"
// are values.
bool LooksLikeOption(const QString& argument, const QList<QCommandLineOption>& options) {
  if (argument.startsWith(QLatin1String("--")))
    return argument.size() > 2 && argument[2].isLetter() && argument[2].unicode() < 128;
  if (argument.size() != 2 || argument[0] != QLatin1Char('-'))
    return false;
  for (const QCommandLineOption& option : options)
    if (option.names().contains(argument.mid(1)))
      return true;
  return false;
}

// What Qt's parser would say of an option's value, in our own words: a
// value missing at the end or taken from the option after it, and a value
// given to an option that takes none. Empty when every value is in place.
QString OptionValueProblem(const QStringList& arguments, const QList<QCommandLineOption>& options) {
  const auto find = [&](const QString& name) -> const QCommandLineOption* {
    for (const QCommandLineOption& option : options)
      if (option.names().contains(name))
        return &option;
    return nullptr;
  };
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("--"))
      break;
    QString name;
    if (argument.startsWith(QLatin1String("--")))
      name = argument.mid(2);
    else if (argument.size() == 2 && argument[0] == QLatin1Char('-'))
      name = argument.mid(1);
    else
      continue;
    const qsizetype equals = name.indexOf(QLatin1Char('='));
    const QCommandLineOption* option = find(equals < 0 ? name : name.left(equals));
    if (!option)
      continue;  // unknown: the parser says so
    const QString typed = Typed(equals < 0 ? name : name.left(equals));
    if (option->valueName().isEmpty()) {
      if (equals >= 0)
        return QCoreApplication::translate("CommandLine", "параметр %1 не принимает значения")
            .arg(typed);
      continue;
    }
    if (equals >= 0)
      continue;
    if (i + 1 >= arguments.size())
      return QCoreApplication::translate("CommandLine", "параметру %1 нужно значение").arg(typed);
    if (LooksLikeOption(arguments[i + 1], options))
      return QCoreApplication::translate("CommandLine",
                                         "параметру %1 нужно значение, а за ним идёт параметр %2")
          .arg(typed, arguments[i + 1]);
    ++i;
  }
  return {};
}

// The unknown option `name` as it was typed.
QString TypedUnknown(const QStringList& arguments, const QString& name) {
  for (qsizetype i = 1; i < arguments.size() && arguments[i] != QLatin1String("--"); ++i) {
    const QString& argument = arguments[i];
    if (argument == QStringLiteral("--") + name ||
        argument.startsWith(QStringLiteral("--") + name + u'='))
      return QStringLiteral("--") + name;
  }
  return QStringLiteral("-") + name;
}

}  // namespace

LanguageRequest RequestedLanguage(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--"))
      break;
    if (arguments[i] == QLatin1String("--lang") && i + 1 < arguments.size())
      return {arguments[i + 1], false};
    if (arguments[i].startsWith(QLatin1String("--lang=")))
      return {arguments[i].mid(7), false};
  }
  if (qEnvironmentVariableIsSet(kEnvironment))
    return {qEnvironmentVariable(kEnvironment), true};
  return {};
}

bool AnswersInEnglish(const QStringList& arguments) {
  const LanguageRequest request = RequestedLanguage(arguments);
  if (Known(request.value) || request.from_environment)
    return request.value == QLatin1String("en");
  return qEnvironmentVariable(kEnvironment) == QLatin1String("en");
}

bool LoadAnswersTranslation(QTranslator& translator, const QStringList& arguments) {
  return translator.load(QString::fromLatin1(
      AnswersInEnglish(arguments) ? kEnglishTranslationPath : kRussianTranslationPath));
}

QString LanguageRefusal(const LanguageRequest& request) {
  if (request.value.isEmpty() && !request.from_environment)
    return {};
  if (Known(request.value))
    return {};
  const QString quoted = QuotedText(request.value);
  return request.from_environment
             ? QCoreApplication::translate("Cli",
                                           "неизвестный язык %1 в TREVALUNE_LANG: нужен ru или en")
                   .arg(quoted)
             : QCoreApplication::translate("Cli", "неизвестный язык %1: нужен ru или en")
                   .arg(quoted);
}

QString CommandLineMessage(QString text) {
  text = text.trimmed();
  while (text.endsWith(QLatin1Char('.')) && !text.endsWith(QLatin1String("..")))
    text.chop(1);
  if (text.size() >= 2 && text[0].isUpper() && !text[1].isUpper())
    text[0] = text[0].toLower();
  return text;
}
QString ParseCommandLine(QCommandLineParser& parser, const QList<QCommandLineOption>& options) {
  const QStringList arguments = QCoreApplication::arguments();
  if (QString problem = OptionValueProblem(arguments, options); !problem.isEmpty())
    return problem;
  if (parser.parse(arguments))
    return {};
  // Qt's own sentences would stand in ours with their capitals and stops.
  const QStringList unknown = parser.unknownOptionNames();
  return unknown.isEmpty() ? QCoreApplication::translate("CommandLine", "параметры не разобраны")
                           : QCoreApplication::translate("CommandLine", "неизвестный параметр %1")
                                 .arg(TypedUnknown(arguments, unknown.first()));
}

QString CommandLineHelp(const QCommandLineParser& parser, const QString& program) {
  QString help = parser.helpText();
  help.replace(QStringLiteral("Usage: ") + QCoreApplication::arguments().constFirst(),
               QStringLiteral("Usage: ") + program);
  for (const auto& [english, russian] : std::initializer_list<std::pair<const char*, const char*>>{
           {"Usage:", QT_TRANSLATE_NOOP("Cli", "Использование:")},
           {"[options]", QT_TRANSLATE_NOOP("Cli", "[параметры]")},
           {"Options:", QT_TRANSLATE_NOOP("Cli", "Параметры:")},
           {"Arguments:", QT_TRANSLATE_NOOP("Cli", "Аргументы:")}})
    help.replace(QLatin1String(english), QCoreApplication::translate("Cli", russian));
  return help;
}
