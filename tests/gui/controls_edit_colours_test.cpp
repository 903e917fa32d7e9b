// Disabled edits are dimmed like the other disabled controls: grey text on a box that sinks into the
// page; enabled ones keep their light text on the control background.
#include <gtest/gtest.h>

#include <QTest>
#include <functional>

#include "controls/BitmapSlider.h"
#include "controls/EditColours.h"
#include "controls/EnglishEdit.h"
#include "controls/NumEdit.h"
#include "platform/Skin.h"

namespace pavo {
namespace {

struct Pixels {
    int text = 0, fill = 0, enabledFill = 0, white = 0;
};

Pixels Count(QWidget* edit) {
    const QImage img = edit->grab().toImage();
    Pixels n;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n.text += c == ColorRef(kDisabledCaption);
            n.fill += c == DisabledEditFill(kControlBackground);
            n.enabledFill += c == ColorRef(kControlBackground);
            n.white += c == ColorRef(kWhite) || c == ColorRef(EnglishEdit::kTextColour);
        }
    return n;
}

TEST(EditColours, DisabledEditsShowGreyTextOnADimmedBox) {
    QWidget page;
    page.resize(200, 60);
    QFont f = page.font();
    f.setStyleStrategy(QFont::NoAntialias);  // glyph pixels in the pen colour exactly
    page.setFont(f);
    auto* name = new EnglishEdit(&page);
    name->setGeometry(0, 0, 120, 22);
    name->setText("MW MW");
    auto* number = new NumEdit(&page);
    number->setGeometry(0, 30, 80, 22);
    number->SetRange(0, 180);
    number->SetScale(0.2);
    number->SetOffset(24);
    number->SetKind(NumEdit::Scaled);
    number->SetValue(96);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));

    for (QWidget* edit : {static_cast<QWidget*>(name), static_cast<QWidget*>(number)}) {
        SCOPED_TRACE(edit->metaObject()->className());
        const Pixels on = Count(edit);
        EXPECT_GT(on.white, 5);
        EXPECT_GT(on.enabledFill, 200);
        EXPECT_EQ(on.text, 0);
        edit->setEnabled(false);
        const Pixels off = Count(edit);
        EXPECT_GT(off.text, 5);
        EXPECT_EQ(off.white, 0);
        EXPECT_GT(off.fill, 200);
        EXPECT_EQ(off.enabledFill, 0);
    }
    // The dimmed box lies between the control background and the page.
    const QColor dim = DisabledEditFill(kControlBackground), bg = ColorRef(kControlBackground);
    EXPECT_GT(dim.green(), bg.green());
    EXPECT_LT(dim.green(), PageBackground().green());
}

}  // namespace
}  // namespace pavo
