// The music and microphone pages in the main window, off line: the SYNC link and its copy, which block
// gate and limiter edit, the key byte, the value texts, the band strips following the graph and the
// trackbar, the filters through the band sets, EQ bypass and reset, typed frequencies, the language
// and the refresh after a page switch or a received program. The frames an edit causes are taken
// from the change scanner, as the engine would send them.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>
#include <filesystem>

#include "channel_page_support.h"
#include "controls/FontStatic.h"
#include "eq/CFStatic.h"
#include "eq/Filter.h"
#include "model/CodeTables.h"
#include "model/DataConver.h"
#include "model/PresetFiles.h"
#include "pages/BandStripRow.h"
#include "pages/EQDlg.h"
#include "platform/Skin.h"

namespace pavo {
namespace {

using P = InputChannelPage;
using test::ChannelWindow;
using test::Click;
using test::ItemOf;
using test::PendingFrames;
using test::ScannedFrame;
using test::Slide;

// What the tests need to know of each page.
struct PageCase {
    const char* name;
    int pageIndex;
    int first, second;  // block numbers of the two channels
    uint8_t linkIndex;  // of the link frame
    int hpfSlider, hpfEdit, hpfSlope;
    size_t hpfOffset;  // HighPass within the block
    int gateThreshold, limiterRatio;
    size_t gateOffset, limiterRatioOffset;
    int bands;
};

const PageCase kPages[] = {
    {"music", PavoDlg::PageMusic, BlockMusicLeft, BlockMusicRight, 1, MusicDlg::IDC_HPF,
     MusicDlg::IDC_HPF_EDIT, MusicDlg::IDC_HPF_SLOPE, offsetof(MusicBlock, HighPass),
     MusicDlg::IDC_GATE_THRESHOLD, MusicDlg::IDC_LIMIT_RATIO, offsetof(MusicBlock, Gate),
     offsetof(MusicBlock, Compressor) + 3, 15},
    {"mic", PavoDlg::PageMic, BlockMic12, BlockMic34, 0, Mic_Dlg::IDC_HPF, Mic_Dlg::IDC_HPF_EDIT,
     Mic_Dlg::IDC_HPF_SLOPE, offsetof(MicBlock, HighPass), Mic_Dlg::IDC_GATE_THRESHOLD,
     Mic_Dlg::IDC_LIMIT_RATIO, offsetof(MicBlock, Gate), offsetof(MicBlock, Compressor) + 3, 20},
};

InputChannelPage* Open(ChannelWindow& w, const PageCase& c) {
    w.window->SelectPage(c.pageIndex);
    return static_cast<InputChannelPage*>(w.window->Page(c.pageIndex));
}

ProgramImage Current(Unit& u) {
    return test::Edit(u, [](Model& m) { return m.current; });
}
ProgramImage LastSent(Unit& u) {
    return test::Edit(u, [](Model& m) { return m.lastSent; });
}

int HighPassCode(Unit& u, int block) {
    const auto bytes = test::BlockBytes(Current(u), block);
    const size_t at =
        block <= BlockMusicRight ? offsetof(MusicBlock, HighPass) : offsetof(MicBlock, HighPass);
    return bytes[at + 1] | (bytes[at + 2] << 8);
}

bool Latched(QWidget* page, int id) {
    return ItemOf<BitButton>(page, id)->IsLatched();
}
bool Enabled(QWidget* page, int id) {
    return ItemOf(page, id)->isEnabled();
}

// Strip i's caption is red, every other one white.
void ExpectHighlighted(InputChannelPage* page, int strip) {
    for (int i = 0; i < P::kStripCount; ++i)
        EXPECT_EQ(page->Strips().Strip(i)->Caption()->TextColour(), i == strip ? kRed : kWhite)
            << "strip " << i;
}

TEST(ChannelPages, SyncFromTheSecondChannelSelectsTheFirstAndSyncOffCopiesItWithoutFrames) {
    for (const PageCase& c : kPages) {
        SCOPED_TRACE(c.name);
        ChannelWindow w;
        InputChannelPage* page = Open(w, c);
        // The two channels differ: the first's high-pass at 30, the second's at 100.
        Slide(page, c.hpfSlider, 30);
        Click(page, P::IDC_SECOND_CHANNEL);
        Slide(page, c.hpfSlider, 100);
        ASSERT_EQ(HighPassCode(w.unit(), c.second), 100);
        PendingFrames(w.unit());

        Click(page, P::IDC_SYNC);
        EXPECT_EQ(PendingFrames(w.unit()), (std::vector<ScannedFrame>{{CmdLink, {c.linkIndex, 1}}}));
        EXPECT_EQ(w.unit().model().pages.*page->Def().side, c.first);
        EXPECT_EQ(page->CurrentBlock(), c.first);
        EXPECT_EQ(page->Strips().Block(), c.first);
        EXPECT_EQ(page->Strips().Strip(0)->Band(), w.unit().bands().Of(c.first)->GetAt(0));
        EXPECT_EQ(page->Graph()->BandSet(), w.unit().bands().Of(c.first));
        EXPECT_EQ(ItemOf<NumEdit>(page, c.hpfEdit)->GetValue(), 30);
        EXPECT_EQ(ItemOf<BitmapSlider>(page, c.hpfSlider)->GetPos(), 30);
        EXPECT_TRUE(Latched(page, P::IDC_SYNC));
        for (int id : {P::IDC_FIRST_CHANNEL, P::IDC_SECOND_CHANNEL}) {
            EXPECT_FALSE(Enabled(page, id)) << id;
            EXPECT_EQ(Latched(page, id), id == P::IDC_FIRST_CHANNEL) << id;  // the channel on screen
        }

        // Linked, edits go to the first channel; unlinking copies it onto the second in both images.
        Slide(page, c.hpfSlider, 55);
        EXPECT_EQ(HighPassCode(w.unit(), c.first), 55);
        PendingFrames(w.unit());
        Click(page, P::IDC_SYNC);
        EXPECT_EQ(PendingFrames(w.unit()), (std::vector<ScannedFrame>{{CmdLink, {c.linkIndex, 0}}}));
        const ProgramImage now = Current(w.unit());
        EXPECT_EQ(test::BlockBytes(now, c.second), test::BlockBytes(now, c.first));
        EXPECT_EQ(test::BlockBytes(LastSent(w.unit()), c.second), test::BlockBytes(now, c.second));
        EXPECT_EQ(w.unit().bands().Of(c.second)->GetHighPass()->GetFrequencyCode(),
                  55);  // the set re-read its records
        EXPECT_EQ(w.unit().model().pages.*page->Def().side, c.first);
        EXPECT_FALSE(Latched(page, P::IDC_SYNC));
        EXPECT_TRUE(Latched(page, P::IDC_FIRST_CHANNEL));
        EXPECT_FALSE(Latched(page, P::IDC_SECOND_CHANNEL));
        EXPECT_TRUE(Enabled(page, P::IDC_FIRST_CHANNEL));
        EXPECT_TRUE(Enabled(page, P::IDC_SECOND_CHANNEL));
    }
}

TEST(ChannelPages, GateAndLimiterEditTheMusicLeftBlockButTheSelectedMicPair) {
    struct Case {
        const PageCase& page;
        int edited, untouched;
    } cases[] = {{kPages[0], BlockMusicLeft, BlockMusicRight}, {kPages[1], BlockMic34, BlockMic12}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.page.name);
        ChannelWindow w;
        InputChannelPage* page = Open(w, k.page);
        Click(page, P::IDC_SECOND_CHANNEL);
        const auto before = test::BlockBytes(Current(w.unit()), k.untouched);
        Slide(page, k.page.gateThreshold, 17);
        Slide(page, k.page.limiterRatio, 33);
        const auto edited = test::BlockBytes(Current(w.unit()), k.edited);
        EXPECT_EQ(edited[k.page.gateOffset], 17);
        EXPECT_EQ(edited[k.page.limiterRatioOffset], 33);
        EXPECT_EQ(test::BlockBytes(Current(w.unit()), k.untouched), before);
    }
}

TEST(ChannelPages, KeySliderWritesTheHighNibbleAndKeepsTheSensitivity) {
    ChannelWindow w;
    InputChannelPage* page = Open(w, kPages[0]);
    test::Edit(w.unit(), [&](Model& m) { m.system.SensitivityKeyShift = 0x35; });
    PendingFrames(w.unit());
    page->RefreshFromModel();
    EXPECT_EQ(ItemOf<Edit_Static>(page, MusicDlg::IDC_KEY_LABEL)->text(), "-4");
    Slide(page, MusicDlg::IDC_KEY, 10);
    EXPECT_EQ(w.unit().model().system.SensitivityKeyShift, 0xA5);
    EXPECT_EQ(ItemOf<Edit_Static>(page, MusicDlg::IDC_KEY_LABEL)->text(), "3");
    EXPECT_EQ(PendingFrames(w.unit()).size(), 1u);  // the key frame
}

TEST(ChannelPages, ValueLabelsShowTheirUnits) {
    struct Case {
        int pageIndex, slider, label, code;
        const char* text;
    } cases[] = {
        {PavoDlg::PageMusic, MusicDlg::IDC_GATE_THRESHOLD, MusicDlg::IDC_GATE_THRESHOLD_LABEL, 0, "OFF"},
        {PavoDlg::PageMusic, MusicDlg::IDC_GATE_THRESHOLD, MusicDlg::IDC_GATE_THRESHOLD_LABEL, 1, "-77dBV"},
        {PavoDlg::PageMusic, MusicDlg::IDC_GATE_THRESHOLD, MusicDlg::IDC_GATE_THRESHOLD_LABEL, 60, "-18dBV"},
        {PavoDlg::PageMusic, MusicDlg::IDC_LIMIT_THRESHOLD, MusicDlg::IDC_LIMIT_THRESHOLD_LABEL, 34, "12dBV"},
        {PavoDlg::PageMusic, MusicDlg::IDC_GATE_ATTACK, MusicDlg::IDC_GATE_ATTACK_LABEL, 19, "400ms"},
        {PavoDlg::PageMusic, MusicDlg::IDC_LIMIT_RELEASE, MusicDlg::IDC_LIMIT_RELEASE_LABEL, 7, "Atk X32"},
        {PavoDlg::PageMusic, MusicDlg::IDC_LIMIT_RATIO, MusicDlg::IDC_LIMIT_RATIO_LABEL, 40, "100"},
        {PavoDlg::PageMusic, MusicDlg::IDC_KEY, MusicDlg::IDC_KEY_LABEL, 0, "-7"},
        {PavoDlg::PageMic, Mic_Dlg::IDC_MIC_LEVEL, Mic_Dlg::IDC_MIC_LEVEL_LABEL, 0, "-10.0dB"},
        {PavoDlg::PageMic, Mic_Dlg::IDC_MIC_LEVEL, Mic_Dlg::IDC_MIC_LEVEL_LABEL, 20, "0.0dB"},
        {PavoDlg::PageMic, Mic_Dlg::IDC_MIC_LEVEL, Mic_Dlg::IDC_MIC_LEVEL_LABEL, 40, "10.0dB"},
        {PavoDlg::PageMic, Mic_Dlg::IDC_GATE_THRESHOLD, Mic_Dlg::IDC_GATE_THRESHOLD_LABEL, 0, "OFF"},
        {PavoDlg::PageMic, Mic_Dlg::IDC_LIMIT_ATTACK, Mic_Dlg::IDC_LIMIT_ATTACK_LABEL, 0, "0.5ms"},
    };
    ChannelWindow w;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        w.window->SelectPage(c.pageIndex);
        QWidget* page = w.window->Page(c.pageIndex);
        Slide(page, c.slider, c.code);
        EXPECT_EQ(ItemOf<Edit_Static>(page, c.label)->text(), c.text);
    }
}

