// On line and idle, the program only waits: no timer of its own ticks between the unit's replies
// (the lookup dialog's 10 ms poll ends with the lookup).
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>

#include "app/Connection.h"
#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "app_support.h"
#include "platform/Timers.h"

namespace pavo {
namespace {

struct TimerCounter : QObject {
    int ticks = 0;
    TimerCounter() { qApp->installEventFilter(this); }
    ~TimerCounter() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        ticks += e->type() == QEvent::Timer;
        return false;
    }
};

TEST(IdleOnLine, NoTimerTicksWhileTheUnitIsPolled) {
    test::AppState state;
    auto u = test::StartUnit();
    PavoDlg w{StartOptions{}};
    w.connection().SetPortLister([&] { return std::vector<std::string>{u->DevicePath()}; });
    w.progress().SetGraceTimes(50, 50);
    w.show();
    ASSERT_TRUE(test::WaitUntil([&] { return test::OnLineAndIdle(w); }));
    test::WaitUntil([] { return false; }, 200);
    EXPECT_FALSE(TimerActive(&w.progress(), Show_Dlg::TimerLookup));
    TimerCounter counter;
    test::WaitUntil([] { return false; }, 1000);
    EXPECT_LT(counter.ticks, 20);  // a caret's blink, no 10 ms poll
}

}  // namespace
}  // namespace pavo
