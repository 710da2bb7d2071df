#pragma once

#include <QAction>
#include <QLatin1StringView>
#include <QMenu>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <utility>

#include "document/field_state.h"
#include "tables/table_index.h"
#include "ui/ui_language.h"

class DocumentHistory;
class QWidget;
class TableDocument;
class TStringGrid;
class UserDialogs;

// What the window's command classes (TableFileCommands, PatchFileCommands,
// ModCommands) use of it: one context, built once by the main window and
// handed to each. Everything must outlive the commands.
struct CommandWindow {
  QWidget* widget;
  TableDocument* document;  // the files go through its store too
  DocumentHistory* history;
  TStringGrid* grid;
  UserDialogs* dialogs;
  // The table on show.
  std::function<TableIndex()> active_table;
  // The file an exported patch starts from: the file on disk, or another one
  // to compare with.
  std::function<std::span<const std::uint8_t>()> patch_base;
  // Where the file dialogs start, and the file chosen in one of them.
  std::function<QString()> dialog_folder;
  std::function<void(const QString&)> remember_folder;
  // Shows a field's tab and cell, with the editor on it.
  std::function<void(const FieldRef&)> show_field;
};

// Gives each of a window's parts (its menus, actions and widgets) the name of
// the member that holds it as object name: the name it is found by from
// outside, as a person finds it by its caption.
inline void NameParts(std::initializer_list<std::pair<QObject*, const char*>> parts) {
  for (const auto& [part, name] : parts)
    part->setObjectName(QLatin1StringView(name));
}

// A command's menu item, put into `menu` before `before`: named `name`, with
// the caption `caption` (a source text, shown in the language on show), and
// running `handler` of `commands` when chosen.
template <class Commands>
QAction* AddMenuCommand(QMenu* menu, QAction* before, Commands* commands, const char* name,
                        const char* caption, void (Commands::*handler)()) {
  auto* action = new QAction(menu);
  NameParts({{action, name}});
  SetTranslated(action, caption);
  menu->insertAction(before, action);
  QObject::connect(action, &QAction::triggered, commands, handler);
  return action;
}
