#include "document/field_notes.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <utility>

#include "document/caption_language.h"
#include "document/formula.h"
#include "document/text_place.h"
#include "storage/file_store.h"
#include "tables/field_input.h"

namespace {

// No notes file comes near this; a larger one is refused before it is read.
constexpr std::int64_t kMaxNotesSize = 4 * 1024 * 1024;

const char kFormatTag[] = "trevalune-notes/1";
// The tables by the names the notes use, as on the command line.
constexpr std::array<const char*, kTableCount> kTableKeys{"creatures", "buildings", "spells"};

// One step of the way to a value in the JSON text: a member's key or an
// element's index.
struct PathStep {
  QString key;
  int index = -1;
};
using JsonPath = std::vector<PathStep>;

// Finds where a value (or a member's key) lies in JSON text that QJsonDocument
// has already accepted, so that a fault found in the parsed notes can be told
// with its line and column. It only skips over what it does not look into.
class JsonLocator {
 public:
  explicit JsonLocator(const QByteArray& text) : text_(text) {}

  // The byte offset of the value at `path`, or of its key when `key` and the
  // last step is a member; -1 if there is none.
  qsizetype Find(const JsonPath& path, bool key) {
    at_ = 0;
    SkipSpace();
    for (std::size_t step = 0; step < path.size(); ++step) {
      const bool last = step + 1 == path.size();
      if (!Enter(path[step], key && last))
        return -1;
      if (key && last)
        return at_;
    }
    return at_;
  }

 private:
  char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
  void SkipSpace() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
      ++at_;
  }
  // At a string's opening quote: moves past it and returns its text.
  QString String() {
    const qsizetype start = at_;
    ++at_;
    bool escaped = false;
    while (at_ < text_.size() && text_[at_] != '"') {
      if (text_[at_] == '\\') {
        escaped = true;
        ++at_;
      }
      ++at_;
    }
    ++at_;
    const QByteArray raw = text_.mid(start, at_ - start);
    if (!escaped)
      return QString::fromUtf8(raw.mid(1, raw.size() - 2));
    return QJsonDocument::fromJson("[" + raw + "]").array().at(0).toString();
  }
  // Moves past the value that starts here.
  void SkipValue() {
    const char c = Peek();
    if (c == '"') {
      String();
    } else if (c == '{' || c == '[') {
      int depth = 0;
      do {
        const char d = Peek();
        if (d == '"') {
          String();
          continue;
        }
        if (d == '{' || d == '[')
          ++depth;
        else if (d == '}' || d == ']')
          --depth;
        ++at_;
      } while (depth > 0 && at_ < text_.size());
    } else {
      while (at_ < text_.size() && !QByteArrayView(",}] \t\r\n").contains(text_[at_]))
        ++at_;
    }
    SkipSpace();
  }
  // At an object or array: moves to the value of `step` (or to the key), the
  // last such member when a key is repeated, as QJsonDocument keeps it.
  bool Enter(const PathStep& step, bool to_key) {
    const char open = Peek();
    if (open != '{' && open != '[')
      return false;
    ++at_;
    SkipSpace();
    qsizetype found = -1;
    qsizetype found_key = -1;
    for (int index = 0; Peek() != '}' && Peek() != ']' && at_ < text_.size(); ++index) {
      bool match = false;
      qsizetype key_at = at_;
      if (open == '{') {
        match = String() == step.key;
        SkipSpace();
        ++at_;  // the colon
        SkipSpace();
      } else {
        match = index == step.index;
      }
      if (match) {
        found = at_;
        found_key = key_at;
      }
      SkipValue();
      if (Peek() == ',') {
        ++at_;
        SkipSpace();
      }
    }
    if (found < 0)
      return false;
    at_ = to_key ? found_key : found;
    return true;
  }

  const QByteArray& text_;
  qsizetype at_ = 0;
};

// The line and column of byte `at` of `utf8`, in characters.
NotesError ErrorAt(const QByteArray& utf8, qsizetype at, const QString& message) {
  const TextPlace place = PlaceOfByte(utf8, at);
  return {place.line, place.column, message};
}

