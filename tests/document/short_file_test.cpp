// A file shorter than the executable, opened after the size question: a
// record that lies past its end, wholly or cut by it, is never written, so
// every command that sets fields leaves its fields alone and, where it
// reports what it did, says so. The records inside the file take the same
// commands as ever.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/cell_hint.h"
#include "document/range_edit.h"
#include "document/table_document.h"
#include "formats/change_list.h"
#include "formats/change_lists.h"
#include "formats/table_csv.h"
#include "samplegen/sample_image.h"
#include "tests/support/file_layout.h"
#if TREVALUNE_HAVE_BALANCE
#include "document/formula.h"
#endif

namespace {

QString Caption(const FieldRef& field) {
  const std::string_view caption = HeaderCaptions[field.table][field.column];
  return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

QString Shown(const std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A change list of one row that sets `field` to `value`, its "В файле" what
// the document shows now.
QByteArray ListSetting(const TableDocument& document, const FieldRef& field, int value) {
  return QStringLiteral("Таблица,№,Столбец,В файле,Новое\n%1,%2,%3,%4,%5\n")
      .arg(Shown(TabCaptions[field.table]))
      .arg(field.entry + 1)
      .arg(Caption(field), QString::fromStdString(document.CellText(field)))
      .arg(value)
      .toUtf8();
}

// One command that sets `field` to `value`, as the window or the command line
// runs it; it returns what the command tells the user.
struct Command {
  const char* what;
  enum Tells {
    kNothing,   // typing and values set at once: the cell's mark and hint tell
    kCount,     // the range edit and formulas: how many cells are left alone
    kTheField,  // imports and change lists: the field refused, with its place
  } tells;
  std::function<QString(TableDocument&, const FieldRef&, int value)> run;
};

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
    {"typing, then leaving the tab", Command::kNothing,
     [](TableDocument& document, const FieldRef& field, int value) {
       document.Type(field, std::to_string(value));
       document.CommitTable(field.table);
       return QString();
     }},
    {"a paste", Command::kNothing,
     [](TableDocument& document, const FieldRef& field, int value) {
       document.Change(QStringLiteral("вставку"),
                       [&](DocumentEdit& edit) { edit.Type(field, std::to_string(value)); });
       document.CommitTable(field.table);
       return QString();
     }},
    {"values set at once (a comparison file's, a patch's)", Command::kNothing,
     [](TableDocument& document, const FieldRef& field, int value) {
       SetFieldValues(document, QStringLiteral("значения"), {{field, value}});
       return QString();
     }},
    {"a range edit", Command::kCount,
     [](TableDocument& document, const FieldRef& field, int value) {
       RangeEdit edit;
       edit.operation = RangeEdit::Operation::Set;
       edit.amount = value;
       const RangeEditPlan plan = PlanRangeEdit(document, {field}, edit);
       CarryOut(document, plan);
       return RangeEditSummary(plan, false);
     }},
#if TREVALUNE_HAVE_BALANCE
    {"a formula", Command::kCount,
     [](TableDocument& document, const FieldRef& field, int value) {
       const RangeEditPlan plan = PlanFormulaEdit(document, {field}, QString::number(value), false);
       CarryOut(document, plan);
       return RangeEditSummary(plan, false);
     }},
#endif
    {"a CSV import", Command::kTheField,
     [](TableDocument& document, const FieldRef& field, int value) {
       const QByteArray csv = QStringLiteral("№,%1\n%2,%3\n")
                                  .arg(Caption(field))
                                  .arg(field.entry + 1)
                                  .arg(value)
                                  .toUtf8();
       return IssueLines(ImportTableCsv(document, field.table, csv), 10);
     }},
    {"a change list", Command::kTheField,
     [](TableDocument& document, const FieldRef& field, int value) {
       return IssueLines(ApplyChangeList(document, ListSetting(document, field, value)).errors, 10);
     }},
    {"several change lists", Command::kTheField,
     [](TableDocument& document, const FieldRef& field, int value) {
       const QByteArray list = ListSetting(document, field, value);
       const ListsResult result =
           ApplyChangeLists(document, {{"a.csv", list}, {"b.csv", list}}, {});
       return IssueLines(result.errors.at(0), 10) + IssueLines(result.errors.at(1), 10);
     }},
  };
  return commands;
}

TEST(ShortFile, EveryCommandLeavesAFieldPastTheEndAloneAndSaysSo) {
  // Cut after byte 2 of spell 40: the creatures and spells 0 to 39 lie
  // inside; spell 40 is cut, its Level byte inside; spells 41 to 64 and every
  // building lie past the end.
  Bytes image = MakeSample(3).image;
  image.resize(layout::SpellRecord(40) + 3);
  const struct {
    const char* what;
    FieldRef field;
    bool past_end;
  } fields[] = {
      {"a spell inside the file", {kSpells, 39, 1}, false},
      {"a creature inside the file", {kCreatures, 65, 13}, false},
      {"the Level of the spell cut by the end", {kSpells, 40, 1}, true},
      {"a spell past the end", {kSpells, 64, 3}, true},
      {"a building past the end", {kBuildings, 0, 2}, true},
  };
  for (const Command& command : Commands()) {
    for (const auto& f : fields) {
      SCOPED_TRACE(std::string(command.what) + ", " + f.what);
      TableDocument document;
      document.OpenImage(QStringLiteral("short.exe"), image);
      const FieldRef& field = f.field;
      ASSERT_EQ(document.IsPastEnd(field), f.past_end);
      const CellState before = document.StateOf(field);
      const int value = before.committed == 9 ? 10 : 9;
      const QString told = command.run(document, field, value);
      if (f.past_end) {
        EXPECT_EQ(document.StateOf(field), before);
        EXPECT_EQ(document.History().Count(), 0u);
        EXPECT_TRUE(document.Changes().empty());
        EXPECT_TRUE(CellHint(document, field).contains(QStringLiteral("за концом файла")));
      } else {
        EXPECT_EQ(document.ValueAfterCommit(field), value);
        EXPECT_EQ(document.History().Count(), 1u);
        EXPECT_FALSE(CellHint(document, field).contains(QStringLiteral("за концом файла")));
      }
      const bool tells_past_end = told.contains(QStringLiteral("за концом файла"));
      EXPECT_EQ(tells_past_end, f.past_end && command.tells != Command::kNothing)
          << told.toStdString();
      if (f.past_end && command.tells == Command::kTheField) {
        EXPECT_TRUE(told.contains(FieldPlace(document.File().tables, field))) << told.toStdString();
      }
    }
  }
}

}  // namespace
