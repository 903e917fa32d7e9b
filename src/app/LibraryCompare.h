#pragma once
// The preset library's comparison: every field in which an entry differs from the current program and
// system record, grouped by page, named in the UI language, with both values in engineering units.
#include <QString>
#include <QWidget>
#include <vector>

#include "library/ProgramCompare.h"
#include "platform/Language.h"

class QLabel;
class QTreeWidget;

namespace pavo {

// The page's name as its tab reads ("Music", "Out1&2", "系统"); "Program" for the name and scene.
QString PageName(SettingsPage page, UiLanguage language);
QString PageName(SettingsPage page);
// EQ block 0..17 (BlockNumber) by name: "Music Left", "Out 1", "Music Left DEQ" (outputs of any scene).
QString EqBlockName(int block, UiLanguage language);
QString EqBlockName(int block);

// A field's value as people read it: engineering units, names in the program's one conversion,
// passwords hidden, bytes nobody interprets in hex.
QString ValueText(const FieldInfo& field, const uint8_t* record);

// One line of the comparison, as shown.
struct ComparedField {
    SettingsPage page;
    const FieldInfo* field;
    QString name, current, entry;
};

class LibraryComparePanel : public QWidget {
    Q_OBJECT
public:
    explicit LibraryComparePanel(QWidget* parent = nullptr);

    // Shows what differs. `systemTaken`: loading the entry takes its system record (a bank); otherwise
    // the system record's differences are shown as kept.
    void Show(const ProgramSide& current, const ProgramSide& entry, bool systemTaken);
    // No comparison, with a line saying why (nothing selected, being read, refused).
    void ShowMessage(const QString& message);
    void ApplyLanguage();

    const std::vector<ComparedField>& lines() const { return lines_; }
    QTreeWidget& tree() const { return *tree_; }
    QString summaryText() const;

private:
    void Fill();

    QLabel* summary_;
    QTreeWidget* tree_;
    std::vector<ComparedField> lines_;
    std::vector<FieldDifference> differences_;
    ProgramImage currentImage_{}, entryImage_{};
    SystemRecord currentSystem_{}, entrySystem_{};
    bool haveSystem_ = false;
    bool systemTaken_ = false;
    bool comparing_ = false;
    QString message_;
};

}  // namespace pavo
