#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "document/table_document.h"

// The fields that differ, one row each, in table, entry and column order:
// against the current file as it is on disk, or, while a comparison file is
// set and asked for, against that file. Columns Таблица, №, Название,
// Столбец, В файле, Новое, and against a comparison file "В файле для
// сравнения" too. A cell whose text is not a number is listed with "не число".
//
// The list follows the document as it changes: a changed cell updates its
// own row, and only a change of every cell (an Open, a commit, a step of many
// fields) lists them all again. While it does not follow (the panel that
// shows it is hidden) it lists nothing and looks at no change at all; when it
// follows again it lists every field again.
class ChangesModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum class Against { File, Comparison };
  enum Column { kTable, kEntry, kName, kField, kInFile, kNow, kInComparison };

  // `document` must outlive the model.
  explicit ChangesModel(TableDocument* document, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // What the rows are compared with. Comparison is taken only while the
  // document has a comparison file, and falls back to File when it closes.
  Against Mode() const { return mode_; }
  void SetMode(Against mode);

  // The field of `row`; rows are listed in table, entry and column order.
  FieldRef FieldAt(int row) const { return rows_.at(static_cast<std::size_t>(row)); }
  const std::vector<FieldRef>& Fields() const { return rows_; }

  bool Following() const { return following_; }
  void Follow(bool following);

  // After the language changed: the captions and the table and column names
  // are shown again in the new one.
  void Retranslate();

 private:
  bool Listed(const FieldRef& field) const;
  QString Text(const FieldRef& field, int column) const;
  void FieldChanged(const FieldRef& field);
  void ListAgain();

  TableDocument* document_;
  Against mode_ = Against::File;
  bool following_ = true;
  std::vector<FieldRef> rows_;
};
