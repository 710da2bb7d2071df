#pragma once

#include <QLocale>
#include <QString>
#include <span>
#include <string_view>

class QTranslator;

// The language of the captions in a file the program writes: a CSV table's
// header, a change list's header and its table and column names. Files keep
// the Russian captions unless English is asked for; on reading, both are
// known whatever the language of the window.
enum class CaptionLanguage { Russian, English };

// `russian` (a caption from the tables, or of a change list's columns) as the
// window shows it now, in the language of the installed translation.
QString ShownCaption(std::string_view russian);

// Whether the window shows its texts in English now: its captions tell.
bool ShowsEnglish();

// `russian` in `language` as UTF-8, whatever translation is installed: for
// files. English falls back to the Russian where it has no translation.
std::string_view CaptionUtf8(std::string_view russian, CaptionLanguage language);
QString CaptionText(std::string_view russian, CaptionLanguage language);

// Which of `captions` (Russian) `text` is: the index of the Russian caption
// it equals or, failing that, of the one whose English it is; -1 for none.
// A Russian header never looks the English up.
int FindCaption(std::string_view text, std::span<const std::string_view> captions);

// The program's English translation, built into it as :/i18n/trevalune_en.qm
// and loaded on first use; empty if it is missing.
const QTranslator& EnglishTranslation();
// Where that translation is, for installing it.
inline constexpr char kEnglishTranslationPath[] = ":/i18n/trevalune_en.qm";
// The plural forms of the program's Russian texts: Russian is the language
// they are written in, but a text with a count has three forms.
inline constexpr char kRussianTranslationPath[] = ":/i18n/trevalune_ru.qm";

// The locale of the language installed, for dates: Russian, or British
// English with the English translation.
QLocale ShownLocale();

// `text` in the quotes of the language installed: «text» in Russian, “text”
// in English.
QString QuotedText(const QString& text);