// A band chosen in the graph scrolls the strips to it, focuses its gain edit and highlights it.
TEST(ChannelPages, BandChosenInTheGraphScrollsTheStripsAndHighlightsItsStrip) {
    struct Step {
        int band, position, strip;
    };
    struct Case {
        const PageCase& page;
        std::vector<Step> steps;
    } cases[] = {
        {kPages[0], {{12, 3, 9}, {4, 3, 1}, {14, 5, 9}, {0, 0, 0}}},
        {kPages[1], {{17, 8, 9}, {12, 8, 4}, {19, 10, 9}, {3, 0, 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page.name);
        ChannelWindow w;
        w.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.window.get()));
        InputChannelPage* page = Open(w, c.page);
        for (const Step& s : c.steps) {
            SCOPED_TRACE(s.band);
            SendMessage(page, WM_EQCURVE_CHANGED, static_cast<WParam>(c.page.first), s.band);
            EXPECT_EQ(page->ScrollBar()->GetPos(), s.position);
            EXPECT_EQ(w.unit().model().pages.*page->Def().eqFirst, s.position);
            EXPECT_EQ(w.unit().model().pages.*page->Def().eqLast, s.position + 9);
            for (int i = 0; i < P::kStripCount; ++i)
                EXPECT_EQ(page->Strips().Strip(i)->BandIndex(), s.position + i);
            ExpectHighlighted(page, s.strip);
            EXPECT_EQ(QApplication::focusWidget(), page->Strips().Strip(s.strip)->GainEdit());
        }
    }
}

