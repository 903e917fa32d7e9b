// The platform layer: message delivery order and synchrony, control ids, timers, templates.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <thread>
#include <vector>

#include "platform/ControlId.h"
#include "platform/DialogTemplate.h"
#include "platform/MessageBox.h"
#include "platform/Resources.h"
#include "platform/Timers.h"
#include "platform/WinMessage.h"

namespace pavo {
namespace {

struct Recorder : QWidget, MessageTarget {
    std::vector<std::pair<unsigned, LParam>> seen;
    LResult WindowProc(unsigned m, WParam w, LParam l) override {
        seen.push_back({m, l});
        return MessageTarget::WindowProc(m, w, l);
    }
};

TEST(WinMessage, PostIsQueuedInOrderAndSendIsImmediate) {
    Recorder r;
    r.OnMessage(WM_NUMEDIT_CHANGED, [](WParam, LParam l) { return l * 2; });
    PostMessage(&r, WM_SLIDER_TRACKING, 1, 10);
    PostMessage(&r, WM_SLIDER_CHANGED, 1, 11);
    EXPECT_TRUE(r.seen.empty());  // nothing before the current handler returns
    EXPECT_EQ(SendMessage(&r, WM_NUMEDIT_CHANGED, 0, 21), 42);
    ASSERT_EQ(r.seen.size(), 1u);
    DeliverPostedMessages();
    ASSERT_EQ(r.seen.size(), 3u);
    EXPECT_EQ(r.seen[1].first, WM_SLIDER_TRACKING);
    EXPECT_EQ(r.seen[2].first, WM_SLIDER_CHANGED);
}

TEST(WinMessage, CommandsAreKeyedByIdAndCode) {
    Recorder r;
    int clicked = 0, changed = 0;
    r.OnCommand(1064, BN_CLICKED, [&] { ++clicked; });
    r.OnCommand(1064, EN_CHANGE, [&] { ++changed; });
    SendMessage(&r, WM_COMMAND, MakeCommand(1064, BN_CLICKED));
    SendMessage(&r, WM_COMMAND, MakeCommand(1065, BN_CLICKED));
    SendMessage(&r, WM_COMMAND, MakeCommand(1064, EN_CHANGE));
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(changed, 1);
}

TEST(WinMessage, PostsFromAnotherThreadArriveInOrderAndAreDroppedForAGoneWindow) {
    auto* r = new Recorder;
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) PostMessage(r, WM_SLIDER_TRACKING, 0, i);
    });
    worker.join();
    DeliverPostedMessages();
    ASSERT_EQ(r->seen.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(r->seen[i].second, i);
    PostMessage(r, WM_SLIDER_TRACKING, 0, 1);
    delete r;
    DeliverPostedMessages();  // must not touch the deleted window
}

TEST(Platform, TimersTickAsMessagesUntilKilled) {
    Recorder r;
    int ticks = 0;
    r.OnMessage(WM_TIMER, [&](WParam id, LParam) {
        if (id == 5) ++ticks;
        return 0;
    });
    SetTimer(&r, 5, 10);
    QElapsedTimer t;
    t.start();
    while (ticks < 3 && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GE(ticks, 3);
    KillTimer(&r, 5);
    EXPECT_FALSE(TimerActive(&r, 5));
}

TEST(Platform, TemplatesCreateControlsByIdInDialogUnits) {
    const DialogUnits du(6, 15);
    EXPECT_EQ(du.ToPixels(QRect(4, 8, 50, 14)), QRect(6, 15, 75, 26));

    QWidget dlg;
    DialogTemplate tpl{102,
                       {100, 50},
                       {{1000, ControlKind::Button, {2, 2, 50, 14}, "Connect"},
                        {1001, ControlKind::Static, {2, 20, 40, 10}, "hidden", false}}};
    CreateFromTemplate(&dlg, tpl);
    auto* b = DialogItemAs<QPushButton>(&dlg, 1000);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text(), "Connect");
    EXPECT_EQ(ControlId(b), 1000);
    ASSERT_NE(DialogItem(&dlg, 1001), nullptr);
    EXPECT_TRUE(DialogItem(&dlg, 1001)->isHidden());
    EXPECT_EQ(DialogItem(&dlg, 999), nullptr);
    const DialogUnits real;
    EXPECT_GT(real.baseX(), 3);
    EXPECT_GT(real.baseY(), 10);
    EXPECT_EQ(dlg.size(), real.ToPixels(QSize(100, 50)));
}

TEST(Platform, MessageBoxPresenterSeesTheRequest) {
    QString seen;
    auto old = SetMessageBoxPresenter([&](const MessageBoxRequest& r) {
        seen = r.text;
        return int(ResultCancel);
    });
    EXPECT_EQ(ShowMessageBox(nullptr, "File read Error", "", BoxOkCancel), ResultCancel);
    EXPECT_EQ(seen, "File read Error");
    SetMessageBoxPresenter(old);
}

}  // namespace
}  // namespace pavo

namespace pavo {
namespace {

TEST(Resources, BitmapsLoadAtTheirStatedSizeForAnyPixelRatio) {
    struct Case {
        int id;
        QSize size;
    } cases[] = {{133, {11, 18}}, {134, {118, 20}}, {138, {38, 123}}, {142, {184, 19}}, {152, {86, 25}},
                 {160, {18, 16}}, {168, {94, 23}},  {175, {320, 30}}, {200, {15, 21}},  {206, {4, 17}}};
    for (const Case& c : cases) {
        EXPECT_EQ(BitmapSize(c.id), c.size) << c.id;
        const QPixmap x2 = LoadBitmap(c.id, 2.0);
        EXPECT_EQ(x2.size(), c.size * 2) << c.id;
        EXPECT_EQ(x2.deviceIndependentSize().toSize(), c.size) << c.id;
    }
    EXPECT_FALSE(HasBitmap(9999));
    EXPECT_TRUE(LoadBitmap(9999).isNull());
    EXPECT_FALSE(AppIcon().isNull());
    EXPECT_EQ(LoadString(4011), "Corvo Audio Processor SV-1.02");
}

}  // namespace
}  // namespace pavo
