#pragma once
// The automatic EQ dialog's graph: on the response graph's axes (10 Hz .. 30 kHz, +12 .. -24 dB), the
// measured curve and the target (both moved so that the target's mean over the fit range sits at
// 0 dB), the block's response as it is now, the fitted response, and the measurement with the fitted
// response (the result, moved onto the target's level), with the fit range shaded and a legend.
#include <QWidget>
#include <optional>

#include "autoeq/Curve.h"

namespace pavo {

class AutoEqPreview : public QWidget {
    Q_OBJECT
public:
    struct Curves {
        std::optional<GridLevels> measured, target;  // on the measurement's level
        GridLevels now{};                            // the block's response as it is
        std::optional<GridLevels> fitted;            // the block's response with the fitted codes
        GridSpan span;                               // the fit range on the grid
    };

    explicit AutoEqPreview(QWidget* parent = nullptr);
    void Show(Curves curves);
    const Curves& Shown() const { return curves_; }
    QSize sizeHint() const override { return {640, 300}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Curves curves_;
};

}  // namespace pavo
