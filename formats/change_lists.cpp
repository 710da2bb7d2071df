#include "formats/change_lists.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <map>

#include "formats/csv_writer.h"
#include "tables/record_field.h"

namespace {

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

QString ShownValue(const FieldRef& field, std::int32_t value) {
  return Text(FieldText(value, FieldOf(field.table, field.column).is_signed));
}

QString Shown(const ChangeListFile& list) {
  return QDir::toNativeSeparators(list.name);
}

struct Merged {
  std::int32_t value = 0;
  bool conflicting = false;  // with the file, in the list that set it
  std::vector<std::size_t> lists;
};

}  // namespace

bool ListsResult::HasErrors() const {
  return std::any_of(errors.begin(), errors.end(),
                     [](const CsvIssues& issues) { return !issues.isEmpty(); });
}

bool ListsResult::HasFileConflicts() const {
  return std::any_of(file_conflicts.begin(), file_conflicts.end(),
                     [](const CsvIssues& issues) { return !issues.isEmpty(); });
}

qsizetype ListsResult::OutOfRangeCount() const {
  qsizetype count = 0;
  for (const CsvIssues& issues : out_of_range)
    count += issues.Total();
  return count;
}

bool ListsResult::OnlyOutOfRange() const {
  qsizetype count = 0;
  for (const CsvIssues& issues : errors)
    count += issues.Total();
  return count > 0 && count == OutOfRangeCount();
}

ListsResult ApplyChangeLists(TableDocument& document, const std::vector<ChangeListFile>& lists,
                             const ListsChoices& choices) {
  ListsResult result;
  std::map<FieldRef, Merged> merged;
  for (std::size_t list = 0; list < lists.size(); ++list) {
    ChangeListPlan plan = PlanChangeList(document, lists[list].csv, choices.out_of_range);
    result.errors.push_back(std::move(plan.errors));
    result.file_conflicts.push_back(std::move(plan.conflicts));
    result.out_of_range.push_back(std::move(plan.out_of_range));
    for (const PlannedChange& change : plan.changes) {
      const auto [at, first] = merged.try_emplace(change.field);
      Merged& field = at->second;
      if (first || field.value == change.value) {
        field.value = change.value;
        field.conflicting = field.conflicting || change.conflicting;
        field.lists.push_back(list);
        continue;
      }
      result.conflicts.push_back(
          {change.field, field.lists.back(), list, field.value, change.value});
      if (choices.prefer == ListPreference::kLater)
        field = {change.value, change.conflicting, {list}};
    }
  }
  std::stable_sort(
      result.conflicts.begin(), result.conflicts.end(),
      [](const ListsConflict& a, const ListsConflict& b) { return a.field < b.field; });
  if (result.HasErrors() || (!result.conflicts.empty() && !choices.prefer) ||
      (result.HasFileConflicts() && choices.on_file_conflict == OnConflict::Refuse))
    return result;
  std::vector<FieldValueChange> values;
  std::vector<std::int32_t> before;
  std::vector<const Merged*> applied;
  for (const auto& [field, change] : merged) {
    if (change.conflicting && choices.on_file_conflict == OnConflict::Skip)
      continue;
    values.push_back({field, change.value});
    before.push_back(document.ValueAfterCommit(field));
    applied.push_back(&change);
  }
  if (!values.empty())
    document.Change(QCoreApplication::translate("TableDocument", "применение списков изменений"),
                    [&](DocumentEdit& edit) { edit.SetValues(values); });
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (document.ValueAfterCommit(values[i].field) != before[i])
      result.changes.push_back({{values[i].field, before[i], values[i].value}, applied[i]->lists});
  }
  result.applied = true;
  return result;
}

QStringList ListsConflictLines(const ListsResult& result, const std::vector<ChangeListFile>& lists,
                               const TableSet& names) {
  QStringList lines;
  for (const ListsConflict& conflict : result.conflicts) {
    const FieldRef& field = conflict.field;
    lines << QStringLiteral("%1: %2 — %3, %4 — %5")
                 .arg(FieldPlace(names, field), Shown(lists[conflict.earlier]),
                      ShownValue(field, conflict.earlier_value), Shown(lists[conflict.later]),
                      ShownValue(field, conflict.later_value));
  }
  return lines;
}

QByteArray WriteListsReport(const ListsResult& result, const std::vector<ChangeListFile>& lists,
                            const TableSet& names, CsvSeparator separator,
                            CaptionLanguage language) {
  std::vector<FieldChange> changes;
  for (const ChangeFromLists& change : result.changes)
    changes.push_back(change.change);
  QList<QStringList> rows = ChangeListRows(changes, names, language);
  rows.front() << CaptionText(QT_TRANSLATE_NOOP("Captions", "Список"), language);
  for (std::size_t k = 0; k < result.changes.size(); ++k) {
    QStringList from;
    for (std::size_t list : result.changes[k].lists)
      from << Shown(lists[list]);
    rows[static_cast<qsizetype>(k) + 1] << from.join(QStringLiteral("; "));
  }
  return WriteCsv(rows, separator);
}