TEST(ChannelPages, TrackbarScrollsTheStripsAndAnUnchangedPositionDoesNothing) {
    for (const PageCase& c : kPages) {
        SCOPED_TRACE(c.name);
        ChannelWindow w;
        InputChannelPage* page = Open(w, c);
        Trackbar* bar = page->ScrollBar();
        EXPECT_EQ(bar->maximum(), c.bands - 10);

        // A key moves the bar one step: the strips follow.
        bar->setFocus();
        QTest::keyClick(bar, Qt::Key_Right);
        EXPECT_EQ(w.unit().model().pages.*page->Def().eqFirst, 1);
        EXPECT_EQ(page->Strips().Strip(0)->BandIndex(), 1);
        EXPECT_EQ(page->Strips().Strip(0)->Caption()->text(), "2");

        // The end of a drag at the same position: the strips are not shown afresh (a highlighted
        // caption would turn white).
        page->HighlightStrip(5);
        SendMessage(page, WM_HSCROLL, TB_ENDTRACK | (1 << 16), page->Def().trackbarId);
        ExpectHighlighted(page, 4);

        // Another position shows other bands; the remembered strip turns white until chosen again.
        bar->setValue(2);
        EXPECT_EQ(w.unit().model().pages.*page->Def().eqLast, 11);
        EXPECT_EQ(page->Strips().Strip(9)->BandIndex(), 11);
        ExpectHighlighted(page, -1);
        SendMessage(page, WM_EQSTRIP_CHANGED, 0, 6);  // band 6 is in strip 4 now
        ExpectHighlighted(page, 4);
        // A strip's posted report that arrives after a scroll took its band out of view changes nothing.
        SendMessage(page, WM_EQSTRIP_CHANGED, 0, 1);
        ExpectHighlighted(page, 4);
    }
}

