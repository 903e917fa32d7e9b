#pragma once
// The page tabs of the main window: warm grey tabs with a vertical gradient, lit top-left edges, a red
// caption on the selected tab and a dark strip around the tab row.
#include <QFontMetrics>

#include "controls/BaseTabCtrl.h"

namespace pavo {

class EnTabCtrl : public BaseTabCtrl {
    Q_OBJECT
public:
    static constexpr uint32_t kSelectedBase = 0x605C56;
    static constexpr uint32_t kTabBase = 0x423E38;
    static constexpr uint32_t kSelectedText = 0x0000FF;
    static constexpr int kMaxTextLength = 99;

    explicit EnTabCtrl(QWidget* parent = nullptr);

    // Per channel: trunc(channel * factor); Lighten gives 255 where the product passes 254.
    static uint32_t Darken(uint32_t colour, float factor);
    static uint32_t Lighten(uint32_t colour, float factor);
    // The text a tab shows in a text box of the given width: at most 99 characters, shortened with a
    // trailing ellipsis when it does not fit.
    static QString FitText(const QString& text, const QFontMetrics& fm, int width);

    uint32_t TabColour(bool selected) const override;
    uint32_t TabTextColour(bool selected) const override;
    // The colour a tab's gradient runs towards.
    uint32_t GradientTarget(bool selected) const;
    // The text box of a tab drawn in the given rectangle (after its bottom adjustment).
    static QRect TextRect(const QRect& fill, bool selected);
    // The rectangle a tab's gradient fills (item rectangle with the paint adjustments).
    QRect FillRect(int index) const;

protected:
    void DrawMainBorder(QPainter& p, const QRect& rc) override;
    void DrawItem(QPainter& p, int index, const QRect& rc, bool selected) override;
    void DrawItemBorder(QPainter& p, int index, const QRect& rc, bool selected) override;
};

}  // namespace pavo
