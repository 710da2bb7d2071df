#include "document/document_history.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string>
#include <utility>

namespace {

QString WithoutName() {
  return {};
}

// The heap bytes a typed text holds beyond its own object.
std::size_t TextBytes(const std::optional<std::string>& typed) {
  static const std::size_t kInPlace = std::string().capacity();
  return typed && typed->capacity() > kInPlace ? typed->capacity() + 1 : 0;
}

}  // namespace

DocumentHistory::DocumentHistory(HistoryTarget& target, QObject* parent)
    : QObject(parent), target_(target) {}

DocumentHistory::~DocumentHistory() = default;

QString DocumentHistory::UndoText() const {
  return CanUndo() ? steps_[index_ - 1].name : WithoutName();
}

QString DocumentHistory::RedoText() const {
  return CanRedo() ? steps_[index_].name : WithoutName();
}

std::size_t DocumentHistory::MemoryBytes() const {
  std::size_t bytes = steps_.capacity() * sizeof(Step);
  for (const Step& step : steps_) {
    bytes += step.touched.capacity() * sizeof(Touched) +
             static_cast<std::size_t>(step.name.capacity()) * sizeof(QChar);
    for (const Touched& touched : step.touched)
      bytes += TextBytes(touched.before.typed) + TextBytes(touched.after.typed);
  }
  return bytes;
}

void DocumentHistory::Undo() {
  if (!CanUndo() || depth_ > 0)
    return;
  const Shown before = Now();
  --index_;
  Replay(steps_[index_], &Touched::before);
  Announce(before);
  emit stepCompleted();
}

void DocumentHistory::Redo() {
  if (!CanRedo() || depth_ > 0)
    return;
  const Shown before = Now();
  ++index_;
  Replay(steps_[index_ - 1], &Touched::after);
  Announce(before);
  emit stepCompleted();
}

void DocumentHistory::Replay(const Step& step, CellState Touched::*state) {
  EndVisit();
  emit fieldTouched(step.touched.front().field);
  // The step's fields change together: the views hear of them once.
  replaying_ = true;
  target_.HoldCellSignals();
  for (const Touched& touched : step.touched)
    target_.Restore(touched.field, touched.*state);
  target_.ReleaseCellSignals();
  replaying_ = false;
}

void DocumentHistory::OpenGroup(const QString& name) {
  if (depth_++ > 0)
    return;
  EndVisit();
  group_name_ = name;
  group_before_.clear();
}

void DocumentHistory::CloseGroup() {
  if (depth_ == 0 || depth_ > 1) {
    depth_ = std::max(depth_ - 1, 0);
    return;
  }
  std::vector<Touched> touched;
  try {
    for (const auto& [field, before] : group_before_) {
      CellState after = target_.StateOf(field);
      if (after != before)
        touched.push_back({field, before, std::move(after)});
    }
    touched.shrink_to_fit();
    if (!touched.empty())
      steps_.reserve(index_ + 1);
  } catch (const std::bad_alloc&) {
    // No room for the step: the fields go back rather than change unrecorded.
    AbortGroup();
    throw;
  }
  depth_ = 0;
  group_before_.clear();
  if (touched.empty())
    return;
  const Shown shown = Now();
  Push({group_name_, std::move(touched), -1});
  Announce(shown);
  emit stepCompleted();
}

void DocumentHistory::AbortGroup() {
  if (depth_ == 0 || --depth_ > 0)
    return;
  // Putting back a typed text may itself run out of memory; such a field
  // keeps what it holds, and the others still go back.
  replaying_ = true;
  for (const auto& [field, before] : group_before_) {
    try {
      target_.Restore(field, before);
    } catch (const std::bad_alloc&) {
    }
  }
  replaying_ = false;
  group_before_.clear();
}

void DocumentHistory::EndVisit() {
  const bool typed = index_ > 0 && index_ == steps_.size() && steps_.back().visit == visit_;
  visit_ = visit_ == std::numeric_limits<int>::max() ? 0 : visit_ + 1;
  if (typed)
    emit stepCompleted();
}

void DocumentHistory::Touching(const FieldRef& field) {
  if (Recording() && !group_before_.count(field))
    group_before_.emplace(field, target_.StateOf(field));
}

void DocumentHistory::Typed(const FieldRef& field, const CellState& before,
                            const CellState& after) {
  if (replaying_ || before == after)
    return;
  const Shown shown = Now();
  // A keystroke merges into the step of its visit, also across a save, which
  // then is no longer one of the states a step leads to.
  if (index_ > 0 && index_ == steps_.size()) {
    Step& last = steps_.back();
    if (last.visit == visit_ && last.touched.size() == 1 && last.touched[0].field == field) {
      last.touched[0].after = after;
      if (IsClean())
        clean_.reset();
      Announce(shown);
      emit typed();
      return;
    }
  }
  Push({QString::fromUtf8(QT_TRANSLATE_NOOP("Steps", "ввод")), {{field, before, after}}, visit_});
  Announce(shown);
  emit typed();
}

void DocumentHistory::Push(Step step) {
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(index_), steps_.end());
  if (clean_ && *clean_ > index_)
    clean_.reset();  // the saved state was undone and is now out of reach
  steps_.push_back(std::move(step));
  index_ = steps_.size();
}

void DocumentHistory::Clear() {
  const Shown shown = Now();
  EndVisit();
  steps_.clear();
  steps_.shrink_to_fit();
  index_ = 0;
  clean_ = 0;
  group_before_.clear();
  Announce(shown);
}

void DocumentHistory::SetClean() {
  const Shown shown = Now();
  clean_ = index_;
  Announce(shown);
}

DocumentHistory::Shown DocumentHistory::Now() const {
  return {CanUndo(), CanRedo(), IsClean(), UndoText(), RedoText()};
}

void DocumentHistory::Announce(const Shown& before) {
  const Shown now = Now();
  if (now.can_undo != before.can_undo)
    emit canUndoChanged(now.can_undo);
  if (now.can_redo != before.can_redo)
    emit canRedoChanged(now.can_redo);
  if (now.undo_text != before.undo_text)
    emit undoTextChanged(now.undo_text);
  if (now.redo_text != before.redo_text)
    emit redoTextChanged(now.redo_text);
  if (now.clean != before.clean)
    emit cleanChanged(now.clean);
}
