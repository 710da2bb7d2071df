#include "command_line_language.h"

#include <QCoreApplication>
#include <QTranslator>
#include <initializer_list>
#include <utility>

#include "caption_language.h"

namespace {

constexpr char kEnvironment[] = "TREVALUNE_LANG";

bool Known(const QString& language) {
  return language == QLatin1String("ru") || language == QLatin1String("en");
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
