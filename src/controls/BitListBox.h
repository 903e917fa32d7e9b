#pragma once
// The drop-down list of a BitComboBox: filled with the item background, framed by the combo's edge
// bitmaps, its texts indented past the combo's left cap. The row under the mouse keeps the standard
// highlight so the user sees what a click picks.
#include <QListView>
#include <QPointer>

namespace pavo {

class BitComboBox;

class BitListBox : public QListView {
    Q_OBJECT
public:
    explicit BitListBox(BitComboBox* owner);

    // Left edge of the item texts: the combo's left cap width plus 5 pixels.
    int TextLeft() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void PaintPlain(QPainter& p);
    void PaintOwnerDrawn(QPainter& p);
    void DrawText(QPainter& p, const QRect& item, int left, const QString& text, const QColor& colour);

    QPointer<BitComboBox> owner_;
};

}  // namespace pavo
