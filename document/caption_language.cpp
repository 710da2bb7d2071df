#include "document/caption_language.h"

#include "tables/grid_shape.h"

#include <QCoreApplication>
#include <QTranslator>
#include <map>
#include <mutex>
#include <string>

namespace {

// The context every caption is translated in (TABLE_CAPTION marks them).
constexpr char kCaptionContext[] = "Captions";

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

const QTranslator& EnglishTranslation() {
  static const QTranslator* const translation = [] {
    auto* loaded = new QTranslator;
    if (!loaded->load(QString::fromLatin1(kEnglishTranslationPath)))
      qWarning("The English translation %s is missing", kEnglishTranslationPath);
    return loaded;
  }();
  return *translation;
}

QString ShownCaption(std::string_view russian) {
  if (russian.empty())
    return {};
  const std::string source(russian);
  return QCoreApplication::translate(kCaptionContext, source.c_str());
}

std::string_view CaptionUtf8(std::string_view russian, CaptionLanguage language) {
  if (language == CaptionLanguage::Russian || russian.empty())
    return russian;
  // Looked up once each; the map's strings stay where they are, so the views
  // handed out last as long as the program.
  static std::mutex mutex;
  static std::map<std::string, std::string, std::less<>> english;
  const std::lock_guard lock(mutex);
  auto known = english.find(russian);
  if (known == english.end()) {
    const std::string source(russian);
    const QString translated = EnglishTranslation().translate(kCaptionContext, source.c_str());
    known = english.emplace(source, translated.isEmpty() ? source : translated.toStdString()).first;
  }
  return known->second;
}

QString CaptionText(std::string_view russian, CaptionLanguage language) {
  return Text(CaptionUtf8(russian, language));
}

QLocale ShownLocale() {
  return QLocale(QCoreApplication::translate("Locale", "ru_RU"));
}

QString QuotedText(const QString& text) {
  return QCoreApplication::translate("Quotes", "«%1»").arg(text);
}

int FindCaption(std::string_view text, std::span<const std::string_view> captions) {
  for (std::size_t i = 0; i < captions.size(); ++i)
    if (text == captions[i])
      return static_cast<int>(i);
  for (std::size_t i = 0; i < captions.size(); ++i)
    if (!captions[i].empty() && text == CaptionUtf8(captions[i], CaptionLanguage::English))
      return static_cast<int>(i);
  return -1;
}

bool ShowsEnglish() {
  return ShownCaption(kNameCaption) !=
         QString::fromUtf8(kNameCaption.data(), static_cast<qsizetype>(kNameCaption.size()));
}
