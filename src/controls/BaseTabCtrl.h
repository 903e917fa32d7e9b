#pragma once
// Tab control that can paint itself: a row of tabs above a display area where the owner places its
// pages. The selection change reaches the parent as WM_NOTIFY / TCN_SELCHANGE (and as a signal).
// Drawing mode 0 uses the standard look, 1 and 2 the owner-drawn one; the drawing of the tabs, their
// borders and the main border are virtual so a refined control can give them its own looks.
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "platform/WinMessage.h"

namespace pavo {

// A rectangle from its left, top, right and bottom edges, as the tab drawing gives them.
inline QRect Ltrb(int l, int t, int r, int b) {
    return QRect(l, t, r - l, b - t);
}

class BaseTabCtrl : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    // Drawing options, process-wide.
    enum TabOption : unsigned {
        OptionFlat = 0x01,
        OptionColour = 0x02,
        OptionSelection = 0x04,
        OptionGradient = 0x08,
        OptionBackTabs = 0x10,
        AllOptions = 0x1F,
    };
    static constexpr uint32_t kDefaultBackground = 0x423E38;

    explicit BaseTabCtrl(QWidget* parent = nullptr);

    // Options for the tab controls created afterwards: stored when enable is non-zero, else cleared.
    static void SetTabOptions(int enable, unsigned flags);
    static unsigned TabOptions();

    void SetBackgroundColour(uint32_t colour);
    uint32_t BackgroundColour() const { return background_; }
    // Mode 0 standard drawing, 1 owner-drawn through the parent, 2 self-drawn. Returns 0 (and changes
    // nothing) for a mode outside 0..2, else 1.
    int SetDrawingMode(int mode);
    int DrawingMode() const { return drawingMode_; }
    bool IsOwnerDrawFixed() const { return ownerDrawFixed_; }

    // Tab items.
    int InsertItem(int index, const QString& text);
    bool SetItemText(int index, const QString& text);
    QString ItemText(int index) const;
    bool DeleteItem(int index);
    void DeleteAllItems();
    int GetItemCount() const { return static_cast<int>(items_.size()); }
    int GetCurSel() const { return current_; }
    // Selects without notifying; returns the previous selection, or -1 for an index out of range.
    int SetCurSel(int index);
    QRect GetItemRect(int index) const;
    // Fixed tab size; a zero width or height follows the text and the font.
    void SetItemSize(const QSize& size);
    // The area below the tabs that the pages cover.
    QRect DisplayRect() const;

signals:
    void selectionChanged(int index);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent*) override;
    void changeEvent(QEvent* e) override;

    // Owner-drawn looks; the base gives plain flat tabs.
    virtual void EraseBackground(QPainter& p);
    virtual void DrawMainBorder(QPainter& p, const QRect& rc);
    virtual void DrawItem(QPainter& p, int index, const QRect& rc, bool selected);
    virtual void DrawItemBorder(QPainter& p, int index, const QRect& rc, bool selected);
    virtual uint32_t TabColour(bool selected) const;
    virtual uint32_t TabTextColour(bool selected) const;

    QRect TabsUnion() const;
    void PaintOwnerDrawn(QPainter& p);
    void PaintStandard(QPainter& p);

private:
    void Layout();
    void SelectByUser(int index);

    static unsigned& Options();

    std::vector<QString> items_;
    std::vector<QRect> rects_;
    int current_ = -1;
    QSize itemSize_;
    uint32_t background_ = kDefaultBackground;
    int drawingMode_ = 0;
    bool ownerDrawFixed_ = false;
};

}  // namespace pavo
