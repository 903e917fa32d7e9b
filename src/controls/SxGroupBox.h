#pragma once
// Group box in the dark skin: an etched frame in two line colours with a white title set into its
// top edge. Disabled, it draws the frame in the system's 3-D colours and shows no title.
#include <QGroupBox>
#include <cstdint>

namespace pavo {

class SxGroupBox : public QGroupBox {
    Q_OBJECT
public:
    static constexpr uint32_t kLineColour = 0x2E2D24;
    static constexpr int kTitleMargin = 8;

    // The title and its alignment (Qt::AlignLeft, AlignRight or AlignHCenter) are taken here, once.
    explicit SxGroupBox(const QString& title = {}, QWidget* parent = nullptr,
                        Qt::Alignment alignment = Qt::AlignLeft);

    // Replaces the title; with redraw set the box repaints at once.
    void SetTitle(const QString& text, bool redraw);
    QString Title() const { return title_; }
    static QFont TitleFont();

protected:
    void paintEvent(QPaintEvent*) override;
    bool event(QEvent* e) override;

private:
    QString title_;
    Qt::Alignment alignment_;
};

}  // namespace pavo
