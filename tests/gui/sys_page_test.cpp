// The system page without a unit: program list, enabling rules, store authority, password change,
// settings and their fields, captions, meters and the paint of the meter panel.
#include <gtest/gtest.h>

#include <QLabel>
#include <cstring>

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/SLamp.h"
#include "controls/SxGroupBox.h"
#include "controls_support.h"
#include "platform/Resources.h"
#include "protocol/CommandCodes.h"
#include "sys_support.h"

namespace pavo {
namespace {

using test::SysPage;

void NameBankPrograms(Model& m) {
    for (int n = 1; n <= kProgramCount; ++n)
        BytesFromText(m.bank.Programs[n - 1].ProgramName, kProgramNameLength, "Prog " + std::to_string(n));
}

QStringList ListEntries(SysPage& s) {
    QStringList entries;
    auto* list = s.Item<BitComboBox>(SysDlg::IDC_PROGRAM_LIST);
    for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
    return entries;
}

TEST(SysPage, ProgramListShowsPrefixesAndNamesOnlyWhenKnown) {
    const QStringList prefixes = {"1-",  "2-",  "3-",  "4-",  "5-",  "6-",  "7-",  "8-",  "9-",  "10-", "11-",
                                  "12-", "13-", "14-", "15-", "16-", "F1-", "F2-", "F3-", "F4-", "F5-"};
    struct Case {
        const char* what;
        bool bankValid;
        bool online;
        int programNumber;
        bool named;
        int selectedIndex;
        int programNumberAfter;
        const char* nameEdit;
        bool recallAndExportAll;
    } cases[] = {
        {"off line, no bank", false, false, 0, false, -1, 0, "Current", false},
        {"off line, no bank, program 4", false, false, 4, false, 3, 4, "Current", false},
        {"off line, valid bank", true, false, 0, true, 0, 1, "Prog 1", true},
        {"off line, valid bank, F2", true, false, 18, true, 17, 18, "Prog 18", true},
        {"on line, names read", false, true, 7, true, 6, 7, "Prog 7", true},
        {"on line, unit reports no program", false, true, 0, true, 0, 1, "Prog 1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SysPage s;
        NameBankPrograms(s.model());
        BytesFromText(s.model().current.ProgramName, kProgramNameLength, "Current");
        s.model().bank.Valid = c.bankValid;
        s.model().system.ProgramNumber = static_cast<uint8_t>(c.programNumber);
        if (c.online)
            s.PretendOnLine(false);
        else
            s.page->RefreshFromModel();

        QStringList expected = prefixes;
        if (c.named)
            for (int i = 0; i < expected.size(); ++i) expected[i] += QStringLiteral("Prog %1").arg(i + 1);
        EXPECT_EQ(ListEntries(s), expected);
        EXPECT_EQ(s.Item<BitComboBox>(SysDlg::IDC_PROGRAM_LIST)->currentIndex(), c.selectedIndex);
        EXPECT_EQ(s.model().system.ProgramNumber, c.programNumberAfter);
        EXPECT_EQ(s.Item<EnglishEdit>(SysDlg::IDC_PROGRAM_NAME)->text(), c.nameEdit);
        EXPECT_EQ(s.Enabled(SysDlg::IDC_RECALL), c.recallAndExportAll);
        EXPECT_EQ(s.Enabled(SysDlg::IDC_EXPORT_ALL), c.recallAndExportAll);
        EXPECT_TRUE(s.Enabled(SysDlg::IDC_EXPORT));
    }
}

TEST(SysPage, EnablingFollowsConnectionAuthorityAndProgram) {
    using S = SysDlg;
    struct Case {
        const char* what;
        bool online;
        bool authority;
        int program;
        bool store;   // name edit and "Store Mode"
        bool import;  // "Import" and "Import all"
        bool verify;  // verification edit
        bool oldPassword;
        const char* text;
    } cases[] = {
        {"off line, authority kept from before", false, true, 5, false, true, false, false, "No Store Allow"},
        {"on line without authority", true, false, 5, false, false, true, true, "No Store Allow"},
        {"on line with authority, user program", true, true, 16, true, true, false, true, "Store Allow"},
        {"on line with authority, F1", true, true, 17, false, true, false, true, "Store Allow"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SysPage s;
        s.model().system.ProgramNumber = static_cast<uint8_t>(c.program);
        s.model().flags.storeAuthority = c.authority;
        if (c.online)
            s.PretendOnLine(c.authority);
        else
            s.page->RefreshFromModel();
        EXPECT_EQ(s.Enabled(S::IDC_PROGRAM_NAME), c.store);
        EXPECT_EQ(s.Enabled(S::IDC_STORE), c.store);
        EXPECT_EQ(s.Enabled(S::IDC_IMPORT), c.import);
        EXPECT_EQ(s.Enabled(S::IDC_IMPORT_ALL), c.import);
        EXPECT_EQ(s.Enabled(S::IDC_VERIFY_EDIT), c.verify);
        EXPECT_FALSE(s.Enabled(S::IDC_VERIFY_OK));
        EXPECT_EQ(s.Enabled(S::IDC_OLD_PASSWORD), c.oldPassword);
        for (int id : {S::IDC_NEW_PASSWORD, S::IDC_CONFIRM_PASSWORD, S::IDC_MODIFY})
            EXPECT_FALSE(s.Enabled(id));
        EXPECT_EQ(s.Item<QLabel>(S::IDC_AUTHORITY_TEXT)->text(), c.text);
        // A language switch re-sets the text by the same rule.
        s.page->ApplyLanguage();
        EXPECT_EQ(s.Item<QLabel>(S::IDC_AUTHORITY_TEXT)->text(), c.text);
    }
}

TEST(SysPage, OnlyTheRightPasswordEnablesOkAndOkGrantsStoring) {
    SysPage s;
    test::SetSystemPassword(s.model(), "246810");
    s.model().system.ProgramNumber = 3;
    s.PretendOnLine(false);

    // Wrong or incomplete texts never enable OK, whatever is typed on the way.
    for (const char* wrong : {"24681", "246811", "1246810", "abcdef", ""}) {
        s.Type(SysDlg::IDC_VERIFY_EDIT, wrong);
        EXPECT_FALSE(s.Enabled(SysDlg::IDC_VERIFY_OK)) << wrong;
    }
    s.Item(SysDlg::IDC_VERIFY_OK)->setEnabled(true);  // a stale enable must not send the text
    s.Click(SysDlg::IDC_VERIFY_OK);
    EXPECT_TRUE(s.QueuedFrames().empty());
    EXPECT_EQ(s.model().flags.storeAuthority.load(), 0);

    s.Type(SysDlg::IDC_VERIFY_EDIT, "246810");
    ASSERT_TRUE(s.Enabled(SysDlg::IDC_VERIFY_OK));
    s.Click(SysDlg::IDC_VERIFY_OK);
    const auto frames = s.QueuedFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][4], CmdSystemPassword);
    EXPECT_EQ(test::Payload(frames[0]), test::Bytes("246810246810"));
    EXPECT_EQ(TextFromBytes(s.model().system.SystemPassword, 6), "246810");
    EXPECT_EQ(s.model().flags.storeAuthority.load(), 1);
    EXPECT_EQ(s.Item<QLabel>(SysDlg::IDC_AUTHORITY_TEXT)->text(), "Store Allow");
    for (int id : {SysDlg::IDC_PROGRAM_NAME, SysDlg::IDC_STORE, SysDlg::IDC_IMPORT, SysDlg::IDC_IMPORT_ALL})
        EXPECT_TRUE(s.Enabled(id)) << id;
    EXPECT_FALSE(s.Enabled(SysDlg::IDC_VERIFY_EDIT));
    EXPECT_FALSE(s.Enabled(SysDlg::IDC_VERIFY_OK));

    // Storing is for programs 1..16 only.
    for (int index : {15, 16, 20, 0}) {
        s.Choose(SysDlg::IDC_PROGRAM_LIST, index);
        EXPECT_EQ(s.page->selectedProgram(), index + 1);
        EXPECT_EQ(s.Enabled(SysDlg::IDC_STORE), index < 16) << index;
        EXPECT_EQ(s.Enabled(SysDlg::IDC_PROGRAM_NAME), index < 16) << index;
    }
}

TEST(SysPage, PasswordChangeEnablesEachStepOnlyWhileTheStepsBeforeHold) {
    using S = SysDlg;
    SysPage s;
    test::SetSystemPassword(s.model(), "246810");
    s.PretendOnLine(true);
    struct Step {
        int edit;
        const char* text;
        bool fresh, confirm, modify;
    } steps[] = {
        {S::IDC_OLD_PASSWORD, "246811", false, false, false},
        {S::IDC_OLD_PASSWORD, "246810", true, false, false},
        {S::IDC_NEW_PASSWORD, "13579", true, false, false},  // five characters: no confirmation yet
        {S::IDC_NEW_PASSWORD, "135799", true, true, false},
        {S::IDC_CONFIRM_PASSWORD, "135798", true, true, false},
        {S::IDC_CONFIRM_PASSWORD, "135799", true, true, true},
        // Changing the new password after confirming takes the Modify button back.
        {S::IDC_NEW_PASSWORD, "135790", true, true, false},
        {S::IDC_NEW_PASSWORD, "135799", true, true, true},
        // So does a wrong old password: nothing after it stays open.
        {S::IDC_OLD_PASSWORD, "24681", false, false, false},
        {S::IDC_OLD_PASSWORD, "246810", true, true, true},
    };
    for (const Step& st : steps) {
        s.Type(st.edit, st.text);
        SCOPED_TRACE(st.text);
        EXPECT_EQ(s.Enabled(S::IDC_NEW_PASSWORD), st.fresh);
        EXPECT_EQ(s.Enabled(S::IDC_CONFIRM_PASSWORD), st.confirm);
        EXPECT_EQ(s.Enabled(S::IDC_MODIFY), st.modify);
    }
    EXPECT_TRUE(s.QueuedFrames().empty());

    s.Click(S::IDC_MODIFY);
    const auto frames = s.QueuedFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][4], CmdSystemPassword);
    EXPECT_EQ(test::Payload(frames[0]), test::Bytes("246810135799"));
    EXPECT_EQ(TextFromBytes(s.model().system.SystemPassword, 6), "135799");
    for (int id : {S::IDC_OLD_PASSWORD, S::IDC_NEW_PASSWORD, S::IDC_CONFIRM_PASSWORD})
        EXPECT_TRUE(s.Item<EnglishEdit>(id)->text().isEmpty());
    EXPECT_TRUE(s.Enabled(S::IDC_OLD_PASSWORD));
    for (int id : {S::IDC_NEW_PASSWORD, S::IDC_CONFIRM_PASSWORD, S::IDC_MODIFY}) EXPECT_FALSE(s.Enabled(id));
    // The old password is now the new one.
    s.Type(S::IDC_OLD_PASSWORD, "246810");
    EXPECT_FALSE(s.Enabled(S::IDC_NEW_PASSWORD));
    s.Type(S::IDC_OLD_PASSWORD, "135799");
    EXPECT_TRUE(s.Enabled(S::IDC_NEW_PASSWORD));
}

