// Undo and redo against the virtual unit: what an undo restores reaches the unit, so that the unit's
// program equals the program's afterwards; a full read starts a fresh history; a recall with the
// program it brings back is one step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/Connection.h"
#include "controls/EnglishEdit.h"
#include "model/DataConver.h"
#include "pages/MainDlg.h"
#include "protocol/CommandCodes.h"
#include "protocol/ProtocolHandler.h"
#include "undo_support.h"
#include "virtual_unit/UnitLine.h"

namespace pavo {
namespace {

using test::Connect;
using test::Current;
using test::UndoWindow;
using test::UnitHoldsTheProgram;
using unit::UnitLine;

// The frames the unit received from index `from` on, with this command.
std::vector<unit::Frame> FramesSince(UnitLine& unit, size_t from, uint8_t cmd) {
    std::vector<unit::Frame> out;
    const auto all = unit.Received();
    for (size_t i = from; i < all.size(); ++i)
        if (all[i].frame.cmd == cmd) out.push_back(all[i].frame);
    return out;
}

TEST(UndoOnLine, UndoOfAGraphDragSendsTheBandBackAndTheUnitFollows) {
    UndoWindow u;
    auto unit = test::StartUnit();
    // An edit made off line is forgotten once the unit's program has been read.
    u.DragSlider(&u.w->masterSlider(0), 20);
    ASSERT_TRUE(u.history().CanUndo());
    ASSERT_TRUE(Connect(u, *unit));
    EXPECT_FALSE(u.history().CanUndo()) << "the full read starts a fresh history";
    u.ShowPage(PavoDlg::PageMusic);
    EXPECT_FALSE(u.history().CanUndo()) << "the program read from the unit is no step";

    const EqBand before = Current(u).MusicLeft.Eq[2];
    u.DragBand(u.Graph(), *u.Strip(2)->Band(), -50);
    ASSERT_EQ(u.history().UndoDepth(), 1u);
    const EqBand dragged = Current(u).MusicLeft.Eq[2];
    ASSERT_NE(dragged.GainCode, before.GainCode);
    ASSERT_TRUE(UnitHoldsTheProgram(u, *unit));

    const size_t sent = unit->ReceivedCount();
    u.Undo();
    EXPECT_TRUE(SameRecord(Current(u).MusicLeft.Eq[2], before));
    ASSERT_TRUE(UnitHoldsTheProgram(u, *unit));
    const auto bands = FramesSince(*unit, sent, CmdEqBand);
    ASSERT_FALSE(bands.empty());
    const auto& last = bands.back().payload;
    EXPECT_EQ(last[0], 2);  // MusicLeft band 3
    EXPECT_EQ(last[3], before.GainCode);
    EXPECT_EQ(u.Strip(2)->GainEdit()->GetValue(), before.GainCode);

    u.Redo();
    EXPECT_TRUE(SameRecord(Current(u).MusicLeft.Eq[2], dragged));
    EXPECT_TRUE(UnitHoldsTheProgram(u, *unit));
}

// A read that ends early gives the records back as they were, and the history stays; a read that
// completes starts a fresh one, also when it ends by sending the edits made off line.
TEST(UndoOnLine, OnlyACompletedFullReadStartsAFreshHistory) {
    UndoWindow u;
    u.DragSlider(&u.w->masterSlider(0), 20);
    const uint8_t level = u.unit().model().system.MusicMaster;
    ASSERT_NE(level, 0);
    {
        unit::UnitOptions o;
        o.silentAfter = 24;  // the lookup, the names and the system record; never the program
        auto failing = test::StartUnit(o);
        u.w->connection().SetPortLister(
            [path = failing->DevicePath()] { return std::vector<std::string>{path}; });
        PostMessage(u.w.get(), WM_CONNECT_REQUEST);
        ASSERT_TRUE(test::WaitUntil([&] { return failing->ReceivedCount() >= 24; }));
        ASSERT_TRUE(test::WaitUntil([&] { return u.unit().model().flags.connected.load() == 0; }, 60000));
    }
    u.Settle();
    EXPECT_EQ(u.unit().model().system.MusicMaster, level);
    ASSERT_TRUE(u.history().CanUndo());
    u.Undo();
    EXPECT_EQ(u.unit().model().system.MusicMaster, 0);

    // Off line a band is dragged; the unit's program differs, and the edits are sent.
    u.ShowPage(PavoDlg::PageMusic);
    u.DragBand(u.Graph(), *u.Strip(6)->Band(), -40);
    const EqBand edited = Current(u).MusicLeft.Eq[6];
    SetMessageBoxPresenter(
        [](const MessageBoxRequest& r) { return r.buttons == BoxYesNo ? ResultYes : ResultOk; });
    auto unit = test::StartUnit();
    ASSERT_TRUE(Connect(u, *unit));
    ASSERT_TRUE(test::WaitUntil([&] { return u.unit().model().flags.transferPending.load() == 0; }));
    EXPECT_TRUE(SameRecord(Current(u).MusicLeft.Eq[6], edited));
    u.Click(&u.w->canvas(), QPoint(3, 3));  // a gesture would commit anything left over
    EXPECT_FALSE(u.history().CanUndo()) << "the read and the edits it sent are no step";
    EXPECT_TRUE(UnitHoldsTheProgram(u, *unit));
}

ProgramImage LastSent(UndoWindow& u) {
    return test::Edit(u.unit(), [](Model& m) { return m.lastSent; });
}

template <class T>
std::vector<uint8_t> Bytes(const T& record) {
    return {BytesOf(record), BytesOf(record) + sizeof(T)};
}

// SYNC off copies the leading channel over its partner in both images without a frame (the unit makes
// the same copy when it hears the link byte). Its undo gives the partner back in the program; the
// scanner then sends it with the link byte, so the last-sent image and the unit end where the program
// is; its redo makes the copy again, and the unit gets that too. An undo of SYNC on turns the link off:
// the unit copies the leading channel on its own, and the partner's own settings must follow that copy.
TEST(UndoOnLine, UndoOfSyncRestoresThePartnerChannelOnBothSides) {
    struct Case {
        const char* name;
        int page;
        int sync;
        int slider;  // edits the leading channel while linked, else the selected one
        int partnerButton;
        uint8_t ProgramImage::*link;
        uint8_t linkIndex;
        const char* undoText;
        // The partner's bytes the scanner sends: the right music channel; Out 1 of the edited scene.
        std::vector<uint8_t> (*partner)(const ProgramImage&);
    } cases[] = {
        {"music", PavoDlg::PageMusic, MusicDlg::IDC_SYNC, MusicDlg::IDC_HPF, MusicDlg::IDC_MUSIC_RIGHT,
         &ProgramImage::MusicLink, 1, "Undo: Music SYNC",
         [](const ProgramImage& i) {
             MusicBlock right = i.MusicRight;
             right.Compressor = {};  // the music limiter, gate and spare bytes are the left channel's
             right.Gate = {};
             std::memset(right.Spare, 0, sizeof right.Spare);
             return Bytes(right);
         }},
        {"Out1&2", PavoDlg::PageOut12, MainDlg::IDC_SYNC, MainDlg::IDC_HPF_SLIDER,
         MainDlg::IDC_SECOND_CHANNEL, &ProgramImage::Out12Link, 4, "Undo: Out1&2 SYNC",
         [](const ProgramImage& i) {
             const int scene =
                 i.ActiveScene >= 1 && i.ActiveScene <= 3 ? i.ActiveScene : 1;  // the edited one
             OutputChannel out1 = i.Scenes[scene - 1].Channel[OutOut1];
             out1.Limiter = {};  // the pair's limiter is Out 2's
             return Bytes(out1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UndoWindow u;
        auto unit = test::StartUnit();
        ASSERT_TRUE(Connect(u, *unit));
        u.ShowPage(c.page);
        auto* sync = u.PageItem<BitButton>(c.page, c.sync);
        ASSERT_TRUE(sync->IsLatched()) << "the unit's program 1 has the pair linked";

        // Linked, the leading channel is edited; the partner keeps its own settings.
        auto* slider = u.PageItem<BitmapSlider>(c.page, c.slider);
        u.DragSlider(slider, slider->GetPos() > 100 ? slider->GetPos() - 80 : slider->GetPos() + 80);
        ASSERT_TRUE(UnitHoldsTheProgram(u, *unit));
        const EditedRecords linked = test::Records(u.unit());
        const std::vector<uint8_t> partner = c.partner(Current(u));
        // The scanner has sent the partner and the link byte: the last-sent image and the unit agree.
        auto sentAndHeld = [&](const std::vector<uint8_t>& bytes, uint8_t linked) {
            return test::WaitUntil([&] {
                const ProgramImage held = unit->Unit().CurrentImage();
                return c.partner(LastSent(u)) == bytes && c.partner(held) == bytes && held.*c.link == linked;
            });
        };

        u.Click(sync);  // SYNC off: the partner becomes a copy of the leading channel
        ASSERT_FALSE(sync->IsLatched());
        const std::vector<uint8_t> copied = c.partner(Current(u));
        ASSERT_NE(copied, partner);
        ASSERT_EQ(u.undo().UndoText(), c.undoText);
        ASSERT_TRUE(test::WaitUntil([&] { return unit->Unit().CurrentImage().*c.link == 0; }));

        const size_t sent = unit->ReceivedCount();
        u.Undo();
        EXPECT_TRUE(test::Same(test::Records(u.unit()), linked));
        EXPECT_TRUE(sync->IsLatched());
        ASSERT_TRUE(sentAndHeld(partner, 1));
        const auto links = FramesSince(*unit, sent, CmdLink);
        ASSERT_EQ(links.size(), 1u);
        EXPECT_EQ(links[0].payload, (std::vector<uint8_t>{c.linkIndex, 1}));

        u.Redo();
        EXPECT_FALSE(sync->IsLatched());
        EXPECT_EQ(c.partner(Current(u)), copied);
        ASSERT_TRUE(sentAndHeld(copied, 0));

        // Unlinked, the partner gets settings of its own; SYNC on, then its undo.
        u.Click(u.PageItem(c.page, c.partnerButton));
        u.DragSlider(slider, slider->GetPos() > 100 ? slider->GetPos() - 60 : slider->GetPos() + 60);
        const std::vector<uint8_t> own = c.partner(Current(u));
        ASSERT_NE(own, copied);
        ASSERT_TRUE(sentAndHeld(own, 0));
        u.Click(sync);
        ASSERT_TRUE(sync->IsLatched());
        ASSERT_TRUE(test::WaitUntil([&] { return unit->Unit().CurrentImage().*c.link == 1; }));
        u.Undo();
        EXPECT_FALSE(sync->IsLatched());
        EXPECT_EQ(c.partner(Current(u)), own);
        EXPECT_TRUE(sentAndHeld(own, 0));
        EXPECT_TRUE(UnitHoldsTheProgram(u, *unit));
    }
}

// A recall is answered with the program; both make one step. Undo and redo send the whole program, so
// the unit gets the name and the fields the change scan never sends.
TEST(UndoOnLine, ARecallAndTheProgramItBringsAreOneStepAndUndoSendsTheWholeProgram) {
    using S = SysDlg;
    UndoWindow u;
    auto unit = test::StartUnit();
    ASSERT_TRUE(Connect(u, *unit));
    const ProgramImage first = Current(u);
    const QString firstLabel = u.w->programLabelText();

    auto* list = u.SysItem<BitComboBox>(S::IDC_PROGRAM_LIST);
    list->setCurrentIndex(4);
    emit list->activated(4);
    u.Click(u.SysItem(S::IDC_RECALL));
    ASSERT_TRUE(test::WaitUntil([&] { return u.w->progress().mode() == Show_Dlg::Mode::Hidden; }));
    u.Settle();
    const ProgramImage fifth = unit->Unit().StoredProgram(5);
    ASSERT_TRUE(SameRecord(Current(u), fifth));
    EXPECT_EQ(u.history().UndoDepth(), 1u);
    EXPECT_EQ(u.undo().UndoText(), "Undo: Recall Mode 5");
    EXPECT_EQ(u.w->programLabelText(), "5:Jazz");

    u.Undo();
    EXPECT_TRUE(SameRecord(Current(u), first));
    EXPECT_EQ(u.w->programLabelText(), firstLabel);
    EXPECT_EQ(u.SysItem<BitComboBox>(S::IDC_PROGRAM_LIST)->currentIndex(), 0);
    ASSERT_TRUE(UnitHoldsTheProgram(u, *unit));
    EXPECT_EQ(unit->Unit().CurrentImage().ReverbSpare.ReverbTime.get(), first.ReverbSpare.ReverbTime.get());

    ASSERT_TRUE(test::WaitUntil([&] { return u.w->progress().mode() == Show_Dlg::Mode::Hidden; }));
    u.Redo();
    EXPECT_TRUE(SameRecord(Current(u), fifth));
    EXPECT_TRUE(UnitHoldsTheProgram(u, *unit));
    EXPECT_EQ(u.w->programLabelText(), "5:Jazz");
}

}  // namespace
}  // namespace pavo
