// English-only edit: which keys reach the parent as EN_CHANGE, which characters are refused, colours.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>
#include <vector>

#include "controls/EnglishEdit.h"
#include "platform/ControlId.h"
#include "platform/Skin.h"
#include "platform/WinMessage.h"

namespace pavo {
namespace {

struct EditHost : QWidget, MessageTarget {
    std::vector<std::pair<WParam, LParam>> commands;
    LResult WindowProc(unsigned m, WParam w, LParam l) override {
        if (m == WM_COMMAND) commands.push_back({w, l});
        return MessageTarget::WindowProc(m, w, l);
    }
};

void TypeText(QWidget* w, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
}

TEST(EnglishEdit, NotifiesTheParentOncePerTypedCharacterOnly) {
    EditHost page;
    auto* edit = new EnglishEdit(&page);
    SetControlId(edit, 1370);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    edit->setFocus();

    struct Step {
        const char* what;
        std::function<void()> run;
        QString text;
        int notifications;
    } steps[] = {
        {"typed letters", [&] { QTest::keyClicks(edit, "ab1"); }, "ab1", 3},
        {"backspace", [&] { QTest::keyClick(edit, Qt::Key_Backspace); }, "ab", 1},
        {"cursor keys", [&] { QTest::keyClick(edit, Qt::Key_Home); }, "ab", 0},
        {"delete", [&] { QTest::keyClick(edit, Qt::Key_Delete); }, "b", 0},
        {"text set by the program", [&] { edit->setText("Name 1"); }, "Name 1", 0},
        {"wide characters",
         [&] {
             TypeText(edit, QString::fromUtf8("中"));
             TypeText(edit, QString::fromUtf8("é"));
         },
         "Name 1", 0},
        {"enter belongs to the dialog", [&] { QTest::keyClick(edit, Qt::Key_Return); }, "Name 1", 0},
        {"space", [&] { QTest::keyClick(edit, Qt::Key_Space); }, "Name 1 ", 1},
        {"input-method text keeps its single-byte characters",
         [&] {
             QInputMethodEvent commit;
             commit.setCommitString(QString::fromUtf8("中x话y"));
             QApplication::sendEvent(edit, &commit);
         },
         "Name 1 xy", 2},
    };
    for (const Step& s : steps) {
        page.commands.clear();
        s.run();
        EXPECT_EQ(edit->text(), s.text) << s.what;
        ASSERT_EQ(static_cast<int>(page.commands.size()), s.notifications) << s.what;
        for (const auto& [w, l] : page.commands) {
            EXPECT_EQ(CommandId(w), 1370);
            EXPECT_EQ(CommandCode(w), EN_CHANGE);
            EXPECT_EQ(l, reinterpret_cast<LParam>(&page));  // the parent's own handle, as for its handlers
        }
    }
}

TEST(EnglishEdit, PaintsLightTextOnTheControlBackground) {
    QWidget page;
    EnglishEdit edit(&page);
    edit.setGeometry(0, 0, 120, 22);
    edit.setText("MW");
    QFont f = edit.font();
    f.setStyleStrategy(QFont::NoAntialias);  // glyph pixels in the pen colour exactly
    edit.setFont(f);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    const QImage img = edit.grab().toImage();
    EXPECT_EQ(img.pixelColor(100, 11), ColorRef(EnglishEdit::kBackgroundColour));
    int light = 0;
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 22; ++y)
            if (img.pixelColor(x, y) == ColorRef(EnglishEdit::kTextColour)) ++light;
    EXPECT_GT(light, 5);
}

}  // namespace
}  // namespace pavo
