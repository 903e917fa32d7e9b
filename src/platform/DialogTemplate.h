#pragma once
// Dialog templates: the controls of a page with their ids, kinds, rectangles in dialog units and
// captions. Dialog units come from the template font, Arial 9 (Liberation Sans stands in): a
// horizontal unit is a quarter of the font's average character width, a vertical unit an eighth of its
// height.
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace pavo {

enum class ControlKind {
    Static,        // text or value label
    BitmapStatic,  // bitmap slider host / picture
    Button,
    Edit,
    ComboBox,
    GroupBox,
    TabControl,
    Custom,  // created by the page's factory
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    QRect rect;  // dialog units
    const char* caption = "";
    bool visible = true;
};

struct DialogTemplate {
    int id;
    QSize size;  // dialog units
    std::vector<ControlTemplate> controls;
};

// The template font and its base units in pixels.
QFont TemplateFont();
class DialogUnits {
public:
    DialogUnits();  // from TemplateFont()
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}
    int ToPixelsX(int dluX) const;
    int ToPixelsY(int dluY) const;
    QRect ToPixels(const QRect& dlu) const;
    QSize ToPixels(const QSize& dlu) const;
    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }

private:
    int baseX_;
    int baseY_;
};

// Creates a widget for one control template; returning null skips it.
using ControlFactory = std::function<QWidget*(const ControlTemplate&, QWidget* parent)>;

// Creates every control of the template as a child of `dialog`, sized from dialog units, with its
// control id set and hidden controls created but not shown; resizes the dialog to the template.
// Controls the factory does not make become standard widgets of their kind.
void CreateFromTemplate(QWidget* dialog, const DialogTemplate& tpl, const ControlFactory& factory = {});

}  // namespace pavo
