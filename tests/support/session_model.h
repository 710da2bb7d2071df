#pragma once

// A plain model of an editing session on one file, for the tests and fuzz
// targets that drive a TableDocument as the window does and check it step by
// step. It knows nothing of the tables' code: fields are bytes at the places
// file_layout.h gives, and every text carries the value a commit stores for it
// (from whoever made the text), so the model never parses.
//
// What it models: typed text stays as typed until its table is committed (a
// tab left) or the file is saved; Save As stores every typed text but keeps
// it typed; each change is one undo step holding, for each field it changed,
// the field's bytes and typed text before and after; the keystrokes of one
// visit of one cell merge into one step; undo and redo of a step on another
// table first commit the table on show and show that table.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/field_state.h"
#include "tests/support/file_layout.h"

namespace session_model {

using Image = std::vector<std::uint8_t>;

// A text typed or pasted into a cell, with the value its commit stores; none
// when the field keeps its value.
struct Text {
  std::string text;
  std::optional<std::uint32_t> stored;
  friend bool operator==(const Text&, const Text&) = default;
};

inline std::size_t PlaceOf(const FieldRef& field) {
  return layout::RecordOffset(field.table, static_cast<std::size_t>(field.entry)) +
         static_cast<std::size_t>(layout::Fields(field.table)[field.column - 1].offset);
}
inline int WidthOf(const FieldRef& field) {
  return layout::Fields(field.table)[field.column - 1].width;
}

inline std::uint32_t BitsIn(const Image& image, const FieldRef& field) {
  return static_cast<std::uint32_t>(
      layout::FieldBits(image, PlaceOf(field), layout::Fields(field.table)[field.column - 1]));
}
inline void PutBits(Image& image, const FieldRef& field, std::uint32_t bits) {
  const std::size_t at = PlaceOf(field);
  for (int i = 0; i < WidthOf(field); ++i)
    image.at(at + i) = static_cast<std::uint8_t>(bits >> (8 * i));
}

class Session {
 public:
  struct State {
    std::uint32_t bits = 0;
    std::optional<Text> typed;
    friend bool operator==(const State&, const State&) = default;
  };

  // `image` must outlive the session or the next Open. Opened again, only
  // the fields written since are copied back: fuzz targets open a file an input.
  void Open(const Image& image) {
    if (base_ == &image && file_.size() == image.size() && values_.size() == image.size()) {
      for (const FieldRef& field : written_) {
        const std::size_t at = PlaceOf(field);
        std::memcpy(&file_[at], &image[at], static_cast<std::size_t>(WidthOf(field)));
        std::memcpy(&values_[at], &image[at], static_cast<std::size_t>(WidthOf(field)));
      }
    } else {
      file_.assign(image.begin(), image.end());
      values_.assign(image.begin(), image.end());
    }
    base_ = &image;
    // Freed, not only emptied: a fuzz target's input frees what it allocated.
    std::vector<FieldRef>().swap(written_);
    typed_.clear();
    std::vector<Step>().swap(steps_);
    std::vector<FieldRef>().swap(changed_);
    index_ = 0;
    clean_ = 0;
    active_ = kCreatures;
    typing_step_open_ = false;
  }

  // What the cell of `field` shows.
  std::string Shown(const FieldRef& field) const {
    if (const auto typed = typed_.find(field); typed != typed_.end())
      return typed->second.text;
    return layout::ShownText(values_, PlaceOf(field),
                             layout::Fields(field.table)[field.column - 1]);
  }
  const std::optional<Text> Typed(const FieldRef& field) const {
    const auto typed = typed_.find(field);
    return typed == typed_.end() ? std::nullopt : std::optional<Text>(typed->second);
  }
  State StateOf(const FieldRef& field) const { return {BitsIn(values_, field), Typed(field)}; }
  // The field's committed bits.
  std::uint32_t Bits(const FieldRef& field) const { return BitsIn(values_, field); }
  // The bits the field holds once its typed text is committed.
  std::uint32_t BitsAfterCommit(const FieldRef& field) const {
    const auto typed = typed_.find(field);
    return typed != typed_.end() && typed->second.stored ? *typed->second.stored
                                                         : BitsIn(values_, field);
  }
  // The bits as the file holds them.
  std::uint32_t BitsInFile(const FieldRef& field) const { return BitsIn(file_, field); }
  const std::map<FieldRef, Text>& TypedTexts() const { return typed_; }

  TableIndex Active() const { return active_; }
  std::size_t Index() const { return index_; }
  std::size_t Count() const { return steps_.size(); }
  bool Clean() const { return clean_ && *clean_ == index_; }
  // The file as opened or last saved.
  const Image& File() const { return file_; }
  // The fields that may have changed since the last call (with repeats).
  std::vector<FieldRef> TakeChanged() { return std::exchange(changed_, {}); }

  // The cell's visit ends (another cell, another tab, or any other command).
  void EndVisit() { typing_step_open_ = false; }

