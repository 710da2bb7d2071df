#include "formula.h"

#include "comparison_file.h"

#include <QCoreApplication>
#include <QJSEngine>
#include <QJSValue>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "field_input.h"
#include "grid_shape.h"
#include "record_field.h"

namespace {

// The field's value as a number: an unsigned 4-byte field's bit pattern read
// as 0 to 4294967295, as the grid shows it.
double NumberOf(std::int32_t value, FieldLayout layout) {
  if (!layout.is_signed && layout.width == 4)
    return static_cast<double>(static_cast<std::uint32_t>(value));
  return value;
}

// The formula sits on lines of its own inside a function, so that its lines
// are the function's lines less one and its columns are the same. A value
// thrown that is not an Error is made one, so that it counts as an error.
const char* const kHead = "(function (value, row%1) { try { return (\n";
const char* const kTail =
    "\n); } catch (e) { if (e instanceof Error) throw e; throw new Error(String(e)); } })";

// The engine gives a column only for a mistake in the writing; for an error
// while the formula runs it gives the line alone. The name the message gives
// is then looked for on that line: a name not defined as a word of its own
// (not after a dot), a property ("property 'x'") after a dot or in brackets.
// Its first place there is the column. A message that names nothing, or a
// name not on the line, leaves the column unknown (0).
int ColumnOfName(const QString& message, const QString& line) {
  static const QRegularExpression kUndefined(
      QStringLiteral("ReferenceError: (\\S+) is not defined"));
  static const QRegularExpression kProperty(QStringLiteral("property '([^']+)'"));
  QString pattern;
  if (const QRegularExpressionMatch m = kUndefined.match(message); m.hasMatch()) {
    pattern =
        QStringLiteral("(?<![\\w$.])(%1)(?![\\w$])").arg(QRegularExpression::escape(m.captured(1)));
  } else if (const QRegularExpressionMatch p = kProperty.match(message); p.hasMatch()) {
    const QString name = QRegularExpression::escape(p.captured(1));
    pattern = QStringLiteral("\\.\\s*(%1)(?![\\w$])|(\\[\\s*[\"']%1[\"']\\s*\\])").arg(name);
  } else {
    return 0;
  }
  const QRegularExpression where(pattern, QRegularExpression::UseUnicodePropertiesOption);
  const QRegularExpressionMatch found = where.match(line);
  if (!found.hasMatch())
    return 0;
  const int group = found.capturedStart(1) >= 0 ? 1 : 2;
  return static_cast<int>(found.capturedStart(group)) + 1;
}

// A stack trace line of QJSEngine::evaluate: "function:line:column:file".
// Lines past the formula's last are the function's tail (a value thrown
// that is not an Error is made one there): they count as the last line.
FormulaError ErrorFrom(const QJSValue& thrown, const QStringList& trace, const QStringList& lines) {
  FormulaError error;
  error.message = thrown.toString();
  if (!trace.isEmpty()) {
    const QStringList parts = trace.first().split(QLatin1Char(':'));
    if (parts.size() >= 3) {
      error.line = parts[1].toInt();
      error.column = std::max(0, parts[2].toInt());
    }
  } else {
    error.line = thrown.property(QStringLiteral("lineNumber")).toInt();
  }
  error.line = std::clamp(error.line - 1, 1, static_cast<int>(lines.size()));
  if (error.column == 0)
    error.column = ColumnOfName(error.message, lines[error.line - 1]);
  return error;
}

}  // namespace

