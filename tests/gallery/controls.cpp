// Gallery: one picture per state of the sliders, numeric edits, labels and buttons, on the page
// background, written to <build>/gallery/ for a person to look at. Also a contact sheet of all of
// them at 1x and 2x.
#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <QTest>

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "controls/TransparentStatic.h"
#include "controls_support.h"
#include "platform/DialogTemplate.h"
#include "platform/KeyedBitmap.h"
#include "platform/Skin.h"

namespace pavo {
namespace {

QString GalleryDir() {
    const QString dir = test::GalleryDir();
    return dir;
}

// A piece of page with the dark background holding one control.
struct Swatch : QWidget {
    explicit Swatch(QSize size) {
        resize(size);
        QPalette pal;
        pal.setColor(QPalette::Window, PageBackground());
        setPalette(pal);
        setAutoFillBackground(true);
        setFont(TemplateFont());
        // The swatch keeps the focus, so no edit shows its selection.
        setFocusPolicy(Qt::StrongFocus);
        setFocus();
    }
};

struct Shot {
    QString name;
    QImage image1x, image2x;
};

class Gallery {
public:
    // `pose` runs once the swatch is on screen and settled, right before the pictures are taken.
    void Add(const QString& name, QWidget* swatch, const std::function<void()>& pose = {}) {
        swatch->show();
        test::FlushPaints();
        if (pose) pose();
        Shot s{name, test::Grab(swatch, 1.0), test::Grab(swatch, 2.0)};
        EXPECT_TRUE(s.image1x.save(GalleryDir() + "/" + name + ".png"));
        EXPECT_TRUE(s.image2x.save(GalleryDir() + "/" + name + "@2x.png"));
        shots_.push_back(std::move(s));
    }
    void WriteSheet(const QString& name, bool twoX) {
        const int pad = 6, labelH = 14;
        int w = 0, h = pad;
        for (const Shot& s : shots_) {
            const QImage& img = twoX ? s.image2x : s.image1x;
            w = std::max(w, img.width() + 2 * pad);
            h += labelH + img.height() + pad;
        }
        QImage sheet(w, h, QImage::Format_RGB32);
        sheet.fill(QColor(20, 20, 20));
        QPainter p(&sheet);
        p.setFont(TemplateFont());
        int y = pad;
        for (const Shot& s : shots_) {
            const QImage& img = twoX ? s.image2x : s.image1x;
            p.setPen(QColor(200, 200, 120));
            p.drawText(pad, y + labelH - 3, s.name);
            y += labelH;
            QImage plain = img;
            plain.setDevicePixelRatio(1.0);
            p.drawImage(pad, y, plain);
            y += img.height() + pad;
        }
        p.end();
        EXPECT_TRUE(sheet.save(GalleryDir() + "/" + name));
    }

private:
    std::vector<Shot> shots_;
};

BitmapSlider* PageSlider(QWidget* parent, int min, int max, int pos) {
    auto* s = new BitmapSlider(parent);
    s->move(8, 8);
    s->LoadChannelBitmaps(142, 155, false);
    s->LoadThumbBitmaps(141, 141, false);
    s->SetRange(min, max);
    s->SetPos(pos);
    return s;
}

TEST(Gallery, SkinnedControls) {
    QCursor::setPos(4000, 4000);  // away from every swatch, so nothing shows a hover look unasked
    Gallery g;
    std::vector<std::unique_ptr<QWidget>> keep;
    auto swatch = [&](QSize size) {
        keep.push_back(std::make_unique<Swatch>(size));
        return keep.back().get();
    };

    // Sliders.
    {
        QWidget* w = swatch({200, 35});
        PageSlider(w, 0, 361, 0);
        g.Add("slider_page_min", w);
        w = swatch({200, 35});
        PageSlider(w, 0, 361, 200);
        g.Add("slider_page_mid", w);
        w = swatch({200, 35});
        PageSlider(w, 0, 361, 361);
        g.Add("slider_page_max", w);
        w = swatch({200, 35});
        PageSlider(w, 0, 361, 200)->EnableSlider(false);
        g.Add("slider_page_disabled", w);

        w = swatch({134, 36});
        auto* master = new BitmapSlider(w);
        master->move(8, 8);
        master->LoadChannelBitmaps(134, 169, false);
        master->LoadThumbBitmaps(133, 133, false);
        master->SetRange(0, 84);
        master->SetPos(63);
        g.Add("slider_master", w);

        for (bool highlight : {false, true}) {
            w = swatch({120, 140});
            for (int i = 0; i < 2; ++i) {
                auto* v = new BitmapSlider(w);
                v->move(8 + i * 50, 8);
                v->LoadChannelBitmaps(138, 138, false);
                v->LoadThumbBitmaps(137, 139, true, kKeyFromPixel, 0, 0);
                v->SetVertical(true);
                v->SetRange(0, 180);
                v->SetMargins(12, 1, 0, 2);
                v->SetInvertedPos(i == 0 ? 120 : 165);  // 0 dB and +9 dB
                v->SetHighlight(highlight);
            }
            g.Add(highlight ? "slider_gain_highlighted" : "slider_gain", w);
        }
    }

    // Numeric edits.
    {
        struct E {
            const char* name;
            int kind;
            const char* unit;
            int min, max, code;
            bool enabled;
        } edits[] = {
            {"numedit_frequency", NumEdit::Frequency, "Hz", 0, 361, 204, true},
            {"numedit_q", NumEdit::Q, "", 0, 100, 16, true},
            {"numedit_gain", NumEdit::Scaled, "", 0, 180, 136, true},
            {"numedit_disabled", NumEdit::Scaled, "", 0, 180, 96, false},
        };
        for (const E& e : edits) {
            QWidget* w = swatch({90, 34});
            auto* edit = new NumEdit(w);
            edit->setGeometry(8, 8, 70, 18);
            edit->SetRange(e.min, e.max);
            edit->SetScale(0.2);
            edit->SetOffset(24);
            edit->SetKind(e.kind, QString::fromUtf8(e.unit));
            edit->SetValue(e.code);
            edit->setEnabled(e.enabled);
            g.Add(e.name, w);
        }
    }

    // Labels.
    {
        QWidget* w = swatch({300, 60});
        auto* caption = new CTransparentStatic(QStringLiteral("Noise Gate Threshold"), w);
        caption->setGeometry(8, 6, 150, 20);
        auto* value = new Edit_Static(w);
        value->setGeometry(160, 6, 80, 20);
        value->SetIntScale(1, 78, QStringLiteral("dBV"));
        value->SetRange(0, 60);
        value->SetDisplayKind(Edit_Static::OffOrInteger);
        value->SetValue(42);
        auto* off = new Edit_Static(w);
        off->setGeometry(160, 32, 80, 20);
        off->SetRange(0, 60);
        off->SetDisplayKind(Edit_Static::OffOrInteger);
        off->SetValue(0);
        off->setEnabled(false);
        off->SetTextColours(kWhite, kDisabledCaption);
        auto* dist = new Edit_Static(w);
        dist->setGeometry(8, 32, 80, 20);
        dist->SetRange(0, 1500);
        dist->SetDisplayKind(Edit_Static::Distance);
        dist->SetValue(105);
        g.Add("labels_value_and_caption", w);

        w = swatch({300, 70});
        const uint32_t colours[] = {kWhite, kRed, 0x00FFFF};
        for (int i = 0; i < 3; ++i) {
            auto* band = new FontStatic(w);
            band->setGeometry(8 + i * 36, 8, 30, 20);
            band->SetText(QString::number(i + 1));
            band->SetLeftAligned(false);
            band->SetTextColour(colours[i]);
        }
        auto* name = new FontStatic(w);
        name->setGeometry(120, 8, 170, 20);
        name->SetFill(true, kControlBackground);
        name->SetTextColour(kWhite);
        name->SetText(QStringLiteral("P01 Karaoke Hall"));
        auto* cn = new FontStatic(w);
        cn->setGeometry(8, 38, 282, 24);
        cn->SetFontHeight(16);
        cn->SetTextColour(kWhite);
        cn->SetText(QString::fromUtf8("音乐音量 / Music"));
        g.Add("labels_font", w);
    }

    // Buttons.
    {
        struct B {
            const char* name;
            int face, latchedFace;
            const char* caption;
            bool latched, enabled;
            int mouse;  // 0 none, 1 hover, 2 pressed
        } buttons[] = {
            {"button_page_normal", 152, 153, "SYNC", false, true, 0},
            {"button_page_hover", 152, 153, "SYNC", false, true, 1},
            {"button_page_pressed", 152, 153, "SYNC", false, true, 2},
            {"button_page_latched", 152, 153, "SYNC", true, true, 0},
            {"button_page_disabled", 152, 153, "Music Left", false, false, 0},
            {"button_effect_latched", 158, 157, "Echo", true, true, 0},
            {"button_effect", 158, 157, "Reverb", false, true, 0},
            {"button_switch_on", 161, 160, "", true, true, 0},
            {"button_switch_off", 161, 160, "", false, true, 0},
            {"button_connect", 168, 168, "Connect", false, true, 0},
            {"button_wide", 175, 176, "Read All Programs", false, true, 0},
            {"button_wide_latched", 175, 176, "Read All Programs", true, true, 0},
            {"button_ok", 178, 177, "OK", false, true, 0},
            {"button_mute_muted", 172, 173, "", true, true, 0},
            {"button_no_bitmap", 0, 0, "Plain", false, true, 0},
        };
        for (const B& b : buttons) {
            QWidget* w = swatch({340, 46});
            auto* button = new BitButton(QString::fromUtf8(b.caption), w);
            button->setGeometry(8, 8, 80, 24);
            button->setFont(TemplateFont());
            button->SetFaceBitmaps(b.face, b.face, b.face, b.latchedFace, b.latchedFace, b.latchedFace);
            button->SetDisabledBitmaps(b.face, b.latchedFace);
            button->SetLatched(b.latched);
            button->setEnabled(b.enabled);
            g.Add(b.name, w, [&] {
                if (b.mouse >= 1) {
                    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)),
                                     Qt::NoButton, Qt::NoButton, {});
                    QApplication::sendEvent(button, &move);
                }
                if (b.mouse == 2) QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
            });
            if (b.mouse == 2) QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(300, 300));
        }
    }

    g.WriteSheet("controls_sheet.png", false);
    g.WriteSheet("controls_sheet@2x.png", true);
}

}  // namespace
}  // namespace pavo