  // One keystroke outside any change: the cell shows `text` from now on.
  void Type(const FieldRef& field, const Text& text) {
    const State before = StateOf(field);
    typed_[field] = text;
    changed_.push_back(field);
    const State after = StateOf(field);
    if (after == before)
      return;
    if (typing_step_open_ && index_ == steps_.size() && steps_.back().size() == 1 &&
        steps_.back().begin()->first == field) {
      steps_.back().begin()->second.second = after;
      if (Clean())
        clean_.reset();
      return;
    }
    Push({{field, {before, after}}});
    typing_step_open_ = true;
  }

  // A change of several fields as one step (paste, import, change list,
  // revert): `change` calls the setters below.
  template <typename Change>
  void Grouped(Change change) {
    EndVisit();
    group_.emplace();
    change();
    Step step;
    for (const auto& [field, before] : *group_) {
      const State after = StateOf(field);
      if (after != before)
        step[field] = {before, after};
    }
    group_.reset();
    if (!step.empty())
      Push(std::move(step));
  }
  // Inside Grouped: text pasted into a cell.
  void Paste(const FieldRef& field, const Text& text) {
    Touch(field);
    typed_[field] = text;
    changed_.push_back(field);
  }
  // Inside Grouped: the field takes `bits` and its typed text goes.
  void SetBits(const FieldRef& field, std::uint32_t bits) {
    Touch(field);
    typed_.erase(field);
    Write(field, bits);
    changed_.push_back(field);
  }
  // Inside Grouped: as typing `text` and committing it would.
  void SetText(const FieldRef& field, const Text& text) {
    SetBits(field, text.stored ? *text.stored : BitsIn(values_, field));
  }
  // Inside Grouped: the field as the file holds it.
  void Revert(const FieldRef& field) { SetBits(field, BitsIn(file_, field)); }

  // The typed texts of `table` go into their fields, as leaving its tab does.
  void Commit(TableIndex table) {
    for (auto typed = typed_.begin(); typed != typed_.end();) {
      if (typed->first.table != table) {
        ++typed;
        continue;
      }
      if (typed->second.stored)
        Write(typed->first, *typed->second.stored);
      changed_.push_back(typed->first);
      typed = typed_.erase(typed);
    }
  }
  // Leaving the tab on show for `table`.
  void SwitchTo(TableIndex table) {
    EndVisit();
    if (table == active_)
      return;
    Commit(active_);
    active_ = table;
  }

  void Undo() {
    EndVisit();
    if (index_ == 0)
      return;
    const Step& step = steps_[--index_];
    Show(step);
    for (const auto& [field, states] : step)
      Put(field, states.first);
  }
  void Redo() {
    EndVisit();
    if (index_ == steps_.size())
      return;
    const Step& step = steps_[index_++];
    Show(step);
    for (const auto& [field, states] : step)
      Put(field, states.second);
  }

  // Save As: the bytes written. Typed texts are stored and stay typed.
  const Image& SaveAs() {
    for (const auto& [field, text] : typed_) {
      if (text.stored)
        Write(field, *text.stored);
    }
    // The file differs from the one opened only where the values do.
    for (const FieldRef& field : written_) {
      const std::size_t at = PlaceOf(field);
      std::memcpy(&file_[at], &values_[at], static_cast<std::size_t>(WidthOf(field)));
    }
    clean_ = index_;
    return file_;
  }

 private:
  // Field by field, in table, entry and column order: before, after.
  using Step = std::map<FieldRef, std::pair<State, State>>;

  void Write(const FieldRef& field, std::uint32_t bits) {
    PutBits(values_, field, bits);
    written_.push_back(field);
  }
  void Touch(const FieldRef& field) {
    if (group_)
      group_->try_emplace(field, StateOf(field));
  }
  void Put(const FieldRef& field, const State& state) {
    changed_.push_back(field);
    Write(field, state.bits);
    if (state.typed)
      typed_[field] = *state.typed;
    else
      typed_.erase(field);
  }
  // Undo and redo show the tab of the step's first field.
  void Show(const Step& step) {
    const TableIndex table = step.begin()->first.table;
    if (table != active_) {
      Commit(active_);
      active_ = table;
    }
  }
  void Push(Step step) {
    steps_.resize(index_);
    if (clean_ && *clean_ > index_)
      clean_.reset();
    steps_.push_back(std::move(step));
    index_ = steps_.size();
  }

  const Image* base_ = nullptr;
  std::vector<FieldRef> written_;  // fields of `values_` written since the Open, with repeats
  Image file_;
  Image values_;  // the file with every committed value
  std::map<FieldRef, Text> typed_;
  std::vector<Step> steps_;
  std::size_t index_ = 0;
  std::optional<std::size_t> clean_ = 0;
  TableIndex active_ = kCreatures;
  bool typing_step_open_ = false;
  std::optional<std::map<FieldRef, State>> group_;
  std::vector<FieldRef> changed_;
};

// The text the grid shows for `bits` in `field`.
inline std::string ShownBits(const FieldRef& field, std::uint32_t bits) {
  const Image four = {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                      static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
  return layout::ShownText(four, 0, layout::Fields(field.table)[field.column - 1]);
}

}  // namespace session_model
