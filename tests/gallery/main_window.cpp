// Writes pictures of the main window for a person to look at: build/gallery/main_window_*.png.
#include <gtest/gtest.h>

#include <QDir>

#include "app/PavoDlg.h"
#include "app_support.h"
#include "controls_support.h"

namespace pavo {
namespace {

TEST(Gallery, MainWindow) {
    const QString dir = test::GalleryDir();
    for (int locale : {kLocaleEnglishUs, kLocaleChinesePrc}) {
        test::AppState state;
        SystemLocaleId() = locale;
        StartOptions o;
        o.connectAtStart = false;
        PavoDlg w(o);
        test::Edit(w.unit(), [](Model& m) {
            m.system.MusicMaster = 50;
            m.system.MicMaster = 0x80 | 30;
        });
        w.RefreshCurrentPage();
        w.show();
        test::WaitUntil([] { return false; }, 100);
        const QString name = locale == kLocaleChinesePrc ? "main_window_zh" : "main_window_en";
        EXPECT_TRUE(w.grab().save(dir + "/" + name + ".png"));
        EXPECT_TRUE(test::Grab(&w, 2.0).save(dir + "/" + name + "@2x.png"));
    }
}

}  // namespace
}  // namespace pavo
