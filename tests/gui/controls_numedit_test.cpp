// The numeric edit: texts per kind, the typing filter, commits on leaving and in GetValue, arrow
// keys, wheel and click notifications, and the paired slider's highlight.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "controls_support.h"
#include "model/CodeTables.h"
#include "model/DataConver.h"
#include "platform/ControlId.h"

namespace pavo {
namespace {

using test::Message;
using test::RecordingParent;

constexpr int kEditId = 1287;

struct EditSetup {
    int kind;
    const char* unit;
    int min, max;
    double scale = 1.0, offset = 0.0;
};
const EditSetup kFrequencyHz{NumEdit::Frequency, "Hz", 0, 361};
const EditSetup kQ{NumEdit::Q, "", 0, 100};
const EditSetup kGainStrip{NumEdit::Scaled, "", 0, 180, 0.2, 24};
const EditSetup kGainDynamic{NumEdit::Scaled, "", 60, 180, 0.2, 24};

// An edit on a shown, active page with a second edit to move the focus to.
struct EditFixture {
    RecordingParent parent;
    NumEdit* edit;
    QLineEdit* other;
    explicit EditFixture(const EditSetup& s) {
        parent.resize(300, 100);
        edit = new NumEdit(&parent);
        SetControlId(edit, kEditId);
        edit->setGeometry(10, 10, 80, 20);
        other = new QLineEdit(&parent);
        other->setGeometry(10, 40, 80, 20);
        edit->SetRange(s.min, s.max);
        edit->SetScale(s.scale);
        edit->SetOffset(s.offset);
        edit->SetKind(s.kind, QString::fromUtf8(s.unit));
        parent.show();
        parent.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&parent));
        other->setFocus();
    }
    void Type(const char* text) {
        edit->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(edit->hasFocus());
        QTest::keyClicks(edit, QString::fromUtf8(text));
    }
    void Leave() {
        other->setFocus(Qt::TabFocusReason);
        EXPECT_FALSE(edit->hasFocus());
    }
    std::vector<Message> Take() { return parent.Take(); }
};

const Message kChanged{WM_NUMEDIT_CHANGED, 0, kEditId};

int FrequencyCode(double hz) {
    return NearestFrequencyCode(hz);
}

TEST(NumEdit, ShowsTheCodeByItsKind) {
    struct Case {
        EditSetup setup;
        int code;
        const char* text;
    } cases[] = {
        {kFrequencyHz, FrequencyCode(23), "23.0Hz"},
        {kFrequencyHz, FrequencyCode(1000), "1000Hz"},
        {kFrequencyHz, 0, "19.7Hz"},
        {kFrequencyHz, 361, "20600Hz"},
        {{NumEdit::Frequency, "", 0, 361}, FrequencyCode(99), "99.0"},
        {{NumEdit::Frequency, "", 0, 361}, FrequencyCode(101), "101"},
        {kQ, 0, "0.400"},
        {kQ, 100, "128.000"},
        {kGainStrip, 0, "-24.0"},
        {kGainStrip, 120, "0.0"},
        {kGainStrip, 136, "3.2"},
        {kGainDynamic, 180, "12.0"},
    };
    for (const Case& c : cases) {
        EditFixture f(c.setup);
        f.edit->SetValue(c.code);
        EXPECT_EQ(f.edit->text().toStdString(), c.text) << c.code;
        EXPECT_EQ(f.edit->GetValue(), c.code);
        EXPECT_TRUE(f.Take().empty());  // setting a value notifies nobody
    }
}

TEST(NumEdit, SetValueIgnoresCodesOutsideTheRange) {
    EditFixture f(kGainDynamic);
    f.edit->SetValue(100);
    for (int code : {59, 181, -1}) {
        f.edit->SetValue(code);
        EXPECT_EQ(f.edit->GetValue(), 100);
        EXPECT_EQ(f.edit->text(), QStringLiteral("-4.0"));
    }
}