TEST(SysPage, SlidersStoreTheirFieldsAndMaximaClampTheMasterLevels) {
    using S = SysDlg;
    struct Case {
        const char* what;
        int slider;
        int position;
        const char* label;
        int fieldByte;   // offset in the system record
        int masterByte;  // offset in the system record, -1 for none
        uint8_t masterBefore, masterAfter;
    } cases[] = {
        {"mic max below the mic level", S::IDC_MIC_MAX, 50, "50", 5, 2, 60, 50},
        {"mic max below a muted mic level", S::IDC_MIC_MAX, 50, "50", 5, 2, 0x80 | 60, 50},
        {"mic max above the mic level", S::IDC_MIC_MAX, 50, "50", 5, 2, 0x80 | 40, 0x80 | 40},
        {"music max below the music level", S::IDC_MUSIC_MAX, 30, "30", 6, 3, 70, 30},
        {"effect max below the effect level", S::IDC_EFFECT_MAX, 20, "20", 4, 1, 65, 20},
        {"AUDIO gain", S::IDC_VOD_GAIN, 30, "5.0", 10, -1, 0, 0},
        {"AUX gain", S::IDC_BGM_GAIN, 0, "-10.0", 11, -1, 0, 0},
        {"COAX gain", S::IDC_COAX_GAIN, 21, "0.5", 12, -1, 0, 0},
        {"OPTI gain", S::IDC_OPTI_GAIN, 40, "10.0", 13, -1, 0, 0},
        {"key shift", S::IDC_KEY_SHIFT, 10, "3", 9, -1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SysPage s;
        SystemRecord& sys = s.model().system;
        sys.SensitivityKeyShift = 0x71;  // key shift 7 (0), sensitivity H
        if (c.masterByte >= 0) BytesOf(sys)[c.masterByte] = c.masterBefore;
        s.window->RefreshCurrentPage();

        s.Item<BitmapSlider>(c.slider)->SetPos(c.position);
        SendMessage(s.page, WM_SLIDER_TRACKING, c.slider, c.position);
        EXPECT_EQ(s.Item<Edit_Static>(c.slider - S::IDC_LABEL_OFFSET)->text(), c.label);
        const uint8_t* bytes = BytesOf(sys);
        if (c.slider == S::IDC_KEY_SHIFT)
            EXPECT_EQ(bytes[9], 0xA1);  // high nibble 10, sensitivity kept
        else
            EXPECT_EQ(bytes[c.fieldByte], c.position);
        if (c.masterByte >= 0) {
            EXPECT_EQ(bytes[c.masterByte], c.masterAfter);
            const int group = c.masterByte == 3 ? 0 : c.masterByte == 2 ? 1 : 2;
            EXPECT_EQ(s.window->masterSlider(group).GetPos(), c.masterAfter & 0x7F);
            EXPECT_EQ(s.window->muteButton(group).IsLatched(), (c.masterAfter & 0x80) != 0);
        }
    }
}

TEST(SysPage, TheMicMaximumSliderFollowsTheKeyboardAndLowersTheLevelAtOnce) {
    SysPage s;
    s.model().system.MicMaster = 84;
    s.window->RefreshCurrentPage();
    auto* slider = s.Item<BitmapSlider>(SysDlg::IDC_MIC_MAX);
    QTest::keyClick(slider, Qt::Key_Down);
    DeliverPostedMessages();
    EXPECT_EQ(s.model().system.MicMax, 83);
    EXPECT_EQ(s.model().system.MicMaster, 83);
    EXPECT_EQ(s.window->masterSlider(1).GetPos(), 83);
    QTest::keyClick(slider, Qt::Key_Home);
    DeliverPostedMessages();
    EXPECT_EQ(s.model().system.MicMax, 0);
    EXPECT_EQ(s.model().system.MicMaster, 0);
}

TEST(SysPage, CombosStoreTheirFieldsAndRefreshShowsThem) {
    using S = SysDlg;
    SysPage s;
    SystemRecord& sys = s.model().system;
    sys.SensitivityKeyShift = 0xA0;
    struct Case {
        int combo, index;
        int byte;
        uint8_t value;
    } cases[] = {
        {S::IDC_INPUT_SELECT, 2, 8, 2}, {S::IDC_SENSITIVITY, 1, 9, 0xA1}, {S::IDC_PHANTOM, 1, 7, 1},
        {S::IDC_IR_REMOTE, 1, 14, 1},   {S::IDC_INPUT_SELECT, 0, 8, 0},   {S::IDC_SENSITIVITY, 0, 9, 0xA0},
    };
    for (const Case& c : cases) {
        s.Choose(c.combo, c.index);
        EXPECT_EQ(BytesOf(sys)[c.byte], c.value) << c.combo << " " << c.index;
    }

    sys.MicMax = 60;
    sys.VodInputGain = 5;
    sys.InputSelect = 1;
    sys.Phantom = 1;
    sys.SensitivityKeyShift = 0x01;
    sys.IrRemote = 9;  // not an item: no selection rather than a wrong one
    s.page->RefreshFromModel();
    EXPECT_EQ(s.Item<BitmapSlider>(S::IDC_MIC_MAX)->GetPos(), 60);
    EXPECT_EQ(s.Item<Edit_Static>(S::IDC_MIC_MAX - S::IDC_LABEL_OFFSET)->text(), "60");
    EXPECT_EQ(s.Item<Edit_Static>(S::IDC_VOD_GAIN - S::IDC_LABEL_OFFSET)->text(), "-7.5");
    EXPECT_EQ(s.Item<Edit_Static>(S::IDC_KEY_SHIFT - S::IDC_LABEL_OFFSET)->text(), "-7");
    EXPECT_EQ(s.Item<BitComboBox>(S::IDC_INPUT_SELECT)->currentText(), "AUDIO");
    EXPECT_EQ(s.Item<BitComboBox>(S::IDC_PHANTOM)->currentText(), "ON");
    EXPECT_EQ(s.Item<BitComboBox>(S::IDC_SENSITIVITY)->currentText(), "H");
    EXPECT_EQ(s.Item<BitComboBox>(S::IDC_IR_REMOTE)->currentIndex(), -1);
}

TEST(SysPage, CaptionsInBothLanguagesAndHiddenControlsStayHidden) {
    struct Case {
        int id;
        const char* chinese;
        const char* english;
    } cases[] = {
        {SysDlg::IDC_GROUP_AUTHORITY, "保存权限管理", "Save authority management "},
        {SysDlg::IDC_GROUP_PASSWORD, "密码修改", "Password modification "},
        {SysDlg::IDC_GROUP_SETTING, "设置", "Setting"},
        {2503, "话筒1&2幻像电源", "Mic1&2 Phantom"},
        {2510, "OPTI/HDMI1~3/ARC 输入增益", "OPTI/HDMI1~3/ARC input gain"},
        {SysDlg::IDC_RECALL, "调用设备模式", "Recall Mode"},
        {SysDlg::IDC_EXPORT_ALL, "导出所有", "Export all"},
        {SysDlg::IDC_VERIFY_OK, "确定", "OK"},
        {SysDlg::IDC_AUTHORITY_TEXT, "无保存权限", "No Store Allow"},
    };
    SysPage s;
    for (UiLanguage language : {LanguageChinese, LanguageEnglish}) {
        SetUiLanguage(language);
        s.window->ApplyLanguage();
        for (const Case& c : cases) {
            QWidget* w = s.Item(c.id);
            const QString text = qobject_cast<SxGroupBox*>(w) ? qobject_cast<SxGroupBox*>(w)->Title()
                                 : qobject_cast<QAbstractButton*>(w)
                                     ? qobject_cast<QAbstractButton*>(w)->text()
                                     : qobject_cast<QLabel*>(w)->text();
            EXPECT_EQ(text, QString::fromUtf8(language == LanguageChinese ? c.chinese : c.english)) << c.id;
        }
    }
    for (int id :
         std::initializer_list<int>{SysDlg::IDC_EFFECT_MAX, SysDlg::IDC_COAX_GAIN, SysDlg::IDC_OPTI_GAIN,
                                    SysDlg::IDC_KEY_SHIFT, SysDlg::IDC_IR_REMOTE, SysDlg::IDC_PANEL_OLD,
                                    SysDlg::IDC_PANEL_MODIFY, 2550, 2555, 2557, 3906, 3907, 3910, 3911})
        EXPECT_FALSE(s.Item(id)->isVisible()) << id;
    for (int id :
         std::initializer_list<int>{SysDlg::IDC_MIC_MAX, SysDlg::IDC_VOD_GAIN, SysDlg::IDC_PROGRAM_LIST,
                                    SysDlg::IDC_STORE, SysDlg::IDC_MODIFY, 3900, 3909})
        EXPECT_TRUE(s.Item(id)->isVisible()) << id;
}

TEST(SysPage, ControlsKeepClearOfEachOtherAndOfTheMeterPanel) {
    SysPage s;
    const QRect panel(QPoint(5, 6), BitmapSize(SysDlg::kMeterPanelBitmapChinese));
    std::vector<QWidget*> shown;
    for (QWidget* w : s.page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible() && !qobject_cast<SxGroupBox*>(w)) shown.push_back(w);
    for (QWidget* w : shown) {
        const int id = ControlId(w);
        EXPECT_TRUE(s.page->rect().contains(w->geometry())) << id;
        const bool meter = id >= 3900 && id <= 3911;
        EXPECT_EQ(panel.intersects(w->geometry()), meter) << id;
        for (QWidget* other : shown)
            if (other != w) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry())) << id << " " << ControlId(other);
            }
    }
}

