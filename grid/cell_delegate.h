#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

class GridModel;

// Puts every keystroke of the cell editor into its cell at once, and shows
// the cell's mark on the editor too, since the editor covers the cell.
class CellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  // `model` is the grid's model, which the editors type into.
  CellDelegate(GridModel* model, QObject* parent);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  // A cell that differs from the comparison file gets a triangle in its
  // top right corner, besides its underline.
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  QPointer<GridModel> model_;
};
