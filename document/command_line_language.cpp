#include "command_line_language.h"

#include <QCoreApplication>
#include <initializer_list>
#include <utility>

bool AnswersInEnglish(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--lang") && i + 1 < arguments.size())
      return arguments[i + 1] == QLatin1String("en");
    if (arguments[i].startsWith(QLatin1String("--lang=")))
      return arguments[i].mid(7) == QLatin1String("en");
  }
  return qEnvironmentVariable("TREVALUNE_LANG") == QLatin1String("en");
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
