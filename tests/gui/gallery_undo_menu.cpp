// Writes pictures of the main window's context menu with its undo and redo entries, for a person to
// look at: build/gallery/undo_menu_en.png and undo_menu_zh.png.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QTimer>

#include "controls_support.h"
#include "undo_support.h"

namespace pavo {
namespace {

TEST(Gallery, UndoMenu) {
    const QString dir = test::GalleryDir();
    for (UiLanguage language : {LanguageEnglish, LanguageChinese}) {
        test::UndoWindow u;
        SetUiLanguage(language);
        u.w->ApplyLanguage();
        u.ShowPage(PavoDlg::PageMusic);
        u.DragBand(u.Graph(), *u.Strip(2)->Band(), -50);
        ASSERT_EQ(u.history().UndoDepth(), 1u);
        u.ShowPage(PavoDlg::PageSystem);
        u.ChooseFromList(u.SysItem<BitComboBox>(SysDlg::IDC_PHANTOM), 1);
        u.Undo();

        QImage picture;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            picture = menu->grab().toImage();
            menu->close();
        });
        const QPoint at(420, 300);
        test::RightClick(*u.w, at);
        ASSERT_FALSE(picture.isNull());
        const QString name = language == LanguageChinese ? "undo_menu_zh.png" : "undo_menu_en.png";
        EXPECT_TRUE(picture.save(dir + "/" + name));
        SetUiLanguage(LanguageEnglish);
    }
}

}  // namespace
}  // namespace pavo
