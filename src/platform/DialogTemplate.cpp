#include "platform/DialogTemplate.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/ControlId.h"

namespace pavo {

namespace {
int MulDiv(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}
}  // namespace

QFont TemplateFont() {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(12);  // 9 points at 96 dots per inch
    return f;
}

DialogUnits::DialogUnits() {
    const QFontMetrics fm(TemplateFont());
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = (fm.horizontalAdvance(alphabet) / 26 + 1) / 2;
    baseY_ = fm.height();
}

int DialogUnits::ToPixelsX(int dluX) const {
    return MulDiv(dluX, baseX_, 4);
}
int DialogUnits::ToPixelsY(int dluY) const {
    return MulDiv(dluY, baseY_, 8);
}
QRect DialogUnits::ToPixels(const QRect& d) const {
    return QRect(ToPixelsX(d.x()), ToPixelsY(d.y()), ToPixelsX(d.width()), ToPixelsY(d.height()));
}
QSize DialogUnits::ToPixels(const QSize& d) const {
    return QSize(ToPixelsX(d.width()), ToPixelsY(d.height()));
}

void CreateFromTemplate(QWidget* dialog, const DialogTemplate& tpl, const ControlFactory& factory) {
    const DialogUnits du;
    dialog->setFont(TemplateFont());
    dialog->resize(du.ToPixels(tpl.size));
    for (const ControlTemplate& c : tpl.controls) {
        QWidget* w = factory ? factory(c, dialog) : nullptr;
        if (!w) {
            const QString caption = QString::fromUtf8(c.caption);
            switch (c.kind) {
                case ControlKind::Button:
                    w = new QPushButton(caption, dialog);
                    break;
                case ControlKind::Edit:
                    w = new QLineEdit(caption, dialog);
                    break;
                case ControlKind::ComboBox:
                    w = new QComboBox(dialog);
                    break;
                case ControlKind::GroupBox:
                    w = new QGroupBox(caption, dialog);
                    break;
                case ControlKind::Custom:
                    continue;
                default:
                    w = new QLabel(caption, dialog);
                    break;
            }
        }
        if (w->parentWidget() != dialog) w->setParent(dialog);
        SetControlId(w, c.id);
        w->setGeometry(du.ToPixels(c.rect));
        w->setVisible(c.visible);
    }
}

}  // namespace pavo