TEST(ChannelPages, FeedbackSuppressionChoicesGoToTheSelectedPair) {
    ChannelWindow w;
    test::Edit(w.unit(),
               [](Model& m) { m.current.Mic12.FeedbackSuppress = m.current.Mic34.FeedbackSuppress = 0; });
    InputChannelPage* page = Open(w, kPages[1]);
    auto* combo = ItemOf<BitComboBox>(page, Mic_Dlg::IDC_FEEDBACK);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    EXPECT_EQ(items, QStringList({"OFF", "FB.EX1", "FB.EX2", "FB.EX3", "FB.EX4"}));

    Click(page, P::IDC_SECOND_CHANNEL);
    PendingFrames(w.unit());
    test::Choose(page, Mic_Dlg::IDC_FEEDBACK, 3);
    EXPECT_EQ(Current(w.unit()).Mic34.FeedbackSuppress, 3);
    EXPECT_EQ(Current(w.unit()).Mic12.FeedbackSuppress, 0);
    EXPECT_EQ(PendingFrames(w.unit()).size(), 1u);
    Click(page, P::IDC_FIRST_CHANNEL);
    EXPECT_EQ(combo->currentText(), "OFF");
}

TEST(ChannelPages, FiltersGoThroughTheBandSetAndTheGraphShowsThem) {
    for (const PageCase& c : kPages) {
        SCOPED_TRACE(c.name);
        ChannelWindow w;
        InputChannelPage* page = Open(w, c);
        Click(page, P::IDC_SECOND_CHANNEL);
        CFilter* highPass = w.unit().bands().Of(c.second)->GetHighPass();
        ASSERT_EQ(page->CurrentHighPass(), highPass);

        Slide(page, c.hpfSlider, 120);
        EXPECT_EQ(highPass->GetFrequencyCode(), 120);
        EXPECT_EQ(HighPassCode(w.unit(), c.second), 120);
        EXPECT_EQ(ItemOf<NumEdit>(page, c.hpfEdit)->GetValue(), 120);
        EXPECT_EQ(page->Graph()->SelectedIndex(), c.bands);

        test::Choose(page, c.hpfSlope, 8);
        EXPECT_EQ(highPass->SlopeCode(), 8);
        EXPECT_EQ(test::BlockBytes(Current(w.unit()), c.second)[c.hpfOffset + 3], 8);
        EXPECT_EQ(HighPassCode(w.unit(), c.first), 0);

        // A drag of the filter in the graph reports its index: the row shows the new frequency.
        highPass->SetFilterFrequencyCode(90);
        SendMessage(page, WM_EQCURVE_CHANGED, static_cast<WParam>(c.second), c.bands);
        EXPECT_EQ(ItemOf<NumEdit>(page, c.hpfEdit)->GetValue(), 90);
        EXPECT_EQ(ItemOf<BitmapSlider>(page, c.hpfSlider)->GetPos(), 90);
    }
}

