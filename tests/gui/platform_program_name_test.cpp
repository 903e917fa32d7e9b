// Program names: ASCII as is, other bytes as GBK double-byte characters; one reading for the program
// label, the program list and the name edit; a shown name stores back as the same bytes.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <cstring>
#include <string>

#include "app/PavoDlg.h"
#include "app_support.h"
#include "model/DataConver.h"
#include "pages/SysDlg.h"
#include "platform/ControlId.h"
#include "platform/ProgramNameText.h"

namespace pavo {
namespace {

using Field = std::array<uint8_t, kProgramNameLength>;

Field FieldOf(const std::string& bytes, uint8_t pad = ' ') {
    Field f;
    f.fill(pad);
    std::memcpy(f.data(), bytes.data(), std::min(bytes.size(), f.size()));
    return f;
}

// "你好" and "音乐" in GBK.
const std::string kNiHao = "\xC4\xE3\xBA\xC3";
const std::string kYinYue = "\xD2\xF4\xC0\xD6";

TEST(ProgramName, ReadsAsciiAndGbkAndStoresWhatItShowed) {
    ASSERT_TRUE(HaveGbkCodec()) << "Qt without ICU: names fall back to ASCII only";
    struct Case {
        std::string bytes;
        uint8_t pad;
        const char* text;  // UTF-8
    } cases[] = {
        {"  Party  ", ' ', "Party"},
        {"Jazz Club", 0, "Jazz Club"},
        {kNiHao + "KTV", ' ', "你好KTV"},
        {"Room " + kYinYue, 0, "Room 音乐"},
        {"", ' ', ""},
    };
    for (const Case& c : cases) {
        const Field f = FieldOf(c.bytes, c.pad);
        const QString shown = ProgramNameText(f.data(), f.size());
        EXPECT_EQ(shown, QString::fromUtf8(c.text)) << c.text;
        Field back{};
        ProgramNameToBytes(back.data(), back.size(), shown);
        EXPECT_EQ(TextFromBytes(back.data(), back.size()), TextFromBytes(f.data(), f.size())) << c.text;
    }
}

TEST(ProgramName, ALongNameIsCutOnAWholeCharacter) {
    Field f{};
    ProgramNameToBytes(f.data(), f.size(), QString(19, u'x') + QString::fromUtf8("音"));
    EXPECT_EQ(f[18], 'x');
    EXPECT_EQ(f[19], ' ');  // the two-byte character does not fit: not half of it
    ProgramNameToBytes(f.data(), f.size(), QString(18, u'x') + QString::fromUtf8("音"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(f.data()) + 18, 2), kYinYue.substr(0, 2));
}

TEST(ProgramName, LabelListAndNameEditShowTheSameName) {
    test::AppState state;
    StartOptions o;
    o.connectAtStart = false;
    PavoDlg w(o);
    Model& m = w.unit().model();
    const Field name = FieldOf(kNiHao + "KTV");
    std::memcpy(m.current.ProgramName, name.data(), name.size());
    std::memcpy(m.bank.Programs[2].ProgramName, name.data(), name.size());
    m.bank.Valid = 1;
    m.system.ProgramNumber = 3;
    m.flags.connected = 1;
    w.UpdateStatus(true);
    w.SystemPage()->RefreshFromModel();
    m.flags.connected = 0;

    const QString expected = QString::fromUtf8("你好KTV");
    EXPECT_EQ(w.programLabelText(), "3:" + expected);
    auto* list = DialogItemAs<QComboBox>(w.SystemPage(), SysDlg::IDC_PROGRAM_LIST);
    EXPECT_EQ(list->itemText(2), "3-" + expected);
    EXPECT_EQ(DialogItemAs<QLineEdit>(w.SystemPage(), SysDlg::IDC_PROGRAM_NAME)->text(), expected);
}

}  // namespace
}  // namespace pavo
