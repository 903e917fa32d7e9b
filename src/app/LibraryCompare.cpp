#include "app/LibraryCompare.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/UndoNames.h"
#include "model/DataConver.h"
#include "model/Model.h"
#include "platform/ProgramNameText.h"

namespace pavo {

namespace {

bool IsPassword(const FieldInfo& f) {
    return f.record == FieldRecord::System && f.display == FieldDisplay::Text;
}

}  // namespace

QString PageName(SettingsPage page, UiLanguage language) {
    const bool zh = language == LanguageChinese;
    const auto& tabs = zh ? TabLabelsChinese : TabLabelsEnglish;
    switch (page) {
        case SettingsPage::Program:
            return zh ? QStringLiteral("程序") : QStringLiteral("Program");
        case SettingsPage::Music:
            return QString::fromUtf8(tabs[0]);
        case SettingsPage::DynEq:
            return QString::fromUtf8(tabs[1]);
        case SettingsPage::Mic:
            return QString::fromUtf8(tabs[2]);
        case SettingsPage::Out12:
            return QString::fromUtf8(tabs[3]);
        case SettingsPage::Out34:
            return QString::fromUtf8(tabs[4]);
        case SettingsPage::System:
            return QString::fromUtf8(tabs[5]);
        case SettingsPage::Effect:
            return QString::fromUtf8(tabs[6]);
        case SettingsPage::Center:
            return QString::fromUtf8(tabs[7]);
        case SettingsPage::Sub:
            return QString::fromUtf8(tabs[8]);
        case SettingsPage::Surround:
            return QString::fromUtf8(tabs[9]);
    }
    return {};
}

QString PageName(SettingsPage page) {
    return PageName(page, CurrentUiLanguage());
}

QString EqBlockName(int block, UiLanguage language) {
    static const char* const kKeys[kBlockCount] = {
        "MusicLeft", "MusicRight",  "Mic12",     "Mic34",     "EchoA",     "EchoB",
        "Reverb",    "ReverbSpare", "Out4",      "Out3",      "Center",    "SUB",
        "Out2",      "Out1",        "SurroundL", "SurroundR", "MusicLeft", "MusicRight"};
    if (block < 0 || block >= kBlockCount) return {};
    QString name = BlockWord(kKeys[block], language);
    if (block >= BlockMusicLeftDyn) name += u' ' + PageName(SettingsPage::DynEq, language);
    return name;
}

QString EqBlockName(int block) {
    return EqBlockName(block, CurrentUiLanguage());
}

QString ValueText(const FieldInfo& f, const uint8_t* record) {
    if (IsPassword(f)) return QStringLiteral("••••");
    if (f.display == FieldDisplay::Text) return ProgramNameText(record + f.offset, f.width);
    return QString::fromStdString(FormatField(f, record));
}

LibraryComparePanel::LibraryComparePanel(QWidget* parent) : QWidget(parent) {
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    tree_ = new QTreeWidget(this);
    tree_->setColumnCount(3);
    tree_->setRootIsDecorated(true);
    tree_->setUniformRowHeights(true);
    tree_->setAlternatingRowColors(true);
    tree_->setSelectionMode(QAbstractItemView::NoSelection);
    tree_->setFocusPolicy(Qt::NoFocus);
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tree_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    tree_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(summary_);
    layout->addWidget(tree_, 1);
    ShowMessage({});
}

void LibraryComparePanel::Show(const ProgramSide& current, const ProgramSide& entry, bool systemTaken) {
    CopyRecord(currentImage_, *current.image);
    CopyRecord(entryImage_, *entry.image);
    haveSystem_ = current.system && entry.system;
    if (haveSystem_) {
        CopyRecord(currentSystem_, *current.system);
        CopyRecord(entrySystem_, *entry.system);
    }
    systemTaken_ = systemTaken;
    comparing_ = true;
    differences_ = CompareSides({&currentImage_, haveSystem_ ? &currentSystem_ : nullptr},
                                {&entryImage_, haveSystem_ ? &entrySystem_ : nullptr});
    Fill();
}

void LibraryComparePanel::ShowMessage(const QString& message) {
    comparing_ = false;
    message_ = message;
    differences_.clear();
    Fill();
}

void LibraryComparePanel::ApplyLanguage() {
    Fill();
}

QString LibraryComparePanel::summaryText() const {
    return summary_->text();
}

void LibraryComparePanel::Fill() {
    tree_->setHeaderLabels(
        {Bilingual("参数", "Setting"), Bilingual("当前", "Current"), Bilingual("预置", "Preset")});
    tree_->clear();
    lines_.clear();
    if (!comparing_) {
        summary_->setText(message_);
        return;
    }
    summary_->setText(differences_.empty() ? Bilingual("与当前程序相同。", "Same as the current program.")
                                           : Bilingual("与当前程序有 %1 处不同：",
                                                       "%1 settings differ from the current program:")
                                                 .arg(differences_.size()));
    QList<QTreeWidgetItem*> groups;
    QTreeWidgetItem* group = nullptr;
    SettingsPage groupPage{};
    int inGroup = 0;
    auto closeGroup = [&] {
        if (group) group->setText(0, group->text(0) + QStringLiteral(" (%1)").arg(inGroup));
    };
    for (const FieldDifference& d : differences_) {
        const FieldInfo& f = *d.field;
        const bool program = f.record == FieldRecord::Program;
        const uint8_t* cur = program ? BytesOf(currentImage_) : BytesOf(currentSystem_);
        const uint8_t* ent = program ? BytesOf(entryImage_) : BytesOf(entrySystem_);
        ComparedField line{d.page, &f, FieldLabel(f), ValueText(f, cur), ValueText(f, ent)};
        if (!group || d.page != groupPage) {
            closeGroup();
            QString title = PageName(d.page);
            if (d.page == SettingsPage::System && !systemTaken_)
                title += Bilingual("（载入时保留当前设置）", " (kept on Load)");
            group = new QTreeWidgetItem(QStringList{title});
            QFont bold = group->font(0);
            bold.setBold(true);
            group->setFont(0, bold);
            group->setFirstColumnSpanned(false);
            groups << group;
            groupPage = d.page;
            inGroup = 0;
        }
        auto* item = new QTreeWidgetItem(group, QStringList{line.name, line.current, line.entry});
        item->setToolTip(0, QString::fromStdString(f.path));
        ++inGroup;
        lines_.push_back(std::move(line));
    }
    closeGroup();
    tree_->addTopLevelItems(groups);
    tree_->expandAll();
}

}  // namespace pavo
