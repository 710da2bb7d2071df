#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// The language the command-line programs answer in, and their help in it.

// English with --lang en (or --lang=en) among `arguments`, or else when
// TREVALUNE_LANG is en; Russian otherwise. Read before the options are
// described, since their descriptions are in that language.
bool AnswersInEnglish(const QStringList& arguments);

// The help `parser` gives, for the program `program`: Qt words its parts in
// English, and in Russian they are put in Russian, as the rest of the help;
// the program is named by its name, not by the whole path it was started by.
QString CommandLineHelp(const QCommandLineParser& parser, const QString& program);
