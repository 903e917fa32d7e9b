#pragma once
// A label with its own colour, font height, optional fill and alignment: the band caption of the EQ
// strip (coloured by the page to mark the selected band), the master-group captions and the
// program-name label of the main window.
#include <QFont>
#include <QLabel>
#include <cstdint>

namespace pavo {

class FontStatic : public QLabel {
    Q_OBJECT
public:
    explicit FontStatic(QWidget* parent = nullptr);

    // Repaints only when the colour changes.
    void SetTextColour(uint32_t colour);
    uint32_t TextColour() const { return textColour_; }
    void SetText(const QString& text);
    void SetLeftAligned(bool left) {
        left_ = left;
        update();
    }
    void SetRightAligned(bool right) {
        right_ = right;
        update();
    }
    void SetWordWrap(bool wrap) {
        wrap_ = wrap;
        update();
    }
    void SetFill(bool fill, uint32_t colour) {
        fill_ = fill;
        fillColour_ = colour;
        update();
    }
    void SetFontHeight(int height) {
        fontHeight_ = height;
        update();
    }

    // Arial (Liberation Sans) whose line height is `height` pixels, normal weight.
    static QFont FontOfHeight(int height);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    uint32_t textColour_ = 0x000000;
    bool fill_ = false;
    uint32_t fillColour_ = 0x000000;
    int fontHeight_ = 14;
    bool left_ = true, right_ = false, wrap_ = false;
};

}  // namespace pavo