QString FormulaErrorText(const FormulaError& error) {
  if (error.line == 0)
    return error.message;
  if (error.column > 0)
    return QCoreApplication::translate("Formula", "ошибка в формуле, строка %1, столбец %2: %3")
        .arg(error.line)
        .arg(error.column)
        .arg(error.message);
  return QCoreApplication::translate("Formula", "ошибка в формуле, строка %1: %2")
      .arg(error.line)
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

// The engine and the compiled function, and the watch that interrupts a run
// past its time limit.
struct Formula::Engine {
  QJSEngine js;
  QJSValue function;
  std::vector<QString> captions;  // by column; [0] unused
  std::vector<int> named;         // the columns passed as parameters, in order

  std::thread watch;
  std::mutex mutex;
  std::condition_variable wake;
  bool running = false;
  bool timed_out = false;
};

Formula::Formula(TableIndex table, const QString& text)
    : engine_(std::make_unique<Engine>()), table_(table), lines_(text.split(QLatin1Char('\n'))) {
  QJSEngine& js = engine_->js;
  // The captions that are plain names become parameters of their own.
  QString names;
  engine_->captions.resize(ColCounts[table]);
  std::map<QString, bool> taken{{QStringLiteral("value"), true}, {QStringLiteral("row"), true}};
  for (int column = 1; column < ColCounts[table]; ++column) {
    const std::string_view caption = HeaderCaptions[table][column];
    const QString name = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    engine_->captions[column] = name;
    // A name is plain when the engine takes it as a parameter.
    if (taken.contains(name) ||
        js.evaluate(QStringLiteral("(function (%1) {})").arg(name)).isError())
      continue;
    taken[name] = true;
    names += QStringLiteral(", ") + name;
    engine_->named.push_back(column);
  }
  QStringList trace;
  const QString source = QString::fromLatin1(kHead).arg(names) + text + QString::fromLatin1(kTail);
  engine_->function = js.evaluate(source, QString(), 1, &trace);
  if (engine_->function.isError() || !engine_->function.isCallable()) {
    compile_error_ = ErrorFrom(engine_->function, trace, lines_);
    engine_->function = QJSValue();
  }
}

Formula::~Formula() {
  EndRun();
}

FormulaResult Formula::Evaluate(const FormulaFields& fields, int entry, std::optional<int> column) {
  FormulaResult result;
  if (compile_error_) {
    result.kind = FormulaResult::Kind::Failed;
    result.error = *compile_error_;
    return result;
  }
  QJSEngine& js = engine_->js;
  QJSValue row = js.newObject();
  QJSValueList arguments;
  arguments.reserve(ColCounts[table_] + 1);
  arguments.append(column ? QJSValue(NumberOf(fields(entry, *column), FieldOf(table_, *column)))
                          : QJSValue(QJSValue::UndefinedValue));
  arguments.append(row);
  for (int c = 1; c < ColCounts[table_]; ++c)
    row.setProperty(engine_->captions[c], NumberOf(fields(entry, c), FieldOf(table_, c)));
  for (const int c : engine_->named)
    arguments.append(row.property(engine_->captions[c]));
  const QJSValue answer = engine_->function.call(arguments);
  if (answer.isError() || TimedOut()) {
    result.kind = FormulaResult::Kind::Failed;
    if (TimedOut()) {
      result.error.line = 0;
      result.error.message =
          QCoreApplication::translate("Formula", "формула считает дольше %1 с и остановлена")
              .arg(kFormulaTimeLimitMs / 1000);
    } else {
      result.error = ErrorFrom(answer, {}, lines_);
    }
    return result;
  }
  result.truth = answer.toBool();
  if (answer.isNumber() && std::isfinite(answer.toNumber())) {
    result.kind = FormulaResult::Kind::Number;
    result.number = answer.toNumber();
  }
  return result;
}

void Formula::BeginRun(int milliseconds) {
  EndRun();
  Engine& engine = *engine_;
  engine.js.setInterrupted(false);
  engine.running = true;
  engine.timed_out = false;
  engine.watch = std::thread([&engine, milliseconds] {
    std::unique_lock lock(engine.mutex);
    if (!engine.wake.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [&engine] { return !engine.running; })) {
      engine.timed_out = true;
      engine.js.setInterrupted(true);
    }
  });
}

void Formula::EndRun() {
  Engine& engine = *engine_;
  if (!engine.watch.joinable())
    return;
  {
    std::lock_guard lock(engine.mutex);
    engine.running = false;
  }
  engine.wake.notify_all();
  engine.watch.join();
  engine.js.setInterrupted(false);
}

bool Formula::TimedOut() const {
  std::lock_guard lock(engine_->mutex);
  return engine_->timed_out;
}

RangeResult FormulaNumberToField(double number, FieldLayout layout, bool wrap) {
  const double rounded = std::round(number);  // half away from zero
  const FieldRange range = RangeOf(layout);
  if (rounded >= static_cast<double>(range.low) && rounded <= static_cast<double>(range.high)) {
    const auto whole = static_cast<std::int64_t>(rounded);
    return {WrapToField(static_cast<std::int32_t>(static_cast<std::uint32_t>(whole)), layout.width,
                        layout.is_signed),
            true};
  }
  if (!wrap) {
    const std::int64_t end = rounded < 0 ? range.low : range.high;
    return {WrapToField(static_cast<std::int32_t>(static_cast<std::uint32_t>(end)), layout.width,
                        layout.is_signed),
            false};
  }
  // The low 32 bits, exactly: a double's remainder by 2^32 is exact, and
  // beyond 2^53 a double's low bits are zeros anyway.
  const double low = std::fmod(rounded, 4294967296.0);
  const auto bits = static_cast<std::int64_t>(low);
  return {WrapToField(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)), layout.width,
                      layout.is_signed),
          false};
}

RangeEditPlan PlanFormulaEdit(const TableDocument& document, const std::vector<FieldRef>& fields,
                              const QString& formula, bool wrap, const QString& condition) {
  RangeEditPlan plan;
  if (!document.IsLoaded() || fields.empty())
    return plan;
  const TableIndex table = fields.front().table;
  Formula compiled(table, formula);
  std::optional<Formula> where;
  if (!condition.trimmed().isEmpty())
    where.emplace(table, condition);
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
  // One time limit for the whole selection, the condition's and the formula's.
  compiled.BeginRun(kFormulaTimeLimitMs);
  if (where)
    where->BeginRun(kFormulaTimeLimitMs);
  std::map<int, bool> chosen;  // entry -> the condition's answer
  for (const FieldRef& field : fields) {
    if (!IsField(field) || field.table != table)
      continue;
    if (where) {
      auto known = chosen.find(field.entry);
      if (known == chosen.end()) {
        const FormulaResult answer = where->Evaluate(values, field.entry, std::nullopt);
        if (answer.kind == FormulaResult::Kind::Failed) {
          fail(answer.error, QCoreApplication::translate("Formula", "условие"));
          return plan;
        }
        known = chosen.emplace(field.entry, answer.truth).first;
      }
      if (!known->second)
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
  compiled.EndRun();
  return plan;
}

void RegisterFormulaEdits() {
  SetFormulaPlanner([](const TableDocument& document, const std::vector<FieldRef>& fields,
                       const QString& formula,
                       bool wrap) { return PlanFormulaEdit(document, fields, formula, wrap); });
}
