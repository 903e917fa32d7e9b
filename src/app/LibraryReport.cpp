#include "app/LibraryReport.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QPrinter>

#include "app/LibraryCompare.h"
#include "app/LibraryCurves.h"
#include "app/UndoNames.h"
#include "library/ProgramCurves.h"
#include "model/Model.h"
#include "platform/ProgramNameText.h"

namespace pavo {

namespace {

// Lays out text lines and pictures down the pages of a printer, starting a page where one is full.
class Pages {
public:
    Pages(QPrinter& printer, QPainter& p) : printer_(printer), p_(p) {
        area_ = QRectF(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
        y_ = area_.top();
    }
    const QRectF& area() const { return area_; }
    double Mm(double mm) const { return mm * printer_.resolution() / 25.4; }

    // Room for `height` more on this page, or a new page.
    bool Need(double height) {
        if (y_ + height <= area_.bottom() || y_ == area_.top()) return true;
        return NewPage();
    }
    bool NewPage() {
        if (!printer_.newPage()) return false;
        y_ = area_.top();
        return true;
    }
    double y() const { return y_; }
    void Advance(double height) { y_ += height; }

    void SetFont(double points, bool bold = false) {
        QFont f = p_.font();
        f.setPointSizeF(points);
        f.setBold(bold);
        p_.setFont(f);
    }
    double LineHeight() const { return QFontMetricsF(p_.font(), &printer_).lineSpacing(); }
    void Line(const QString& text, double points, bool bold = false) {
        SetFont(points, bold);
        const double h = LineHeight();
        Need(h);
        p_.drawText(QRectF(area_.left(), y_, area_.width(), h), Qt::AlignLeft | Qt::AlignVCenter, text);
        y_ += h;
    }

private:
    QPrinter& printer_;
    QPainter& p_;
    QRectF area_;
    double y_ = 0;
};

QString BothNames(const QString& english, const QString& chinese) {
    return english + QStringLiteral(" · ") + chinese;
}

}  // namespace

bool WriteReport(const QString& path, const ReportSubject& subject) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    const QString name = ProgramNameText(subject.image.ProgramName, kProgramNameLength);
    printer.setDocName(name);
    printer.setCreator(QStringLiteral("pavo"));

    QPainter p;
    if (!p.begin(&printer)) return false;
    QFont font(QStringLiteral("Liberation Sans"));
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Noto Sans CJK SC")});
    p.setFont(font);
    p.setPen(Qt::black);
    Pages pages(printer, p);

    // Heading.
    pages.Line(BothNames(QStringLiteral("Preset report"), QStringLiteral("预置报告")), 11);
    pages.Line(name.isEmpty() ? QStringLiteral("—") : name, 20, true);
    pages.Line(QStringLiteral("Date · 日期: ") +
                   QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("yyyy-MM-dd HH:mm")),
               10);
    pages.Line(QStringLiteral("Source · 来源: ") + subject.source, 10);
    pages.Advance(pages.Mm(4));

    // The curves, two to a row.
    pages.Line(BothNames(QStringLiteral("EQ response curves"), QStringLiteral("均衡响应曲线")), 13, true);
    pages.Advance(pages.Mm(2));
    const double gap = pages.Mm(6);
    const double width = (pages.area().width() - gap) / 2;
    const double height = pages.Mm(52);
    pages.SetFont(7.5);
    for (int block = 0; block < kBlockCount; ++block) {
        const int column = block % 2;
        if (column == 0) pages.Need(height);
        GraphPicture picture;
        picture.dark = false;
        picture.title = QStringLiteral("Curve %1/%2: ").arg(block + 1).arg(kReportCurves) +
                        BothNames(EqBlockName(block, LanguageEnglish), EqBlockName(block, LanguageChinese));
        GraphCurve curve;
        curve.colour = QColor(20, 90, 170);
        if (const auto levels = ProgramBlockResponse(subject.image, block)) curve.levels = *levels;
        picture.curves.push_back(curve);
        PaintGraph(
            p, QRectF(pages.area().left() + column * (width + gap), pages.y(), width, height - pages.Mm(3)),
            picture);
        if (column == 1 || block == kBlockCount - 1) pages.Advance(height);
    }

    // Every page's settings: English name, Chinese name, value.
    pages.NewPage();
    pages.Line(BothNames(QStringLiteral("Settings"), QStringLiteral("参数")), 13, true);
    const double nameWidth = pages.area().width() * 0.40;
    const double chineseWidth = pages.area().width() * 0.36;
    bool first = true;
    SettingsPage page{};
    for (const FieldDifference& entry : FieldsByPage(subject.system.has_value())) {
        const FieldInfo& f = *entry.field;
        if (first || entry.page != page) {
            pages.Advance(pages.Mm(2));
            pages.Line(
                BothNames(PageName(entry.page, LanguageEnglish), PageName(entry.page, LanguageChinese)), 11,
                true);
            page = entry.page;
            first = false;
        }
        pages.SetFont(8);
        const double h = pages.LineHeight();
        pages.Need(h);
        const uint8_t* record =
            f.record == FieldRecord::Program ? BytesOf(subject.image) : BytesOf(*subject.system);
        const double y = pages.y();
        const double x = pages.area().left();
        p.drawText(QRectF(x, y, nameWidth, h), Qt::AlignLeft | Qt::AlignVCenter,
                   FieldLabel(f, LanguageEnglish));
        p.drawText(QRectF(x + nameWidth, y, chineseWidth, h), Qt::AlignLeft | Qt::AlignVCenter,
                   FieldLabel(f, LanguageChinese));
        p.drawText(
            QRectF(x + nameWidth + chineseWidth, y, pages.area().width() - nameWidth - chineseWidth, h),
            Qt::AlignLeft | Qt::AlignVCenter, ValueText(f, record));
        pages.Advance(h);
    }
    return p.end() && QFileInfo(path).size() > 0;
}

}  // namespace pavo
