#include "document/formula.h"

#include "document/caption_language.h"
#include "document/comparison_file.h"
#include "document/text_place.h"

// muParser is built for char strings on every system. Qt defines _UNICODE
// for Windows programs, which would make its header declare wchar_t ones.
#pragma push_macro("_UNICODE")
#undef _UNICODE
#include <muParser.h>
#pragma pop_macro("_UNICODE")

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "tables/field_input.h"
#include "tables/grid_shape.h"
#include "tables/record_field.h"

namespace {

// muParser reads the formula as UTF-8 bytes and knows names by their bytes:
// every byte of a multi-byte character may stand in a name, so Cyrillic
// captions are names as they are.
const std::string& NameCharacters() {
  static const std::string characters = [] {
    std::string all = "0123456789_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int byte = 0x80; byte <= 0xFF; ++byte)
      all += static_cast<char>(byte);
    return all;
  }();
  return characters;
}

// A field's names in a formula, in both languages, for each table.
struct FieldName {
  QString name;
  int column;
};
const std::vector<FieldName>& FieldNames(TableIndex table) {
  static const std::array<std::vector<FieldName>, kTableCount> names = [] {
    std::array<std::vector<FieldName>, kTableCount> all;
    for (TableIndex t = 0; t < kTableCount; ++t) {
      for (int column = 1; column < ColCounts[t]; ++column)
        all[t].push_back({FormulaName(HeaderCaptions[t][column]), column});
      for (int column = 1; column < ColCounts[t]; ++column) {
        const QString english =
            FormulaName(CaptionUtf8(HeaderCaptions[t][column], CaptionLanguage::English));
        const bool taken = std::any_of(all[t].begin(), all[t].end(),
                                       [&](const FieldName& name) { return name.name == english; });
        if (!taken)
          all[t].push_back({english, column});
      }
    }
    return all;
  }();
  return names[table];
}

const char kValue[] = "value";

// The rounding of results, half away from zero, and its neighbours.
double Round(double number) {
  return std::round(number);
}
double Floor(double number) {
  return std::floor(number);
}
double Ceil(double number) {
  return std::ceil(number);
}

// The line and column (in characters) of byte `at` of `utf8`; past the end
// is the place just after the last character.
FormulaError ErrorAt(const QByteArray& utf8, qsizetype at, const QString& message) {
  const TextPlace place = PlaceOfByte(utf8, at);
  return {place.line, place.column, message};
}

// The light pass before muParser: it gives muParser the formula's line breaks
// and tabs as spaces, byte for byte, so that positions stay the same, and
// refuses any other control character (muParser would skip some and stop at
// others).
std::optional<FormulaError> PrePass(const QByteArray& original, QByteArray& utf8) {
  for (qsizetype i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte == '\n' || byte == '\r' || byte == '\t')
      utf8[i] = ' ';
    else if (byte < 0x20 || byte == 0x7F)
      return ErrorAt(
          original, i,
          QCoreApplication::translate("Formula", "непечатаемый знак (код %1)").arg(byte));
  }
  return std::nullopt;
}

// Where an assignment is in a formula muParser compiled: muParser takes
// = += -= *= /= for one, a formula only computes. Any = that is not part of
// == <= >= != is one (quoted text does not compile, so there is none).
qsizetype Assignment(const QByteArray& utf8) {
  for (qsizetype i = 0; i < utf8.size(); ++i) {
    if (utf8[i] != '=')
      continue;
    const char before = i > 0 ? utf8[i - 1] : ' ';
    if (i + 1 < utf8.size() && utf8[i + 1] == '=') {
      ++i;  // ==
      continue;
    }
    if (before == '<' || before == '>' || before == '!')
      continue;
    return before == '+' || before == '-' || before == '*' || before == '/' ? i - 1 : i;
  }
  return -1;
}

// Where the first comma outside parentheses is: muParser takes "1, 2" as two
// results, a formula is one.
qsizetype TopLevelComma(const QByteArray& utf8) {
  int depth = 0;
  for (qsizetype i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (c == '(')
      ++depth;
    else if (c == ')')
      --depth;
    else if (c == ',' && depth <= 0)
      return i;
  }
  return utf8.size();
}

