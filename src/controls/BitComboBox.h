#pragma once
// Combo box in the dark skin: the closed box is drawn from a left cap, a stretched middle and an arrow
// bitmap; its drop-down list (BitListBox, attached the first time it drops down) from edge bitmaps and
// the item colours. The selection change reaches the parent as WM_COMMAND / CBN_SELCHANGE.
#include <QComboBox>
#include <QPointer>
#include <cstdint>

namespace pavo {

class BitListBox;

class BitComboBox : public QComboBox {
    Q_OBJECT
public:
    // ownerDrawn: items are drawn one by one with the focused-item colours for the current item.
    explicit BitComboBox(QWidget* parent = nullptr, bool ownerDrawn = false);

    void SetBoxBitmaps(int middle, int arrow, int leftCap);
    void SetListEdgeBitmaps(int left, int right, int top, int bottom);
    void SetFocusItemColours(uint32_t background, uint32_t text);
    void SetItemColours(uint32_t background, uint32_t text);

    // The drop-down list, or null until it first dropped down.
    BitListBox* ListBox() const { return list_.data(); }
    bool IsOwnerDrawn() const { return ownerDrawn_; }

    // Where the texts of the closed box and of its list start: the left cap's width plus 5, from the
    // first paint on (narrow boxes move the closed text left so that their widest item fits).
    int TextIndent() const { return LeftCapWidth() + 5; }

    struct Bitmaps {
        int middle = 0, arrow = 0, leftCap = 0;
        int listLeft = 0, listRight = 0, listTop = 0, listBottom = 0;
    };
    const Bitmaps& BitmapIds() const { return bitmaps_; }
    uint32_t ItemBackground() const { return itemBackground_; }
    uint32_t ItemText() const { return itemText_; }
    uint32_t FocusBackground() const { return focusBackground_; }
    uint32_t FocusText() const { return focusText_; }
    // Width of the left cap bitmap (0 without one).
    int LeftCapWidth() const;

    void showPopup() override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void wheelEvent(QWheelEvent*) override;

private:
    int BoxHeight() const;
    void NotifySelectionChange();

    Bitmaps bitmaps_;
    uint32_t focusBackground_ = 0x2E2D24, focusText_ = 0xFFFFFF;
    uint32_t itemBackground_ = 0x2E2D24, itemText_ = 0xFFFFFF;
    QPointer<BitListBox> list_;
    bool ownerDrawn_;
};

}  // namespace pavo
