// Writes pictures of the preset library window for a person to look at, in both languages and at both
// scales: library_en.png, library_zh.png and their @2x pictures in the gallery folder.
#include <gtest/gtest.h>

#include "controls_support.h"
#include "library_support.h"
#include "platform/ProgramNameText.h"

namespace pavo {
namespace {

TEST(Gallery, Library) {
    test::PresetFolder dir;
    dir.Program("Hall A.dia", 1);
    dir.Program("Hall B - speech.dia", 7);
    dir.Program("Party night.dia", 8);
    ProgramImage bad = unit::FactoryProgram(5);
    bad.Mic34.FeedbackSuppress = 9;
    dir.Program("damaged.dia", bad);
    dir.Raw("cut off.dia", std::string(1200, '\x03'));
    dir.Bank("Venue backup.dat", 2);
    for (UiLanguage language : {LanguageEnglish, LanguageChinese}) {
        test::LibraryFixture f;
        SetUiLanguage(language);
        f.w->ApplyLanguage();
        test::Edit(f.w->unit(), [](Model& m) {
            m.current = unit::FactoryProgram(2);
            m.system = unit::FactorySystem();
        });
        LibraryWindow& lib = f.Open(dir.path());
        lib.resize(1180, 660);
        ASSERT_TRUE(lib.SelectFile(dir.At("Venue backup.dat"), 3));
        lib.SetGraphBlock(BlockMusicLeft);
        test::LibraryFixture::Settle();
        test::SaveBothScales(&lib, language == LanguageChinese ? "library_zh" : "library_en");
        SetUiLanguage(LanguageEnglish);
    }
}

}  // namespace
}  // namespace pavo
