// Writes pictures of the automatic EQ dialog for a person to look at, in both languages at 1x and 2x:
// build/gallery/autoeq_dialog_{en,zh}[@2x].png with a finished fit, autoeq_refused_{en,zh}[@2x].png
// with a refused file, and the graph's context menu with its entry, autoeq_menu_{en,zh}.png.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QTimer>

#include "app/AutoEqCommand.h"
#include "autoeq_support.h"
#include "controls_support.h"
#include "undo_support.h"

namespace pavo {
namespace {

TEST(Gallery, AutoEq) {
    QTemporaryDir dir;
    const QString measured = test::WriteMeasurement(dir, "front_speakers.txt");
    const QString bad = dir.filePath(QStringLiteral("front_speakers_bad.txt"));
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("* Freq(Hz) SPL(dB)\n20 80.1\n25 80.6\n31.5 n/a\n");
    }
    for (UiLanguage language : {LanguageEnglish, LanguageChinese}) {
        test::UndoWindow u;
        SetUiLanguage(language);
        u.w->ApplyLanguage();
        u.ShowPage(PavoDlg::PageMusic);
        const QString suffix = language == LanguageChinese ? "zh" : "en";

        QImage menuPicture;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            menuPicture = menu->grab().toImage();
            menu->close();
        });
        const QPoint at = u.Graph()->mapTo(u.w.get(), u.Graph()->rect().center());
        test::RightClick(*u.w, at);
        ASSERT_FALSE(menuPicture.isNull());
        EXPECT_TRUE(menuPicture.save(test::GalleryDir() + "/autoeq_menu_" + suffix + ".png"));

        AutoEqDialog* d = OpenAutoEq(*u.w, BlockMusicLeft);
        d->target().setCurrentIndex(AutoEqDialog::TargetTilt);
        d->tilt().setValue(-0.5);
        ASSERT_TRUE(d->LoadMeasurement(measured));
        ASSERT_TRUE(test::FitDone(*d));
        test::SaveBothScales(d, "autoeq_dialog_" + suffix);

        EXPECT_FALSE(d->LoadMeasurement(bad));
        test::SaveBothScales(d, "autoeq_refused_" + suffix);
        d->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetUiLanguage(LanguageEnglish);
    }
}

}  // namespace
}  // namespace pavo
