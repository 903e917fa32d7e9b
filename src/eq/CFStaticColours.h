#pragma once
// The colours every response plot is drawn with: the pages' graphs and the automatic EQ's preview.
#include <QColor>

namespace pavo {

inline const QColor kAxisColour(100, 100, 100);
inline const QColor kPlotFrame(0, 180, 0);
inline const QColor kGridColour(21, 100, 21);

}  // namespace pavo
