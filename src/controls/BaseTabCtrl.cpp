#include "controls/BaseTabCtrl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>

#include "platform/ControlId.h"
#include "platform/Notify.h"
#include "platform/Skin.h"
#include "platform/SystemColours.h"

namespace pavo {

namespace {
constexpr int kRowLeft = 2;      // the first tab's left edge
constexpr int kRowTop = 2;       // the tabs' top edge; the selected tab rises into this margin
constexpr int kTextPadding = 8;  // on each side of a tab's text
constexpr uint32_t kTabRowBackground = 0x423E38;

}  // namespace

unsigned& BaseTabCtrl::Options() {
    static unsigned options = 0;
    return options;
}

void BaseTabCtrl::SetTabOptions(int enable, unsigned flags) {
    Options() = enable ? (flags & AllOptions) : 0;
}

unsigned BaseTabCtrl::TabOptions() {
    return Options();
}

BaseTabCtrl::BaseTabCtrl(QWidget* parent) : QWidget(parent) {
    ownerDrawFixed_ = Options() != 0;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);  // a click on a tab lets the arrow keys switch pages
}

void BaseTabCtrl::SetBackgroundColour(uint32_t colour) {
    background_ = colour;
    update();
}

int BaseTabCtrl::SetDrawingMode(int mode) {
    if (mode < 0 || mode > 2) return 0;
    drawingMode_ = mode;
    ownerDrawFixed_ = mode != 0;
    update();
    return 1;
}

int BaseTabCtrl::InsertItem(int index, const QString& text) {
    if (index < 0) return -1;
    index = std::min(index, GetItemCount());
    items_.insert(items_.begin() + index, text);
    if (current_ < 0)
        current_ = 0;
    else if (index <= current_)
        ++current_;
    Layout();
    update();
    return index;
}

bool BaseTabCtrl::SetItemText(int index, const QString& text) {
    if (index < 0 || index >= GetItemCount()) return false;
    items_[index] = text;
    Layout();
    update();
    return true;
}

QString BaseTabCtrl::ItemText(int index) const {
    return index >= 0 && index < GetItemCount() ? items_[index] : QString();
}

bool BaseTabCtrl::DeleteItem(int index) {
    if (index < 0 || index >= GetItemCount()) return false;
    items_.erase(items_.begin() + index);
    if (items_.empty())
        current_ = -1;
    else if (index < current_ || current_ >= GetItemCount())
        --current_;
    Layout();
    update();
    return true;
}

void BaseTabCtrl::DeleteAllItems() {
    items_.clear();
    current_ = -1;
    Layout();
    update();
}

int BaseTabCtrl::SetCurSel(int index) {
    if (index < 0 || index >= GetItemCount()) return -1;
    const int previous = current_;
    current_ = index;
    if (previous != index) update();
    return previous;
}

QRect BaseTabCtrl::GetItemRect(int index) const {
    return index >= 0 && index < static_cast<int>(rects_.size()) ? rects_[index] : QRect();
}

void BaseTabCtrl::SetItemSize(const QSize& size) {
    itemSize_ = size;
    Layout();
    update();
}

QRect BaseTabCtrl::DisplayRect() const {
    const int itemHeight = itemSize_.height() > 0 ? itemSize_.height() : fontMetrics().height() + 4;
    const int top = kRowTop + itemHeight + 2;
    return Ltrb(4, top, std::max(4, width() - 4), std::max(top, height() - 4));
}

// Tabs sit side by side from the left, as wide as their text; when the row is too long for the control
// every tab gives up the same share, so all stay reachable (their texts then end in an ellipsis).
void BaseTabCtrl::Layout() {
    const QFontMetrics fm = fontMetrics();
    const int itemHeight = itemSize_.height() > 0 ? itemSize_.height() : fm.height() + 4;
    std::vector<int> widths;
    int total = 0;
    for (const QString& text : items_) {
        const int w =
            itemSize_.width() > 0 ? itemSize_.width() : fm.horizontalAdvance(text) + 2 * kTextPadding;
        widths.push_back(w);
        total += w;
    }
    const int room = width() - 2 * kRowLeft;
    if (total > room && room > 0)
        for (int& w : widths) w = std::max(1, static_cast<int>(static_cast<long long>(w) * room / total));
    rects_.clear();
    int x = kRowLeft;
    for (int w : widths) {
        rects_.push_back(QRect(x, kRowTop, w, itemHeight));
        x += w;
    }
}

void BaseTabCtrl::resizeEvent(QResizeEvent*) {
    Layout();
}

void BaseTabCtrl::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) {
        Layout();
        update();
    }
    QWidget::changeEvent(e);
}

void BaseTabCtrl::SelectByUser(int index) {
    if (index < 0 || index >= GetItemCount() || index == current_) return;
    SetCurSel(index);
    emit selectionChanged(index);
    if (QWidget* parent = parentWidget()) {
        NotifyHeader header{this, ControlId(this), TCN_SELCHANGE};
        SendMessage(parent, WM_NOTIFY, static_cast<WParam>(ControlId(this)),
                    reinterpret_cast<LParam>(&header));
    }
}