TEST(SysPage, MetersShowStatusRepliesOnLineAndGoDarkOffLine) {
    SysPage s;
    s.PretendOnLine(false);
    for (int i = 0; i < 12; ++i) {
        s.model().status.areaA[i] = static_cast<uint8_t>(100 + 10 * i);  // 100 .. 210
        s.model().status.areaB[i] = i % 2 ? 250 : 150;
    }
    // Through the main window: the page shows the reply, then the window lets the next one through.
    s.model().status.messageFlag = 0;
    s.window->OnStatusReceived(StatusArea::Levels);
    EXPECT_EQ(s.model().status.messageFlag.load(), 1);
    s.window->OnStatusReceived(StatusArea::Indicators);
    for (int i = 0; i < 12; ++i) {
        const int level = 100 + 10 * i;
        const SLamp& m = s.page->meter(i);
        EXPECT_EQ(m.IsSegmentShown(0), level >= 110) << i;
        EXPECT_EQ(m.IsSegmentShown(16), level >= 200) << i;
        EXPECT_EQ(m.IsSegmentShown(SLamp::kIndicator), i % 2 == 0) << i;
    }

    s.model().flags.connected = 0;
    s.window->OnStatusReceived(StatusArea::Levels);
    for (int i = 0; i < 12; ++i)
        for (int seg = 0; seg < SLamp::kSegments; ++seg) EXPECT_FALSE(s.page->meter(i).IsSegmentShown(seg));

    // A disconnect refreshes the page: the meters must not keep the last levels.
    s.PretendOnLine(false);
    s.page->StatusReceived(StatusArea::Levels);
    ASSERT_TRUE(s.page->meter(11).IsSegmentShown(0));
    s.model().flags.connected = 0;
    s.page->RefreshFromModel();
    EXPECT_FALSE(s.page->meter(11).IsSegmentShown(0));
}

