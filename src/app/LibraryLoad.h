#pragma once
// Loading a preset the way the file commands import one: a ".dia" (or one program of a ".dat") as
// "Import", a whole ".dat" as "Import all", each one undo step and sent when on line. The preset
// library's Load and a file dropped on the main window both come here.
#include <QString>

namespace pavo {

class PavoDlg;
struct DiaContents;

// By the file's extension: ".dat" (any case) as a bank, anything else as one program. False when
// nothing was taken (the import showed why).
bool LoadPresetFile(PavoDlg& main, const QString& path);
// A program already read (a stored program of a bank file) as a ".dia" import takes it.
bool LoadProgram(PavoDlg& main, const DiaContents& program);

}  // namespace pavo
