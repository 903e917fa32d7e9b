// Undo and redo in the main window off line: one step per gesture of every kind, the page and the
// master strip showing what was restored, the menu entries, the keys an edit keeps for itself, and the
// rules that join, split and clear steps.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/UndoNames.h"
#include "controls/BitButton.h"
#include "controls/Edit_Static.h"
#include "controls/EnglishEdit.h"
#include "model/DataConver.h"
#include "model/FieldCatalog.h"
#include "model/PresetFiles.h"
#include "pages/DEQ_Dlg.h"
#include "pages/Echo_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/MainDlg.h"
#include "pages/Mic_Dlg.h"
#include "pages/Rev_Dlg.h"
#include "undo_support.h"

namespace pavo {
namespace {

using test::Records;
using test::Same;
using test::UndoWindow;
using S = SysDlg;

struct GestureCase {
    const char* name;
    int page;                                   // shown while the gesture is made
    std::function<void(Model&)> prepare;        // the records it starts from
    std::function<void(UndoWindow&)> gesture;   // as the user makes it
    std::function<QString(UndoWindow&)> shown;  // what the page or the strip shows of it
    const char* undoText;
    std::function<void(UndoWindow&)> open = nullptr;  // on the page, before the gesture
};

QString EditText(NumEdit* e) {
    return e->text();
}
QString Latched(UndoWindow& u, int page, int id) {
    return QString::number(u.PageItem<BitButton>(page, id)->IsLatched());
}
QString LabelOf(UndoWindow& u, int page, int id) {
    return u.PageItem<QLabel>(page, id)->text();
}
Echo_Dlg* Echo(UndoWindow& u) {
    return static_cast<Effect_Dlg*>(u.w->Page(PavoDlg::PageEffect))->EchoPage();
}
Rev_Dlg* Reverb(UndoWindow& u) {
    return static_cast<Effect_Dlg*>(u.w->Page(PavoDlg::PageEffect))->ReverbPage();
}

std::filesystem::path TempDia() {
    return std::filesystem::temp_directory_path() / ("pavo-undo-" + std::to_string(::getpid()) + ".dia");
}

const GestureCase kGestures[] = {
    {"master slider drag", PavoDlg::PageSystem, nullptr,
     [](UndoWindow& u) { u.DragSlider(&u.w->masterSlider(0), 50); },
     [](UndoWindow& u) { return u.w->masterLabel(0).text(); }, "Undo: Music Vol"},
    {"mute button", PavoDlg::PageSystem, nullptr, [](UndoWindow& u) { u.Click(&u.w->muteButton(1)); },
     [](UndoWindow& u) { return QString::number(u.w->muteButton(1).IsLatched()); }, "Undo: Mic Vol"},
    {"system page slider drag", PavoDlg::PageSystem, nullptr,
     [](UndoWindow& u) { u.DragSlider(u.SysItem<BitmapSlider>(S::IDC_BGM_GAIN), 30); },
     [](UndoWindow& u) { return u.SysItem<Edit_Static>(S::IDC_BGM_GAIN - S::IDC_LABEL_OFFSET)->text(); },
     "Undo: AUX input gain"},
    {"system page combo choice", PavoDlg::PageSystem, nullptr,
     [](UndoWindow& u) { u.ChooseFromList(u.SysItem<BitComboBox>(S::IDC_PHANTOM), 1); },
     [](UndoWindow& u) { return u.SysItem<BitComboBox>(S::IDC_PHANTOM)->currentText(); },
     "Undo: Mic1&2 Phantom"},
    {"graph drag", PavoDlg::PageMusic, nullptr,
     [](UndoWindow& u) { u.DragBand(u.Graph(), *u.Strip(2)->Band(), -60); },
     [](UndoWindow& u) { return EditText(u.Strip(2)->GainEdit()); }, "Undo: Music Left EQ band 3"},
    {"graph double-click", PavoDlg::PageMusic, nullptr,
     [](UndoWindow& u) {
         const PlotPoint c = u.Strip(6)->Band()->HandleRect().Centre();
         // Press, release, the double-click press and its release.
         QTest::mouseDClick(u.Graph(), Qt::LeftButton, {}, QPoint(c.x, c.y));
         QTest::mouseRelease(u.Graph(), Qt::LeftButton, {}, QPoint(c.x, c.y));
         u.Settle();
     },
     [](UndoWindow& u) { return u.Strip(6)->TypeCombo()->currentText(); }, "Undo: Music Left EQ band 7"},
    {"graph wheel over a handle", PavoDlg::PageMusic, nullptr,
     [](UndoWindow& u) {
         const PlotPoint c = u.Strip(8)->Band()->HandleRect().Centre();
         const QPointF at(c.x, c.y);
         for (int i = 0; i < 3; ++i) {
             QWheelEvent e(at, u.Graph()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                           Qt::NoModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(u.Graph(), &e);
             u.Settle();
         }
     },
     [](UndoWindow& u) { return EditText(u.Strip(8)->QEdit()); }, "Undo: Music Left EQ band 9"},
    {"strip value typed", PavoDlg::PageMusic, nullptr,
     [](UndoWindow& u) { u.TypeAndEnter(u.Strip(4)->GainEdit(), "-6"); },
     [](UndoWindow& u) { return EditText(u.Strip(4)->GainEdit()); }, "Undo: Music Left EQ band 5"},
    {"strip type from the list", PavoDlg::PageMusic, nullptr,
     [](UndoWindow& u) { u.ChooseFromList(u.Strip(3)->TypeCombo(), 2); },
     [](UndoWindow& u) { return u.Strip(3)->TypeCombo()->currentText(); }, "Undo: Music Left EQ band 4"},
    {"strip gain slider drag", PavoDlg::PageMusic, nullptr,
     [](UndoWindow& u) {
         BitmapSlider* s = u.Strip(0)->GainSlider();
         u.DragSlider(s, (s->GetRangeMin() + s->GetRangeMax()) / 2 + 25);
     },
     [](UndoWindow& u) { return EditText(u.Strip(0)->GainEdit()); }, "Undo: Music Left EQ band 1"},
    // One gesture on each of the other pages.
    {"music SYNC button", PavoDlg::PageMusic, nullptr,
     [](UndoWindow& u) { u.Click(u.PageItem(PavoDlg::PageMusic, MusicDlg::IDC_SYNC)); },
     [](UndoWindow& u) { return Latched(u, PavoDlg::PageMusic, MusicDlg::IDC_SYNC); }, "Undo: Music SYNC"},
    {"music EQ reset", PavoDlg::PageMusic,
     [](Model& m) {
         m.current.MusicLeft.Eq[2].GainCode = 150;
         m.current.MusicLeft.Eq[9].QCode = 30;
     },
     [](UndoWindow& u) { u.Click(u.PageItem(PavoDlg::PageMusic, MusicDlg::IDC_EQ_RESET)); },
     [](UndoWindow& u) { return EditText(u.Strip(2)->GainEdit()) + EditText(u.Strip(9)->QEdit()); },
     "Undo: Music Left EQ"},
    {"music EQ bypass", PavoDlg::PageMusic, nullptr,
     [](UndoWindow& u) { u.Click(u.PageItem(PavoDlg::PageMusic, MusicDlg::IDC_EQ_BYPASS)); },
     [](UndoWindow& u) { return Latched(u, PavoDlg::PageMusic, MusicDlg::IDC_EQ_BYPASS); },
     "Undo: Music Left EQ Bypass"},
    {"microphone limiter ratio drag", PavoDlg::PageMic, nullptr,
     [](UndoWindow& u) {
         u.DragSlider(u.PageItem<BitmapSlider>(PavoDlg::PageMic, Mic_Dlg::IDC_LIMIT_RATIO), 5);
     },
     [](UndoWindow& u) { return LabelOf(u, PavoDlg::PageMic, Mic_Dlg::IDC_LIMIT_RATIO_LABEL); },
     "Undo: Mic 1&2 limiter"},
    {"dynamic EQ threshold drag", PavoDlg::PageDynEq, nullptr,
     [](UndoWindow& u) {
         u.DragSlider(u.PageItem<BitmapSlider>(PavoDlg::PageDynEq, DEQ_Dlg::IDC_THRESHOLD + 1), 30);
     },
     [](UndoWindow& u) { return LabelOf(u, PavoDlg::PageDynEq, DEQ_Dlg::IDC_THRESHOLD + 1 - 10); },
     "Undo: Music Left dynamic EQ band 2"},
    {"Out 1 mute", PavoDlg::PageOut12, nullptr,
     [](UndoWindow& u) { u.Click(u.PageItem(PavoDlg::PageOut12, MainDlg::IDC_SECOND_MUTE)); },
     [](UndoWindow& u) { return Latched(u, PavoDlg::PageOut12, MainDlg::IDC_SECOND_MUTE); },
     "Undo: Out 1 mute"},
    {"Out 3 high-pass slope from the list", PavoDlg::PageOut34, nullptr,
     [](UndoWindow& u) {
         u.ChooseFromList(u.PageItem<BitComboBox>(PavoDlg::PageOut34, MainDlg::IDC_HPF_COMBO), 3);
     },
     [](UndoWindow& u) {
         return u.PageItem<BitComboBox>(PavoDlg::PageOut34, MainDlg::IDC_HPF_COMBO)->currentText();
     },
     "Undo: Out 3 high-pass"},
    {"echo delay drag", PavoDlg::PageEffect, nullptr,
     [](UndoWindow& u) { u.DragSlider(DialogItemAs<BitmapSlider>(Echo(u), Echo_Dlg::IDC_DELAY), 120); },
     [](UndoWindow& u) { return DialogItemAs<QLabel>(Echo(u), 3523)->text(); }, "Undo: Echo A delay"},
    {"reverb time drag", PavoDlg::PageEffect, nullptr,
     [](UndoWindow& u) { u.DragSlider(DialogItemAs<BitmapSlider>(Reverb(u), Rev_Dlg::IDC_REVERB_TIME), 40); },
     [](UndoWindow& u) { return DialogItemAs<QLabel>(Reverb(u), 3548)->text(); }, "Undo: Reverb time",
     [](UndoWindow& u) { u.Click(u.PageItem(PavoDlg::PageEffect, Effect_Dlg::IDC_REVERB)); }},
    {"preset import", PavoDlg::PageSystem, nullptr,
     [](UndoWindow& u) {
         ProgramImage img = u.unit().model().current;
         BytesFromText(img.ProgramName, kProgramNameLength, "Imported");
         img.MusicLeft.Eq[2].GainCode = 170;
         img.Scenes[2].Channel[OutSub].Delay = 900;
         ASSERT_TRUE(WriteDia(TempDia().string(), u.unit().model().system, img));
         u.state.nextFile = QString::fromStdString(TempDia().string());
         u.Click(u.SysItem(S::IDC_IMPORT));
         std::filesystem::remove(TempDia());
     },
     [](UndoWindow& u) { return u.SysItem<EnglishEdit>(S::IDC_PROGRAM_NAME)->text(); }, "Undo: Import"},
    {"program recall from the bank", PavoDlg::PageSystem,
     [](Model& m) {
         m.bank.Valid = 1;
         m.bank.Programs[4] = m.current;
         BytesFromText(m.bank.Programs[4].ProgramName, kProgramNameLength, "Five");
         m.bank.Programs[4].Mic34.Eq[1].QCode = 40;
         m.system.ProgramNumber = 1;  // the page would set 0 to 1 while it shows the bank
     },
     [](UndoWindow& u) {
         auto* list = u.SysItem<BitComboBox>(S::IDC_PROGRAM_LIST);
         list->setCurrentIndex(4);
         emit list->activated(4);
         u.Click(u.SysItem(S::IDC_RECALL));
         u.w->RefreshCurrentPage();  // off line the recall itself shows nothing
         u.Settle();
     },
     [](UndoWindow& u) { return u.SysItem<EnglishEdit>(S::IDC_PROGRAM_NAME)->text(); },
     "Undo: Recall Mode 5"},
};

TEST(UndoGestures, EachGestureIsOneStepThatUndoAndRedoApplyAndThePageShows) {
    for (const GestureCase& c : kGestures) {
        SCOPED_TRACE(c.name);
        UndoWindow u;
        u.undo().SetJoinWindow(60000);  // wheel notches join however slow the machine is
        if (c.prepare) c.prepare(u.unit().model());
        u.ShowPage(c.page);
        u.w->RefreshCurrentPage();
        if (c.open) c.open(u);
        u.history().Clear();

        const EditedRecords before = Records(u.unit());
        const QString shownBefore = c.shown(u);
        c.gesture(u);
        const EditedRecords after = Records(u.unit());
        ASSERT_FALSE(Same(before, after)) << "the gesture changed nothing";
        EXPECT_EQ(u.history().UndoDepth(), 1u);
        EXPECT_EQ(u.undo().UndoText(), c.undoText);
        const QString shownAfter = c.shown(u);

        u.Undo();
        EXPECT_TRUE(Same(Records(u.unit()), before));
        EXPECT_EQ(c.shown(u), shownBefore);
        EXPECT_EQ(u.undo().RedoText(), QString(c.undoText).replace("Undo", "Redo"));

        u.Redo();
        EXPECT_TRUE(Same(Records(u.unit()), after));
        EXPECT_EQ(c.shown(u), shownAfter);

        u.Undo();
        u.Key(Qt::Key_Y, Qt::ControlModifier);
        EXPECT_TRUE(Same(Records(u.unit()), after));
        EXPECT_EQ(u.history().UndoDepth(), 1u);
        EXPECT_FALSE(u.history().CanRedo());
    }
}

TEST(UndoGestures, StepsSplitAtGesturesJoinForRepeatsAndANewEditClearsRedo) {
    UndoWindow u;
    u.ShowPage(PavoDlg::PageSystem);
    auto* aux = u.SysItem<BitmapSlider>(S::IDC_BGM_GAIN);
    auto* audio = u.SysItem<BitmapSlider>(S::IDC_VOD_GAIN);
    SystemRecord& sys = u.unit().model().system;

    // Two drags, two steps.
    u.DragSlider(aux, 10);
    const int first = sys.BgmInputGain;
    u.DragSlider(aux, 20);
    const int second = sys.BgmInputGain;
    EXPECT_EQ(u.history().UndoDepth(), 2u);

    // Wheel notches and repeated keys on one control join; another control starts a new step. (The
    // join window is a minute here, so that a slow machine still joins.)
    u.undo().SetJoinWindow(60000);
    for (int i = 0; i < 3; ++i) {
        test::Wheel(aux, 120);
        u.Settle();
    }
    EXPECT_EQ(sys.BgmInputGain, second + 3);
    EXPECT_EQ(u.history().UndoDepth(), 3u);
    for (int i = 0; i < 4; ++i) u.Key(Qt::Key_Up, Qt::NoModifier, audio);
    EXPECT_EQ(u.history().UndoDepth(), 4u);
    EXPECT_EQ(sys.VodInputGain, 4);

    u.Undo();
    EXPECT_EQ(sys.VodInputGain, 0);
    u.Undo();
    EXPECT_EQ(sys.BgmInputGain, second);
    u.Undo();
    EXPECT_EQ(sys.BgmInputGain, first);

    // A new edit drops what could have been redone.
    u.DragSlider(audio, 7);
    const int dragged = sys.VodInputGain;
    ASSERT_NE(dragged, 0);
    EXPECT_FALSE(u.history().CanRedo());
    u.Redo();
    EXPECT_EQ(sys.BgmInputGain, first);
    EXPECT_EQ(sys.VodInputGain, dragged);

    // Repeats further apart than the join window are steps of their own.
    u.undo().SetJoinWindow(0);
    const size_t depth = u.history().UndoDepth();
    u.Key(Qt::Key_Up, Qt::NoModifier, audio);
    u.Key(Qt::Key_Up, Qt::NoModifier, audio);
    EXPECT_EQ(u.history().UndoDepth(), depth + 2);
    u.Undo();
    u.Undo();

    // Clicks that change nothing are no steps.
    u.ShowPage(PavoDlg::PageMusic);
    u.ShowPage(PavoDlg::PageSystem);
    EXPECT_EQ(u.history().UndoDepth(), 2u);
}

TEST(UndoGestures, AnEditBeingTypedIntoKeepsItsOwnUndo) {
    UndoWindow u;
    u.ShowPage(PavoDlg::PageMusic);
    NumEdit* gain = u.Strip(1)->GainEdit();
    NumEdit* freq = u.Strip(1)->FrequencyEdit();
    u.TypeAndEnter(freq, "100");
    const EditedRecords typed = Records(u.unit());
    ASSERT_EQ(u.history().UndoDepth(), 1u);

    // Typing not committed yet: Ctrl+Z takes back the typing, not the frequency.
    gain->setFocus(Qt::TabFocusReason);
    const QString shown = gain->text();
    QTest::keyClicks(gain, "9");
    ASSERT_NE(gain->text(), shown);
    u.Key(Qt::Key_Z, Qt::ControlModifier, gain);
    EXPECT_EQ(gain->text(), shown);
    EXPECT_TRUE(Same(Records(u.unit()), typed));
    EXPECT_EQ(u.history().UndoDepth(), 1u);

    // Committed, the value shows again; Ctrl+Z in the same edit undoes the model.
    u.TypeAndEnter(gain, "3");
    ASSERT_EQ(u.history().UndoDepth(), 2u);
    ASSERT_EQ(QApplication::focusWidget(), gain);
    u.Key(Qt::Key_Z, Qt::ControlModifier, gain);
    EXPECT_TRUE(Same(Records(u.unit()), typed));
    EXPECT_EQ(gain->text(), shown);
}

// Storing a program and the password commands work on the unit: no step, and an undo cannot take
// back the name or number they set. While the unit's acknowledgement is awaited nothing is undone.
TEST(UndoGestures, StoringIsNoStepAndNothingIsUndoneWhileATransferHoldsTheWindow) {
    UndoWindow u;
    u.unit().model().flags.connected = 1;  // on line as far as the page can tell; the frames stay queued
    u.unit().model().flags.storeAuthority = 1;
    u.ShowPage(PavoDlg::PageSystem);
    u.DragSlider(&u.w->masterSlider(0), 30);
    ASSERT_EQ(u.history().UndoDepth(), 1u);

    auto* list = u.SysItem<BitComboBox>(S::IDC_PROGRAM_LIST);
    list->setCurrentIndex(2);
    emit list->activated(2);
    auto* name = u.SysItem<EnglishEdit>(S::IDC_PROGRAM_NAME);
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "Stage");
    u.Click(u.SysItem(S::IDC_STORE));
    EXPECT_EQ(u.unit().model().system.ProgramNumber, 3);
    EXPECT_EQ(TextFromBytes(u.unit().model().current.ProgramName, kProgramNameLength), "Stage");
    EXPECT_EQ(u.history().UndoDepth(), 1u);
    EXPECT_EQ(u.undo().UndoText(), "Undo: Music Vol");

    ASSERT_EQ(u.w->progress().mode(), Show_Dlg::Mode::Wait);
    const uint8_t level = u.unit().model().system.MusicMaster;
    u.Undo();
    EXPECT_EQ(u.unit().model().system.MusicMaster, level);

    u.unit().model().flags.transferPending = 0;
    ASSERT_TRUE(test::WaitUntil([&] { return u.w->progress().mode() == Show_Dlg::Mode::Hidden; }));
    u.Undo();
    EXPECT_EQ(u.unit().model().system.MusicMaster, 0);
    EXPECT_EQ(u.unit().model().system.ProgramNumber, 3);
    EXPECT_EQ(TextFromBytes(u.unit().model().current.ProgramName, kProgramNameLength), "Stage");
    u.unit().model().flags.connected = 0;
}

// The context menu's entries name the step, follow the language and are enabled only when usable.
TEST(UndoGestures, ContextMenuNamesWhatItWouldUndoAndRedo) {
    UndoWindow u;
    u.ShowPage(PavoDlg::PageSystem);
    struct Seen {
        QStringList texts;
        std::vector<bool> enabled;
    };
    // Opens the menu, notes its entries and triggers the one named `pick` (or none).
    auto menu = [&](const QString& pick) {
        Seen seen;
        QTimer::singleShot(0, [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(popup, nullptr);
            QAction* chosen = nullptr;
            for (QAction* a : popup->actions()) {
                if (a->isSeparator()) continue;
                seen.texts << a->text();
                seen.enabled.push_back(a->isEnabled());
                if (a->text() == pick) chosen = a;
            }
            popup->close();
            if (chosen) chosen->trigger();
        });
        test::RightClick(*u.w, QPoint(5, 5));
        u.Settle();
        return seen;
    };

    Seen s = menu({});
    ASSERT_GE(s.texts.size(), 2);
    EXPECT_EQ(s.texts.mid(0, 2), QStringList({"Undo", "Redo"}));
    EXPECT_EQ(s.enabled[0], false);
    EXPECT_EQ(s.enabled[1], false);

    u.DragSlider(&u.w->masterSlider(1), 30);
    s = menu("Undo: Mic Vol");
    EXPECT_EQ(s.texts.mid(0, 2), QStringList({"Undo: Mic Vol", "Redo"}));
    EXPECT_EQ(u.unit().model().system.MicMaster, 0);
    EXPECT_EQ(u.w->masterSlider(1).GetPos(), 0);

    SetUiLanguage(LanguageChinese);
    s = menu({});
    EXPECT_EQ(s.texts.mid(0, 2),
              QStringList({QString::fromUtf8("撤销"), QString::fromUtf8("重做: 话筒音量")}));
    EXPECT_EQ(s.enabled[0], false);
    EXPECT_EQ(s.enabled[1], true);
    SetUiLanguage(LanguageEnglish);
}

// Names come from the first field changed, its block and record; several bands of one set, a link
// switched with its channel copy and fields of the system record have names of their own.
TEST(UndoGestures, StepsAreNamedByWhatTheyChanged) {
    struct Case {
        const char* name;
        std::function<void(Model&)> edit;
        const char* english;
        const char* chinese;
        std::function<void(Model&)> before = nullptr;
    } cases[] = {
        {"one band", [](Model& m) { m.current.MusicRight.Eq[11].QCode = 3; }, "Music Right EQ band 12",
         "音乐右 EQ 频段12"},
        {"EQ reset", [](Model& m) { ResetEqBands(m, BlockMic34); }, "Mic 3&4 EQ", "话筒3&4 EQ"},
        {"a dynamic band's threshold", [](Model& m) { m.current.MusicLeft.DynEq[1].Threshold = 9; },
         "Music Left dynamic EQ band 2", "音乐左 动态均衡 频段2"},
        {"an output's delay in another scene",
         [](Model& m) { m.current.Scenes[1].Channel[OutOut1].Delay = 5; }, "Out 1 delay", "输出1 延时"},
        {"a mix switch", [](Model& m) { m.current.Scenes[0].Channel[OutSub].EchoBSwitch = 1; },
         "SUB EchoB Level", "超低音 回声B电平"},
        {"key shift (a nibble)", [](Model& m) { SetKeyShift(m.system, 2); }, "Key Control", "音乐变调"},
        {"sensitivity (the other nibble)", [](Model& m) { SetAnalogSensitivity(m.system, 1); }, "VOD/BGM Sen",
         "模拟输入灵敏度"},
        {"a maximum lowering its level", [](Model& m) { m.system.MicMax = m.system.MicMaster = 10; },
         "Mic max volume", "话筒最大音量"},
        {"music SYNC off with the channel copy",
         [](Model& m) {
             m.current.MusicLink = 0;
             LinkMusic(m);
         },
         "Music SYNC", "音乐同步",
         [](Model& m) {
             m.current.MusicLink = 1;
             m.current.MusicLeft.Gate.Threshold = 7;
         }},
        {"several records of one block",
         [](Model& m) {
             m.current.EchoB.Repeat = 3;
             m.current.EchoB.Eq[0].GainCode = 3;
         },
         "Echo B", "回声B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::AppState state;
        Model m;
        ResetParameters(m, false);
        if (c.before) c.before(m);
        UndoHistory history(m);
        c.edit(m);
        ASSERT_TRUE(history.Commit());
        EXPECT_EQ(StepName(*history.NextUndo()), c.english);
        SetUiLanguage(LanguageChinese);
        EXPECT_EQ(StepName(*history.NextUndo()), QString::fromUtf8(c.chinese));
        SetUiLanguage(LanguageEnglish);
    }
}

// A step changing any one field of either record is named in words of each language, never by the
// raw parts of its path.
TEST(UndoGestures, EveryFieldOfTheCatalogHasANameInBothLanguages) {
    test::AppState state;
    for (const FieldInfo& f : Fields()) {
        SCOPED_TRACE(f.path);
        UndoStep step;
        const EditedRecord record =
            f.record == FieldRecord::Program ? EditedRecord::Program : EditedRecord::System;
        step.runs.push_back({record, f.offset, 1, 0});
        step.before = {0};
        step.after = {f.mask};
        const QString english = StepName(step);
        SetUiLanguage(LanguageChinese);
        const QString chinese = StepName(step);
        SetUiLanguage(LanguageEnglish);
        EXPECT_FALSE(english.isEmpty());
        EXPECT_FALSE(english.contains(u'.') || english.contains(u'[')) << english.toStdString();
        EXPECT_NE(chinese, english) << english.toStdString();
    }
}

}  // namespace
}  // namespace pavo
