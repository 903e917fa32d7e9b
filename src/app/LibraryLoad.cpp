#include "app/LibraryLoad.h"

#include "app/PavoDlg.h"
#include "app/PresetCommands.h"
#include "app/UndoGestures.h"
#include "library/PresetSummary.h"

namespace pavo {

bool LoadPresetFile(PavoDlg& main, const QString& path) {
    const bool bank = PresetKindOf(path.toStdString()) == PresetKind::Bank;
    const bool taken = bank ? main.presets().ImportBankFile(path) : main.presets().ImportDiaFile(path);
    if (taken) main.undo().AfterImport(bank ? StepKind::ImportBank : StepKind::ImportDia);
    return taken;
}

bool LoadProgram(PavoDlg& main, const DiaContents& program) {
    const bool taken = main.presets().ImportProgram(program);
    if (taken) main.undo().AfterImport(StepKind::ImportDia);
    return taken;
}

}  // namespace pavo
