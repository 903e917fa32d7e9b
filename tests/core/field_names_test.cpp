// Field names as people read them (the undo menu, the library's comparison, pavo-cli's field list):
// every field of both records has a name of its own in both languages, and the words read as written.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

#include "model/FieldCatalog.h"
#include "model/FieldNames.h"

namespace pavo {
namespace {

TEST(FieldNames, NamesReadAsCaptionedInBothLanguages) {
    struct Case {
        const char* path;
        const char* english;
        const char* chinese;
    };
    const Case cases[] = {
        {"Scene2.Out1.Eq[3].GainCode", "Scene 2 Out 1 EQ band 3 gain", "场景2 输出1 EQ 频段3 增益"},
        {"Scene1.Out2.EchoALevel", "Scene 1 Out 2 EchoA Level", "场景1 输出2 回声A电平"},
        {"Scene1.Out2.EchoASwitch", "Scene 1 Out 2 EchoA Level switch", "场景1 输出2 回声A电平 开关"},
        {"Reverb.ReverbTime", "Reverb time", "混响时间"},
        {"ReverbSpare.ReverbTime", "Spare reverb time", "备用混响时间"},
        {"Mic12.MicLevel", "Mic 1&2 Mic Level", "话筒1&2 话筒电平"},
        {"System.KeyShift", "Key Control", "音乐变调"},
        {"ProgramName", "Program name", "模式名称"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const FieldInfo* f = FindField(c.path);
        ASSERT_NE(f, nullptr);
        const FieldName name = NameOfField(*f);
        EXPECT_EQ(name.english, c.english);
        EXPECT_EQ(name.chinese, c.chinese);
    }
}

// Two fields with one name cannot be told apart in a comparison or a field list; a path part without
// words shows as the raw key; a word said twice in a row reads as a slip.
TEST(FieldNames, EveryFieldHasANameOfItsOwn) {
    const std::regex doubled(R"(\b(\w+) \1\b)", std::regex::icase);
    for (const FieldRecord record : {FieldRecord::Program, FieldRecord::System}) {
        std::map<std::string, std::string> english, chinese;
        for (const FieldInfo& f : FieldsOf(record)) {
            SCOPED_TRACE(f.path);
            const FieldName name = NameOfField(f);
            ASSERT_FALSE(name.english.empty());
            ASSERT_FALSE(name.chinese.empty());
            EXPECT_FALSE(std::regex_search(name.english, doubled)) << name.english;
            EXPECT_EQ(name.english.find("Code"), std::string::npos) << name.english;
            const auto [e, newEnglish] = english.emplace(name.english, f.path);
            EXPECT_TRUE(newEnglish) << name.english << " also names " << e->second;
            const auto [c, newChinese] = chinese.emplace(name.chinese, f.path);
            EXPECT_TRUE(newChinese) << name.chinese << " also names " << c->second;
        }
    }
}

}  // namespace
}  // namespace pavo
