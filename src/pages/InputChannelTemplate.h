#pragma once
// Pieces of the music and microphone dialog templates, which share their arrangement: the row names
// of the band strips at the left edge, the band-scroll trackbar and the five channel buttons under the
// strips, the graph across the bottom, columns of named value sliders and the two exciters.
// Everything in dialog units.
#include <initializer_list>

#include "platform/DialogTemplate.h"

namespace pavo {

struct NamedSlider {
    int name;   // caption
    int label;  // value label
    int slider;
};

class InputChannelTemplate {
public:
    InputChannelTemplate(int id, QSize size) : t_{id, size, {}} {}

    void Add(int id, ControlKind kind, QRect rect) { t_.controls.push_back({id, kind, rect, "", true}); }

    // Names of the strips' rows (type, gain, frequency, Q) at the left edge, level with the rows.
    void StripRowNames(int type, int gain, int frequency, int q);
    // The band-scroll trackbar, the SYNC, channel, EQ Reset and EQ Bypass buttons, and the graph.
    void UnderStrips(int trackbar, int trackbarWidth, int graph, int graphHeight);
    // A column 105 wide: a caption, then per row its name and value label over its slider.
    void SliderColumn(int x, int y, int caption, std::initializer_list<NamedSlider> rows);
    // One named slider: name and value label on a line, the slider under them.
    void ValueSlider(int x, int y, const NamedSlider& s);
    // An exciter 105 wide: caption; frequency name and edit; frequency slider; harmonic and timbre.
    struct Exciter {
        int caption, frequencyName, edit, slider, harmonicName, harmonic, timbreName, timbre;
    };
    void ExciterGroup(int x, int y, const Exciter& e);

    DialogTemplate Take() { return std::move(t_); }

    static constexpr int kColumnWidth = 105;
    static constexpr int kSliderHeight = 11;
    static constexpr int kTextHeight = 10;
    static constexpr int kComboHeight = 12;

private:
    DialogTemplate t_;
};

}  // namespace pavo
