#include "controls/EditColours.h"

#include "platform/Skin.h"

namespace pavo {

QColor DisabledEditFill(uint32_t background) {
    // Most of the way to the page background: the box is still there, but plainly not in use.
    const QColor from = ColorRef(background), to = PageBackground();
    auto mix = [](int a, int b) { return (a + 3 * b) / 4; };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

void SetEditColours(QWidget& edit, uint32_t text, uint32_t background) {
    QPalette pal = edit.palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(g, QPalette::Base, ColorRef(background));
        pal.setColor(g, QPalette::Window, ColorRef(background));
        pal.setColor(g, QPalette::Text, ColorRef(text));
    }
    pal.setColor(QPalette::Disabled, QPalette::Base, DisabledEditFill(background));
    pal.setColor(QPalette::Disabled, QPalette::Window, DisabledEditFill(background));
    pal.setColor(QPalette::Disabled, QPalette::Text, ColorRef(kDisabledCaption));
    edit.setPalette(pal);
}

}  // namespace pavo
