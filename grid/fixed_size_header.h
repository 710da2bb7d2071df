#pragma once

#include <QHeaderView>
#include <QStyleOptionHeader>
#include <algorithm>

// A header of fixed thickness: the caption row is one row high and the name
// column as wide as it was set. Its size hint says just that, instead of
// measuring the text of every section, which the view asks for at each reshape
// and which would cost more than the rest of an Open together.
class FixedSizeHeader : public QHeaderView {
 public:
  using QHeaderView::QHeaderView;
  QSize sizeHint() const override { return {minimumWidth(), minimumHeight()}; }

 protected:
  // A caption wider than its column is cut with "…" at its end; the columns
  // keep the widths they were given.
  void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    if (orientation() != Qt::Horizontal)
      return;
    const int room =
        sectionSize(logicalIndex) - 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, option, this);
    option->text = fontMetrics().elidedText(option->text, Qt::ElideRight, std::max(room, 0));
  }
};
