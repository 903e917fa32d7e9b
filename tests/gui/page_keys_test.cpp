// The arrow keys on a page: the control with the focus has them; a key it leaves unused does nothing,
// above all it never switches the page. The tabs switch pages by the arrows only while they have the
// focus themselves. Choosing a band in the graph puts the focus into its strip's gain edit, where a
// typed gain and Enter set it and the arrows move the band as on the graph.
#include <gtest/gtest.h>

#include "graph_support.h"
#include "pages/Echo_Dlg.h"
#include "pages/EffectPage.h"
#include "pages/Effect_Dlg.h"
#include "pages/InputChannelPage.h"
#include "pages/MainDlg.h"
#include "undo_support.h"

namespace pavo {
namespace {

using test::UndoWindow;

TEST(PageKeys, ArrowsNeverSwitchThePageFromAPageControl) {
    // On the microphone page, which has a page on either side.
    struct Row {
        const char* what;
        std::function<QWidget*(QWidget* page)> focus;
    } rows[] = {
        {"graph, no band highlighted",
         [](QWidget* page) -> QWidget* { return page->findChild<CFStatic*>(); }},
        {"a band strip's edit", [](QWidget* page) -> QWidget* { return page->findChild<NumEdit*>(); }},
    };
    for (const Row& row : rows) {
        for (int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
            SCOPED_TRACE(testing::Message() << row.what << " key " << key);
            UndoWindow u;
            u.ShowPage(PavoDlg::PageMic);
            QWidget* target = row.focus(u.w->Page(PavoDlg::PageMic));
            ASSERT_NE(target, nullptr);
            target->setFocus(Qt::MouseFocusReason);
            u.Settle();
            ASSERT_TRUE(target->hasFocus());
            const EditedRecords before = test::Records(u.unit());
            for (int i = 0; i < 3; ++i) u.Key(key, Qt::NoModifier, target);
            EXPECT_EQ(u.w->tabs().GetCurSel(), PavoDlg::PageMic);
            if (qobject_cast<CFStatic*>(target)) {  // no band highlighted: the keys change nothing
                EXPECT_TRUE(test::Same(test::Records(u.unit()), before));
            }
        }
    }
}

// The strips and graph of a page with EQ strips, as the tests reach them.
struct StripPage {
    const char* name;
    int page;
    int band;  // the band chosen; beyond the first ten the page scrolls its strips to it
    std::function<CFStatic*(QWidget* page)> graph;
    std::function<const BandStripRow&(QWidget* page)> strips;
};

const BandStripRow& InputStrips(QWidget* p) {
    return static_cast<InputChannelPage*>(p)->Strips();
}
CFStatic* InputGraph(QWidget* p) {
    return static_cast<InputChannelPage*>(p)->Graph();
}
const BandStripRow& OutputStrips(QWidget* p) {
    return static_cast<MainDlg*>(p)->Strips();
}
CFStatic* OutputGraph(QWidget* p) {
    return static_cast<MainDlg*>(p)->Graph();
}

TEST(PageKeys, ChoosingABandInTheGraphFocusesItsGainEditWhichTakesTypingAndArrows) {
    const StripPage pages[] = {
        {"music", PavoDlg::PageMusic, 3, InputGraph, InputStrips},
        {"music, a band beyond the strips shown", PavoDlg::PageMusic, 12, InputGraph, InputStrips},
        {"microphone", PavoDlg::PageMic, 17, InputGraph, InputStrips},
        {"outputs 1&2", PavoDlg::PageOut12, 4, OutputGraph, OutputStrips},
        {"outputs 3&4", PavoDlg::PageOut34, 2, OutputGraph, OutputStrips},
        {"echo", PavoDlg::PageEffect, 5, [](QWidget* p) { return static_cast<Effect_Dlg*>(p)->Graph(); },
         [](QWidget* p) -> const BandStripRow& { return static_cast<Effect_Dlg*>(p)->EchoPage()->Strips(); }},
    };
    for (const StripPage& row : pages) {
        SCOPED_TRACE(row.name);
        UndoWindow u;
        u.ShowPage(row.page);
        QWidget* page = u.w->Page(row.page);
        CFStatic* graph = row.graph(page);
        CFilter& band = (*graph->BandSet())[row.band];
        // A peak of its own at +6 dB, clear of the other handles.
        test::ShapeBand(band, FilterType::Peak, 200, 150, 16);
        u.w->RefreshCurrentPage();
        u.Settle();

        const QPoint at = test::HandleCentre(band);
        test::Hover(graph, at);
        u.Click(graph, at);
        const EQDlg* strip = nullptr;
        for (int i = 0; i < row.strips(page).Count(); ++i)
            if (row.strips(page).Strip(i)->Band() == &band) strip = row.strips(page).Strip(i);
        ASSERT_NE(strip, nullptr) << "no strip shows the band";
        NumEdit* gain = strip->GainEdit();
        ASSERT_EQ(QApplication::focusWidget(), gain);

        // Typed over the selected text: -6.0 dB is gain code 90.
        QTest::keyClicks(gain, QStringLiteral("-6"));
        u.Key(Qt::Key_Return, Qt::NoModifier, gain);
        EXPECT_EQ(test::BandRecord(band).GainCode, 90);

        // The arrows move the band from here, as on the graph; the focus stays, the page too.
        u.Key(Qt::Key_Right, Qt::NoModifier, QApplication::focusWidget());
        u.Key(Qt::Key_Up, Qt::ShiftModifier, QApplication::focusWidget());
        u.Key(Qt::Key_Left, Qt::NoModifier, QApplication::focusWidget());
        u.Key(Qt::Key_Left, Qt::NoModifier, QApplication::focusWidget());
        EXPECT_EQ(test::BandRecord(band).FrequencyCode, 199);
        EXPECT_EQ(test::BandRecord(band).GainCode, 100);
        EXPECT_EQ(gain->GetValue(), 100);
        EXPECT_EQ(QApplication::focusWidget(), gain);
        EXPECT_EQ(u.w->tabs().GetCurSel(), row.page);
    }
}

TEST(PageKeys, TabsWithTheFocusSwitchPagesByTheArrows) {
    UndoWindow u;
    u.ShowPage(PavoDlg::PageMusic);
    QTest::mouseClick(&u.w->tabs(), Qt::LeftButton, {}, QPoint(5, 5));
    u.Settle();
    ASSERT_TRUE(u.w->tabs().hasFocus());
    const int first = u.w->tabs().GetCurSel();
    u.Key(Qt::Key_Right, Qt::NoModifier, &u.w->tabs());
    EXPECT_EQ(u.w->tabs().GetCurSel(), first + 1);
    u.Key(Qt::Key_Left, Qt::NoModifier, &u.w->tabs());
    EXPECT_EQ(u.w->tabs().GetCurSel(), first);
}

}  // namespace
}  // namespace pavo