TEST(SysPage, MeterPanelPictureFollowsTheLanguageAndMetersSitInItsWells) {
    const QPoint wells[] = {{42, 57},  {98, 57},  {154, 57}, {210, 57},
                            {266, 57}, {322, 57}, {402, 57}, {458, 57}};
    const int visible[] = {0, 1, 2, 3, 4, 5, 8, 9};
    SysPage s;
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(s.page->meter(visible[k]).geometry(), QRect(wells[k], QSize(14, 179)));

    // The title and headings above the meters come from the picture of the UI language: the page
    // matches it closely (text rendering may vary by a few pixels) and differs plainly from the other.
    auto differing = [](const QImage& page, int bitmap) {
        const QImage panel = LoadBitmapImage(bitmap);
        EXPECT_EQ(panel.size(), QSize(504, 270));
        int n = 0;
        for (int y = 0; y < 45; ++y)
            for (int x = 0; x < panel.width(); ++x) {
                const QRgb a = page.pixel(5 + x, 6 + y), b = panel.pixel(x, y);
                n += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                         std::abs(qBlue(a) - qBlue(b)) >
                     96;
            }
        return n;
    };
    for (UiLanguage language : {LanguageChinese, LanguageEnglish}) {
        SetUiLanguage(language);
        s.window->ApplyLanguage();
        const QImage page = test::Grab(s.page);
        const int own = differing(page, language == LanguageChinese ? 170 : 174);
        const int other = differing(page, language == LanguageChinese ? 174 : 170);
        EXPECT_LT(own * 10, other) << language << ": " << own << " vs " << other;
    }
}

