// The EQ band strip: typed values, the type combo, the gain slider, switching channels, the keyboard
// rule, and the strip working with its graph on the harness page.
#include <gtest/gtest.h>

#include <QDialog>
#include <QPushButton>
#include <QTest>

#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "controls/BitmapSlider.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "graph_support.h"
#include "model/DataConver.h"
#include "pages/EQDlg.h"
#include "pages/EqHarnessPage.h"
#include "platform/ControlId.h"
#include "platform/Skin.h"

namespace pavo {
namespace {

EqBand Record(const Model& m, const EqBand& b) {
    return m.Edit([&] { return b; });
}

// A page with a graph and one strip on a band of a block, active so that typing reaches the edits.
struct StripWindow {
    test::RecordingParent page;
    CFStatic* graph;
    EQDlg* strip;

    StripWindow(Unit& unit, int block, int pageIndex, int band) {
        page.resize(800, 560);
        graph = new CFStatic(unit.bands(), &page);
        graph->setGeometry(0, 270, 760, 280);
        graph->InitLayout();
        graph->SetNotifyWindow(&page);
        graph->SetPlotRects(pageIndex);
        graph->ShowBandSet(block);
        strip = new EQDlg(unit.bands(), &page);
        strip->SetGraph(graph);
        strip->move(60, 5);
        strip->BindBandSet(block, false);
        strip->SetBandIndex(band);
        page.show();
        page.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&page));
        page.Take();
    }
    CFilter& Band() const { return *strip->Band(); }
    EqBand Rec() const { return strip->Band()->BandRecord(); }
    // Typing replaces the edit's text (it selects all when it gets the focus), then one key.
    void Type(NumEdit* edit, const char* text, Qt::Key key) {
        edit->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(edit, QString::fromLatin1(text));
        QTest::keyClick(edit, key);
    }
    // The strip changes sent so far, before any posted message is delivered.
    int SentChanges() const {
        int n = 0;
        for (const test::Message& m : page.seen)
            n += m == test::Message{WM_EQSTRIP_CHANGED, 0, strip->BandIndex()};
        return n;
    }
};

class EqStrip : public ::testing::Test {
protected:
    Unit unit{false};  // freshly reset for every test
};

TEST_F(EqStrip, ControlsShowTheBand) {
    StripWindow w(unit, BlockMic12, 2, 6);
    test::ShapeBand(w.Band(), FilterType::HighShelf, 250, 95, 30);
    w.strip->RefreshFromBand();
    EXPECT_EQ(w.strip->Caption()->text(), "7");
    EXPECT_EQ(w.strip->TypeCombo()->currentText(), "HS");
    EXPECT_EQ(w.strip->GainEdit()->text(), "-5.0");
    EXPECT_EQ(w.strip->GainSlider()->GetInvertedPos(), 95);
    EXPECT_EQ(w.strip->FrequencyEdit()->GetValue(), 250);
    EXPECT_EQ(w.strip->QEdit()->GetValue(), 30);
    EXPECT_EQ(w.strip->GainSlider()->size(), QSize(38, 123));
    EXPECT_TRUE(w.strip->GainSlider()->IsVertical());
    const QStringList items = {"BY", "P", "LS", "HS"};
    for (int i = 0; i < items.size(); ++i) EXPECT_EQ(w.strip->TypeCombo()->itemText(i), items[i]);
}

// The narrow type box keeps every item clear of its arrow, and visible.
TEST_F(EqStrip, TypeTextKeepsClearOfTheArrow) {
    StripWindow w(unit, BlockMic12, 2, 0);
    BitComboBox* combo = w.strip->TypeCombo();
    combo->setCurrentIndex(-1);
    const QImage empty = test::Grab(combo);
    const QRect arrow(combo->width() - 20, 0, 20, combo->height());
    for (int i = 0; i < combo->count(); ++i) {
        SCOPED_TRACE(combo->itemText(i).toStdString());
        combo->setCurrentIndex(i);
        const QImage shown = test::Grab(combo);
        EXPECT_EQ(shown.copy(arrow), empty.copy(arrow));
        EXPECT_NE(shown.copy(0, 0, arrow.left(), combo->height()),
                  empty.copy(0, 0, arrow.left(), combo->height()));
    }
}

