#include "app/PresetCommands.h"

#include <memory>

#include "app/Connection.h"
#include "app/PavoDlg.h"
#include "model/Model.h"
#include "model/PresetFiles.h"
#include "platform/FileDialog.h"
#include "platform/Language.h"
#include "platform/MessageBox.h"
#include "protocol/CommandCodes.h"
#include "protocol/ProtocolHandler.h"

namespace pavo {

namespace {

QString Ask(PavoDlg& main, bool save, const std::string& initial, const char* pattern) {
    return AskFileName({&main, save, QString::fromStdString(initial), QString::fromLatin1(pattern)});
}

void WriteError(PavoDlg& main) {
    ShowMessageBox(&main, QStringLiteral("MusicFile Write Error"));
}
void ReadError(PavoDlg& main) {
    ShowMessageBox(&main, QStringLiteral("File read Error"));
}

// A file that reads but holds codes no program writes: the read error, and the first bad field.
void RefusedFile(PavoDlg& main, const FileFault& fault) {
    const FieldInfo& f = *fault.field;
    QString where = QString::fromStdString(f.path);
    if (fault.program) where = Bilingual("程序 %1: ", "Program %1: ").arg(fault.program) + where;
    ShowMessageBox(&main, QStringLiteral("File read Error\n") +
                              Bilingual("%1 为 %2，范围 %3..%4", "%1 is %2, allowed %3..%4")
                                  .arg(where)
                                  .arg(fault.code)
                                  .arg(f.min)
                                  .arg(f.max));
}

}  // namespace

void PresetCommands::ExportDia() {
    const QString chosen = Ask(main_, true, main_.unit().model().paths.diaPatternSave, "*.dia");
    if (chosen.isEmpty()) return;
    DiaContents file;
    main_.unit().model().Edit([&] {
        CopyRecord(file.system, main_.unit().model().system);
        CopyRecord(file.image, main_.unit().model().current);
    });
    if (!WriteDia(WithExtension(chosen.toStdString(), ".dia"), file.system, file.image)) WriteError(main_);
}

void PresetCommands::ImportDia() {
    const QString chosen = Ask(main_, false, main_.unit().model().paths.diaPatternLoad, "*.dia");
    if (chosen.isEmpty()) return;
    ImportDiaFile(chosen);
}

bool PresetCommands::ImportDiaFile(const QString& path) {
    auto file = std::make_unique<DiaContents>();
    if (!ReadDia(path.toStdString(), *file)) {
        ReadError(main_);  // nothing changed
        return false;
    }
    return ImportProgram(*file);
}

bool PresetCommands::ImportProgram(const DiaContents& file) {
    if (const auto fault = CheckDia(file)) {
        RefusedFile(main_, *fault);  // nothing changed, nothing sent
        return false;
    }
    // The engine must not take a half-loaded image: hold the send lock until the send is queued.
    SendLockGuard lock(main_.unit().handler().SendLock());
    ApplyDia(main_.unit().model(), file);
    main_.RefreshCurrentPage();
    if (main_.unit().model().flags.connected.load()) {
        main_.UpdateStatus(true);
        main_.connection().SendDeviceCommand(CmdSendPrograms, 0);
    }
    return true;
}

void PresetCommands::ExportBank() {
    const QString chosen = Ask(main_, true, main_.unit().model().paths.datPatternSave, "*.dat");
    if (chosen.isEmpty()) return;
    auto bank = std::make_unique<ProgramBank>();
    main_.unit().model().Edit([&] { CopyRecord(*bank, main_.unit().model().bank); });
    if (!WriteDat(WithExtension(chosen.toStdString(), ".dat"), *bank)) WriteError(main_);
}

void PresetCommands::ImportBank() {
    const QString chosen = Ask(main_, false, main_.unit().model().paths.datPatternLoad, "*.dat");
    if (chosen.isEmpty()) return;
    if (!ContainsExtension(chosen.toStdString(), ".dat")) return;
    ImportBankFile(chosen);
}

bool PresetCommands::ImportBankFile(const QString& path) {
    auto bank = std::make_unique<ProgramBank>();
    if (!ReadDat(path.toStdString(), *bank)) {
        ReadError(main_);  // model, bank and valid flag untouched
        return false;
    }
    if (const auto fault = CheckDat(*bank)) {
        RefusedFile(main_, *fault);
        return false;
    }
    SendLockGuard lock(main_.unit().handler().SendLock());
    ApplyDat(main_.unit().model(), *bank);
    main_.RefreshCurrentPage();
    main_.UpdateStatus(true);
    if (main_.unit().model().flags.connected.load()) {
        main_.connection().SendDeviceCommand(CmdSendPrograms, 1);
        main_.connection().SendDeviceCommand(CmdSendSystem, 1);
        main_.connection().NumberQueueAndStartProgress();
    }
    return true;
}

}  // namespace pavo
