// Pages reach the main window only through the page host: the system page's commands arrive at the
// host it was given, and the page needs nothing else from the application to work.
#include <gtest/gtest.h>

#include <QTest>

#include "app_support.h"
#include "controls/BitmapSlider.h"
#include "page_host_fake.h"
#include "pages/SysDlg.h"
#include "platform/ControlId.h"
#include "protocol/CommandCodes.h"

namespace pavo {
namespace {

TEST(PageHost, SystemPageCommandsGoToItsHost) {
    test::AppState state;
    test::FakePageHost host;
    host.connected = true;
    host.unit().model().flags.storeAuthority = 1;
    SysDlg page(host);
    page.show();
    page.RefreshFromModel();

    for (int id : {SysDlg::IDC_EXPORT, SysDlg::IDC_IMPORT, SysDlg::IDC_IMPORT_ALL, SysDlg::IDC_EXPORT_ALL})
        QTest::mouseClick(DialogItem(&page, id), Qt::LeftButton);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"ExportDia", "ImportDia", "ImportBank"}));
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0], std::make_pair(unsigned(CmdReadPrograms), 1u));

    host.calls.clear();
    for (int id : {SysDlg::IDC_MUSIC_MAX, SysDlg::IDC_MIC_MAX, SysDlg::IDC_EFFECT_MAX}) {
        DialogItemAs<BitmapSlider>(&page, id)->SetPos(10);
        SendMessage(&page, WM_SLIDER_TRACKING, id, 10);
    }
    EXPECT_EQ(host.calls, (std::vector<std::string>{"ClampMusicLevel", "ClampMicLevel", "ClampEffectLevel"}));
}

TEST(PageHost, SystemPageTakesTheConnectionStateFromItsHost) {
    test::AppState state;
    test::FakePageHost host;
    SysDlg page(host);
    page.show();
    for (bool connected : {false, true}) {
        host.connected = connected;
        page.RefreshFromModel();
        // Without store authority, importing is refused on line only.
        EXPECT_EQ(DialogItem(&page, SysDlg::IDC_IMPORT)->isEnabled(), !connected) << connected;
    }
}

}  // namespace
}  // namespace pavo