// Enter takes the focus to the page for a moment: the edit commits what was typed (and keeps the focus).
TEST(ChannelPages, TypedFrequencyCommitsOnEnter) {
    ChannelWindow w;
    w.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.window.get()));
    InputChannelPage* page = Open(w, kPages[0]);
    auto* edit = ItemOf<NumEdit>(page, MusicDlg::IDC_MAIN_HPF_EDIT);
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(edit, "1000");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(Current(w.unit()).MusicLeft.MainHighPass.FrequencyCode, NearestFrequencyCode(1000));
    EXPECT_EQ(ItemOf<BitmapSlider>(page, MusicDlg::IDC_MAIN_HPF)->GetPos(), NearestFrequencyCode(1000));
    EXPECT_TRUE(w.window->isVisible());
}

TEST(ChannelPages, EqBypassTogglesAndEqResetResetsOnlyTheSelectedChannel) {
    for (const PageCase& c : kPages) {
        SCOPED_TRACE(c.name);
        ChannelWindow w;
        const size_t block =
            c.second == BlockMusicRight ? offsetof(ProgramImage, MusicRight) : offsetof(ProgramImage, Mic34);
        const size_t bypass =
            c.second == BlockMusicRight ? offsetof(MusicBlock, EqBypass) : offsetof(MicBlock, EqBypass);
        test::Edit(w.unit(), [&](Model& m) { BytesOf(m.current)[block + bypass] = 0; });
        InputChannelPage* page = Open(w, c);
        Click(page, P::IDC_SECOND_CHANNEL);
        Click(page, P::IDC_EQ_BYPASS);
        EXPECT_TRUE(Latched(page, P::IDC_EQ_BYPASS));
        EXPECT_TRUE(page->Graph()->BypassShown());
        Click(page, P::IDC_EQ_BYPASS);
        EXPECT_FALSE(Latched(page, P::IDC_EQ_BYPASS));
        EXPECT_FALSE(page->Graph()->BypassShown());

        // A byte the page never writes (from a file) shows as bypassed; a press clears it.
        test::Edit(w.unit(), [&](Model& m) { BytesOf(m.current)[block + bypass] = 5; });
        page->RefreshFromModel();
        EXPECT_TRUE(Latched(page, P::IDC_EQ_BYPASS));
        Click(page, P::IDC_EQ_BYPASS);
        EXPECT_EQ(test::BlockBytes(Current(w.unit()), c.second)[bypass], 0);

        // EQ Reset: both channels' band 2 cut; only the selected one comes back flat.
        for (int block : {c.first, c.second}) w.unit().bands().Of(block)->GetAt(2)->SetGainCode(60);
        page->Strips().Strip(2)->RefreshFromBand();
        Click(page, P::IDC_EQ_RESET);
        EXPECT_EQ(w.unit().bands().Of(c.second)->GetAt(2)->GetGainCode(), 120);
        EXPECT_EQ(w.unit().bands().Of(c.first)->GetAt(2)->GetGainCode(), 60);
        EXPECT_EQ(page->Strips().Strip(2)->GainEdit()->text(), "0.0");
    }
}

