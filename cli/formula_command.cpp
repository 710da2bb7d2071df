#include "cli/formula_command.h"

#include <QCoreApplication>
#include <string_view>
#include <vector>

#include "cli/standard_output.h"
#include "document/caption_language.h"
#include "document/command_line_language.h"
#include "document/formula.h"
#include "document/range_edit.h"
#include "document/table_document.h"
#include "formats/change_list.h"
#include "formats/table_csv.h"
#include "tables/grid_shape.h"

namespace {

void UsageError(const QString& message) {
  WriteStandardError(QStringLiteral("trevalune-cli: %1\n%2\n")
                         .arg(CommandLineMessage(message),
                              QCoreApplication::translate("Cli", "Справка: trevalune-cli --help")));
}

// The grid column of `caption`, Russian or English, in `table`, or 0.
int ColumnOf(TableIndex table, const QString& caption) {
  const QByteArray utf8 = caption.toUtf8();
  return ColumnOfCaption(table, std::string_view(utf8.constData(), utf8.size()));
}

// The table's captions in the language of the answers, each in its quotes.
QString Captions(TableIndex table) {
  QStringList captions;
  for (int column = 1; column < ColCounts[table]; ++column)
    captions << ShownCaption(HeaderCaptions[table][column]);
  return QuotedList(captions);
}

}  // namespace

bool ReadFormulaRequest(CliRequest& request) {
  if (request.column.isEmpty()) {
    UsageError(
        QCoreApplication::translate("FormulaCommand", "команде formula нужен параметр --column"));
    return false;
  }
  if (ColumnOf(*request.table, request.column) == 0) {
    UsageError(
        QCoreApplication::translate("FormulaCommand", "в таблице %1 нет столбца «%2»; есть %3")
            .arg(TableFileName(*request.table), request.column, Captions(*request.table)));
    return false;
  }
  if (request.expression.trimmed().isEmpty()) {
    UsageError(
        QCoreApplication::translate("FormulaCommand", "команде formula нужен параметр --expr"));
    return false;
  }
  if (request.output.isEmpty() == request.changes.isEmpty()) {
    UsageError(QCoreApplication::translate(
        "FormulaCommand", "команде formula нужен ровно один из параметров -o и --changes"));
    return false;
  }
  return true;
}

int RunFormula(const CliRequest& request) {
  // An empty condition is a mistake, not "every entry": that is no --where.
  if (request.condition && request.condition->trimmed().isEmpty()) {
    Complain(QCoreApplication::translate("FormulaCommand", "пустое условие"));
    Complain(QCoreApplication::translate("FormulaCommand", "ничего не записано"));
    return kExitFailed;
  }
  TableDocument document;
  if (!OpenExecutable(document, request.files[0], request.any_size))
    return kExitFailed;
  const TableIndex table = *request.table;
  const int column = ColumnOf(table, request.column);
  std::vector<FieldRef> fields;
  for (int entry = 0; entry < EntryCount(table); ++entry)
    fields.push_back({table, entry, column});
  const RangeEditPlan plan = PlanFormulaEdit(document, fields, request.expression, request.wrap,
                                             request.condition.value_or(QString()));
  if (!plan.error.isEmpty()) {
    Complain(plan.error);
    Complain(QCoreApplication::translate("FormulaCommand", "ничего не записано"));
    return kExitFailed;
  }
  // A field whose record lies past the end of a short file cannot be written:
  // the formula is refused whole rather than written in part.
  if (!plan.past_end.empty()) {
    for (const FieldValueChange& refused : plan.past_end)
      Complain(PastEndFieldText(FieldPlace(document.File().tables, refused.field)));
    Complain(QCoreApplication::translate("FormulaCommand", "ничего не записано"));
    return kExitFailed;
  }
  CarryOut(document, plan);
  if (request.changes.isEmpty()) {
    if (!SaveExecutable(document, request.output))
      return kExitFailed;
  } else if (!WriteText(document.Files(),
                        request.changes == QStringLiteral("-") ? QString() : request.changes,
                        WriteChangeList(document, request.separator, request.captions))) {
    return kExitFailed;
  }
  Complain(QCoreApplication::translate(
               "FormulaCommand",
               "изменено полей: %1; не поместились в поле (%2): %3; результат не число: %4")
               .arg(plan.changes.size())
               .arg(request.wrap ? QCoreApplication::translate("FormulaCommand", "перенесены")
                                 : QCoreApplication::translate("FormulaCommand", "ограничены"))
               .arg(plan.out_of_range)
               .arg(plan.not_number_results));
  return kExitDone;
}
