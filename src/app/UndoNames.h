#pragma once
// What an undo step is called in the menu: "Undo: Music Left EQ band 3", "撤销: 导入".
#include <QString>

#include "model/UndoHistory.h"

namespace pavo {

// A short name in the current UI language: the import or recall it was, or the block and record of
// the fields it changed ("Music Left EQ band 3", "Out 1 Delay", "Mic max volume", "Music SYNC"); an
// edit from the remote control says so first ("Remote: Mic 1&2 Mic Level").
QString StepName(const UndoStep& step);

// The menu entry: "Undo" / "撤销" (or "Redo" / "重做"), followed by ": " and the step's name when
// there is a step.
QString UndoMenuText(const UndoStep* step, bool redo);

}  // namespace pavo
