#include "pages/SysDlg.h"

#include <QPainter>

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/EnglishEdit.h"
#include "controls/SLamp.h"
#include "controls/SxGroupBox.h"
#include "model/DataConver.h"
#include "model/Model.h"
#include "pages/PageCaptions.h"
#include "pages/PageControls.h"
#include "platform/ControlId.h"
#include "platform/Language.h"
#include "platform/ProgramNameText.h"
#include "platform/Resources.h"
#include "protocol/CommandCodes.h"
#include "protocol/ProtocolHandler.h"
#include "model/StatusState.h"

namespace pavo {

namespace {

constexpr int kNameEditLength = 20;
constexpr int kPasswordEditLength = 6;
constexpr int kPanelPasswordEditLength = 4;
constexpr int kPasswordEntrySystem = 14;  // bytes 14..19 of the entry buffer: the new system password

// The meters on the wells of the panel picture, in pixels of the page. Meters 3906, 3907, 3910 and
// 3911 have no well; they stay hidden under 3904, 3905, 3908 and 3909.
constexpr QRect kMeterRects[SysDlg::kMeterCount] = {
    {42, 57, 14, 179},  {98, 57, 14, 179},  {154, 57, 14, 179}, {210, 57, 14, 179},
    {266, 57, 14, 179}, {322, 57, 14, 179}, {266, 57, 14, 179}, {322, 57, 14, 179},
    {402, 57, 14, 179}, {458, 57, 14, 179}, {402, 57, 14, 179}, {458, 57, 14, 179},
};
constexpr QPoint kMeterPanelOrigin{5, 6};

// Maximum levels, input gains and key shift: slider id, field, range and value label.
struct SliderDef {
    int id;
    uint8_t SystemRecord::*field;  // null for the key shift, which is a nibble
    int max;
    LabelStyle label;
};
const LabelStyle kLevel{Edit_Static::Integer};
const LabelStyle kGain{Edit_Static::Real, 1, 0, "", 0.5, 10.0};  // -10.0..+10.0 in half steps
const LabelStyle kKeyShift{Edit_Static::Integer, 1, 7};          // -7..+7
const SliderDef kSliders[] = {
    {SysDlg::IDC_EFFECT_MAX, &SystemRecord::EffectMax, 70, kLevel},
    {SysDlg::IDC_MIC_MAX, &SystemRecord::MicMax, 84, kLevel},
    {SysDlg::IDC_MUSIC_MAX, &SystemRecord::MusicMax, 84, kLevel},
    {SysDlg::IDC_VOD_GAIN, &SystemRecord::VodInputGain, 40, kGain},
    {SysDlg::IDC_BGM_GAIN, &SystemRecord::BgmInputGain, 40, kGain},
    {SysDlg::IDC_COAX_GAIN, &SystemRecord::CoaxInputGain, 40, kGain},
    {SysDlg::IDC_OPTI_GAIN, &SystemRecord::OptiInputGain, 40, kGain},
    {SysDlg::IDC_KEY_SHIFT, nullptr, 14, kKeyShift},
};

struct ComboDef {
    int id;
    std::initializer_list<const char*> items;
};
const ComboDef kCombos[] = {
    {SysDlg::IDC_INPUT_SELECT, {"Auto", "AUDIO", "AUX"}},
    {SysDlg::IDC_SENSITIVITY, {"L", "H"}},
    {SysDlg::IDC_PHANTOM, {"OFF", "ON"}},
    {SysDlg::IDC_IR_REMOTE, {"Disable", "Enable"}},
};

// "&&" is the static controls' escaped ampersand, shown as one "&".
const Caption kCaptions[] = {
    {1366, "系统密码验证", "System password verification"},
    {1362, "确定", "OK"},
    {2513, "系统密码修改", "System password modify"},
    {2592, "旧密码", "Old password"},
    {2590, "旧密码", "Old password"},
    {2593, "新密码", "New password"},
    {2591, "新密码", "New password"},
    {1370, "确认密码", "Confirm password"},
    {1371, "确认密码", "Confirm password"},
    {1065, "修改", "Modify"},
    {1064, "修改", "Modify"},
    {2512, "面板密码锁修改", "Panel password modify"},
    {2514, "模式", "Mode"},
    {2515, "名称", "Name"},
    {1066, "调用设备模式", "Recall Mode"},
    {1067, "保存设备模式", "Store Mode"},
    {1069, "导出", "Export"},
    {1384, "导入", "Import"},
    {1388, "导出所有", "Export all"},
    {1389, "导入所有", "Import all"},
    {2500, "效果最大音量", "Effect max volume"},
    {2501, "话筒最大音量", "Mic max volume"},
    {2502, "音乐最大音量", "Music max volume"},
    {2503, "话筒1&&2幻像电源", "Mic1&&2 Phantom"},
    {2504, "红外遥控", "IR Control"},
    {2505, "输入选择", "Music Input"},
    {2506, "模拟输入灵敏度", "VOD/BGM Sen"},
    {2507, "AUDIO 输入增益", "AUDIO input gain"},
    {2508, "AUX 输入增益", "AUX input gain"},
    {2509, "COAX 输入增益", "COAX input gain"},
    {2510, "OPTI/HDMI1~3/ARC 输入增益", "OPTI/HDMI1~3/ARC input gain"},
};
const Caption kGroupTitles[] = {
    {SysDlg::IDC_GROUP_AUTHORITY, "保存权限管理", "Save authority management "},
    {SysDlg::IDC_GROUP_PASSWORD, "密码修改", "Password modification "},
    {SysDlg::IDC_GROUP_MODE, "模式", "Mode"},
    {SysDlg::IDC_GROUP_SETTING, "设置", "Setting"},
};

bool IsValueLabel(int id) {
    return id >= SysDlg::IDC_EFFECT_MAX - SysDlg::IDC_LABEL_OFFSET &&
           id <= SysDlg::IDC_KEY_SHIFT - SysDlg::IDC_LABEL_OFFSET;
}

// What the unit can store: single-byte characters only.
bool IsSingleByte(const QString& text) {
    for (QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

// The text as the unit stores it; characters it cannot store are left out.
std::string Ascii(const QString& text) {
    std::string bytes;
    for (QChar c : text)
        if (c.unicode() < 0x80) bytes.push_back(static_cast<char>(c.unicode()));
    return bytes;
}

using NameField = std::array<uint8_t, kProgramNameLength>;

NameField CopyName(const uint8_t* field) {
    NameField copy;
    std::copy_n(field, kProgramNameLength, copy.begin());
    return copy;
}

QString BankName(const Model& m, int number) {
    if (number < 1 || number > kProgramCount) return {};
    // The receive path writes the names on the engine's thread during a full read.
    const NameField name = m.Edit([&] { return CopyName(m.bank.Programs[number - 1].ProgramName); });
    return ProgramNameText(name.data(), name.size());
}

}  // namespace

SysDlg::SysDlg(PageHost& host, QWidget* parent) : PageDlg(host.unit(), parent), host_(host) {}

void SysDlg::CreateContents() {
    CreateControls(Template(), [this](const ControlTemplate& c, QWidget* p) { return MakeControl(c, p); });
    SetUpControls();
    RegisterHandlers();
}

QWidget* SysDlg::MakeControl(const ControlTemplate& c, QWidget* parent) {
    switch (c.kind) {
        case ControlKind::GroupBox:
            return new SxGroupBox(QString(), parent);
        case ControlKind::Edit:
            return new EnglishEdit(parent);
        case ControlKind::Custom:
            return new SLamp(parent);
        default:
            return MakePageControl(c, parent, IsValueLabel(c.id));
    }
}

void SysDlg::SetUpControls() {
    for (const SliderDef& s : kSliders) {
        SkinPageSlider(Item<BitmapSlider>(s.id), 0, s.max);
        auto* label = Item<Edit_Static>(s.id - IDC_LABEL_OFFSET);
        label->setAlignment(Qt::AlignCenter);
        StyleValueLabel(label, 0, s.max, s.label);
    }

    for (const ComboDef& c : kCombos)
        for (const char* item : c.items) Item<BitComboBox>(c.id)->addItem(QString::fromLatin1(item));
    for (int id : {IDC_INPUT_SELECT, IDC_SENSITIVITY, IDC_PHANTOM, IDC_IR_REMOTE, IDC_PROGRAM_LIST})
        SkinCombo(Item<BitComboBox>(id));
    Item<BitComboBox>(IDC_PROGRAM_LIST)->setMaxVisibleItems(kProgramCount);

    Item<EnglishEdit>(IDC_PROGRAM_NAME)->setMaxLength(kNameEditLength);
    for (int id : {IDC_VERIFY_EDIT, IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD})
        Item<EnglishEdit>(id)->setMaxLength(kPasswordEditLength);
    for (int id : {IDC_PANEL_OLD, IDC_PANEL_NEW, IDC_PANEL_CONFIRM})
        Item<EnglishEdit>(id)->setMaxLength(kPanelPasswordEditLength);

    for (int id : {IDC_RECALL, IDC_STORE, IDC_EXPORT, IDC_IMPORT, IDC_EXPORT_ALL, IDC_IMPORT_ALL})
        SkinButton(Item<BitButton>(id), 175, 176, true);
    for (int id : {IDC_MODIFY, IDC_PANEL_MODIFY}) SkinButton(Item<BitButton>(id), 152, 153, true);
    SkinButton(Item<BitButton>(IDC_VERIFY_OK), 178, 177, true);

    for (int i = 0; i < kMeterCount; ++i) {
        meters_[i] = Item<SLamp>(IDC_METER_FIRST + i);
        meters_[i]->setGeometry(kMeterRects[i]);
        meters_[i]->LayoutSegments();
    }
}

void SysDlg::RegisterHandlers() {
    OnSliders([this](int id) { OnSlider(id); });
    OnMessage(WM_NUMEDIT_CHANGED, [](WParam, LParam) { return LResult{0}; });
    for (const ComboDef& c : kCombos) OnCommand(c.id, CBN_SELCHANGE, [this, id = c.id] { OnCombo(id); });
    OnCommand(IDC_PROGRAM_LIST, CBN_SELCHANGE, [this] { OnProgramSelected(); });
    OnCommand(IDC_RECALL, BN_CLICKED, [this] { OnRecall(); });
    OnCommand(IDC_STORE, BN_CLICKED, [this] { OnStore(); });
    OnCommand(IDC_EXPORT, BN_CLICKED, [this] { host_.ExportDia(); });
    OnCommand(IDC_IMPORT, BN_CLICKED, [this] { host_.ImportDia(); });
    OnCommand(IDC_EXPORT_ALL, BN_CLICKED, [this] { host_.SendDeviceCommand(CmdReadPrograms, 1); });
    OnCommand(IDC_IMPORT_ALL, BN_CLICKED, [this] { host_.ImportBank(); });
    OnCommand(IDC_VERIFY_EDIT, EN_CHANGE, [this] { OnVerifyTyped(); });
    OnCommand(IDC_VERIFY_OK, BN_CLICKED, [this] { OnVerifyOk(); });
    for (int id : {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD})
        OnCommand(id, EN_CHANGE, [this] { UpdatePasswordChain(); });
    OnCommand(IDC_MODIFY, BN_CLICKED, [this] { OnModify(); });
}

// ---- State ----

bool SysDlg::Connected() const {
    return host_.Connected();
}

// The lookup reply stores the unit's byte; anything but 0 allows storing.
bool SysDlg::HasStoreAuthority() const {
    return model().flags.storeAuthority.load() != 0;
}

std::string SysDlg::CurrentSystemPassword() const {
    return model().Edit([this] { return TextFromBytes(model().system.SystemPassword, kSystemPasswordLength); });
}

void SysDlg::SendSystemPassword(const std::string& password) {
    // The receive path rewrites parts of the entry buffer under the send lock: fill and queue under it.
    SendLockGuard lock(unit().handler().SendLock());
    model().Edit([&] {
        BytesFromText(model().passwordEntry.data() + kPasswordEntrySystem, kSystemPasswordLength,
                      password);
    });
    host_.SendDeviceCommand(CmdSystemPassword, 0);
}

// ---- Language ----

void SysDlg::ApplyLanguage() {
    if (!IsCreated()) return;  // a page not built yet gets its captions when it is built
    for (const Caption& c : kGroupTitles) Item<SxGroupBox>(c.id)->SetTitle(CaptionText(c), false);
    ApplyCaptions(this, kCaptions);
    Item<QLabel>(IDC_AUTHORITY_TEXT)
        ->setText(Connected() && HasStoreAuthority() ? Bilingual("有保存权限", "Store Allow")
                                                     : Bilingual("无保存权限", "No Store Allow"));
    update();
}

// ---- Refresh ----

QString SysDlg::ProgramEntry(int number, const QString& name) {
    return QString::fromStdString(ProgramNumberText(number) + "-") + name;
}

// The program list, the name and the program buttons, enabled and then narrowed by the rules.
void SysDlg::RefreshProgramGroup() {
    for (int id : {IDC_PROGRAM_LIST, IDC_PROGRAM_NAME, IDC_RECALL, IDC_STORE, IDC_IMPORT, IDC_EXPORT_ALL,
                   IDC_IMPORT_ALL})
        Item(id)->setEnabled(true);
    FillProgramList();
    ShowSelection();
    ApplyProgramEnabling();
}

void SysDlg::RefreshFromModel() {
    EnsureCreated();
    RefreshProgramGroup();
    ShowAuthority();
    ShowValues();
    ResetPasswordGroup();
    // Off line nothing feeds the meters any more: they must not keep showing the last levels.
    if (!Connected())
        for (SLamp* m : meters_) m->AllOff();
}

void SysDlg::FillProgramList() {
    const Model& m = model();
    const bool named = Connected() || m.bank.Valid;
    auto* list = Item<BitComboBox>(IDC_PROGRAM_LIST);
    list->clear();
    for (int n = 1; n <= kProgramCount; ++n) list->addItem(ProgramEntry(n, named ? BankName(model(), n) : QString()));
}

void SysDlg::ShowSelection() {
    Model& m = model();
    auto* list = Item<BitComboBox>(IDC_PROGRAM_LIST);
    auto* name = Item<EnglishEdit>(IDC_PROGRAM_NAME);
    if (Connected() || m.bank.Valid) {
        if (m.system.ProgramNumber == 0) model().Edit([&] { m.system.ProgramNumber = 1; });
        const int n = m.system.ProgramNumber;
        list->setCurrentIndex(n <= kProgramCount ? n - 1 : -1);
        name->setText(BankName(model(), n));
    } else {
        const int n = m.system.ProgramNumber;
        list->setCurrentIndex(n >= 1 && n <= kProgramCount ? n - 1 : -1);
        const NameField current = model().Edit([&] { return CopyName(m.current.ProgramName); });
        name->setText(ProgramNameText(current.data(), current.size()));
    }
    selected_ = list->currentIndex() + 1;
}

void SysDlg::ApplyProgramEnabling() {
    const Model& m = model();
    const bool userProgram = m.system.ProgramNumber <= kUserPrograms;
    if (Connected()) {
        const bool authority = HasStoreAuthority();
        for (int id : {IDC_IMPORT, IDC_IMPORT_ALL}) Item(id)->setEnabled(authority);
        for (int id : {IDC_PROGRAM_NAME, IDC_STORE}) Item(id)->setEnabled(authority && userProgram);
    } else {
        for (int id : {IDC_EXPORT_ALL, IDC_RECALL}) Item(id)->setEnabled(m.bank.Valid != 0);
        for (int id : {IDC_PROGRAM_NAME, IDC_STORE}) Item(id)->setEnabled(false);
        for (int id : {IDC_IMPORT, IDC_IMPORT_ALL}) Item(id)->setEnabled(true);
    }
}

void SysDlg::ShowAuthority() {
    auto* text = Item<QLabel>(IDC_AUTHORITY_TEXT);
    auto* edit = Item(IDC_VERIFY_EDIT);
    auto* ok = Item(IDC_VERIFY_OK);
    if (!Connected()) {
        text->setText(Bilingual("无保存权限", "No Store Allow"));
        edit->setEnabled(false);
        ok->setEnabled(false);
    } else if (HasStoreAuthority()) {
        text->setText(Bilingual("有保存权限", "Store Allow"));
        const bool userProgram = model().system.ProgramNumber <= kUserPrograms;
        for (int id : {IDC_PROGRAM_NAME, IDC_STORE}) Item(id)->setEnabled(userProgram);
        for (int id : {IDC_IMPORT, IDC_IMPORT_ALL}) Item(id)->setEnabled(true);
        edit->setEnabled(false);
        ok->setEnabled(false);
    } else {
        text->setText(Bilingual("无保存权限", "No Store Allow"));
        for (int id : {IDC_VERIFY_OK, IDC_PROGRAM_NAME, IDC_STORE, IDC_IMPORT, IDC_IMPORT_ALL})
            Item(id)->setEnabled(false);
        edit->setEnabled(true);
    }
}

void SysDlg::ShowValues() {
    const SystemRecord s = model().Edit([this] { return model().system; });
    for (const SliderDef& def : kSliders) {
        const int value = def.field ? s.*def.field : KeyShift(s);
        Item<BitmapSlider>(def.id)->SetPos(value);
        Item<Edit_Static>(def.id - IDC_LABEL_OFFSET)->SetValue(value);
    }
    auto show = [this](int id, int index) {
        auto* combo = Item<BitComboBox>(id);
        combo->setCurrentIndex(index < combo->count() ? index : -1);
    };
    show(IDC_PHANTOM, s.Phantom);
    show(IDC_IR_REMOTE, s.IrRemote);
    show(IDC_INPUT_SELECT, s.InputSelect);
    show(IDC_SENSITIVITY, AnalogSensitivity(s));
}

void SysDlg::ResetPasswordGroup() {
    const struct {
        int old, fresh, confirm, modify;
    } groups[] = {{IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD, IDC_MODIFY},
                  {IDC_PANEL_OLD, IDC_PANEL_NEW, IDC_PANEL_CONFIRM, IDC_PANEL_MODIFY}};
    for (const auto& g : groups) {
        for (int id : {g.old, g.fresh, g.confirm}) Item<EnglishEdit>(id)->clear();
        Item(g.old)->setEnabled(Connected());
        for (int id : {g.fresh, g.confirm, g.modify}) Item(id)->setEnabled(false);
    }
}

// ---- Settings ----

void SysDlg::OnSlider(int id) {
    const SliderDef* def = nullptr;
    for (const SliderDef& s : kSliders)
        if (s.id == id) def = &s;
    if (!def) return;
    const int p = Item<BitmapSlider>(id)->GetPos();
    Item<Edit_Static>(id - IDC_LABEL_OFFSET)->SetValue(p);
    SystemRecord& s = model().system;
    model().Edit([&] {
        if (def->field)
            s.*def->field = static_cast<uint8_t>(p);
        else
            SetKeyShift(s, p);
    });
    switch (id) {
        case IDC_EFFECT_MAX:
            host_.ClampEffectLevel();
            break;
        case IDC_MIC_MAX:
            host_.ClampMicLevel();
            break;
        case IDC_MUSIC_MAX:
            host_.ClampMusicLevel();
            break;
        default:
            break;
    }
}

void SysDlg::OnCombo(int id) {
    const int index = Item<BitComboBox>(id)->currentIndex();
    if (index < 0) return;
    SystemRecord& s = model().system;
    model().Edit([&] {
        switch (id) {
            case IDC_INPUT_SELECT:
                s.InputSelect = static_cast<uint8_t>(index);
                break;
            case IDC_SENSITIVITY:
                SetAnalogSensitivity(s, index);
                break;
            case IDC_PHANTOM:
                s.Phantom = static_cast<uint8_t>(index);
                break;
            case IDC_IR_REMOTE:
                s.IrRemote = static_cast<uint8_t>(index);
                break;
            default:
                break;
        }
    });
}

// ---- Programs ----

void SysDlg::OnProgramSelected() {
    selected_ = Item<BitComboBox>(IDC_PROGRAM_LIST)->currentIndex() + 1;
    const bool storable = selected_ >= 1 && selected_ <= kUserPrograms && Connected() && HasStoreAuthority();
    for (int id : {IDC_PROGRAM_NAME, IDC_STORE}) Item(id)->setEnabled(storable);
    Item<EnglishEdit>(IDC_PROGRAM_NAME)->setText(BankName(model(), selected_));
}

void SysDlg::OnRecall() {
    selected_ = Item<BitComboBox>(IDC_PROGRAM_LIST)->currentIndex() + 1;
    if (selected_ < 1) return;  // no program chosen
    host_.SendDeviceCommand(CmdRecall, static_cast<unsigned>(selected_));
}

void SysDlg::OnStore() {
    selected_ = Item<BitComboBox>(IDC_PROGRAM_LIST)->currentIndex() + 1;
    // Typed names are ASCII; a name shown from the unit is stored back with the bytes it came with.
    const QString name = Item<EnglishEdit>(IDC_PROGRAM_NAME)->text();
    if (!Connected()) return;
    // The controls already keep these out; a stale click must not store into F1..F5 or no program.
    if (selected_ < 1 || selected_ > kUserPrograms || !HasStoreAuthority()) return;
    Model& m = model();
    {
        SendLockGuard lock(unit().handler().SendLock());
        // The password frame with the current password twice leaves it unchanged and opens the store.
        const std::string current = model().Edit([&] {
            return std::string(reinterpret_cast<const char*>(m.system.SystemPassword), kSystemPasswordLength);
        });
        SendSystemPassword(current);
        model().Edit([&] {
            ProgramNameToBytes(m.current.ProgramName, kProgramNameLength, name);
            ProgramNameToBytes(m.bank.Programs[selected_ - 1].ProgramName, kProgramNameLength, name);
        });
        host_.SendDeviceCommand(CmdStore, static_cast<unsigned>(selected_));
    }
    model().Edit([&] { m.system.ProgramNumber = static_cast<uint8_t>(selected_); });
    RefreshProgramGroup();
}

// ---- Store authority and password change ----

void SysDlg::OnVerifyTyped() {
    const QString typed = Item<EnglishEdit>(IDC_VERIFY_EDIT)->text();
    Item(IDC_VERIFY_OK)->setEnabled(IsSingleByte(typed) && Ascii(typed) == CurrentSystemPassword());
}

void SysDlg::OnVerifyOk() {
    const QString typed = Item<EnglishEdit>(IDC_VERIFY_EDIT)->text();
    // Only the right password may go out: this frame would otherwise change the password to the text.
    if (!IsSingleByte(typed) || Ascii(typed) != CurrentSystemPassword()) {
        Item(IDC_VERIFY_OK)->setEnabled(false);
        return;
    }
    SendSystemPassword(Ascii(typed));
    if (Connected()) {
        model().flags.storeAuthority = 1;
        ShowAuthority();
    }
}

// Each step enables the next one only while every step before it holds, so a later change of the old
// or the new password takes back what it had allowed.
void SysDlg::UpdatePasswordChain() {
    const QString old = Item<EnglishEdit>(IDC_OLD_PASSWORD)->text();
    const QString fresh = Item<EnglishEdit>(IDC_NEW_PASSWORD)->text();
    const QString confirm = Item<EnglishEdit>(IDC_CONFIRM_PASSWORD)->text();
    const bool oldRight =
        Item(IDC_OLD_PASSWORD)->isEnabled() && IsSingleByte(old) && Ascii(old) == CurrentSystemPassword();
    const bool newComplete = oldRight && IsSingleByte(fresh) && fresh.size() == kPasswordEditLength;
    const bool confirmed = newComplete && confirm == fresh;
    Item(IDC_NEW_PASSWORD)->setEnabled(oldRight);
    Item(IDC_CONFIRM_PASSWORD)->setEnabled(newComplete);
    Item(IDC_MODIFY)->setEnabled(confirmed);
}

void SysDlg::OnModify() {
    UpdatePasswordChain();
    if (!Item(IDC_MODIFY)->isEnabled()) return;
    SendSystemPassword(Ascii(Item<EnglishEdit>(IDC_NEW_PASSWORD)->text()));
    for (int id : {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD}) Item<EnglishEdit>(id)->clear();
    Item(IDC_OLD_PASSWORD)->setEnabled(Connected());
    for (int id : {IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD, IDC_MODIFY}) Item(id)->setEnabled(false);
}

// ---- Meters ----

void SysDlg::StatusReceived(StatusArea kind) {
    if (!IsCreated()) return;  // no meters yet; they start dark when built
    if (!Connected()) {
        for (SLamp* m : meters_) m->AllOff();
        return;
    }
    const bool levels = kind == StatusArea::Levels;
    // The receive path fills the areas on the engine's thread under the model lock: take a copy.
    const auto area = model().Edit([this, levels] { return levels ? model().status.areaA : model().status.areaB; });
    for (int i = 0; i < kMeterCount; ++i) {
        if (levels)
            meters_[i]->SetLevel(area[i]);
        else
            meters_[i]->SetIndicator(area[i]);
    }
}

// ---- Paint ----

void SysDlg::paintEvent(QPaintEvent* e) {
    PageDlg::paintEvent(e);
    QPainter p(this);
    const QPixmap panel =
        LoadBitmap(UiIsChinese() ? kMeterPanelBitmapChinese : kMeterPanelBitmapEnglish, PaintPixelRatio(p));
    p.drawPixmap(QRect(kMeterPanelOrigin, BitmapSize(kMeterPanelBitmapChinese)), panel);
}

}  // namespace pavo