// A typed gain is stored as its code and moves the slider; the page hears of it at once and the graph
// shows the band selected. 0.0 dB is code 120, the slider two thirds of the way up.
TEST_F(EqStrip, TypedGainStoresItsCodeAndMovesTheSlider) {
    struct Case {
        const char* typed;
        int code;
    } cases[] = {{"0.0", 120}, {"12", 180}, {"-30", 0}, {"3.3", 136}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        unit.Reset(false);
        StripWindow w(unit, BlockMusicLeft, 0, 4);
        test::ShapeBand(w.Band(), FilterType::Peak, 200, 150, 10);
        w.strip->RefreshFromBand();
        w.Type(w.strip->GainEdit(), c.typed, Qt::Key_Return);

        EXPECT_EQ(w.Rec().GainCode, c.code);
        EXPECT_EQ(w.strip->GainSlider()->GetInvertedPos(), c.code);
        EXPECT_EQ(w.strip->GainSlider()->GetPos(), 180 - c.code);
        EXPECT_EQ(w.SentChanges(), 1);
        EXPECT_EQ(w.graph->SelectedIndex(), 4);
        EXPECT_TRUE(w.strip->GainEdit()->hasFocus());  // Enter keeps the edit
        w.page.Take();
        EXPECT_EQ(w.SentChanges(), 0);
    }
    // Where the thumb of 0.0 dB stands: a third of the track from the top.
    StripWindow w(unit, BlockMusicLeft, 0, 0);
    w.Type(w.strip->GainEdit(), "0.0", Qt::Key_Return);
    BitmapSlider* s = w.strip->GainSlider();
    const double top = s->CentreOfPos(s->GetRangeMin()), bottom = s->CentreOfPos(s->GetRangeMax());
    EXPECT_NEAR((s->ThumbCentre() - top) / (bottom - top), 1.0 / 3, 0.01);
}

// Frequency and Q edits, committed by the strip's keyboard rule: Enter or Escape takes the focus
// from the edit (which commits), and neither closes anything.
TEST_F(EqStrip, FrequencyAndQEditsCommitOnEnterOrEscape) {
    struct Case {
        const char* name;
        int editId;
        const char* typed;
        Qt::Key key;
        int frequencyCode, qCode;
    } cases[] = {
        {"frequency, Escape", EQDlg::kFrequencyEditId, "1000", Qt::Key_Escape, 204, 10},
        {"frequency, Enter", EQDlg::kFrequencyEditId, "50", Qt::Key_Return, NearestFrequencyCode(50), 10},
        {"Q, Enter", EQDlg::kQEditId, "2", Qt::Key_Return, 150, NearestQCode(2.0)},
        {"Q, Escape", EQDlg::kQEditId, "200", Qt::Key_Escape, 150, NearestQCode(128)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unit.Reset(false);
        StripWindow w(unit, BlockMic34, 2, 2);
        test::ShapeBand(w.Band(), FilterType::Peak, 150, 140, 10);
        w.strip->RefreshFromBand();
        auto* edit = DialogItemAs<NumEdit>(w.strip, c.editId);
        w.Type(edit, c.typed, c.key);

        EXPECT_EQ(w.Rec().FrequencyCode.get(), c.frequencyCode);
        EXPECT_EQ(w.Rec().QCode, c.qCode);
        EXPECT_EQ(w.Rec().GainCode, 140);
        EXPECT_EQ(w.SentChanges(), 1);
        EXPECT_EQ(w.graph->SelectedIndex(), 2);
        EXPECT_TRUE(w.strip->isVisible());
        // Escape leaves the focus with the strip; Enter gives it back to the edit.
        EXPECT_EQ(edit->hasFocus(), c.key == Qt::Key_Return);
    }
}

// In a dialog, Enter and Escape typed in the strip neither accept nor cancel it.
TEST_F(EqStrip, EnterAndEscapeNeverCloseTheDialogAround) {
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(key);
        QDialog dialog;
        auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        auto* strip = new EQDlg(unit.bands(), &dialog);
        strip->BindBandSet(BlockEchoA, false);
        strip->SetBandIndex(0);
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        strip->FrequencyEdit()->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(strip->FrequencyEdit(), QStringLiteral("440"));
        auto focused = [&]() -> QWidget* {
            QWidget* w = QApplication::focusWidget();
            return w ? w : strip;
        };
        QTest::keyClick(focused(), key);
        QTest::keyClick(focused(), key);  // again, with the focus where the first left it
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), 0);
        EXPECT_EQ(strip->FrequencyEdit()->GetValue(), NearestFrequencyCode(440));
    }
}

