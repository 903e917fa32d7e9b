// Writes pictures of the system page for a person to look at: build/gallery/sys_page_*.png, off line
// (English and Chinese) and as it looks on line with store authority and the meters lit.
#include <gtest/gtest.h>

#include <QDir>

#include "app/PavoDlg.h"
#include "app_support.h"
#include "controls/SLamp.h"
#include "controls_support.h"
#include "model/DataConver.h"
#include "pages/SysDlg.h"

namespace pavo {
namespace {

void NameBank(Model& m) {
    const char* names[] = {"Pop Ballad", "Rock Stage", "Jazz Club", "Classroom", "Party Night"};
    for (int n = 1; n <= kProgramCount; ++n)
        BytesFromText(m.bank.Programs[n - 1].ProgramName, kProgramNameLength, names[(n - 1) % 5]);
}

TEST(Gallery, SystemPage) {
    const QString dir = test::GalleryDir();
    struct Shot {
        int locale;
        bool online;
        const char* file;
    } shots[] = {
        {kLocaleEnglishUs, false, "sys_page_en.png"},
        {kLocaleChinesePrc, false, "sys_page_zh.png"},
        {kLocaleEnglishUs, true, "sys_page_online_en.png"},
        {kLocaleChinesePrc, true, "sys_page_online_zh.png"},
    };
    for (const Shot& s : shots) {
        test::AppState state;
        SystemLocaleId() = s.locale;
        StartOptions o;
        o.connectAtStart = false;
        PavoDlg w(o);
        w.show();
        auto* page = static_cast<SysDlg*>(w.SystemPage());
        if (s.online) {
            // What the page shows on line, without a unit: connected, store allowed, meters fed.
            NameBank(w.unit().model());
            w.unit().model().system.ProgramNumber = 3;
            w.unit().model().flags.connected = 1;
            w.unit().model().flags.storeAuthority = 1;
            page->RefreshFromModel();
            w.UpdateStatus(true);
            const uint8_t levels[12] = {200, 180, 150, 130, 0, 0, 0, 0, 190, 160, 0, 0};
            for (int i = 0; i < 12; ++i) {
                w.unit().model().status.areaA[i] = levels[i];
                w.unit().model().status.areaB[i] = i % 3 == 0 ? 150 : 220;
            }
            page->StatusReceived(StatusArea::Levels);
            page->StatusReceived(StatusArea::Indicators);
        }
        test::WaitUntil([] { return false; }, 100);
        EXPECT_TRUE(w.grab().save(dir + "/" + s.file));
        QString twoX = QString::fromLatin1(s.file);
        EXPECT_TRUE(test::Grab(&w, 2.0).save(dir + "/" + twoX.replace(".png", "@2x.png")));
    }
}

}  // namespace
}  // namespace pavo