// A fault in the parsed notes, with the way to where it lies.
struct Fault {
  JsonPath path;
  bool at_key = false;
  QString message;
  // For a fault inside a string value: the column of the fault in the text
  // of the string (1 and up), which the place then points at when the string
  // is written without escapes; 0 for the string itself.
  int column_in_string = 0;
  // The message when the place points inside the string.
  QString message_inside;
};

QString FieldRangeText(FieldLayout layout) {
  return QStringLiteral("%1..%2").arg(FieldLowest(layout)).arg(FieldHighest(layout));
}

// Reads the notes, stopping at the first fault.
class NotesReader {
 public:
  std::optional<Fault> Read(const QJsonObject& root, FieldNotes& notes) {
    const QJsonValue format = root.value(QStringLiteral("format"));
    if (!format.isString() || format.toString() != QLatin1String(kFormatTag))
      return Fail({{QStringLiteral("format")}}, !root.contains(QStringLiteral("format")),
                  QCoreApplication::translate("FieldNotes", "нужен \"format\": \"%1\"")
                      .arg(QLatin1String(kFormatTag)));
    for (const QString& key : root.keys())
      if (key != QStringLiteral("format") && key != QStringLiteral("tables"))
        return Fail({{key}}, true,
                    QCoreApplication::translate("FieldNotes", "неизвестный ключ «%1»").arg(key));
    if (!root.contains(QStringLiteral("tables")))
      return Fail({}, false, QCoreApplication::translate("FieldNotes", "нет ключа «tables»"));
    const QJsonValue tables = root.value(QStringLiteral("tables"));
    if (!tables.isObject())
      return Fail({{QStringLiteral("tables")}}, false,
                  QCoreApplication::translate("FieldNotes", "«tables» должен быть объектом"));
    const QJsonObject tables_object = tables.toObject();
    for (const QString& key : tables_object.keys()) {
      const auto found = std::find_if(kTableKeys.begin(), kTableKeys.end(),
                                      [&](const char* name) { return key == QLatin1String(name); });
      JsonPath path{{QStringLiteral("tables")}, {key}};
      if (found == kTableKeys.end())
        return Fail(
            path, true,
            QCoreApplication::translate(
                "FieldNotes", "неизвестная таблица «%1»: нужна creatures, buildings или spells")
                .arg(key));
      const auto table = static_cast<TableIndex>(found - kTableKeys.begin());
      if (auto fault = ReadTable(tables_object.value(key), table, path, notes.tables[table]))
        return fault;
    }
    return std::nullopt;
  }

 private:
  static std::optional<Fault> Fail(JsonPath path, bool at_key, const QString& message) {
    return Fault{std::move(path), at_key, message, 0, {}};
  }
  static JsonPath Append(JsonPath path, const QString& key) {
    path.push_back({key});
    return path;
  }
  static JsonPath Append(JsonPath path, int index) {
    path.push_back({{}, index});
    return path;
  }

  // Only `allowed` keys in `object`.
  static std::optional<Fault> OnlyKeys(const QJsonObject& object, const JsonPath& path,
                                       std::initializer_list<const char*> allowed) {
    for (const QString& key : object.keys()) {
      const bool known = std::any_of(allowed.begin(), allowed.end(),
                                     [&](const char* name) { return key == QLatin1String(name); });
      if (!known) {
        QStringList names;
        for (const char* name : allowed)
          names << QLatin1String(name);
        return Fail(
            Append(path, key), true,
            QCoreApplication::translate("FieldNotes", "неизвестный ключ «%1»: здесь бывают %2")
                .arg(key, names.join(QStringLiteral(", "))));
      }
    }
    return std::nullopt;
  }

