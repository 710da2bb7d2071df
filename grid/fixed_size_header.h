#pragma once

#include <QHeaderView>

// A header of fixed thickness: the caption row is one row high and the name
// column as wide as it was set. Its size hint says just that, instead of
// measuring the text of every section, which the view asks for at each reshape
// and which would cost more than the rest of an Open together.
class FixedSizeHeader : public QHeaderView {
 public:
  using QHeaderView::QHeaderView;
  QSize sizeHint() const override { return {minimumWidth(), minimumHeight()}; }
};
