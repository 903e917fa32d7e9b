#pragma once
// The colours of the skin's edits (numeric, name and password edits). A disabled edit is dimmed as a
// disabled combo box or slider is: grey text, and a box that sinks into the page instead of standing
// out as an empty field waiting for typing.
#include <QWidget>
#include <cstdint>

namespace pavo {

void SetEditColours(QWidget& edit, uint32_t text, uint32_t background);

// The fill of a disabled edit whose enabled fill is `background`.
QColor DisabledEditFill(uint32_t background);

}  // namespace pavo
