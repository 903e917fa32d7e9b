// The music and microphone pages against the virtual unit: a graph drag and a limiter edit reach the
// unit, which then holds the program's image byte for byte; SYNC from the right channel sends the
// unit nothing but the link.
#include <gtest/gtest.h>

#include <algorithm>

#include "channel_page_support.h"
#include "eq/CFStatic.h"
#include "graph_support.h"
#include "pages/BandStripRow.h"
#include "pages/EQDlg.h"

namespace pavo {
namespace {

using test::ChannelWindow;
using test::ItemOf;

// The frames the unit received from `first` on, status polls left out.
std::vector<unit::Frame> EditFrames(unit::UnitLine& u, size_t first) {
    std::vector<unit::Frame> frames;
    const auto received = u.Received();
    for (size_t i = first; i < received.size(); ++i) {
        const uint8_t cmd = received[i].frame.cmd;
        if (cmd != CmdStatusA && cmd != CmdStatusB) frames.push_back(received[i].frame);
    }
    return frames;
}

bool UnitHoldsTheProgram(ChannelWindow& w, unit::UnitLine& u) {
    const ProgramImage unit = u.Unit().CurrentImage();
    return test::Edit(w.unit(), [&](Model& m) { return SameRecord(unit, m.current); });
}

TEST(ChannelPagesOnLine, GraphDragAndMicLimiterReachTheUnitByteForByte) {
    ChannelWindow w;
    auto u = test::StartUnit();
    ASSERT_TRUE(w.ConnectTo(*u));
    ASSERT_TRUE(UnitHoldsTheProgram(w, *u));

    // Drag music band 5 up and to the right on the graph.
    w.window->SelectPage(PavoDlg::PageMusic);
    MusicDlg* music = w.Music();
    CFStatic* graph = music->Graph();
    CFilter& band = (*graph->BandSet())[4];
    const EqBand before = w.unit().model().Edit([&] { return *band.Band(); });
    const size_t mark = u->ReceivedCount();
    const QPoint start = test::HandleCentre(band);
    test::Hover(graph, start);
    QTest::mousePress(graph, Qt::LeftButton, {}, start);
    for (int step = 1; step <= 5; ++step) QTest::mouseMove(graph, start + QPoint(12 * step, -8 * step));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, start + QPoint(60, -40));
    DeliverPostedMessages();
    const EqBand after = w.unit().model().Edit([&] { return *band.Band(); });
    EXPECT_GT(after.GainCode, before.GainCode);
    EXPECT_GT(after.FrequencyCode, before.FrequencyCode);
    EXPECT_EQ(music->Strips().Strip(4)->GainEdit()->GetValue(), after.GainCode);

    // The microphone limiter of Mic 3&4.
    w.window->SelectPage(PavoDlg::PageMic);
    Mic_Dlg* mic = w.Mic();
    test::Click(mic, InputChannelPage::IDC_SECOND_CHANNEL);
    const int threshold =
        test::Edit(w.unit(), [](Model& m) { return m.current.Mic34.Compressor.Threshold == 5 ? 6 : 5; });
    test::Slide(mic, Mic_Dlg::IDC_LIMIT_THRESHOLD, threshold);

    ASSERT_TRUE(test::WaitUntil([&] {
        return u->Unit().CurrentImage().Mic34.Compressor.Threshold == threshold && UnitHoldsTheProgram(w, *u);
    }));
    const auto frames = EditFrames(*u, mark);
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [](auto& f) { return f.cmd == CmdEqBand; }));
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [](auto& f) { return f.cmd == CmdCompressor; }));
    // The drag's last position went out last for that band: the unit has the band the program has.
    EXPECT_EQ(u->Unit().CurrentImage().MusicLeft.Eq[4].GainCode, after.GainCode);
}

TEST(ChannelPagesOnLine, SyncFromTheRightChannelSendsOnlyTheLink) {
    ChannelWindow w;
    auto u = test::StartUnit();
    ASSERT_TRUE(w.ConnectTo(*u));
    w.window->SelectPage(PavoDlg::PageMusic);
    MusicDlg* music = w.Music();
    if (w.unit().model().current.MusicLink == 1) test::Click(music, InputChannelPage::IDC_SYNC);  // unlink first
    test::Click(music, MusicDlg::IDC_MUSIC_RIGHT);
    ASSERT_TRUE(test::WaitUntil([&] { return u->Unit().CurrentImage().MusicLink == 0; }));
    u->WaitForFrames(u->ReceivedCount() + 3, 5000);  // anything left over from the unlink

    const size_t mark = u->ReceivedCount();
    test::Click(music, InputChannelPage::IDC_SYNC);
    EXPECT_EQ(w.unit().model().pages.MusicSide, 0);
    ASSERT_TRUE(u->WaitForFrames(mark + 10, 10000));  // several cycles: the scanner had its chance
    const auto frames = EditFrames(*u, mark);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].cmd, CmdLink);
    EXPECT_EQ(frames[0].payload, (std::vector<uint8_t>{1, 1}));
}

}  // namespace
}  // namespace pavo
