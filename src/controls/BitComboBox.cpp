#include "controls/BitComboBox.h"

#include <algorithm>

#include <QPainter>
#include <QWheelEvent>

#include "controls/BitListBox.h"
#include "platform/ControlId.h"
#include "platform/Resources.h"
#include "platform/Skin.h"
#include "platform/WinMessage.h"

namespace pavo {

BitComboBox::BitComboBox(QWidget* parent, bool ownerDrawn) : QComboBox(parent), ownerDrawn_(ownerDrawn) {
    // A click or Tab gives the focus; the wheel never does (see wheelEvent).
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QComboBox::activated, this, [this] { NotifySelectionChange(); });
}

void BitComboBox::SetBoxBitmaps(int middle, int arrow, int leftCap) {
    bitmaps_.middle = middle;
    bitmaps_.arrow = arrow;
    bitmaps_.leftCap = leftCap;
    // The closed box is as tall as its artwork, whatever height the dialog gave the control.
    if (const int h = BoxHeight(); h > 0) setFixedHeight(h);
}

void BitComboBox::SetListEdgeBitmaps(int left, int right, int top, int bottom) {
    bitmaps_.listLeft = left;
    bitmaps_.listRight = right;
    bitmaps_.listTop = top;
    bitmaps_.listBottom = bottom;
}

void BitComboBox::SetFocusItemColours(uint32_t background, uint32_t text) {
    focusBackground_ = background;
    focusText_ = text;
}

void BitComboBox::SetItemColours(uint32_t background, uint32_t text) {
    itemBackground_ = background;
    itemText_ = text;
}

int BitComboBox::LeftCapWidth() const {
    return bitmaps_.leftCap ? BitmapSize(bitmaps_.leftCap).width() : 0;
}

int BitComboBox::BoxHeight() const {
    int h = 0;
    for (int id : {bitmaps_.leftCap, bitmaps_.middle, bitmaps_.arrow})
        if (id) h = std::max(h, BitmapSize(id).height());
    return h;
}

QSize BitComboBox::sizeHint() const {
    QSize s = QComboBox::sizeHint();
    if (const int h = BoxHeight(); h > 0) s.setHeight(h);
    return s;
}

QSize BitComboBox::minimumSizeHint() const {
    QSize s = QComboBox::minimumSizeHint();
    if (const int h = BoxHeight(); h > 0) s.setHeight(h);
    return s;
}

void BitComboBox::showPopup() {
    if (!list_) {
        list_ = new BitListBox(this);
        setView(list_);
    }
    QComboBox::showPopup();
    // The list drops down below the closed box, as wide as it.
    if (QWidget* popup = view()->window(); popup && popup != window()) {
        popup->setGeometry(QRect(mapToGlobal(QPoint(0, height())),
                                 QSize(std::max(width(), popup->width()), popup->height())));
        popup->setPalette([&] {
            QPalette pal = popup->palette();
            pal.setColor(QPalette::Window, ColorRef(itemBackground_));
            pal.setColor(QPalette::Base, ColorRef(itemBackground_));
            return pal;
        }());
    }
}

// Only the box with the focus changes its selection: a wheel turned while passing over it changes
// nothing (and scrolls whatever holds it).
void BitComboBox::wheelEvent(QWheelEvent* e) {
    if (!hasFocus()) {
        e->ignore();
        return;
    }
    QComboBox::wheelEvent(e);
}

void BitComboBox::NotifySelectionChange() {
    if (QWidget* parent = parentWidget())
        SendMessage(parent, WM_COMMAND, MakeCommand(ControlId(this), CBN_SELCHANGE),
                    reinterpret_cast<LParam>(this));
}

void BitComboBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const qreal dpr = PaintPixelRatio(p);
    const int w = width(), h = height();

    int capRight = 0, arrowLeft = w;
    if (bitmaps_.leftCap) {
        const QPixmap cap = LoadBitmap(bitmaps_.leftCap, dpr);
        if (!cap.isNull()) {
            p.drawPixmap(0, 0, cap);
            capRight = BitmapSize(bitmaps_.leftCap).width();
        }
    }
    if (bitmaps_.arrow) {
        const QPixmap arrow = LoadBitmap(bitmaps_.arrow, dpr);
        if (!arrow.isNull()) {
            arrowLeft = w - BitmapSize(bitmaps_.arrow).width();
            p.drawPixmap(arrowLeft, 0, arrow);
        }
    }
    if (bitmaps_.middle) {
        const QPixmap middle = LoadBitmap(bitmaps_.middle, dpr);
        if (!middle.isNull() && arrowLeft > capRight)
            p.drawPixmap(QRect(capRight, 0, arrowLeft - capRight, BitmapSize(bitmaps_.middle).height()),
                         middle);
    }

    if (arrowLeft > capRight && h - 8 > 3)
        p.fillRect(QRect(capRight, 3, arrowLeft - capRight, h - 8 - 3), ColorRef(itemBackground_));

    // The box's own font, which its list inherits: the same before and after the list first drops.
    p.setFont(font());
    // A disabled box shows its text greyed, like the other disabled captions of the skin.
    p.setPen(ColorRef(isEnabled() ? itemText_ : kDisabledCaption));
    // The text starts where the list's texts do, but never so far right that the widest item would run
    // under the arrow (the narrow boxes of the EQ strips); all items of a box start at one place.
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, p.fontMetrics().horizontalAdvance(itemText(i)));
    const int indent = std::clamp(arrowLeft - widest - 3, 0, TextIndent());
    p.drawText(rect().adjusted(indent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               currentText());
}

}  // namespace pavo
