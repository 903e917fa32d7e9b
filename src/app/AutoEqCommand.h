#pragma once
// "自动均衡…" / "Auto EQ…" in the window's context menu over an EQ graph: opens the automatic EQ
// dialog for the graph's block, and applies its fit as one undo step.
#include <QPoint>

class QMenu;

namespace pavo {

class AutoEqDialog;
class PavoDlg;

// Adds the entry when the point (in the window's coordinates) lies on the graph of a block with EQ
// bands (not the dynamic EQ).
void AddAutoEqEntry(QMenu& menu, PavoDlg& main, QPoint at);

// Opens the dialog (window-modal, deleted once closed) for EQ block 0..15; outputs in the edited scene.
AutoEqDialog* OpenAutoEq(PavoDlg& main, int block);

}  // namespace pavo
