#include "controls/BitListBox.h"

#include <QPainter>

#include "controls/BitComboBox.h"
#include "platform/Resources.h"
#include "platform/Skin.h"

namespace pavo {

BitListBox::BitListBox(BitComboBox* owner) : owner_(owner) {
    setUniformItemSizes(true);
}

int BitListBox::TextLeft() const {
    return owner_ ? owner_->TextIndent() : 5;
}

void BitListBox::paintEvent(QPaintEvent*) {
    if (!owner_) return;
    QPainter p(viewport());
    if (owner_->IsOwnerDrawn())
        PaintOwnerDrawn(p);
    else
        PaintPlain(p);
}

void BitListBox::DrawText(QPainter& p, const QRect& item, int left, const QString& text,
                          const QColor& colour) {
    p.setPen(colour);
    p.drawText(QRect(left, item.y(), item.x() + item.width() - left, item.height()),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

// Background, the four edges, then the item texts, indented as the closed box's text.
void BitListBox::PaintPlain(QPainter& p) {
    const BitComboBox::Bitmaps& ids = owner_->BitmapIds();
    const qreal dpr = PaintPixelRatio(p);
    const QRect client = viewport()->rect();
    const int w = client.width(), h = client.height();
    p.fillRect(client, ColorRef(owner_->ItemBackground()));

    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    const QSize leftSize = ids.listLeft ? BitmapSize(ids.listLeft) : QSize();
    const QSize rightSize = ids.listRight ? BitmapSize(ids.listRight) : QSize();
    if (current >= 0 && model()) {
        const QRect item = visualRect(model()->index(current, modelColumn()));
        const int l = leftSize.isValid() ? leftSize.width() : 0;
        const int r = w - (rightSize.isValid() ? rightSize.width() : 0);
        p.fillRect(QRect(l, item.y(), r - l, item.height()), palette().color(QPalette::Highlight));
    }

    if (ids.listLeft) p.drawPixmap(QRect(0, 0, leftSize.width(), h), LoadBitmap(ids.listLeft, dpr));
    if (ids.listRight)
        p.drawPixmap(QRect(w - rightSize.width(), 0, rightSize.width(), h), LoadBitmap(ids.listRight, dpr));
    if (ids.listTop)
        p.drawPixmap(QRect(0, 0, w, BitmapSize(ids.listTop).height()), LoadBitmap(ids.listTop, dpr));
    if (ids.listBottom) {
        const int bh = BitmapSize(ids.listBottom).height();
        p.drawPixmap(QRect(0, h - bh, w, bh), LoadBitmap(ids.listBottom, dpr));
    }

    if (!model()) return;
    p.setFont(font());
    const QColor text = ColorRef(owner_->ItemText());
    const QColor highlighted = palette().color(QPalette::HighlightedText);
    for (int row = 0; row < model()->rowCount(rootIndex()); ++row) {
        const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
        const QRect item = visualRect(index);
        if (!item.intersects(client)) continue;
        const int left = item.x() + TextLeft();
        DrawText(p, item, left, index.data(Qt::DisplayRole).toString(), row == current ? highlighted : text);
    }
}

// Item by item: the focused-item colours for the current item, the item colours for the others, the
// side edges on every item, the top edge on the first and the bottom edge on the last.
void BitListBox::PaintOwnerDrawn(QPainter& p) {
    const BitComboBox::Bitmaps& ids = owner_->BitmapIds();
    const qreal dpr = PaintPixelRatio(p);
    const QRect client = viewport()->rect();
    p.fillRect(client, ColorRef(owner_->ItemBackground()));
    if (!model()) return;
    p.setFont(font());
    const int rows = model()->rowCount(rootIndex());
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
        QRect item = visualRect(index);
        if (!item.intersects(client)) continue;
        item.setLeft(client.left());
        item.setRight(client.right());
        const bool focused = row == current;
        p.fillRect(item, ColorRef(focused ? owner_->FocusBackground() : owner_->ItemBackground()));
        if (ids.listLeft)
            p.drawPixmap(QRect(item.x(), item.y(), BitmapSize(ids.listLeft).width(), item.height()),
                         LoadBitmap(ids.listLeft, dpr));
        if (ids.listRight) {
            const int rw = BitmapSize(ids.listRight).width();
            p.drawPixmap(QRect(item.x() + item.width() - rw, item.y(), rw, item.height()),
                         LoadBitmap(ids.listRight, dpr));
        }
        if (row == 0 && ids.listTop)
            p.drawPixmap(QRect(item.x(), item.y(), item.width(), BitmapSize(ids.listTop).height()),
                         LoadBitmap(ids.listTop, dpr));
        if (row == rows - 1 && ids.listBottom) {
            const int bh = BitmapSize(ids.listBottom).height();
            p.drawPixmap(QRect(item.x(), item.y() + item.height() - bh, item.width(), bh),
                         LoadBitmap(ids.listBottom, dpr));
        }
        DrawText(p, item, TextLeft(), index.data(Qt::DisplayRole).toString(),
                 ColorRef(focused ? owner_->FocusText() : owner_->ItemText()));
    }
}

}  // namespace pavo
