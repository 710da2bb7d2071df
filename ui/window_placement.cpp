#include "ui/window_placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

// main edge + (main extent - about extent) / 2. Worked in 64 bits so that no
// pair of int extents can overflow; C++ division truncates toward zero, which
// is the rounding wanted when the difference is negative too.
int CentredEdge(int mainEdge, int mainExtent, int aboutExtent) {
  const std::int64_t edge =
      std::int64_t{mainEdge} + (std::int64_t{mainExtent} - std::int64_t{aboutExtent}) / 2;
  return static_cast<int>(std::clamp<std::int64_t>(edge, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

}  // namespace

QPoint AboutFormPosition(const QRect& mainFrame, const QSize& aboutSize) {
  const int top = CentredEdge(mainFrame.top(), mainFrame.height(), aboutSize.height());
  const int left = CentredEdge(mainFrame.left(), mainFrame.width(), aboutSize.width());
  return QPoint(left, top);
}