// A whole image that arrives linked while the second channel is selected: the page edits the first
// channel then, and the strips and the graph show it too.
TEST(ChannelPages, ProgramArrivingLinkedWhileTheSecondChannelIsSelectedShowsTheFirst) {
    for (const PageCase& c : kPages) {
        SCOPED_TRACE(c.name);
        ChannelWindow w;
        InputChannelPage* page = Open(w, c);
        Click(page, P::IDC_SECOND_CHANNEL);
        SendMessage(page, WM_EQCURVE_CHANGED, static_cast<WParam>(c.second), 3);
        // As the receive path stores it.
        test::Edit(w.unit(), [&](Model& m) { m.current.*page->Def().link = 1; });
        w.unit().model().RecordsReplaced();
        w.window->OnProgramReceived(ProgramSource::Read);
        EXPECT_EQ(w.unit().model().pages.*page->Def().side, c.first);
        EXPECT_EQ(page->CurrentBlock(), c.first);
        EXPECT_EQ(page->Strips().Block(), c.first);
        EXPECT_EQ(page->Strips().Strip(3)->Band(), w.unit().bands().Of(c.first)->GetAt(3));
        EXPECT_EQ(page->Graph()->BandSet(), w.unit().bands().Of(c.first));
        ExpectHighlighted(page, -1);
        EXPECT_FALSE(Enabled(page, P::IDC_SECOND_CHANNEL));
        EXPECT_TRUE(Latched(page, P::IDC_SYNC));
    }
}

TEST(ChannelPages, PagesAreBuiltWhenFirstShownAndRefreshedOnEverySwitch) {
    ChannelWindow w;
    MusicDlg* music = w.Music();
    Mic_Dlg* mic = w.Mic();
    EXPECT_FALSE(music->IsCreated());  // the window opens on the system page
    EXPECT_FALSE(mic->IsCreated());

    test::Edit(w.unit(), [](Model& m) {
        m.current.MusicLeft.LowExciter.Harmonic = 7;
        m.current.Mic12.MicLevel = 30;
    });
    w.window->SelectPage(PavoDlg::PageMusic);
    EXPECT_TRUE(music->IsCreated());
    EXPECT_FALSE(mic->IsCreated());
    EXPECT_EQ(ItemOf<BitComboBox>(music, MusicDlg::IDC_LOW_HARMONIC)->currentText(), "7");

    w.window->SelectPage(PavoDlg::PageMic);
    EXPECT_EQ(ItemOf<Edit_Static>(mic, Mic_Dlg::IDC_MIC_LEVEL_LABEL)->text(), "5.0dB");
    test::Edit(w.unit(), [&](Model& m) { m.current.MusicLeft.LowExciter.Harmonic = 2; });
    w.window->SelectPage(PavoDlg::PageMusic);
    EXPECT_EQ(ItemOf<BitComboBox>(music, MusicDlg::IDC_LOW_HARMONIC)->currentText(), "2");
}