// "BY" takes the band out of the summed curve; its handle stays at its gain.
TEST_F(EqStrip, BypassTypeFlattensTheBand) {
    StripWindow w(unit, BlockEchoB, 6, 1);
    test::ShapeBand(w.Band(), FilterType::Peak, 204, 150, 16);  // +6 dB at 1 kHz
    w.strip->RefreshFromBand();
    const PlotRect handle = w.Band().HandleRect();
    const int k = 204 + kFrequencyGridOffset;
    w.graph->SelectBand(-1, false);
    CKTVEQ& set = *w.graph->BandSet();
    const float peakY = set.SumCurve()[k].y;

    w.strip->TypeCombo()->setFocus();
    QTest::keyClick(w.strip->TypeCombo(), Qt::Key_Up);  // "P" -> "BY"

    EXPECT_EQ(w.Rec().BandType, BandBypass);
    EXPECT_EQ(w.Rec().GainCode, 150);
    const auto& level = w.Band().LevelDb();
    EXPECT_TRUE(std::all_of(level.begin(), level.end(), [](double v) { return v == 0; }));
    EXPECT_EQ(w.Band().HandleRect(), handle);
    EXPECT_EQ(w.SentChanges(), 1);
    EXPECT_EQ(w.graph->SelectedIndex(), 1);
    // Every other member is flat: the curve now runs along the 0 dB line, 6 dB below the peak.
    const PlotRect plot = w.graph->PlotRectangle();
    EXPECT_FLOAT_EQ(set.SumCurve()[k].y, LevelToY(0, plot.Height()) + kPlotTop);
    EXPECT_NEAR(set.SumCurve()[k].y - peakY, LevelToY(0, plot.Height()) - LevelToY(6, plot.Height()), 1e-3);
    const QImage img = test::Grab(w.graph);
    const int column = TruncPixel(set.SumCurve()[k].x) + 1;
    const QRect frame(handle.left, handle.top, handle.Width(), handle.Height());
    EXPECT_NEAR(test::CurveInkCentre(img, column, frame), set.SumCurve()[k].y, 1.0);
}

// Each slider notification stores the gain, shows it in the edit and posts one change; the focus
// then rests in the gain edit.
TEST_F(EqStrip, SliderStepsArePostedOneEach) {
    StripWindow w(unit, BlockMusicRight, 0, 8);
    test::ShapeBand(w.Band(), FilterType::Peak, 300, 130, 10);
    w.strip->RefreshFromBand();
    bool focusedWhenReported = true;
    w.page.onMessage = [&](const test::Message& m) {
        if (m.message == WM_EQSTRIP_CHANGED) focusedWhenReported &= w.strip->GainEdit()->hasFocus();
    };
    for (int i = 1; i <= 3; ++i) {
        QTest::keyClick(w.strip->GainSlider(), Qt::Key_Up);  // up on a vertical slider: one code more
        EXPECT_EQ(w.SentChanges(), i - 1);                   // posted, not sent
        DeliverPostedMessages();
        DeliverPostedMessages();
        EXPECT_EQ(w.SentChanges(), i);
        EXPECT_EQ(w.Rec().GainCode, 130 + i);
        EXPECT_EQ(w.strip->GainEdit()->GetValue(), 130 + i);
        EXPECT_TRUE(w.strip->GainEdit()->hasFocus());
    }
    EXPECT_TRUE(focusedWhenReported);
    EXPECT_EQ(w.graph->SelectedIndex(), 8);
}

