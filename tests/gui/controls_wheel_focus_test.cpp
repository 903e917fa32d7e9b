// The wheel acts only on the control that has the keyboard focus: turning it while the pointer passes
// over a slider, a combo box or a numeric edit changes nothing and leaves the wheel to what holds the
// control; a click gives the control the focus, and then the wheel steps it.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <memory>

#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "controls_support.h"
#include "platform/ControlId.h"

namespace pavo {
namespace {

using test::RecordingParent;

// One wheel notch over the middle of the widget; whether the widget took it.
bool WheelTaken(QWidget* w, int delta) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
    return e.isAccepted();
}

struct Control {
    const char* name;
    std::function<QWidget*(QWidget* parent)> make;
    std::function<int(QWidget*)> value;
    std::function<void(QWidget*)> click;  // a click that gives the focus and leaves the value
};

const Control kControls[] = {
    {"slider",
     [](QWidget* parent) -> QWidget* {
         auto* s = new BitmapSlider(parent);
         s->LoadChannelBitmaps(142, 155);
         s->LoadThumbBitmaps(141, 141);
         s->SetRange(0, 84);
         s->SetPos(40);
         return s;
     },
     [](QWidget* w) { return static_cast<BitmapSlider*>(w)->GetPos(); },
     [](QWidget* w) {
         auto* s = static_cast<BitmapSlider*>(w);
         QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(s->ThumbCentre(), s->height() / 2));
     }},
    {"combo",
     [](QWidget* parent) -> QWidget* {
         auto* c = new BitComboBox(parent);
         c->SetBoxBitmaps(201, 202, 200);
         c->addItems({"OFF", "ON"});
         c->setCurrentIndex(1);
         return c;
     },
     [](QWidget* w) { return static_cast<BitComboBox*>(w)->currentIndex(); },
     [](QWidget* w) {
         QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(10, w->height() / 2));
         static_cast<BitComboBox*>(w)->hidePopup();
     }},
    {"numeric edit",
     [](QWidget* parent) -> QWidget* {
         auto* e = new NumEdit(parent);
         e->SetRange(0, 180);
         e->SetScale(0.2);
         e->SetOffset(24);
         e->SetKind(NumEdit::Scaled);
         e->SetValue(120);
         return e;
     },
     [](QWidget* w) { return static_cast<NumEdit*>(w)->GetValue(); },
     [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5)); }},
};

TEST(WheelFocus, OnlyTheFocusedControlTakesTheWheel) {
    for (const Control& c : kControls) {
        SCOPED_TRACE(c.name);
        RecordingParent parent;
        parent.resize(300, 120);
        QWidget* control = c.make(&parent);
        SetControlId(control, 2600);
        control->move(10, 10);
        if (control->width() < 60) control->resize(80, control->height());
        auto* other = new QLineEdit(&parent);
        other->setGeometry(10, 80, 80, 20);
        parent.show();
        parent.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
        other->setFocus();

        const int before = c.value(control);
        EXPECT_FALSE(WheelTaken(control, -120));  // passes on to the parent
        EXPECT_FALSE(WheelTaken(control, 120));
        EXPECT_EQ(c.value(control), before);
        EXPECT_TRUE(parent.Take().empty());
        EXPECT_TRUE(other->hasFocus());  // the wheel gives no focus either

        c.click(control);
        EXPECT_TRUE(control->hasFocus());
        EXPECT_EQ(c.value(control), before);
        parent.Take();
        EXPECT_TRUE(WheelTaken(control, 120));
        EXPECT_NE(c.value(control), before);
        EXPECT_FALSE(parent.Take().empty());  // the page hears of it as of any other step
    }
}

}  // namespace
}  // namespace pavo