  // {"ru": "...", "en": "..."}, either key optional.
  static std::optional<Fault> ReadText(const QJsonObject& object, const JsonPath& path,
                                       NoteText& text) {
    for (const char* language : {"ru", "en"}) {
      const QString key = QLatin1String(language);
      if (!object.contains(key))
        continue;
      const QJsonValue value = object.value(key);
      if (!value.isString())
        return Fail(Append(path, key), false,
                    QCoreApplication::translate("FieldNotes", "«%1» должен быть строкой").arg(key));
      (key == QStringLiteral("ru") ? text.ru : text.en) = value.toString();
    }
    return std::nullopt;
  }

  // A name in both languages: an object with "ru" and/or "en", not empty.
  static std::optional<Fault> ReadName(const QJsonValue& value, const JsonPath& path,
                                       NoteText& text) {
    if (!value.isObject())
      return Fail(path, false,
                  QCoreApplication::translate(
                      "FieldNotes", "название должно быть объектом {\"ru\": ..., \"en\": ...}"));
    if (auto fault = OnlyKeys(value.toObject(), path, {"ru", "en"}))
      return fault;
    if (auto fault = ReadText(value.toObject(), path, text))
      return fault;
    if (text.IsEmpty())
      return Fail(
          path, false,
          QCoreApplication::translate("FieldNotes", "пустое название: нужен «ru» или «en»"));
    return std::nullopt;
  }

  // A whole number within [low, high].
  static std::optional<Fault> ReadNumber(const QJsonValue& value, const JsonPath& path,
                                         std::int64_t low, std::int64_t high,
                                         std::int64_t& number) {
    const double real = value.toDouble();
    if (!value.isDouble() || real != std::floor(real))
      return Fail(path, false, QCoreApplication::translate("FieldNotes", "нужно целое число"));
    if (real < static_cast<double>(low) || real > static_cast<double>(high))
      return Fail(path, false,
                  QCoreApplication::translate("FieldNotes", "%1 вне диапазона поля %2..%3")
                      .arg(real, 0, 'f', 0)
                      .arg(low)
                      .arg(high));
    number = static_cast<std::int64_t>(real);
    return std::nullopt;
  }

  // A key that is a whole number in decimal, as "bits" and "values" use.
  static std::optional<std::int64_t> KeyNumber(const QString& key) {
    bool ok = false;
    const qlonglong number = key.toLongLong(&ok, 10);
    if (!ok || key.trimmed() != key || key.startsWith(QLatin1Char('+')))
      return std::nullopt;
    return number;
  }

