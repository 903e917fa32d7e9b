#pragma once
// The four file commands: export and import of one program (".dia") and of the program bank (".dat"),
// with the standard file dialogs and, when on line, the follow-up sends. The imports of a chosen path
// (and of a program already read) are the same steps without the dialog: the preset library and a file
// dropped on the window take them.
#include <QString>

namespace pavo {

class PavoDlg;
struct DiaContents;

class PresetCommands {
public:
    explicit PresetCommands(PavoDlg& main) : main_(main) {}

    void ExportDia();
    void ImportDia();
    void ExportBank();
    void ImportBank();

    // False when nothing was taken (a read error or a refused file, each with its message).
    bool ImportDiaFile(const QString& path);
    bool ImportBankFile(const QString& path);
    // A program as a ".dia" import takes it: its image becomes current, the system record stays.
    bool ImportProgram(const DiaContents& file);

private:
    PavoDlg& main_;
};

}  // namespace pavo
