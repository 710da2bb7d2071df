#include "edit_history.h"

#include <QUndoCommand>
#include <QUndoStack>
#include <limits>
#include <utility>
#include <vector>

namespace {

// The id Qt merges typing steps by; other steps have none (-1).
constexpr int kTypingId = 1;

// Every field of every table, in table, entry and column order.
std::vector<FieldRef> AllFields() {
  std::vector<FieldRef> fields;
  for (TableIndex table = 0; table < kTableCount; ++table) {
    for (int entry = 0; entry < EntryCount(table); ++entry) {
      for (int column = 1; column < ColCounts[table]; ++column)
        fields.push_back({table, entry, column});
    }
  }
  return fields;
}

std::vector<CellState> StatesOf(const TableDocument& document,
                                const std::vector<FieldRef>& fields) {
  std::vector<CellState> states;
  states.reserve(fields.size());
  for (const FieldRef& field : fields)
    states.push_back(document.StateOf(field));
  return states;
}

}  // namespace

// One step: the fields it touched with their states before and after. It is
// pushed once its change has been made, so the redo that pushing runs does
// nothing.
class FieldStep : public QUndoCommand {
 public:
  struct Touched {
    FieldRef field;
    CellState before;
    CellState after;
  };

  // `visit` is the typing visit the step belongs to, or -1.
  FieldStep(EditHistory* history, const QString& name, std::vector<Touched> touched, int visit)
      : QUndoCommand(name), history_(history), touched_(std::move(touched)), visit_(visit) {}

  int id() const override { return visit_ >= 0 ? kTypingId : -1; }

  bool mergeWith(const QUndoCommand* other) override {
    const auto* next = static_cast<const FieldStep*>(other);
    if (next->visit_ != visit_ || touched_.size() != 1 || next->touched_.size() != 1 ||
        next->touched_[0].field != touched_[0].field)
      return false;
    touched_[0].after = next->touched_[0].after;
    return true;
  }

  void undo() override { Put(&Touched::before); }

  void redo() override {
    if (pushed_)
      Put(&Touched::after);
    pushed_ = true;
  }

 private:
  void Put(CellState Touched::*state) {
    history_->EndVisit();
    emit history_->fieldTouched(touched_.front().field);
    for (const Touched& touched : touched_)
      history_->document_->Restore(touched.field, touched.*state);
  }

  EditHistory* history_;
  std::vector<Touched> touched_;
  int visit_;
  bool pushed_ = false;
};

EditHistory::EditHistory(TableDocument* document, QObject* parent)
    : QObject(parent), document_(document), stack_(new QUndoStack(this)) {}

EditHistory::~EditHistory() = default;

void EditHistory::Apply(const QString& name, const std::function<void()>& change) {
  EndVisit();
  if (!document_->IsLoaded()) {
    change();
    return;
  }
  static const std::vector<FieldRef> fields = AllFields();
  const std::vector<CellState> before = StatesOf(*document_, fields);
  change();
  if (!document_->IsLoaded())
    return;  // the change opened another file: nothing to compare with
  const std::vector<CellState> after = StatesOf(*document_, fields);
  std::vector<FieldStep::Touched> touched;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (before[i] != after[i])
      touched.push_back({fields[i], before[i], after[i]});
  }
  if (!touched.empty())
    stack_->push(new FieldStep(this, name, std::move(touched), -1));
}

void EditHistory::Type(const FieldRef& field, const std::string& text) {
  if (!document_->IsLoaded() || !IsField(field)) {
    // No file: the cells are a sheet that no table reads, with nothing to undo.
    document_->EditCell(field, text);
    return;
  }
  const CellState before = document_->StateOf(field);
  const CellState after{before.committed, text};
  if (after == before)
    return;
  document_->Restore(field, after);
  stack_->push(new FieldStep(this, QStringLiteral("ввод"), {{field, before, after}}, visit_));
}

void EditHistory::EndVisit() {
  visit_ = visit_ == std::numeric_limits<int>::max() ? 0 : visit_ + 1;
}

void EditHistory::Clear() {
  EndVisit();
  stack_->clear();
}
