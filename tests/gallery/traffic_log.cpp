// Writes pictures of the traffic log window for a person to look at: build/gallery/traffic_log_*.png.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>

#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "app/TrafficLog.h"
#include "app/TrafficLogWindow.h"
#include "app_support.h"
#include "controls_support.h"

namespace pavo {
namespace {

TEST(Gallery, TrafficLog) {
    const QString dir = test::GalleryDir();
    for (int locale : {kLocaleEnglishUs, kLocaleChinesePrc}) {
        test::AppState state;
        SystemLocaleId() = locale;
        unit::UnitOptions options;
        options.badSumEvery = 9;  // a few refusals and repeats among the polls
        auto u = test::StartUnit(options);
        StartOptions o;
        o.firstPort = u->DevicePath();
        o.onlyFirstPort = true;
        PavoDlg w(o);
        w.progress().SetGraceTimes(50, 50);
        w.show();
        ASSERT_TRUE(test::WaitUntil([&] { return test::OnLineAndIdle(w); }));
        w.trafficLog().ShowWindow(&w);
        TrafficLogWindow& log = *w.trafficLog().window();
        log.hidePolls().setChecked(false);
        test::WaitUntil([] { return false; }, 2500);
        w.trafficLog().ReadNow();
        const QString name = locale == kLocaleChinesePrc ? "traffic_log_zh.png" : "traffic_log_en.png";
        EXPECT_TRUE(log.grab().save(dir + "/" + name));
    }
}

}  // namespace
}  // namespace pavo
