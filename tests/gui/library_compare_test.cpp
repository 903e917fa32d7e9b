// The preset library's comparison, report and curve exports: each single-field change shows as exactly
// that field with both values, named in the UI language; the report PDF holds the program's name, its
// values and one curve per EQ block; the graph exports as PNG, SVG and the numbers pavo-cli prints.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>
#include <cstring>
#include <set>

#include "app/LibraryCurves.h"
#include "app/UndoNames.h"
#include "controls/BitButton.h"
#include "eq/BlockResponse.h"
#include "library_support.h"
#include "platform/ControlId.h"
#include "platform/ProgramNameText.h"

namespace pavo {
namespace {

using test::LibraryFixture;
using test::PresetFolder;

struct Change {
    const char* path;
    const char* value;  // as typed; null: a name
    SettingsPage page;
    const char* english;  // the field's name
    const char* current;  // both values as shown
    const char* entry;
};

// One field per kind of value and per page.
const Change kChanges[] = {
    {"ProgramName", nullptr, SettingsPage::Program, "Program name", "KTV Standard", "Other name"},
    {"ActiveScene", "Disco", SettingsPage::Program, "Scene", nullptr, "Disco"},
    {"MusicLeft.Eq[3].GainCode", "-3dB", SettingsPage::Music, "Music Left EQ band 3 gain", nullptr,
     "-3.0 dB"},
    {"MusicRight.HighPass.SlopeCode", "24dB Butuerworth", SettingsPage::Music, "Music Right high-pass slope",
     nullptr, "24dB Butuerworth"},
    {"MusicLeft.DynEq[2].Threshold", "-20", SettingsPage::DynEq, "Music Left dynamic EQ band 2 threshold",
     nullptr, "-20 dBV"},
    {"Mic12.MicLevel", "-5dB", SettingsPage::Mic, "Mic 1&2 Mic Level", nullptr, "-5.0 dB"},
    {"Mic34.Gate.Threshold", "OFF", SettingsPage::Mic, "Mic 3&4 noise gate threshold", nullptr, "OFF"},
    {"Mic12.Compressor.Attack", "code:1", SettingsPage::Mic, "Mic 1&2 limiter attack", nullptr, nullptr},
    {"Scene2.Out1.Mute", "ON", SettingsPage::Out12, "Scene 2 Out 1 mute", "OFF", "ON"},
    {"Scene1.Out2.EchoASwitch", "OFF", SettingsPage::Out12, "Scene 1 Out 2 EchoA Level switch", "ON", "OFF"},
    {"Scene1.Out4.Limiter.Ratio", "code:3", SettingsPage::Out34, "Scene 1 Out 4 limiter ratio", nullptr,
     nullptr},
    {"EchoA.Eq[1].FrequencyCode", "1k", SettingsPage::Effect, "Echo A EQ band 1 frequency", nullptr, nullptr},
    {"Reverb.ReverbTime", "1500ms", SettingsPage::Effect, "Reverb time", nullptr, "1500.0 ms"},
    {"Scene1.Center.HighPass.FrequencyCode", "code:50", SettingsPage::Center,
     "Scene 1 Center high-pass frequency", nullptr, nullptr},
    {"Scene3.SUB.Eq[2].QCode", "code:5", SettingsPage::Sub, "Scene 3 SUB EQ band 2 Q", nullptr, nullptr},
    {"Scene1.SurroundL.MusicLevel", "150", SettingsPage::Surround, "Scene 1 Surround L Music Level", nullptr,
     "150 %"},
    {"System.KeyShift", "3", SettingsPage::System, "Key Control", "0", "3"},
    {"System.MusicMaster.Mute", "ON", SettingsPage::System, "Music Vol mute", nullptr, "ON"},
    {"System.ProgramNumber", "F2", SettingsPage::System, "Program", nullptr, "F2"},
};

TEST(LibraryCompare, EachSingleChangeShowsExactlyThatFieldWithBothValues) {
    test::AppState state;
    LibraryComparePanel panel;
    ProgramImage a = unit::FactoryProgram(1);
    SystemRecord sa = unit::FactorySystem();
    panel.Show({&a, &sa}, {&a, &sa}, false);
    EXPECT_TRUE(panel.lines().empty());
    EXPECT_EQ(panel.summaryText(), "Same as the current program.");

    for (const Change& c : kChanges) {
        SCOPED_TRACE(c.path);
        const FieldInfo* f = FindField(c.path);
        ASSERT_NE(f, nullptr);
        ProgramImage b = a;
        SystemRecord sb = sa;
        uint8_t* record = f->record == FieldRecord::Program ? BytesOf(b) : BytesOf(sb);
        const uint8_t* before = f->record == FieldRecord::Program ? BytesOf(a) : BytesOf(sa);
        if (!c.value) {
            std::memcpy(record + f->offset, "Other name          ", f->width);
        } else {
            std::string error;
            const auto code = ParseCode(*f, c.value, &error);
            ASSERT_TRUE(code) << error;
            ASSERT_NE(*code, ReadCode(*f, record));
            WriteCode(*f, record, *code);
        }
        panel.Show({&a, &sa}, {&b, &sb}, false);
        ASSERT_EQ(panel.lines().size(), 1u);
        const ComparedField& line = panel.lines()[0];
        EXPECT_EQ(line.field, f);
        EXPECT_EQ(line.page, c.page);
        EXPECT_EQ(line.name, c.english);
        EXPECT_EQ(line.current, ValueText(*f, before));
        EXPECT_EQ(line.entry, ValueText(*f, record));
        if (c.current) {
            EXPECT_EQ(line.current, c.current);
        }
        if (c.entry) {
            EXPECT_EQ(line.entry, c.entry);
        }
        if (f->HasCode()) {
            EXPECT_EQ(line.current.toStdString(), FormatCode(*f, ReadCode(*f, before)));
            EXPECT_EQ(line.entry.toStdString(), FormatCode(*f, ReadCode(*f, record)));
        }
        EXPECT_NE(line.current, line.entry);
        // Shown under its page, with the count; a system record a load keeps says so.
        ASSERT_EQ(panel.tree().topLevelItemCount(), 1);
        const QString group = panel.tree().topLevelItem(0)->text(0);
        EXPECT_TRUE(group.startsWith(PageName(c.page))) << group.toStdString();
        EXPECT_EQ(group.contains("kept on Load"), c.page == SettingsPage::System);
        EXPECT_EQ(panel.tree().topLevelItem(0)->child(0)->text(2), line.entry);
    }

    // In Chinese: the names and the page titles follow.
    SetUiLanguage(LanguageChinese);
    ProgramImage b = a;
    b.MusicLeft.Eq[2].GainCode = 105;
    panel.Show({&a, &sa}, {&b, &sa}, true);
    ASSERT_EQ(panel.lines().size(), 1u);
    EXPECT_EQ(panel.lines()[0].name, "音乐左 EQ 频段3 增益");
    EXPECT_TRUE(panel.tree().topLevelItem(0)->text(0).startsWith("音乐"));
    EXPECT_EQ(panel.tree().headerItem()->text(1), "当前");
    SetUiLanguage(LanguageEnglish);
    panel.ApplyLanguage();
    EXPECT_EQ(panel.lines()[0].name, "Music Left EQ band 3 gain");
}

class LibraryFilesTest : public ::testing::Test {
protected:
    PresetFolder dir;
    LibraryFixture f;
};

// From a file, the comparison is against the current program and the graph overlays both curves; it
// follows edits of the current program made while it shows.
TEST_F(LibraryFilesTest, ComparesAFileWithTheCurrentProgramAndFollowsEdits) {
    test::Edit(f.w->unit(), [](Model& m) {
        m.current = unit::FactoryProgram(4);
        m.system = unit::FactorySystem();
    });
    ProgramImage image = unit::FactoryProgram(4);
    image.Mic12.Eq[1].GainCode = 100;
    dir.Program("one.dia", image);
    LibraryWindow& lib = f.Open(dir.path());
    ASSERT_TRUE(lib.SelectFile(dir.At("one.dia")));
    ASSERT_EQ(lib.compare().lines().size(), 1u);
    EXPECT_EQ(lib.compare().lines()[0].field->path, "Mic12.Eq[2].GainCode");

    lib.SetGraphBlock(BlockMic12);
    const GraphPicture& picture = lib.graph().picture();
    ASSERT_EQ(picture.curves.size(), 2u);
    EXPECT_EQ(picture.title, "Mic 1&2");
    EXPECT_EQ(picture.curves[0].levels, *ProgramBlockResponse(image, BlockMic12));
    EXPECT_EQ(picture.curves[1].levels, *ProgramBlockResponse(unit::FactoryProgram(4), BlockMic12));
    EXPECT_NE(picture.curves[0].levels, picture.curves[1].levels);

    test::Edit(f.w->unit(), [](Model& m) { m.current.Mic12.Eq[1].GainCode = 100; });
    lib.Poll();
    EXPECT_TRUE(lib.compare().lines().empty());
    EXPECT_EQ(lib.graph().picture().curves[0].levels, lib.graph().picture().curves[1].levels);
}

std::string PdfText(const QString& path) {
    QProcess p;
    p.start("pdftotext", {"-layout", path, "-"});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput().toStdString();
}

TEST_F(LibraryFilesTest, ReportHasTheProgramItsValuesAndOneVectorCurvePerBlock) {
    test::Edit(f.w->unit(), [](Model& m) {
        m.current = unit::FactoryProgram(3);
        ProgramNameToBytes(m.current.ProgramName, kProgramNameLength, "Grand Hall");
        m.current.Mic12.MicLevel = 10;  // -5.0 dB
    });
    dir.Program("duet.dia", 9);
    LibraryWindow& lib = f.Open(dir.path());

    // Nothing selected: the current program.
    const QString current = dir.At("current.pdf");
    ASSERT_TRUE(lib.WriteReportTo(current));
    const QString text = QString::fromStdString(PdfText(current));
    EXPECT_TRUE(text.contains("Grand Hall"));
    EXPECT_TRUE(text.contains("Current program (off line)"));
    bool levelLine = false;
    for (const QString& line : text.split('\n'))
        levelLine = levelLine || (line.contains("Mic 1&2 Mic Level") && line.contains("话筒1&2 话筒电平") &&
                                  line.contains("-5.0 dB"));
    EXPECT_TRUE(levelLine) << "no line with the mic level's names and value";
    EXPECT_TRUE(text.contains("Scene 2 Out 1 mute"));
    EXPECT_TRUE(text.contains("Music Vol mute"));
    std::set<int> curves;
    const QRegularExpression title("Curve (\\d+)/18:");
    for (auto it = title.globalMatch(text); it.hasNext();) curves.insert(it.next().captured(1).toInt());
    EXPECT_EQ(curves.size(), 18u);
    EXPECT_EQ(*curves.begin(), 1);
    EXPECT_EQ(text.count("Curve "), 18);
    // Drawn, not pasted: the curves are paths, the PDF holds no pictures.
    QFile pdf(current);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_FALSE(bytes.contains("/Subtype /Image"));

    // A file selected: that program, from that file, through the dialog (".pdf" added).
    ASSERT_TRUE(lib.SelectFile(dir.At("duet.dia")));
    f.state.nextFile = dir.At("duet report");
    lib.WriteReportOfSelection();
    const QString selected = QString::fromStdString(PdfText(dir.At("duet report.pdf")));
    EXPECT_TRUE(selected.contains("Duet"));
    EXPECT_TRUE(selected.contains("duet.dia"));
    EXPECT_FALSE(selected.contains("Grand Hall"));
}

TEST_F(LibraryFilesTest, CurveExportsAsPngSvgAndTheNumbersOfPavoCli) {
    ProgramImage image = unit::FactoryProgram(12);
    image.ActiveScene = 2;
    dir.Program("opera.dia", image);
    LibraryWindow& lib = f.Open(dir.path());
    lib.resize(1200, 700);
    ASSERT_TRUE(lib.SelectFile(dir.At("opera.dia")));
    lib.SetGraphBlock(BlockOutputFirst + int(OutOut1));

    f.state.nextFile = dir.At("out1");
    lib.ExportCurve("csv");
    QFile csv(dir.At("out1.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray numbers = csv.readAll();
    EXPECT_EQ(numbers.toStdString(), CurveCsv(*BlockResponse(image, BlockOutputFirst + int(OutOut1), 2)));
    EXPECT_EQ(numbers.count('\n'), 421);
    EXPECT_TRUE(numbers.startsWith("Hz,dB\n"));

    ASSERT_TRUE(lib.ExportCurveTo(dir.At("out1.png"), "png"));
    const QImage png(dir.At("out1.png"));
    EXPECT_EQ(png.size(), lib.graph().size() * 2);
    ASSERT_TRUE(lib.ExportCurveTo(dir.At("out1.svg"), "svg"));
    QFile svg(dir.At("out1.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray xml = svg.readAll();
    EXPECT_TRUE(xml.contains("<svg"));
    EXPECT_GE(xml.count("<path"), 2);
    EXPECT_TRUE(xml.contains("Out 1"));
}

// Ctrl+L and the context menu open the window; it follows the language button.
TEST_F(LibraryFilesTest, OpensFromTheMainWindowAndFollowsTheLanguage) {
    f.w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.w.get()));
    QTest::keyClick(f.w.get(), Qt::Key_L, Qt::ControlModifier);
    ASSERT_NE(f.w->library(), nullptr);
    EXPECT_TRUE(f.w->library()->isVisible());
    f.w->library()->close();
    ASSERT_FALSE(f.w->library()->isVisible());

    QString entry;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions())
            if (a->text() == "Preset library") {
                entry = a->text() + " " + a->shortcut().toString();
                a->trigger();
            }
        menu->close();
    });
    const QPoint at(420, 300);
    test::RightClick(*f.w, at);
    EXPECT_EQ(entry, "Preset library Ctrl+L");
    LibraryWindow& lib = *f.w->library();
    EXPECT_TRUE(lib.isVisible());
    EXPECT_EQ(lib.windowTitle(), "Preset library");

    QTest::mouseClick(DialogItemAs<BitButton>(&f.w->canvas(), PavoDlg::IDC_LANGUAGE), Qt::LeftButton);
    LibraryFixture::Settle();
    EXPECT_EQ(lib.windowTitle(), "预置库");
    EXPECT_EQ(lib.loadButton().text(), "载入");
    EXPECT_EQ(lib.reportButton().text(), "报告…");
    EXPECT_EQ(lib.model().headerData(LibraryModel::ColumnName, Qt::Horizontal).toString(), "程序名称");
    EXPECT_EQ(lib.sourceBox().itemText(1), "设备");
    EXPECT_EQ(lib.graph().picture().curves.back().label, "当前");
    QTest::mouseClick(DialogItemAs<BitButton>(&f.w->canvas(), PavoDlg::IDC_LANGUAGE), Qt::LeftButton);
    LibraryFixture::Settle();
    EXPECT_EQ(lib.windowTitle(), "Preset library");
}

}  // namespace
}  // namespace pavo