// The other channel's band at the same index, under the same caption; edits then go to that channel.
TEST_F(EqStrip, RebindShowsTheOtherChannel) {
    StripWindow w(unit, BlockMusicLeft, 0, 3);
    CFilter& right = (*unit.bands().Of(BlockMusicRight))[3];
    test::ShapeBand(right, FilterType::HighShelf, 250, 100, 30);
    const EqBand leftBefore = w.Rec();

    w.strip->BindBandSet(BlockMusicRight, false);  // without re-binding nothing changes
    EXPECT_NE(w.strip->Band(), &right);
    EXPECT_EQ(w.strip->GainSlider()->GetInvertedPos(), leftBefore.GainCode);

    w.strip->BindBandSet(BlockMusicRight, true);
    EXPECT_EQ(w.strip->Band(), &right);
    EXPECT_EQ(w.strip->Caption()->text(), "4");
    EXPECT_EQ(w.strip->TypeCombo()->currentIndex(), 3);
    EXPECT_EQ(w.strip->GainSlider()->GetInvertedPos(), 100);
    EXPECT_EQ(w.strip->FrequencyEdit()->GetValue(), 250);
    EXPECT_EQ(w.strip->QEdit()->GetValue(), 30);

    w.Type(w.strip->GainEdit(), "6", Qt::Key_Return);
    EXPECT_EQ(Record(unit.model(), unit.model().current.MusicRight.Eq[3]).GainCode, 150);
    EXPECT_EQ(Record(unit.model(), unit.model().current.MusicLeft.Eq[3]).GainCode, leftBefore.GainCode);
}

// On the harness page: a graph drag moves the linked strip's slider as it goes; the page then
// refreshes that strip, marks its caption and gives the keyboard focus to its gain edit (where a typed
// gain or the arrow keys go on with the band).
TEST_F(EqStrip, GraphDragMovesTheLinkedStrip) {
    EqHarnessPage page(unit, BlockMic12, 10);
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    ASSERT_EQ(page.StripCount(), 10);
    CFStatic* graph = page.Graph();
    EQDlg* strip = page.Strip(5);
    CFilter& band = *strip->Band();
    const QPoint start = test::HandleCentre(band);

    test::Hover(graph, start);
    ASSERT_EQ(graph->ActiveBand(), &band);
    QTest::mousePress(graph, Qt::LeftButton, {}, start);
    QTest::mouseMove(graph, start + QPoint(60, -50));
    const EqBand rec = Record(unit.model(), *band.Band());
    EXPECT_GT(rec.GainCode, 120);
    EXPECT_EQ(strip->GainSlider()->GetInvertedPos(), rec.GainCode);  // before the page hears of it
    QTest::mouseRelease(graph, Qt::LeftButton, {}, start + QPoint(60, -50));
    DeliverPostedMessages();

    EXPECT_EQ(strip->GainEdit()->GetValue(), rec.GainCode);
    EXPECT_EQ(strip->FrequencyEdit()->GetValue(), rec.FrequencyCode.get());
    EXPECT_EQ(QApplication::focusWidget(), strip->GainEdit());
    EXPECT_EQ(page.HighlightedStrip(), 5);
    EXPECT_EQ(strip->Caption()->TextColour(), kRed);
    EXPECT_EQ(page.Strip(4)->Caption()->TextColour(), kWhite);
}

// A band keeps its slider link after its strip is gone; a later drag must only move the band.
TEST_F(EqStrip, DragAfterTheStripIsGone) {
    { EqHarnessPage page(unit, BlockEchoA, 7); }
    test::GraphWindow g(unit, BlockEchoA, 6);
    CFilter& band = g.Set()[2];
    const QPoint start = test::HandleCentre(band);
    test::Hover(g.graph, start);
    QTest::mousePress(g.graph, Qt::LeftButton, {}, start);
    QTest::mouseMove(g.graph, start + QPoint(0, -40));
    QTest::mouseRelease(g.graph, Qt::LeftButton, {}, start + QPoint(0, -40));
    EXPECT_GT(Record(unit.model(), *band.Band()).GainCode, 120);
}

}  // namespace
}  // namespace pavo