// The edit distance of two names, letters compared in either case.
int Distance(const QString& a, const QString& b) {
  const QString x = a.toCaseFolded(), y = b.toCaseFolded();
  std::vector<int> row(static_cast<std::size_t>(y.size()) + 1);
  for (std::size_t j = 0; j < row.size(); ++j)
    row[j] = static_cast<int>(j);
  for (qsizetype i = 1; i <= x.size(); ++i) {
    int diagonal = row[0];
    row[0] = static_cast<int>(i);
    for (qsizetype j = 1; j <= y.size(); ++j) {
      const int above = row[static_cast<std::size_t>(j)];
      row[static_cast<std::size_t>(j)] =
          std::min({above + 1, row[static_cast<std::size_t>(j - 1)] + 1,
                    diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row.back();
}

QString Closest(const QString& name, const QStringList& candidates) {
  QString best;
  int best_distance = 0;
  for (const QString& candidate : candidates) {
    const int distance = Distance(name, candidate);
    if (best.isEmpty() || distance < best_distance) {
      best = candidate;
      best_distance = distance;
    }
  }
  return best;
}

bool StartsName(QChar c) {
  return c.isLetter() || c == QLatin1Char('_');
}

}  // namespace

QString FormulaName(std::string_view caption) {
  QString name = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
  name.replace(QLatin1Char(' '), QLatin1Char('_'));
  name.remove(QLatin1Char('.'));
  return name;
}

QString FormulaErrorText(const FormulaError& error) {
  if (error.line == 0)
    return QCoreApplication::translate("Formula", "ошибка в формуле: %1").arg(error.message);
  return QCoreApplication::translate("Formula", "ошибка в формуле, строка %1, столбец %2: %3")
      .arg(error.line)
      .arg(error.column)
      .arg(error.message);
}

FormulaFields FieldsAfterCommit(const TableDocument& document, TableIndex table) {
  return [&document, table](int entry, int column) {
    return document.ValueAfterCommit({table, entry, column});
  };
}

FormulaFields ComparisonFields(const TableDocument& document, TableIndex table) {
  return [&document, table](int entry, int column) {
    return document.Comparison().Value({table, entry, column});
  };
}

// The parser with the formula compiled, and the numbers its names are bound
// to: [0] is `value`, [c] the field of column c.
struct Formula::Engine {
  mu::Parser parser;
  std::array<double, kMaxColCount> values{};
  TableIndex table = kCreatures;
  FormulaPlace place = FormulaPlace::Cell;
  std::vector<int> used;  // the columns the formula names
  bool uses_value = false;

  FormulaError ErrorOf(const mu::ParserError& error, const QByteArray& utf8) const;
  FormulaError UnknownName(const QString& token, qsizetype at, const QByteArray& utf8) const;
};

FormulaError Formula::Engine::UnknownName(const QString& token, qsizetype at,
                                          const QByteArray& utf8) const {
  // A name runs as far as letters, digits and _ go; a sign after them that
  // muParser took into the name (a dash, a quotation mark) is its own error.
  qsizetype length = 0;
  while (length < token.size() && (token[length].isLetterOrNumber() || token[length] == u'_'))
    ++length;
  if (length == 0 || !StartsName(token[0])) {
    const qsizetype size = token.isEmpty() ? 0 : (token[0].isHighSurrogate() ? 2 : 1);
    return ErrorAt(
        utf8, at,
        QCoreApplication::translate("Formula", "непонятный знак «%1»").arg(token.left(size)));
  }
  const QString name = token.left(length);
  const QStringList fields = [this] {
    QStringList names;
    if (place == FormulaPlace::Cell)
      names << QString::fromLatin1(kValue);
    for (const FieldName& field : FieldNames(table))
      names << field.name;
    return names;
  }();
  if (fields.contains(name))  // a known name, and a sign that is not
    return ErrorAt(
        utf8, at + name.toUtf8().size(),
        QCoreApplication::translate("Formula", "непонятный знак «%1»").arg(token.mid(length, 1)));
  if (name == QLatin1String(kValue))
    return ErrorAt(
        utf8, at,
        QCoreApplication::translate(
            "Formula", "у условия и вычисляемого столбца нет своей ячейки, а значит, и «value»"));
  if (name == QLatin1String("row") || name == QLatin1String("Math"))
    return ErrorAt(utf8, at,
                   QCoreApplication::translate(
                       "Formula",
                       "«%1» — из прежних формул: поле пишется по названию (Мин_урон), функция — "
                       "без «Math.» (max, round)")
                       .arg(name));
  // A name followed by a parenthesis is a function's.
  qsizetype next = at + token.toUtf8().size();
  while (next < utf8.size() && utf8[next] == ' ')
    ++next;
  if (next < utf8.size() && utf8[next] == '(') {
    QStringList functions;
    for (const auto& [function, callback] : parser.GetFunDef())
      functions << QString::fromStdString(function);
    return ErrorAt(utf8, at,
                   QCoreApplication::translate("Formula", "нет функции «%1»; может быть, «%2»?")
                       .arg(name, Closest(name, functions)));
  }
  return ErrorAt(utf8, at,
                 QCoreApplication::translate("Formula", "нет поля «%1»; может быть, «%2»?")
                     .arg(name, Closest(name, fields)));
}

FormulaError Formula::Engine::ErrorOf(const mu::ParserError& error, const QByteArray& utf8) const {
  const QString token = QString::fromStdString(error.GetToken()).trimmed();
  // Without a place of its own an error lies where the formula ends.
  const qsizetype at = error.GetPos() >= 0 ? error.GetPos() : utf8.size();
  const auto here = [&](const QString& message) { return ErrorAt(utf8, at, message); };
  switch (error.GetCode()) {
    case mu::ecUNASSIGNABLE_TOKEN:
      return UnknownName(token, at, utf8);
    case mu::ecUNEXPECTED_OPERATOR:
      return here(QCoreApplication::translate("Formula", "здесь не может стоять «%1»").arg(token));
    case mu::ecUNEXPECTED_EOF:
      return here(QCoreApplication::translate(
          "Formula", "формула обрывается: не хватает числа, поля или скобки"));
    case mu::ecUNEXPECTED_ARG_SEP:
      return here(QCoreApplication::translate("Formula", "лишняя запятая"));
    case mu::ecUNEXPECTED_ARG:
      return here(QCoreApplication::translate("Formula", "лишний аргумент"));
    case mu::ecUNEXPECTED_VAL:
    case mu::ecUNEXPECTED_VAR:
    case mu::ecUNEXPECTED_FUN:
      return here(QCoreApplication::translate("Formula", "перед «%1» не хватает знака действия")
                      .arg(token));
    case mu::ecUNEXPECTED_PARENS:
      return here(
          QCoreApplication::translate("Formula", "здесь не может стоять скобка «%1»").arg(token));
    case mu::ecMISSING_PARENS:
      return here(QCoreApplication::translate("Formula", "не хватает закрывающей скобки"));
    case mu::ecUNEXPECTED_STR:
    case mu::ecSTRING_EXPECTED:
    case mu::ecVAL_EXPECTED:
    case mu::ecUNTERMINATED_STRING:
    case mu::ecOPRT_TYPE_CONFLICT:
    case mu::ecSTR_RESULT:
      return here(
          QCoreApplication::translate("Formula", "строк в формулах нет, только числа и поля"));
    case mu::ecTOO_MANY_PARAMS:
      return here(QCoreApplication::translate("Formula", "у функции «%1» слишком много аргументов")
                      .arg(token));
    case mu::ecTOO_FEW_PARAMS:
      return here(QCoreApplication::translate("Formula", "у функции «%1» слишком мало аргументов")
                      .arg(token));
    case mu::ecEMPTY_EXPRESSION:
      return {0, 0, QCoreApplication::translate("Formula", "формула пуста")};
    case mu::ecUNEXPECTED_CONDITIONAL:
      return here(QCoreApplication::translate("Formula", "здесь не может стоять «?»"));
    case mu::ecMISSING_ELSE_CLAUSE:
      return here(QCoreApplication::translate("Formula", "после «?» не хватает «:»"));
    case mu::ecMISPLACED_COLON:
      return here(QCoreApplication::translate("Formula", "«:» без «?»"));
    case mu::ecIDENTIFIER_TOO_LONG:
      return here(QCoreApplication::translate("Formula", "слишком длинное имя"));
    case mu::ecEXPRESSION_TOO_LONG:
      return {0, 0,
              QCoreApplication::translate("Formula", "формула слишком длинная: больше %1 байт")
                  .arg(mu::MaxLenExpression)};
    case mu::ecINVALID_CHARACTERS_FOUND:
      return here(QCoreApplication::translate("Formula", "непечатаемый знак"));
    default:
      return here(QCoreApplication::translate("Formula", "формулу не удалось разобрать"));
  }
}

Formula::Formula(TableIndex table, const QString& text, FormulaPlace place)
    : engine_(std::make_unique<Engine>()), text_(text) {
  Engine& engine = *engine_;
  engine.table = table;
  engine.place = place;
  const QByteArray original = text.toUtf8();
  QByteArray utf8 = original;
  compile_error_ = PrePass(original, utf8);
  if (compile_error_)
    return;
  try {
    mu::Parser& parser = engine.parser;
    parser.DefineNameChars(NameCharacters().c_str());
    parser.DefineFun("round", &Round);
    parser.DefineFun("floor", &Floor);
    parser.DefineFun("ceil", &Ceil);
    if (place == FormulaPlace::Cell)
      parser.DefineVar(kValue, &engine.values[0]);
    for (const FieldName& field : FieldNames(table))
      parser.DefineVar(field.name.toStdString(),
                       &engine.values[static_cast<std::size_t>(field.column)]);
    parser.SetExpr(utf8.toStdString());
    // The first run compiles and checks every name; what it gives is not used.
    parser.Eval();
    if (const qsizetype at = Assignment(original); at >= 0) {
      compile_error_ =
          ErrorAt(original, at,
                  QCoreApplication::translate(
                      "Formula", "присваивать в формуле нельзя; сравнение пишется «==»"));
      return;
    }
    if (parser.GetNumResults() > 1) {
      compile_error_ = ErrorAt(original, TopLevelComma(original),
                               QCoreApplication::translate(
                                   "Formula",
                                   "формула — одно выражение; запятая разделяет только аргументы "
                                   "функции"));
      return;
    }
    for (const auto& [name, bound] : parser.GetUsedVar()) {
      if (bound == &engine.values[0]) {
        engine.uses_value = true;
        continue;
      }
      const auto column = static_cast<int>(bound - engine.values.data());
      if (std::find(engine.used.begin(), engine.used.end(), column) == engine.used.end())
        engine.used.push_back(column);
    }
    parser.Eval();  // back from the check of the names to the compiled form
  } catch (const mu::ParserError& error) {
    compile_error_ = engine.ErrorOf(error, original);
  } catch (const std::exception&) {
    compile_error_ =
        FormulaError{0, 0, QCoreApplication::translate("Formula", "формулу не удалось разобрать")};
  }
}

Formula::~Formula() = default;
Formula::Formula(Formula&&) noexcept = default;
Formula& Formula::operator=(Formula&&) noexcept = default;

FormulaResult Formula::Evaluate(const FormulaFields& fields, int entry,
                                std::optional<int> column) const {
  FormulaResult result;
  if (compile_error_) {
    result.kind = FormulaResult::Kind::Failed;
    result.error = *compile_error_;
    return result;
  }
  Engine& engine = *engine_;
  if (engine.uses_value)
    engine.values[0] = column ? static_cast<double>(ShownNumber(fields(entry, *column),
                                                                FieldOf(engine.table, *column)))
                              : std::nan("");
  for (const int used : engine.used)
    engine.values[static_cast<std::size_t>(used)] =
        static_cast<double>(ShownNumber(fields(entry, used), FieldOf(engine.table, used)));
  double answer = 0;
  try {
    answer = engine.parser.Eval();
  } catch (const std::exception&) {
    result.kind = FormulaResult::Kind::Failed;
    result.error = {0, 0, QCoreApplication::translate("Formula", "формулу не удалось вычислить")};
    return result;
  }
  result.truth = answer != 0 && !std::isnan(answer);
  if (std::isfinite(answer)) {
    result.kind = FormulaResult::Kind::Number;
    result.number = answer;
  }
  return result;
}

RangeResult FormulaNumberToField(double number, FieldLayout layout, bool wrap) {
  const double rounded = std::round(number);  // half away from zero
  // Within 2^62 the rounded number is a whole number of 64 bits, and the
  // range edit's rule for one holds as it is.
  constexpr double kWhole = 4611686018427387904.0;
  if (rounded > -kWhole && rounded < kWhole)
    return WholeNumberToField(static_cast<std::int64_t>(rounded), layout, wrap);
  // Beyond, it is past every field's range.
  if (!wrap) {
    const FieldRange range = RangeOf(layout);
    return {WrapNumberToField(rounded < 0 ? range.low : range.high, layout), false};
  }
  // The low 32 bits, exactly: a double's remainder by 2^32 is exact, and
  // beyond 2^53 a double's low bits are zeros anyway.
  return {WrapNumberToField(static_cast<std::int64_t>(std::fmod(rounded, 4294967296.0)), layout),
          false};
}

RangeEditPlan PlanFormulaEdit(const TableDocument& document, const std::vector<FieldRef>& fields,
                              const QString& formula, bool wrap, const QString& condition) {
  RangeEditPlan plan;
  if (!document.IsLoaded() || fields.empty())
    return plan;
  const TableIndex table = fields.front().table;
  const Formula compiled(table, formula, FormulaPlace::Cell);
  std::optional<Formula> where;
  if (!condition.trimmed().isEmpty())
    where.emplace(table, condition, FormulaPlace::Entry);
  const auto fail = [&plan](const FormulaError& error, const QString& which) {
    plan.changes.clear();
    plan.error = which.isEmpty() ? FormulaErrorText(error)
                                 : QStringLiteral("%1: %2").arg(which, FormulaErrorText(error));
  };
  if (compiled.CompileError()) {
    fail(*compiled.CompileError(), {});
    return plan;
  }
  if (where && where->CompileError()) {
    fail(*where->CompileError(), QCoreApplication::translate("Formula", "условие"));
    return plan;
  }
  const FormulaFields values = FieldsAfterCommit(document, table);
  // The condition's answer for each entry, worked out when first needed:
  // -1 not yet, 0 false, 1 true.
  std::vector<signed char> chosen(static_cast<std::size_t>(EntryCount(table)), -1);
  for (const FieldRef& field : fields) {
    if (!IsField(field) || field.table != table)
      continue;
    if (where) {
      signed char& known = chosen[static_cast<std::size_t>(field.entry)];
      if (known < 0) {
        const FormulaResult answer = where->Evaluate(values, field.entry, std::nullopt);
        if (answer.kind == FormulaResult::Kind::Failed) {
          fail(answer.error, QCoreApplication::translate("Formula", "условие"));
          return plan;
        }
        known = answer.truth ? 1 : 0;
      }
      if (known == 0)
        continue;
    }
    ++plan.cells;
    if (document.HasTypedText(field) && document.Mark(field) == CellMark::NotANumber) {
      ++plan.not_numbers;
      continue;
    }
    const FormulaResult result = compiled.Evaluate(values, field.entry, field.column);
    if (result.kind == FormulaResult::Kind::Failed) {
      fail(result.error, {});
      return plan;
    }
    if (result.kind == FormulaResult::Kind::NotNumber) {
      ++plan.not_number_results;
      continue;
    }
    const std::int32_t now = values(field.entry, field.column);
    const RangeResult stored =
        FormulaNumberToField(result.number, FieldOf(table, field.column), wrap);
    if (!stored.fitted)
      ++plan.out_of_range;
    if (stored.value != now)
      PlanChange(document, plan, field, stored.value);
  }
  return plan;
}