  std::optional<Fault> ReadTable(const QJsonValue& value, TableIndex table, const JsonPath& path,
                                 TableNotes& notes) {
    if (!value.isObject())
      return Fail(path, false,
                  QCoreApplication::translate("FieldNotes", "таблица должна быть объектом"));
    const QJsonObject object = value.toObject();
    if (auto fault = OnlyKeys(object, path, {"fields", "checks"}))
      return fault;
    if (object.contains(QStringLiteral("fields"))) {
      const JsonPath fields_path = Append(path, QStringLiteral("fields"));
      const QJsonValue fields = object.value(QStringLiteral("fields"));
      if (!fields.isObject())
        return Fail(fields_path, false,
                    QCoreApplication::translate("FieldNotes", "«fields» должен быть объектом"));
      const QJsonObject fields_object = fields.toObject();
      std::array<QString, kMaxColCount> named_by{};
      const std::span<const std::string_view> captions(HeaderCaptions[table].data() + 1,
                                                       ColCounts[table] - 1);
      for (const QString& caption : fields_object.keys()) {
        const JsonPath field_path = Append(fields_path, caption);
        const QByteArray utf8 = caption.toUtf8();
        const int found = FindCaption(
            std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), captions);
        if (found < 0) {
          QStringList known;
          for (std::string_view known_caption : captions)
            known << QString::fromUtf8(known_caption.data(),
                                       static_cast<qsizetype>(known_caption.size()));
          return Fail(
              field_path, true,
              QCoreApplication::translate("FieldNotes", "в таблице %1 нет поля «%2»; есть %3")
                  .arg(QLatin1String(kTableKeys[table]), caption,
                       known.join(QStringLiteral(", "))));
        }
        const int column = found + 1;
        if (!named_by[column].isEmpty())
          return Fail(field_path, true,
                      QCoreApplication::translate("FieldNotes", "поле «%1» уже описано как «%2»")
                          .arg(caption, named_by[column]));
        named_by[column] = caption;
        if (auto fault = ReadField(fields_object.value(caption), FieldOf(table, column), field_path,
                                   notes.fields[column]))
          return fault;
      }
    }
    if (object.contains(QStringLiteral("checks"))) {
      const JsonPath checks_path = Append(path, QStringLiteral("checks"));
      const QJsonValue checks = object.value(QStringLiteral("checks"));
      if (!checks.isArray())
        return Fail(checks_path, false,
                    QCoreApplication::translate("FieldNotes", "«checks» должен быть массивом"));
      const QJsonArray array = checks.toArray();
      for (int i = 0; i < array.size(); ++i) {
        NoteCheck check;
        if (auto fault = ReadCheck(array.at(i), table, Append(checks_path, i), check))
          return fault;
        notes.checks.push_back(std::move(check));
      }
    }
    return std::nullopt;
  }

  std::optional<Fault> ReadField(const QJsonValue& value, FieldLayout layout, const JsonPath& path,
                                 FieldNote& note) {
    if (!value.isObject())
      return Fail(path, false,
                  QCoreApplication::translate("FieldNotes", "описание поля должно быть объектом"));
    const QJsonObject object = value.toObject();
    if (auto fault = OnlyKeys(object, path, {"ru", "en", "min", "max", "bits", "values"}))
      return fault;
    if (auto fault = ReadText(object, path, note.description))
      return fault;
    const std::int64_t low = FieldLowest(layout), high = FieldHighest(layout);
    for (const char* bound : {"min", "max"}) {
      const QString key = QLatin1String(bound);
      if (!object.contains(key))
        continue;
      std::int64_t number = 0;
      if (auto fault = ReadNumber(object.value(key), Append(path, key), low, high, number))
        return fault;
      (key == QStringLiteral("min") ? note.min : note.max) = number;
    }
    if (note.min && note.max && *note.min > *note.max)
      return Fail(Append(path, QStringLiteral("min")), false,
                  QCoreApplication::translate("FieldNotes", "«min» %1 больше «max» %2")
                      .arg(*note.min)
                      .arg(*note.max));
    if (object.contains(QStringLiteral("bits"))) {
      const JsonPath bits_path = Append(path, QStringLiteral("bits"));
      if (layout.width < 2)
        return Fail(
            bits_path, true,
            QCoreApplication::translate(
                "FieldNotes", "у поля в 1 байт нет имён битов: они бывают у полей в 2 и 4 байта"));
      const QJsonValue bits = object.value(QStringLiteral("bits"));
      if (!bits.isObject())
        return Fail(bits_path, false,
                    QCoreApplication::translate("FieldNotes", "«bits» должен быть объектом"));
      const QJsonObject bits_object = bits.toObject();
      const int count = 8 * layout.width;
      for (const QString& key : bits_object.keys()) {
        const auto bit = KeyNumber(key);
        if (!bit || *bit < 0 || *bit >= count)
          return Fail(Append(bits_path, key), true,
                      QCoreApplication::translate("FieldNotes",
                                                  "номер бита «%1» вне поля: нужен от 0 до %2")
                          .arg(key)
                          .arg(count - 1));
        if (auto fault = ReadName(bits_object.value(key), Append(bits_path, key),
                                  note.bits[static_cast<int>(*bit)]))
          return fault;
      }
    }
    if (object.contains(QStringLiteral("values"))) {
      const JsonPath values_path = Append(path, QStringLiteral("values"));
      const QJsonValue values = object.value(QStringLiteral("values"));
      if (!values.isObject())
        return Fail(values_path, false,
                    QCoreApplication::translate("FieldNotes", "«values» должен быть объектом"));
      const QJsonObject values_object = values.toObject();
      for (const QString& key : values_object.keys()) {
        const auto number = KeyNumber(key);
        if (!number || *number < low || *number > high)
          return Fail(Append(values_path, key), true,
                      QCoreApplication::translate(
                          "FieldNotes", "значение «%1» не целое число из диапазона поля %2")
                          .arg(key, FieldRangeText(layout)));
        if (auto fault =
                ReadName(values_object.value(key), Append(values_path, key), note.values[*number]))
          return fault;
      }
    }
    return std::nullopt;
  }

  static std::optional<Fault> ReadCheck(const QJsonValue& value, TableIndex table,
                                        const JsonPath& path, NoteCheck& check) {
    if (!value.isObject())
      return Fail(path, false,
                  QCoreApplication::translate("FieldNotes", "проверка должна быть объектом"));
    const QJsonObject object = value.toObject();
    if (auto fault = OnlyKeys(object, path, {"name", "condition", "level"}))
      return fault;
    for (const char* required : {"name", "condition", "level"})
      if (!object.contains(QLatin1String(required)))
        return Fail(path, false,
                    QCoreApplication::translate("FieldNotes", "у проверки нет ключа «%1»")
                        .arg(QLatin1String(required)));
    if (auto fault = ReadName(object.value(QStringLiteral("name")),
                              Append(path, QStringLiteral("name")), check.name))
      return fault;
    const JsonPath condition_path = Append(path, QStringLiteral("condition"));
    const QJsonValue condition = object.value(QStringLiteral("condition"));
    if (!condition.isString())
      return Fail(condition_path, false,
                  QCoreApplication::translate("FieldNotes", "«condition» должен быть строкой"));
    check.condition = condition.toString();
    if (check.condition.trimmed().isEmpty())
      return Fail(condition_path, false,
                  QCoreApplication::translate("FieldNotes", "пустое условие"));
    const Formula formula(table, check.condition, FormulaPlace::Entry);
    if (const auto& compile = formula.CompileError()) {
      Fault fault{condition_path,
                  false,
                  QCoreApplication::translate("FieldNotes", "условие не разобрано: %1")
                      .arg(FormulaErrorText(*compile)),
                  0,
                  {}};
      if (compile->line == 1 && compile->column > 0) {
        fault.column_in_string = compile->column;
        fault.message_inside = QCoreApplication::translate("FieldNotes", "условие не разобрано: %1")
                                   .arg(compile->message);
      }
      return fault;
    }
    const JsonPath level_path = Append(path, QStringLiteral("level"));
    const QString level = object.value(QStringLiteral("level")).toString();
    if (level == QStringLiteral("error"))
      check.level = CheckLevel::Error;
    else if (level == QStringLiteral("warning"))
      check.level = CheckLevel::Warning;
    else
      return Fail(level_path, false,
                  QCoreApplication::translate("FieldNotes",
                                              "«level» должен быть \"error\" или \"warning\""));
    return std::nullopt;
  }
};

}  // namespace

