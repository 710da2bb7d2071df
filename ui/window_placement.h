#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Top-left corner, in screen coordinates, that centres a window of outer size
// `aboutSize` over a window whose outer frame is `mainFrame`. Each axis is
// main edge + (main extent - about extent) / 2, the division truncating toward
// zero, so an odd difference loses its half pixel.
QPoint AboutFormPosition(const QRect& mainFrame, const QSize& aboutSize);
