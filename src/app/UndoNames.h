#pragma once
// What an undo step is called in the menu: "Undo: Music Left EQ band 3", "撤销: 导入"; and the names of
// single fields, from the same words.
#include <QString>
#include <string_view>

#include "model/FieldCatalog.h"
#include "model/UndoHistory.h"
#include "platform/Language.h"

namespace pavo {

// A short name in the current UI language: the import or recall it was, or the block and record of
// the fields it changed ("Music Left EQ band 3", "Out 1 Delay", "Mic max volume", "Music SYNC"); an
// edit from the remote control says so first ("Remote: Mic 1&2 Mic Level").
QString StepName(const UndoStep& step);

// A field of the catalog as people call it, in the given language or the UI's: its scene, block,
// record and part ("Scene 2 Out 1 EQ band 3 gain", "Music Left limiter attack", "Mic Vol mute").
QString FieldLabel(const FieldInfo& field, UiLanguage language);
QString FieldLabel(const FieldInfo& field);
// A block or output channel by the first part of its catalog path ("MusicLeft", "Out1", "EchoA").
QString BlockWord(std::string_view key, UiLanguage language);

// The menu entry: "Undo" / "撤销" (or "Redo" / "重做"), followed by ": " and the step's name when
// there is a step.
QString UndoMenuText(const UndoStep* step, bool redo);

}  // namespace pavo
