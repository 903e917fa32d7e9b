#include "app/AutoEqCommand.h"

#include <QMenu>

#include "app/AutoEqDialog.h"
#include "app/PavoDlg.h"
#include "app/UndoGestures.h"
#include "autoeq/BlockRecords.h"
#include "autoeq/ModelFit.h"
#include "eq/CFStatic.h"
#include "platform/Language.h"

namespace pavo {

void AddAutoEqEntry(QMenu& menu, PavoDlg& main, QPoint at) {
    const CFStatic* graph = nullptr;
    for (QWidget* w = main.childAt(at); w && !graph; w = w->parentWidget())
        graph = qobject_cast<CFStatic*>(w);
    if (!graph || !graph->isVisible()) return;
    const int block = graph->GraphId();
    if (BandsOf(main.unit().model().current, block, 1).empty()) return;  // the dynamic EQ
    menu.addAction(Bilingual("自动均衡…", "Auto EQ…"), &main, [&main, block] { OpenAutoEq(main, block); });
}

AutoEqDialog* OpenAutoEq(PavoDlg& main, int block) {
    Model& m = main.unit().model();
    const int scene = m.Edit([&] { return m.scene.EditedScene(); });
    // Written under the model lock as one step named after the command; the change scanner sends the
    // bands that changed, like any edit.
    auto apply = [&main, block, scene](const FitResult& result) {
        return main.undo().RunAsStep(StepKind::AutoEq,
                                     [&] { WriteFitToModel(main.unit().model(), result, block, scene); });
    };
    auto* dialog = new AutoEqDialog(main.unit(), block, scene, apply, &main);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

}  // namespace pavo
