#include "ui/ui_language.h"

#include <QCoreApplication>
#include <QObject>
#include <QVariant>
#include <QWidget>
#include <utility>

#include "document/caption_language.h"

namespace {

// The dynamic property that keeps the source of a translated property, and
// the one that names that property.
constexpr char kSourceProperty[] = "trevalune_tr_source";
constexpr char kTargetProperty[] = "trevalune_tr_property";
constexpr char kContext[] = "Menu";

void Retranslate(QObject* object) {
  const QVariant sources = object->property(kSourceProperty);
  if (!sources.isValid())
    return;
  const QStringList source_list = sources.toStringList();
  const QStringList targets = object->property(kTargetProperty).toStringList();
  for (qsizetype i = 0; i < source_list.size() && i < targets.size(); ++i)
    object->setProperty(targets[i].toLatin1().constData(),
                        QCoreApplication::translate(kContext, source_list[i].toUtf8().constData()));
}

}  // namespace

QString LanguageKey(UiLanguage language) {
  return language == UiLanguage::English ? QStringLiteral("en") : QStringLiteral("ru");
}

std::optional<UiLanguage> LanguageFromKey(const QString& key) {
  if (key == QLatin1String("en"))
    return UiLanguage::English;
  if (key == QLatin1String("ru"))
    return UiLanguage::Russian;
  return std::nullopt;
}

UiTranslations::UiTranslations(QString qt_folder) : qt_folder_(std::move(qt_folder)) {}

UiTranslations::~UiTranslations() {
  RemoveAll();
}

void UiTranslations::RemoveAll() {
  if (program_installed_)
    QCoreApplication::removeTranslator(&program_);
  if (qt_installed_)
    QCoreApplication::removeTranslator(&qt_);
  program_installed_ = qt_installed_ = false;
}

bool UiTranslations::Use(UiLanguage language) {
  RemoveAll();
  language_ = language;
  if (language == UiLanguage::English) {
    program_installed_ = program_.load(QString::fromLatin1(kEnglishTranslationPath)) &&
                         QCoreApplication::installTranslator(&program_);
    return program_installed_;
  }
  // The program's own Russian holds only the plural forms of its texts.
  program_installed_ = program_.load(QString::fromLatin1(kRussianTranslationPath)) &&
                       QCoreApplication::installTranslator(&program_);
  qt_installed_ = qt_.load(QStringLiteral("qtbase_ru"), qt_folder_) &&
                  QCoreApplication::installTranslator(&qt_);
  return qt_installed_ && program_installed_;
}

void SetTranslated(QObject* object, const char* source, const char* property) {
  QStringList sources = object->property(kSourceProperty).toStringList();
  QStringList targets = object->property(kTargetProperty).toStringList();
  const QString target = QString::fromLatin1(property);
  const qsizetype at = targets.indexOf(target);
  if (at >= 0) {
    sources[at] = QString::fromUtf8(source);
  } else {
    sources.append(QString::fromUtf8(source));
    targets.append(target);
  }
  object->setProperty(kSourceProperty, sources);
  object->setProperty(kTargetProperty, targets);
  object->setProperty(property, QCoreApplication::translate(kContext, source));
}

void RetranslateTree(QObject* root) {
  // Qt's buttons by their object names, with the texts Qt names them by.
  static const struct {
    const char* object;
    const char* context;
    const char* text;
  } qt_buttons[] = {
      {"ScrollLeftButton", "QTabBar", "Scroll Left"},
      {"ScrollRightButton", "QTabBar", "Scroll Right"},
      {"qt_dockwidget_floatbutton", "QDockWidget", "Float"},
      {"qt_dockwidget_closebutton", "QDockWidget", "Close"},
  };
  Retranslate(root);
  for (QObject* child : root->findChildren<QObject*>()) {
    Retranslate(child);
    if (auto* widget = qobject_cast<QWidget*>(child))
      for (const auto& button : qt_buttons)
        if (widget->objectName() == QLatin1String(button.object))
          widget->setAccessibleName(QCoreApplication::translate(button.context, button.text));
  }
}