QString NotesErrorText(const NotesError& error) {
  if (error.line <= 0)
    return error.message;
  return QCoreApplication::translate("FieldNotes", "строка %1, столбец %2: %3")
      .arg(error.line)
      .arg(error.column)
      .arg(error.message);
}

std::int64_t FieldLowest(FieldLayout layout) {
  return RangeOf(layout).low;
}

std::int64_t FieldHighest(FieldLayout layout) {
  return RangeOf(layout).high;
}

std::optional<FieldNotes> ParseFieldNotes(const QByteArray& json, NotesError& error) {
  QJsonParseError parse_error;
  const QJsonDocument document = QJsonDocument::fromJson(json, &parse_error);
  if (parse_error.error != QJsonParseError::NoError) {
    error = ErrorAt(
        json, parse_error.offset,
        QCoreApplication::translate("FieldNotes", "не JSON: %1").arg(parse_error.errorString()));
    return std::nullopt;
  }
  if (!document.isObject()) {
    JsonLocator locator(json);
    error = ErrorAt(
        json, locator.Find({}, false),
        QCoreApplication::translate("FieldNotes", "файл заметок должен быть объектом JSON"));
    return std::nullopt;
  }
  FieldNotes notes;
  NotesReader reader;
  if (const auto fault = reader.Read(document.object(), notes)) {
    JsonLocator locator(json);
    const qsizetype at = std::max<qsizetype>(0, locator.Find(fault->path, fault->at_key));
    error = ErrorAt(json, at, fault->message);
    if (fault->column_in_string > 0 && at < json.size() && json[at] == '"') {
      // Inside a string with no escapes, each character is one of the file's.
      const qsizetype end = json.indexOf('"', at + 1);
      const QByteArray raw = json.mid(at + 1, end - at - 1);
      if (!raw.contains('\\')) {
        error.column += fault->column_in_string;
        error.message = fault->message_inside;
      }
    }
    return std::nullopt;
  }
  return notes;
}

