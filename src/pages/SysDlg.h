#pragma once
// The system page: the unit-wide settings of the system record (maximum levels, music input, input
// gains, sensitivity, phantom power, key shift), the unit's program list with recall and store, the
// four preset-file commands, the password check that grants the right to store, the system password
// change and the twelve level meters fed by the unit's status replies.
#include <array>
#include <string>

#include "pages/PageDlg.h"
#include "pages/PageHost.h"
#include "platform/DialogTemplate.h"

namespace pavo {

class BitButton;
class BitComboBox;
class BitmapSlider;
class CTransparentStatic;
class Edit_Static;
class EnglishEdit;
class SLamp;
class SxGroupBox;

class SysDlg : public PageDlg {
    Q_OBJECT
public:
    enum {
        IDD = 164,
        // Maximum levels, input gains and key shift: slider id, value label id = slider id - 20.
        IDC_EFFECT_MAX = 2570,
        IDC_MIC_MAX = 2571,
        IDC_MUSIC_MAX = 2572,
        IDC_VOD_GAIN = 2573,
        IDC_BGM_GAIN = 2574,
        IDC_COAX_GAIN = 2575,
        IDC_OPTI_GAIN = 2576,
        IDC_KEY_SHIFT = 2577,
        IDC_LABEL_OFFSET = 20,
        IDC_PHANTOM = 2600,
        IDC_SENSITIVITY = 2601,
        IDC_IR_REMOTE = 2602,
        IDC_INPUT_SELECT = 2603,
        IDC_PROGRAM_LIST = 2604,
        IDC_PROGRAM_NAME = 2614,
        IDC_RECALL = 1066,
        IDC_STORE = 1067,
        IDC_EXPORT = 1069,
        IDC_IMPORT = 1384,
        IDC_EXPORT_ALL = 1388,
        IDC_IMPORT_ALL = 1389,
        IDC_VERIFY_EDIT = 1023,
        IDC_VERIFY_OK = 1362,
        IDC_OLD_PASSWORD = 2612,
        IDC_NEW_PASSWORD = 2613,
        IDC_CONFIRM_PASSWORD = 1024,
        IDC_MODIFY = 1065,
        IDC_PANEL_OLD = 2610,
        IDC_PANEL_NEW = 2611,
        IDC_PANEL_CONFIRM = 1369,
        IDC_PANEL_MODIFY = 1064,
        IDC_AUTHORITY_TEXT = 1412,
        IDC_METER_FIRST = 3900,
        IDC_GROUP_SETTING = 1363,
        IDC_GROUP_AUTHORITY = 1365,
        IDC_GROUP_MODE = 1367,
        IDC_GROUP_PASSWORD = 1368,
    };
    static constexpr int kMeterCount = 12;
    static constexpr int kUserPrograms = 16;  // 17..21 (F1..F5) can be recalled, never stored
    static constexpr int kMeterPanelBitmapChinese = 170;
    static constexpr int kMeterPanelBitmapEnglish = 174;

    explicit SysDlg(PageHost& host, QWidget* parent = nullptr);

    void ApplyLanguage() override;
    void RefreshFromModel() override;
    void StatusReceived(StatusArea area) override;

    // The dialog template of the page (ids, kinds, places in dialog units, visibility).
    static const DialogTemplate& Template();
    // The program list entry of program n (1..21): "n-" or "Fk-", then the name when one is known.
    static QString ProgramEntry(int number, const QString& name);

    SLamp& meter(int i) {
        EnsureCreated();
        return *meters_[i];
    }
    int selectedProgram() const { return selected_; }

protected:
    void CreateContents() override;
    void paintEvent(QPaintEvent* e) override;

private:
    QWidget* MakeControl(const ControlTemplate& c, QWidget* parent);
    void SetUpControls();
    void RegisterHandlers();

    void FillProgramList();
    void ShowSelection();
    void ApplyProgramEnabling();
    void RefreshProgramGroup();
    void ShowAuthority();
    void ShowValues();
    void ResetPasswordGroup();

    void OnSlider(int id);
    void OnCombo(int id);
    void OnProgramSelected();
    void OnRecall();
    void OnStore();
    void OnVerifyTyped();
    void OnVerifyOk();
    void UpdatePasswordChain();
    void OnModify();

    bool Connected() const;
    bool HasStoreAuthority() const;
    std::string CurrentSystemPassword() const;
    // Puts six password characters into the entry buffer and queues the password frame.
    void SendSystemPassword(const std::string& password);

    PageHost& host_;
    int selected_ = 0;  // the program chosen in the list, 1..21; 0 for none
    std::array<SLamp*, kMeterCount> meters_{};
};

}  // namespace pavo