// Typed text commits when the edit loses the focus: the value becomes the code of the (limited)
// number, the text is re-rendered and the parent hears of it once.
TEST(NumEdit, TypedTextCommitsOnLeaving) {
    struct Case {
        EditSetup setup;
        const char* typed;
        int code;
        const char* shown;
    } cases[] = {
        {kFrequencyHz, "25000", FrequencyCode(20600), "20600Hz"},
        {kFrequencyHz, "1000", FrequencyCode(1000), "1000Hz"},
        {kFrequencyHz, "5", 0, "19.7Hz"},
        {kFrequencyHz, "-", 0, "19.7Hz"},  // unparsable reads as 0, then is limited
        {kQ, "200", NearestQCode(128), "128.000"},
        {kQ, "0", NearestQCode(0.4), "0.400"},
        {kQ, "1.0", NearestQCode(1.0), "1.000"},
        {kGainDynamic, "-30", 60, "-12.0"},
        {kGainDynamic, "OFF", 60, "-12.0"},
        {kGainDynamic, "3.3", 136, "3.2"},
        {kGainDynamic, "99", 180, "12.0"},
        {kGainStrip, "OFF", 0, "-24.0"},
        {kGainStrip, "-23.8", 1, "-23.8"},
        {kGainStrip, "-.2", 119, "-0.2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EditFixture f(c.setup);
        f.edit->SetValue(c.setup.min + 1);
        if (std::string(c.typed) == "OFF") {
            // Letters cannot be typed; "OFF" arrives as the window text, as a paste would bring it.
            f.Type("1");
            f.edit->setText(QStringLiteral("OFF"));
        } else {
            f.Type(c.typed);
        }
        EXPECT_TRUE(f.edit->HasPendingText());
        EXPECT_TRUE(f.Take().empty());  // typing alone tells nobody
        std::optional<int> seenByParent;
        f.parent.onMessage = [&](const Message& m) {
            if (m.message == WM_NUMEDIT_CHANGED) seenByParent = f.edit->GetValue();
        };
        f.Leave();
        EXPECT_EQ(f.Take(), std::vector<Message>{kChanged});
        EXPECT_EQ(seenByParent, c.code);  // the parent reads the new code during the notification
        EXPECT_EQ(f.edit->GetValue(), c.code);
        EXPECT_EQ(f.edit->text().toStdString(), c.shown);
        EXPECT_FALSE(f.edit->HasPendingText());
    }
}

TEST(NumEdit, LeavingWithoutTypingSendsNothing) {
    // A frequency edit still re-reads its text and stores the code it names.
    EditFixture f(kFrequencyHz);
    f.edit->SetValue(FrequencyCode(1000));
    f.edit->SetRange(0, 361);  // the value goes back to the minimum, the text still says 1000Hz
    ASSERT_EQ(f.edit->GetValue(), 0);
    f.edit->setFocus(Qt::TabFocusReason);
    f.Leave();
    EXPECT_EQ(f.edit->GetValue(), FrequencyCode(1000));
    EXPECT_TRUE(f.Take().empty());

    for (const EditSetup& s : {kQ, kGainStrip}) {
        EditFixture g(s);
        g.edit->SetValue(40);
        g.edit->setFocus(Qt::TabFocusReason);
        g.Leave();
        EXPECT_EQ(g.edit->GetValue(), 40);
        EXPECT_TRUE(g.Take().empty());
    }
}

TEST(NumEdit, GetValueCommitsPendingTextSilently) {
    struct Case {
        EditSetup setup;
        const char* typed;
        int code;
    } cases[] = {
        {kFrequencyHz, "1000", FrequencyCode(1000)},
        {kFrequencyHz, "25000", 7},  // outside 19.7 .. 20600: the value stays
        {kQ, "200", NearestQCode(128)},
        {kGainDynamic, "3.3", 136},
        {kGainDynamic, "-30", 7 + 60},  // outside the limits: the value stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EditFixture f(c.setup);
        f.edit->SetValue(c.setup.min + 7);
        f.Type(c.typed);
        EXPECT_EQ(f.edit->GetValue(), c.code);
        EXPECT_FALSE(f.edit->HasPendingText());
        EXPECT_EQ(f.edit->text().toStdString(), c.typed);  // the text is left as typed
        EXPECT_TRUE(f.Take().empty());
    }
}

// Every text the edit shows, typed back in, names the code it was shown for.
TEST(NumEdit, EveryShownTextTypesBackToItsCode) {
    for (const EditSetup& s : {kFrequencyHz, kQ, kGainStrip, kGainDynamic}) {
        EditFixture f(s);
        for (int code = s.min; code <= s.max; ++code) {
            f.edit->SetValue(s.max == code ? s.min : s.max);
            f.edit->setText(f.edit->TextOfCode(code));
            f.edit->setModified(true);
            emit f.edit->textEdited(f.edit->text());
            ASSERT_EQ(f.edit->GetValue(), code) << s.kind << ": " << f.edit->TextOfCode(code).toStdString();
        }
    }
}

TEST(NumEdit, TypingAcceptsOnlyNumbers) {
    EditFixture f(kGainStrip);
    f.edit->setText(QString());
    f.Type("1a2 b.-x,9+");
    EXPECT_EQ(f.edit->text(), QStringLiteral("12.-9"));
    QTest::keyClick(f.edit, Qt::Key_Backspace);
    EXPECT_EQ(f.edit->text(), QStringLiteral("12.-"));
    // Enter keeps the focus, puts the caret at the start and commits nothing.
    QTest::keyClick(f.edit, Qt::Key_Return);
    EXPECT_TRUE(f.edit->hasFocus());
    EXPECT_EQ(f.edit->cursorPosition(), 0);
    EXPECT_FALSE(f.edit->hasSelectedText());
    EXPECT_TRUE(f.Take().empty());
}

TEST(NumEdit, ArrowKeysStepWithinTheRange) {
    struct Case {
        int start;
        Qt::Key key;
        int value;
        std::vector<Message> seen;
    } cases[] = {
        {180, Qt::Key_Up, 180, {}},
        {179, Qt::Key_Up, 180, {kChanged}},
        {61, Qt::Key_Down, 60, {kChanged}},
        {60, Qt::Key_Down, 60, {}},
        {100, Qt::Key_Left, 100, {{WM_NUMEDIT_ARROW, kEditId, 0x25}}},
        {100, Qt::Key_Right, 100, {{WM_NUMEDIT_ARROW, kEditId, 0x27}}},
    };
    for (const Case& c : cases) {
        EditFixture f(kGainDynamic);
        f.edit->SetValue(c.start);
        f.edit->setFocus(Qt::TabFocusReason);
        QTest::keyClick(f.edit, c.key);
        EXPECT_EQ(f.edit->GetValue(), c.value);
        EXPECT_EQ(f.edit->text(), f.edit->TextOfCode(c.value));
        EXPECT_EQ(f.Take(), c.seen) << c.start << " key " << c.key;
    }
    // With Ctrl held the arrows only move the caret.
    EditFixture f(kGainDynamic);
    f.edit->SetValue(100);
    f.edit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(f.edit, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(f.edit, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(f.edit->GetValue(), 100);
    EXPECT_TRUE(f.Take().empty());
}

TEST(NumEdit, EveryWheelMessageNotifies) {
    struct Case {
        int start;
        std::vector<int> deltas;
        int value;
    } cases[] = {
        {100, {40}, 100},  {100, {40, 40, 40}, 101},
        {100, {-120}, 99}, {180, {120}, 180},  // beyond the range: unchanged, still reported
        {100, {-360}, 99},
    };
    for (const Case& c : cases) {
        EditFixture f(kGainStrip);
        f.edit->SetValue(c.start);
        f.edit->setFocus(Qt::TabFocusReason);
        f.Take();
        for (int d : c.deltas) test::Wheel(f.edit, d);
        EXPECT_EQ(f.edit->GetValue(), c.value);
        EXPECT_EQ(f.Take(), std::vector<Message>(c.deltas.size(), kChanged));
    }
}

TEST(NumEdit, ClickNotifiesAndFocusLightsThePairedSlider) {
    EditFixture f(kFrequencyHz);
    BitmapSlider slider(&f.parent);
    f.edit->SetBuddySlider(&slider);
    f.edit->SetValue(100);
    QTest::mouseClick(f.edit, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.Take(), std::vector<Message>{kChanged});
    EXPECT_TRUE(f.edit->hasFocus());
    EXPECT_TRUE(slider.IsHighlighted());
    f.Leave();
    EXPECT_FALSE(slider.IsHighlighted());
    // Tabbing in selects the whole text.
    f.edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.edit->selectedText(), f.edit->text());
    EXPECT_TRUE(slider.IsHighlighted());
}

TEST(NumEdit, PaintsItsColours) {
    EditFixture f(kGainStrip);
    f.edit->SetValue(120);
    const QImage shot = test::Grab(f.edit);
    EXPECT_TRUE(test::HasColour(shot, qRgb(36, 45, 46)));
    EXPECT_TRUE(test::HasColour(shot, qRgb(255, 255, 255)));
}

TEST(NumEdit, LeadingNumberReadsLikeTheCLibrary) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"20.0Hz", 20.0}, {"  -3.5", -3.5}, {"1e3", 1000}, {".5", 0.5},    {"-", 0},
        {"", 0},          {"abc", 0},       {"12.-", 12},  {"1.2.3", 1.2}, {"nan", 0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(LeadingNumber(QString::fromUtf8(c.text)), c.value) << c.text;
}

}  // namespace
}  // namespace pavo
