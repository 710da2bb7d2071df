#include "edit_history.h"

#include <QUndoStack>

// STAND-IN: see the header.

EditHistory::EditHistory(TableDocument* document, QObject* parent)
    : QObject(parent), document_(document), stack_(new QUndoStack(this)) {}

void EditHistory::Apply(const QString&, const std::function<void()>& change) {
  change();
}

void EditHistory::Type(const FieldRef& field, const std::string& text) {
  document_->EditCell(field, text);
  emit fieldTouched(field);
}

void EditHistory::EndVisit() {}

void EditHistory::Clear() {
  stack_->clear();
}
