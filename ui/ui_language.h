#pragma once

#include <QString>
#include <QTranslator>
#include <optional>

class QObject;

// The languages of the window. Russian is the language the program is
// written in, and the default whatever the system's locale.
enum class UiLanguage { Russian, English };

// How a language is kept in the settings: "ru", "en".
QString LanguageKey(UiLanguage language);
std::optional<UiLanguage> LanguageFromKey(const QString& key);

// The translations installed for the window's language: the program's own
// English for English; for Russian, Qt's own Russian (qtbase_ru from
// `qt_folder`), since Qt's texts are English to begin with, and the plural
// forms of the program's texts. Installing them sends
// every window a LanguageChange; they are removed with this object.
class UiTranslations {
 public:
  explicit UiTranslations(QString qt_folder);
  ~UiTranslations();
  UiTranslations(const UiTranslations&) = delete;
  UiTranslations& operator=(const UiTranslations&) = delete;

  UiLanguage Language() const { return language_; }
  // Installs `language`'s translations; false if one of them is missing (the
  // texts it would translate then stay as written).
  bool Use(UiLanguage language);

 private:
  void RemoveAll();

  QString qt_folder_;
  UiLanguage language_ = UiLanguage::Russian;
  QTranslator program_;
  QTranslator qt_;
  bool program_installed_ = false;
  bool qt_installed_ = false;
};

// Gives `object`'s `property` the translation of `source` in the "Menu"
// context, and keeps the source with it, so that RetranslateTree gives it
// the translation again when the language changes. `source` is marked with
// QT_TRANSLATE_NOOP("Menu", ...) where it is written.
void SetTranslated(QObject* object, const char* source, const char* property = "text");
// Gives every object under `root` (and `root` itself) that SetTranslated
// has seen the translation of the current language again, and Qt's own
// buttons that name themselves once, when they are made (the tab bar's
// scroll buttons, a dock's float and close buttons), their names again.
void RetranslateTree(QObject* root);