TEST(SysPage, OffLineStoreSendsNothingAndRecallAndExportAllUseTheBank) {
    SysPage s;
    NameBankPrograms(s.model());
    s.page->RefreshFromModel();
    // Without a valid bank: recall and export all are unavailable and would do nothing.
    const ProgramImage before = s.model().current;
    s.Choose(SysDlg::IDC_PROGRAM_LIST, 4);
    SendMessage(s.page, WM_COMMAND, MakeCommand(SysDlg::IDC_RECALL, BN_CLICKED), 0);
    SendMessage(s.page, WM_COMMAND, MakeCommand(SysDlg::IDC_EXPORT_ALL, BN_CLICKED), 0);
    SendMessage(s.page, WM_COMMAND, MakeCommand(SysDlg::IDC_STORE, BN_CLICKED), 0);
    EXPECT_TRUE(SameRecord(s.model().current, before));
    EXPECT_TRUE(s.state.requests.empty());
    EXPECT_TRUE(s.QueuedFrames().empty());

    s.model().bank.Valid = 1;
    BytesFromText(s.model().bank.Programs[4].ProgramName, kProgramNameLength, "Stored five");
    s.model().bank.Programs[4].Mic12.Eq[2].GainCode = 77;
    s.page->RefreshFromModel();
    s.Choose(SysDlg::IDC_PROGRAM_LIST, 4);
    s.Click(SysDlg::IDC_RECALL);
    EXPECT_EQ(s.model().system.ProgramNumber, 5);
    EXPECT_TRUE(SameRecord(s.model().current, s.model().bank.Programs[4]));
    EXPECT_TRUE(s.QueuedFrames().empty());
    s.Click(SysDlg::IDC_EXPORT_ALL);
    ASSERT_EQ(s.state.requests.size(), 1u);
    EXPECT_TRUE(s.state.requests[0].save);
    EXPECT_TRUE(s.QueuedFrames().empty());
}

