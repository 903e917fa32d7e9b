// The skinned button: sizing to its face, the face and caption colour of each state, latching and
// the click notification.
#include <gtest/gtest.h>

#include <QTest>

#include "controls/BitButton.h"
#include "controls_support.h"
#include "platform/ControlId.h"
#include "platform/Resources.h"
#include "platform/Skin.h"

namespace pavo {
namespace {

using test::HasColour;
using test::Message;
using test::RecordingParent;

constexpr int kButtonId = 3700;

struct ButtonFixture {
    RecordingParent page;
    BitButton* button;
    ButtonFixture() {
        page.resize(400, 100);
        button = new BitButton(&page);
        SetControlId(button, kButtonId);
        button->setGeometry(20, 20, 60, 40);  // the template's slot
    }
    void Show() {
        page.show();
        test::FlushPaints();
    }
    // The face as painted, without the caption.
    QImage Face() {
        button->setText(QString());
        return test::Grab(button).convertToFormat(QImage::Format_RGB32);
    }
    QPoint Inside() const { return QPoint(5, 5); }
    void MouseMove(QPoint local) {
        QMouseEvent e(QEvent::MouseMove, local, button->mapToGlobal(local), Qt::NoButton,
                      button->isDown() || button->IsPressed() ? Qt::LeftButton : Qt::NoButton, {});
        QApplication::sendEvent(button, &e);
    }
};

QImage Bitmap(int id) {
    return LoadBitmapImage(id).convertToFormat(QImage::Format_RGB32);
}

TEST(BitButton, TakesTheSizeOfTheFaceItShows) {
    struct Case {
        int face;
        QSize size;
    } cases[] = {
        {152, {86, 25}},  {153, {86, 25}}, {157, {86, 25}}, {158, {86, 25}},
        {160, {18, 16}},  {161, {18, 16}}, {168, {94, 23}}, {175, {320, 30}},
        {176, {320, 30}}, {177, {50, 25}}, {178, {50, 25}},
    };
    for (const Case& c : cases) {
        ButtonFixture f;
        f.button->SetFaceBitmaps(c.face, c.face, c.face, 0, 0, 0);
        f.Show();
        EXPECT_EQ(f.button->geometry(), QRect(QPoint(20, 20), c.size)) << c.face;
        EXPECT_EQ(f.Face(), Bitmap(c.face)) << c.face;
    }
    // Switching to a face of another size resizes again.
    ButtonFixture f;
    f.button->SetFaceBitmaps(161, 161, 161, 175, 175, 175);
    f.Show();
    f.button->SetLatched(true);
    EXPECT_EQ(f.button->size(), QSize(320, 30));
}

TEST(BitButton, LatchingShowsTheLatchedFaceAndRepaintsOnlyOnChange) {
    ButtonFixture f;
    f.button->SetFaceBitmaps(158, 158, 158, 157, 157, 157);
    f.Show();
    EXPECT_EQ(f.Face(), Bitmap(158));
    test::PaintCounter counter(f.button);
    f.button->SetLatched(true);
    test::FlushPaints();
    EXPECT_EQ(counter.paints, 1);
    EXPECT_TRUE(f.button->IsLatched());
    EXPECT_EQ(f.Face(), Bitmap(157));
    counter.paints = 0;
    f.button->SetLatched(true);
    test::FlushPaints();
    EXPECT_EQ(counter.paints, 0);

    // Latched bitmaps given as 0 look like the unlatched ones.
    ButtonFixture g;
    g.button->SetFaceBitmaps(152, 152, 152, 0, 0, 0);
    g.Show();
    g.button->SetLatched(true);
    EXPECT_EQ(g.Face(), Bitmap(152));
}

// Hover and press pick the face: pressed needs both flags, so pressing and moving off shows the
// normal face until the mouse comes back.
TEST(BitButton, MouseStatesPickTheFace) {
    ButtonFixture f;
    f.button->SetFaceBitmaps(152, 168, 153, 158, 176, 157);
    f.Show();
    const QPoint off(200, 200);
    struct Step {
        const char* what;
        std::function<void()> act;
        int face;
    } steps[] = {
        {"idle", [] {}, 152},
        {"hover", [&] { f.MouseMove(f.Inside()); }, 168},
        {"press", [&] { QTest::mousePress(f.button, Qt::LeftButton, {}, f.Inside()); }, 153},
        {"moved off", [&] { f.MouseMove(off); }, 152},
        {"back", [&] { f.MouseMove(f.Inside()); }, 153},
        {"release", [&] { QTest::mouseRelease(f.button, Qt::LeftButton, {}, f.Inside()); }, 168},
        {"latched hover", [&] { f.button->SetLatched(true); }, 176},
        {"latched press", [&] { QTest::mousePress(f.button, Qt::LeftButton, {}, f.Inside()); }, 157},
        {"latched release", [&] { QTest::mouseRelease(f.button, Qt::LeftButton, {}, f.Inside()); }, 176},
        {"left",
         [&] {
             QEvent leave(QEvent::Leave);
             QApplication::sendEvent(f.button, &leave);
         },
         158},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(f.button->CurrentFace(), s.face) << s.what;
    }
    EXPECT_EQ(f.button->size(), QSize(86, 25));
}

TEST(BitButton, CaptionColoursFollowTheState) {
    ButtonFixture f;
    f.button->setText(QStringLiteral("SYNC"));
    f.button->SetFaceBitmaps(152, 152, 152, 153, 153, 153);
    f.button->SetDisabledBitmaps(152, 153);
    f.Show();
    struct Case {
        bool latched, hover, enabled;
        QRgb caption;
    } cases[] = {
        {false, false, true, qRgb(255, 255, 255)},  // the defaults: white unlatched normal,
        {false, true, true, qRgb(0, 0, 0)},         // black in every other state
        {true, false, true, qRgb(0, 0, 0)},           {false, false, false, qRgb(0x99, 0x99, 0x99)},
        {true, false, false, qRgb(0x99, 0x99, 0x99)},
    };
    for (const Case& c : cases) {
        f.button->SetLatched(c.latched);
        f.button->setEnabled(c.enabled);
        f.MouseMove(c.hover ? f.Inside() : QPoint(300, 300));
        const QImage shot = test::Grab(f.button);
        EXPECT_TRUE(HasColour(shot, c.caption)) << c.latched << c.hover << c.enabled;
        EXPECT_EQ(f.button->CurrentFace(), c.latched ? 153 : 152);
    }
    f.button->setEnabled(true);
    f.button->SetCaptionColours(kWhite, kWhite, kWhite, 0x000000, 0x000000, 0x000000);
    f.button->SetLatched(false);
    f.MouseMove(f.Inside());
    EXPECT_TRUE(HasColour(test::Grab(f.button), qRgb(255, 255, 255)));
}

TEST(BitButton, DisabledFacesFollowTheLatchedFlag) {
    ButtonFixture f;
    f.button->SetFaceBitmaps(152, 152, 152, 153, 153, 153);
    f.button->SetDisabledBitmaps(161, 160);
    f.button->setEnabled(false);
    f.Show();
    EXPECT_EQ(f.Face(), Bitmap(161));
    f.button->SetLatched(true);
    EXPECT_EQ(f.Face(), Bitmap(160));
    EXPECT_EQ(f.button->size(), QSize(18, 16));

    // Without a bitmap the button shows the plain button face.
    ButtonFixture g;
    g.Show();
    const QImage shot = g.Face();
    EXPECT_EQ(shot.pixel(3, 3), g.button->palette().color(QPalette::Button).rgb());
    EXPECT_EQ(g.button->size(), QSize(60, 40));
}

TEST(BitButton, ClickReachesTheParentOnceAndLeavesTheLatchAlone) {
    ButtonFixture f;
    f.button->SetFaceBitmaps(152, 152, 152, 153, 153, 153);
    f.Show();
    f.page.OnCommand(kButtonId, BN_CLICKED, [&] { f.button->SetLatched(!f.button->IsLatched()); });
    QTest::mouseClick(f.button, Qt::LeftButton, {}, f.Inside());
    EXPECT_EQ(f.page.Take(), (std::vector<Message>{{WM_COMMAND, MakeCommand(kButtonId, BN_CLICKED), 0}}));
    EXPECT_TRUE(f.button->IsLatched());  // set by the page's handler, not by the button
    // Released off the button: no click.
    QTest::mousePress(f.button, Qt::LeftButton, {}, f.Inside());
    QTest::mouseRelease(f.button, Qt::LeftButton, {}, QPoint(300, 300));
    EXPECT_TRUE(f.page.Take().empty());
    EXPECT_TRUE(f.button->IsLatched());
}

}  // namespace
}  // namespace pavo
