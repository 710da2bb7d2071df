#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

class QTranslator;

// The language the command-line programs answer in, and their help in it.

// The language asked for: --lang's value (--lang en or --lang=en) or, without
// it, TREVALUNE_LANG's, which means just what --lang does; empty when neither
// is given.
struct LanguageRequest {
  QString value;
  bool from_environment = false;
};
LanguageRequest RequestedLanguage(const QStringList& arguments);

// English when en is asked for; when an unknown language is asked for with
// --lang, English if TREVALUNE_LANG is en, so that the refusal is in the
// language the user set for himself. Russian otherwise. Read before the
// options are described, since their descriptions are in that language.
bool AnswersInEnglish(const QStringList& arguments);

// Loads into `translator` the program's texts in the language of the
// answers: the English translation, or for Russian the plural forms of its
// own texts. False when it is missing.
bool LoadAnswersTranslation(QTranslator& translator, const QStringList& arguments);

// Why the language asked for cannot be used, in the language of the answers;
// empty for ru, en or none.
QString LanguageRefusal(const LanguageRequest& request);

// `text` in the one style of the command line's messages: it starts with a
// lower-case letter (a word in capitals, such as CSV, is kept) and has no
// full stop at its end. Messages shared with the window are written as
// sentences there.
QString CommandLineMessage(QString text);

// Parses the program's arguments with `parser`, which holds `options`; what
// is wrong with them in our own words, or empty. An option's value missing,
// or taken from the option after it ("--table --lang en"), and a value given
// to an option that takes none are named with the option; an unknown option
// is named as it was typed.
QString ParseCommandLine(QCommandLineParser& parser, const QList<QCommandLineOption>& options);

// The help `parser` gives, for the program `program`: Qt words its parts in
// English, and in Russian they are put in Russian, as the rest of the help;
// the program is named by its name, not by the whole path it was started by.
QString CommandLineHelp(const QCommandLineParser& parser, const QString& program);