void BaseTabCtrl::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    for (int i = 0; i < static_cast<int>(rects_.size()); ++i)
        if (rects_[i].contains(e->position().toPoint())) {
            SelectByUser(i);
            return;
        }
}

// Only while the tabs themselves have the focus: a key a page's control leaves unused comes up here
// too (the pages are the tab control's children) and must not switch the page under it.
void BaseTabCtrl::keyPressEvent(QKeyEvent* e) {
    if (!hasFocus())
        QWidget::keyPressEvent(e);
    else if (e->key() == Qt::Key_Left && current_ > 0)
        SelectByUser(current_ - 1);
    else if (e->key() == Qt::Key_Right && current_ + 1 < GetItemCount())
        SelectByUser(current_ + 1);
    else
        QWidget::keyPressEvent(e);
}

QRect BaseTabCtrl::TabsUnion() const {
    QRect u;
    for (const QRect& r : rects_) u = u.united(r);
    return u;
}

void BaseTabCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (drawingMode_ == 0) {
        PaintStandard(p);
        return;
    }
    EraseBackground(p);
    PaintOwnerDrawn(p);
}

// The standard erase, then the strips around the tab row in the row's dark colour.
void BaseTabCtrl::EraseBackground(QPainter& p) {
    p.fillRect(rect(), ButtonFaceColour());
    if (rects_.empty()) return;
    const QRect tabs = TabsUnion();
    const int n = tabs.height();
    const QRect u = tabs.adjusted(-2, -3, 2, 3);
    const QColor dark = ColorRef(kTabRowBackground);
    const int w = width();
    p.fillRect(Ltrb(0, 0, w, u.top() + 3), dark);
    p.fillRect(Ltrb(0, 0, 2, n + 2), dark);
    p.fillRect(Ltrb(u.width() - 2, 0, w, n + 2), dark);
}

// Main border first, then the other tabs from the last to the first, the selected tab last on top.
void BaseTabCtrl::PaintOwnerDrawn(QPainter& p) {
    QRect border = rect();
    border.setTop(DisplayRect().top() - 2);
    DrawMainBorder(p, border);
    const int count = GetItemCount();
    if (count == 0) return;
    for (int i = count - 1; i >= 0; --i) {
        if (i == current_) continue;
        QRect rc = rects_[i];
        rc.setBottom(rc.bottom() - 2);
        DrawItem(p, i, rc, false);
        DrawItemBorder(p, i, rc, false);
    }
    if (current_ >= 0) {
        QRect rc = rects_[current_];
        rc.setTop(rc.top() - 2);
        rc.setBottom(rc.bottom() + 2);
        DrawItem(p, current_, rc, true);
        DrawItemBorder(p, current_, rc, true);
    }
}

void BaseTabCtrl::PaintStandard(QPainter& p) {
    p.fillRect(rect(), palette().color(QPalette::Window));
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, DisplayRect().top() - 2, 0, 0);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &p, this);
    for (int i = 0; i < GetItemCount(); ++i) {
        QStyleOptionTab tab;
        tab.initFrom(this);
        tab.rect = rects_[i];
        tab.text = items_[i];
        tab.shape = QTabBar::RoundedNorth;
        tab.position = QStyleOptionTab::Middle;
        if (i == current_) tab.state |= QStyle::State_Selected;
        style()->drawControl(QStyle::CE_TabBarTab, &tab, &p, this);
    }
}

void BaseTabCtrl::DrawMainBorder(QPainter& p, const QRect& rc) {
    p.setPen(Qt::NoPen);
    const QColor light = ButtonHighlightColour(), dark = ButtonShadowColour();
    p.fillRect(rc.x(), rc.y(), rc.width() - 1, 1, light);
    p.fillRect(rc.x(), rc.y(), 1, rc.height() - 1, light);
    p.fillRect(rc.x() + rc.width() - 1, rc.y(), 1, rc.height(), dark);
    p.fillRect(rc.x(), rc.y() + rc.height() - 1, rc.width(), 1, dark);
}

void BaseTabCtrl::DrawItem(QPainter& p, int index, const QRect& rc, bool selected) {
    p.fillRect(rc, ColorRef(TabColour(selected)));
    p.setPen(ColorRef(TabTextColour(selected)));
    p.setFont(font());
    p.drawText(rc, Qt::AlignCenter | Qt::TextSingleLine, ItemText(index));
}

void BaseTabCtrl::DrawItemBorder(QPainter& p, int, const QRect& rc, bool) {
    p.fillRect(rc.x(), rc.y(), 1, rc.height(), ButtonHighlightColour());
    p.fillRect(rc.x(), rc.y(), rc.width(), 1, ButtonHighlightColour());
    p.fillRect(rc.x() + rc.width() - 1, rc.y(), 1, rc.height(), ButtonShadowColour());
}

uint32_t BaseTabCtrl::TabColour(bool selected) const {
    return selected ? ToColorRef(ButtonFaceColour()) : background_;
}

uint32_t BaseTabCtrl::TabTextColour(bool) const {
    return 0x000000;
}

}  // namespace pavo