// A preset file loaded while the page is shown: its values, its link and its curves appear at once.
TEST(ChannelPages, ImportedPresetIsShownOnThePage) {
    ChannelWindow w;
    InputChannelPage* page = Open(w, kPages[1]);
    Click(page, P::IDC_SECOND_CHANNEL);
    ProgramImage image = Current(w.unit());
    image.MicLink = 1;
    image.Mic12.HighPass.FrequencyCode = 150;
    image.Mic12.Eq[3].GainCode = 170;
    image.Mic12.LowExciter.Timbre = 8;
    const auto path =
        std::filesystem::temp_directory_path() / ("pavo-channel-" + std::to_string(::getpid()) + ".dia");
    ASSERT_TRUE(WriteDia(path.string(), w.unit().model().system, image));
    w.state.nextFile = QString::fromStdString(path.string());
    w.window->ImportDia();
    std::filesystem::remove(path);

    EXPECT_TRUE(Latched(page, P::IDC_SYNC));
    EXPECT_EQ(page->CurrentBlock(), BlockMic12);
    EXPECT_EQ(ItemOf<NumEdit>(page, Mic_Dlg::IDC_HPF_EDIT)->GetValue(), 150);
    EXPECT_EQ(ItemOf<BitComboBox>(page, Mic_Dlg::IDC_LOW_TIMBRE)->currentText(), "8");
    EXPECT_EQ(page->Strips().Strip(3)->GainEdit()->GetValue(), 170);
    EXPECT_EQ(w.unit().bands().Of(BlockMic12)->GetAt(3)->GetGainCode(), 170);
}

TEST(ChannelPages, LanguageSwitchRelabelsBothPagesBuiltOrNot) {
    ChannelWindow w;
    InputChannelPage* music = Open(w, kPages[0]);
    auto text = [](QWidget* page, int id) { return ItemOf<QLabel>(page, id)->text(); };
    auto button = [](QWidget* page, int id) { return ItemOf<BitButton>(page, id)->text(); };
    EXPECT_EQ(text(music, 1385), "Key Control");
    EXPECT_EQ(button(music, P::IDC_FIRST_CHANNEL), "Music Left");

    QTest::mouseClick(ItemOf(&w.window->canvas(), PavoDlg::IDC_LANGUAGE), Qt::LeftButton);
    EXPECT_EQ(text(music, 1385), "音乐变调");
    EXPECT_EQ(text(music, 1034), "压限启动时间(Atk)");
    EXPECT_EQ(button(music, P::IDC_SYNC), "同步");
    EXPECT_EQ(button(music, P::IDC_EQ_BYPASS), "EQ Bypass");

    InputChannelPage* mic = Open(w, kPages[1]);  // built now, in Chinese
    EXPECT_EQ(button(mic, P::IDC_FIRST_CHANNEL), "话筒1&2");
    EXPECT_EQ(text(mic, 1397), "Q值");
    QTest::mouseClick(ItemOf(&w.window->canvas(), PavoDlg::IDC_LANGUAGE), Qt::LeftButton);
    EXPECT_EQ(button(mic, P::IDC_SECOND_CHANNEL), "Mic 3&4");
    EXPECT_TRUE(ItemOf<BitButton>(mic, P::IDC_SECOND_CHANNEL)->shortcut().isEmpty());
    EXPECT_EQ(text(mic, 3044), "Mic Level");
}

}  // namespace
}  // namespace pavo
