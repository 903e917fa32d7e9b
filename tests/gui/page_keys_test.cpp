// The arrow keys on a page: the control with the focus has them; a key it leaves unused does nothing,
// above all it never switches the page. The tabs switch pages by the arrows only while they have the
// focus themselves.
#include <gtest/gtest.h>

#include "graph_support.h"
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
            if (qobject_cast<CFStatic*>(target))  // no band highlighted: the keys change nothing
                EXPECT_TRUE(test::Same(test::Records(u.unit()), before));
        }
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