TEST(SysPage, StoreSendsThePasswordTwiceThenTheNamedProgramAndWaits) {
    SysPage s;
    test::SetSystemPassword(s.model(), "246810");
    s.model().system.ProgramNumber = 2;
    s.PretendOnLine(true);
    s.Choose(SysDlg::IDC_PROGRAM_LIST, 11);
    s.Type(SysDlg::IDC_PROGRAM_NAME, "Late Show");
    s.Click(SysDlg::IDC_STORE);

    const auto frames = s.QueuedFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][4], CmdSystemPassword);
    EXPECT_EQ(test::Payload(frames[0]), test::Bytes("246810246810"));
    EXPECT_EQ(frames[1][4], CmdStore);
    std::vector<uint8_t> store = {12};
    for (char c : std::string("Late Show           ")) store.push_back(static_cast<uint8_t>(c));
    EXPECT_EQ(test::Payload(frames[1]), store);
    EXPECT_EQ(TextFromBytes(s.model().current.ProgramName, kProgramNameLength), "Late Show");
    EXPECT_EQ(TextFromBytes(s.model().bank.Programs[11].ProgramName, kProgramNameLength), "Late Show");
    EXPECT_EQ(s.model().system.ProgramNumber, 12);
    EXPECT_EQ(s.Item<BitComboBox>(SysDlg::IDC_PROGRAM_LIST)->currentText(), "12-Late Show");
    EXPECT_EQ(s.window->programLabelText(), "12:Late Show");
    EXPECT_EQ(s.window->progress().mode(), Show_Dlg::Mode::Wait);
    s.model().flags.transferPending = 0;  // what the acknowledgement does
    EXPECT_TRUE(test::WaitUntil([&] { return s.window->progress().mode() == Show_Dlg::Mode::Hidden; }));
}

}  // namespace
}  // namespace pavo