std::optional<FieldNotes> ReadFieldNotes(FileStore& store, const QString& path, NotesError& error) {
  QByteArray json;
  QString reason;
  if (!store.ReadText(path, TextReadRules{kMaxNotesSize, false}, json, reason)) {
    error = {0, 0, reason};
    return std::nullopt;
  }
  return ParseFieldNotes(json, error);
}

const FieldNotes& ShippedFieldNotes() {
  static const FieldNotes notes = [] {
    QFile file(QString::fromLatin1(kShippedNotesPath));
    NotesError error;
    std::optional<FieldNotes> parsed;
    if (file.open(QIODevice::ReadOnly))
      parsed = ParseFieldNotes(file.readAll(), error);
    // The shipped file is checked by the tests; a build without it has no notes.
    return parsed.value_or(FieldNotes{});
  }();
  return notes;
}

namespace {

QJsonObject TextObject(const NoteText& text) {
  QJsonObject object;
  if (!text.ru.isEmpty())
    object.insert(QStringLiteral("ru"), text.ru);
  if (!text.en.isEmpty())
    object.insert(QStringLiteral("en"), text.en);
  return object;
}

}  // namespace

QByteArray WriteFieldNotes(const FieldNotes& notes) {
  QJsonObject tables;
  for (TableIndex table = 0; table < kTableCount; ++table) {
    const TableNotes& table_notes = notes.tables[table];
    QJsonObject fields;
    for (int column = 1; column < ColCounts[table]; ++column) {
      const FieldNote& note = table_notes.fields[column];
      QJsonObject field = TextObject(note.description);
      if (note.min)
        field.insert(QStringLiteral("min"), static_cast<double>(*note.min));
      if (note.max)
        field.insert(QStringLiteral("max"), static_cast<double>(*note.max));
      QJsonObject bits;
      for (const auto& [bit, name] : note.bits)
        bits.insert(QString::number(bit), TextObject(name));
      if (!bits.isEmpty())
        field.insert(QStringLiteral("bits"), bits);
      QJsonObject values;
      for (const auto& [value, name] : note.values)
        values.insert(QString::number(value), TextObject(name));
      if (!values.isEmpty())
        field.insert(QStringLiteral("values"), values);
      if (!field.isEmpty()) {
        const std::string_view caption = HeaderCaptions[table][column];
        fields.insert(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                      field);
      }
    }
    QJsonArray checks;
    for (const NoteCheck& check : table_notes.checks) {
      QJsonObject object;
      object.insert(QStringLiteral("name"), TextObject(check.name));
      object.insert(QStringLiteral("condition"), check.condition);
      object.insert(QStringLiteral("level"), check.level == CheckLevel::Error
                                                 ? QStringLiteral("error")
                                                 : QStringLiteral("warning"));
      checks.append(object);
    }
    QJsonObject table_object;
    if (!fields.isEmpty())
      table_object.insert(QStringLiteral("fields"), fields);
    if (!checks.isEmpty())
      table_object.insert(QStringLiteral("checks"), checks);
    if (!table_object.isEmpty())
      tables.insert(QLatin1String(kTableKeys[table]), table_object);
  }
  QJsonObject root;
  root.insert(QStringLiteral("format"), QLatin1String(kFormatTag));
  root.insert(QStringLiteral("tables"), tables);
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
