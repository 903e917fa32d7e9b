#pragma once
// The four file commands: export and import of one program (".dia") and of the program bank (".dat"),
// with the standard file dialogs and, when on line, the follow-up sends.
namespace pavo {

class PavoDlg;

class PresetCommands {
public:
    explicit PresetCommands(PavoDlg& main) : main_(main) {}

    void ExportDia();
    void ImportDia();
    void ExportBank();
    void ImportBank();

private:
    PavoDlg& main_;
};

}  // namespace pavo
