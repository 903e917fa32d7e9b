#include "app/PavoDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "app/AutoEqCommand.h"
#include "app/Connection.h"
#include "app/LibraryWindow.h"
#include "app/Pavo.h"
#include "app/PresetCommands.h"
#include "app/PresetDrop.h"
#include "app/RemoteControl.h"
#include "app/RemoteDlg.h"
#include "app/Show_Dlg.h"
#include "app/TrafficLog.h"
#include "app/UndoGestures.h"
#include "app/WindowEvents.h"
#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "model/DataConver.h"
#include "model/Model.h"
#include "pages/DEQ_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/MainDlg.h"
#include "pages/Mic_Dlg.h"
#include "pages/MusicDlg.h"
#include "pages/PageDlg.h"
#include "pages/SysDlg.h"
#include "platform/ControlId.h"
#include "platform/DialogTemplate.h"
#include "platform/Language.h"
#include "platform/MessageBox.h"
#include "platform/Notify.h"
#include "platform/ProgramNameText.h"
#include "platform/Resources.h"
#include "platform/SettingsFile.h"
#include "platform/Skin.h"
#include "protocol/CommandCodes.h"

namespace pavo {

namespace {

constexpr QSize kDialogSize{723, 373};  // dialog units
constexpr int kBackgroundBitmap = 167;

// The dialog's surface: the background bitmap, copied unscaled at the top-left corner. The controls on
// it are the main window's: their notifications go on to the window.
class Canvas : public QWidget, public MessageTarget {
public:
    explicit Canvas(QWidget* window) : window_(window) {}
    LResult WindowProc(unsigned message, WParam wParam, LParam lParam) override {
        return SendMessage(window_, message, wParam, lParam);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), PageBackground());
        p.drawPixmap(0, 0, LoadBitmap(kBackgroundBitmap, PaintPixelRatio(p)));
    }

private:
    QWidget* window_;
};

struct GroupIds {
    int caption, slider, label, mute, masterByte, maxByte, range, x;
};
// Music, microphone, effect. Note the mute ids: 4002 is the microphone's, 4001 the effect's.
constexpr GroupIds kGroups[3] = {
    {3800, 3820, 3810, 4000, 3, 6, 84, 4},
    {3801, 3821, 3811, 4002, 2, 5, 84, 144},
    {3802, 3822, 3812, 4001, 1, 4, 70, 282},
};

// Pages are created and relabelled in this order; slot 6 is the effect page, which no tab shows.
constexpr int kEffectSlot = PavoDlg::PageEffect;
constexpr int kSpecifiedTabs = 6;
constexpr int kPageOrder[] = {PavoDlg::PageMusic, PavoDlg::PageDynEq, PavoDlg::PageMic,
                              kEffectSlot,        PavoDlg::PageOut12, PavoDlg::PageSystem};

// The user's choice of the effects tab, kept between runs; off unless chosen.
constexpr char kEffectsTabKey[] = "window/effectsTab";

}  // namespace

PavoDlg::PavoDlg(const StartOptions& options, QWidget* parent) : QWidget(parent), options_(options) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFocusPolicy(Qt::StrongFocus);
    events_ = std::make_unique<WindowEvents>(*this);
    unit_.AddListener(events_.get());

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A window larger than the dialog (small screens) shows the page background beyond it.
    QPalette background = scroll_->palette();
    background.setColor(QPalette::Window, PageBackground());
    scroll_->setPalette(background);
    canvas_ = new Canvas(this);
    canvas_->setFont(TemplateFont());
    canvas_->setFixedSize(DialogUnits().ToPixels(kDialogSize));
    scroll_->setWidget(canvas_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);

    setWindowIcon(AppIcon());
    SetUiLanguage(SystemLocaleId() == kLocaleChinesePrc ? LanguageChinese : LanguageEnglish);

    trafficLog_ = std::make_unique<TrafficLog>(unit_.handler());
    if (!options_.traceFile.empty()) {
        std::string error;
        if (!trafficLog_->WriteTraceTo(options_.traceFile, &error))
            std::fprintf(stderr, "pavo: %s\n", error.c_str());
    }
    connection_ = std::make_unique<Connection>(*this);
    presets_ = std::make_unique<PresetCommands>(*this);
    if (!options_.firstPort.empty()) {
        connection_->SetPortLister([first = options_.firstPort, only = options_.onlyFirstPort] {
            std::vector<std::string> ports{first};
            if (!only)
                for (std::string& p : MachinePorts())
                    if (p != first) ports.push_back(std::move(p));
            return ports;
        });
    }
    CreateControls();
    CreatePages();
    RegisterHandlers();
    if (ProgramSettings().value(kEffectsTabKey, false).toBool()) ShowEffectsTab(true);
    SelectPage(PageSystem);
    tab_->SetCurSel(PageSystem);

    progress_ = new Show_Dlg(unit_.model().flags, this);
    ApplyLanguage();
    if (options_.connectAtStart) PostMessage(this, WM_CONNECT_REQUEST);

    resize(canvas_->size());
    setFixedSize(canvas_->size());
    qApp->installEventFilter(this);
    CreateUndo();
    drop_ = std::make_unique<PresetDrop>(*this);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this), &QShortcut::activated, this,
            &PavoDlg::ShowLibrary);
    remote_ = std::make_unique<RemoteControl>(*this);
    if (options_.remoteAsSaved) remote_->StartAsSaved();
}

void PavoDlg::CreateUndo() {
    UndoGestures::Hooks hooks;
    hooks.busy = [this] {
        return unit_.model().flags.transferPending.load() != 0 || progress_->mode() != Show_Dlg::Mode::Hidden;
    };
    // An import or a recall brought a whole program: taking it back (or again) sends the whole program,
    // so the unit also gets its name and the fields the change scan leaves alone (the other scenes, the
    // spare reverb, the spare bytes).
    hooks.applied = [this](const UndoStep& step) {
        if (!BringsWholeProgram(step.tag.kind) || !Connected()) return;
        AcceptProgram(unit_.model(), false);
        connection_->SendDeviceCommand(CmdSendPrograms, 0);
    };
    hooks.restored = [this] {
        RefreshCurrentPage();
        UpdateStatus(true);
    };
    undo_ = std::make_unique<UndoGestures>(*this, unit_, std::move(hooks));
}

PavoDlg::~PavoDlg() {
    remote_.reset();
    library_.reset();
    drop_.reset();
    undo_.reset();
    qApp->removeEventFilter(this);
    // The engine reports to this window: no report from here on, then stop it.
    unit_.RemoveListener(events_.get());
    connection_.reset();
}

void PavoDlg::CreateControls() {
    const DialogUnits du;
    tab_ = new EnTabCtrl(canvas_);
    SetControlId(tab_, IDC_TAB);
    tab_->setGeometry(du.ToPixels(QRect(2, 16, 720, 358)));
    BaseTabCtrl::SetTabOptions(1, BaseTabCtrl::AllOptions);
    tab_->SetBackgroundColour(kWhite);
    tab_->SetDrawingMode(2);
    for (int i = 0; i < 6; ++i) tab_->InsertItem(i, QString::fromUtf8(TabLabelsEnglish[i]));

    const int y = du.ToPixelsY(1);
    for (int g = 0; g < 3; ++g) {
        const GroupIds& ids = kGroups[g];
        MasterGroup& grp = groups_[g];
        grp.masterByte = ids.masterByte;
        grp.maxByte = ids.maxByte;
        const int x = du.ToPixelsX(ids.x);

        grp.caption = new FontStatic(canvas_);
        SetControlId(grp.caption, ids.caption);
        grp.caption->setGeometry(x, y, 64, 22);
        grp.caption->SetTextColour(kWhite);

        grp.slider = new BitmapSlider(canvas_);
        SetControlId(grp.slider, ids.slider);
        grp.slider->move(x + 66, y + 1);
        grp.slider->LoadChannelBitmaps(134, 169);
        grp.slider->LoadThumbBitmaps(133, 133);
        grp.slider->SetMargins(0, 0, 0, 0);
        grp.slider->SetRange(0, ids.range);

        grp.label = new Edit_Static(canvas_);
        SetControlId(grp.label, ids.label);
        grp.label->setGeometry(x + 188, y, 26, 22);
        grp.label->setAlignment(Qt::AlignCenter);
        grp.label->SetIntScale(1, 0);
        grp.label->SetDisplayKind(20);
        grp.label->SetRange(0, ids.range);

        grp.mute = new BitButton(canvas_);
        SetControlId(grp.mute, ids.mute);
        grp.mute->move(x + 216, y + 1);
        grp.mute->SetFaceBitmaps(172, 172, 172, 173, 173, 173);

        // The effect master is stored and transferred like the others but never shown.
        const bool visible = g != 2;
        for (QWidget* w : {static_cast<QWidget*>(grp.caption), static_cast<QWidget*>(grp.slider),
                           static_cast<QWidget*>(grp.label), static_cast<QWidget*>(grp.mute)})
            w->setVisible(visible);
    }

    programLabel_ = new FontStatic(canvas_);
    SetControlId(programLabel_, IDC_PROGRAM_LABEL);
    programLabel_->setGeometry(du.ToPixels(QRect(449, 1, 137, 14)));
    programLabel_->SetTextColour(kWhite);

    connect_ = new BitButton(canvas_);
    SetControlId(connect_, IDC_CONNECT);
    connect_->setGeometry(du.ToPixels(QRect(602, 1, 50, 14)));
    language_ = new BitButton(canvas_);
    SetControlId(language_, IDC_LANGUAGE);
    language_->setGeometry(du.ToPixels(QRect(666, 1, 50, 14)));
    for (BitButton* b : {connect_, language_}) {
        b->SetFaceBitmaps(168, 168, 168, 168, 168, 168);
        b->SetCaptionColours(kWhite, kWhite, kWhite, 0x000000, 0x000000, 0x000000);
    }
}

void PavoDlg::CreatePages() {
    // Music, dynamic EQ, microphone, effect, main output, system.
    for (int slot : kPageOrder) SetPage(slot, CreatePage(slot));
}

PageDlg* PavoDlg::CreatePage(int slot) {
    switch (slot) {
        case PageMusic:
            return new MusicDlg(*this);
        case PageDynEq:
            return new DEQ_Dlg(*this);
        case PageMic:
            return new Mic_Dlg(*this);
        case kEffectSlot:
            return new Effect_Dlg(*this);
        case PageOut12:
        case PageOut34:
            return new MainDlg(*this);
        default:
            return new SysDlg(*this);
    }
}

void PavoDlg::SetPage(int slot, PageDlg* page) {
    PageDlg* old = pages_[slot];
    pages_[slot] = page;
    if (slot == PageOut12 || slot == PageOut34) pages_[PageOut12] = pages_[PageOut34] = page;
    page->setParent(tab_);
    const QRect client = tab_->rect();
    page->setGeometry(client.adjusted(1, 21, -1, -1));
    page->hide();
    delete old;
    const int current = unit_.model().Edit([this] { return unit_.model().pages.CurrentPage; });
    if (current >= 0 && current <= kEffectSlot && Page(current) == page) {
        page->show();
        page->RefreshFromModel();
    }
}

PageDlg* PavoDlg::Page(int index) const {
    return index >= 0 && index < 7 ? pages_[index] : nullptr;
}

void PavoDlg::RegisterHandlers() {
    auto slider = [this](WParam id, LParam) {
        OnMasterSlider(static_cast<int>(id));
        return LResult{1};
    };
    OnMessage(WM_SLIDER_TRACKING, slider);
    OnMessage(WM_SLIDER_CHANGED, slider);
    for (int g = 0; g < 3; ++g) OnCommand(kGroups[g].mute, BN_CLICKED, [this, g] { OnMute(g); });
    OnCommand(IDC_CONNECT, BN_CLICKED, [this] { connection_->ConnectOrDisconnect(); });
    OnCommand(IDC_LANGUAGE, BN_CLICKED, [this] {
        SetUiLanguage(UiIsChinese() ? LanguageEnglish : LanguageChinese);
        ApplyLanguage();
    });
    OnMessage(WM_NOTIFY, [this](WParam id, LParam l) {
        const auto* header = reinterpret_cast<const NotifyHeader*>(l);
        if (static_cast<int>(id) == IDC_TAB && header && header->code == TCN_SELCHANGE)
            SelectPage(tab_->GetCurSel());
        return LResult{0};
    });
    OnMessage(WM_CONNECT_REQUEST, [this](WParam, LParam) {
        connection_->ConnectOrDisconnect();
        return LResult{0};
    });
}

void PavoDlg::OnLinkFailed(const PortError&, bool lookupFrame) {
    connection_->OnLinkFailed(lookupFrame);
    undo_->LinkLost();
}

void PavoDlg::OnSystemReceived() {
    if (unit_.model().Edit([this] { return unit_.model().pages.CurrentPage; }) == PageSystem)
        SystemPage()->RefreshFromModel();
    undo_->SystemReceived();
}

void PavoDlg::OnProgramReceived(ProgramSource source) {
    // The receive path stored the image; the band sets see it at their next look.
    RefreshCurrentPage();
    UpdateStatus(true);
    connection_->OnProgramReceived();
    // After the offer of off-line edits: what the full read ends with starts the history.
    undo_->ProgramReceived(source == ProgramSource::Recall);
}

void PavoDlg::OnAllProgramsReceived() {
    connection_->OnAllProgramsReceived();
}

void PavoDlg::OnDeviceFound() {
    undo_->DeviceFound();
    connection_->OnDeviceFound();
}

void PavoDlg::OnProgressPosition(int sequence) {
    progress_->SetPosition(sequence);
}

void PavoDlg::OnStatusReceived(StatusArea area) {
    SystemPage()->StatusReceived(area);
    unit_.model().status.messageFlag = 1;
}

// A stored-program reply carried another program's number: the unit's own box says "11".
void PavoDlg::OnWrongProgramNumber(int, int) {
    ShowMessageBox(this, QStringLiteral("11"), QString());
}

void PavoDlg::OnPortWarning(const PortError& error, int portNumber) {
    ShowMessageBox(this, QString::fromStdString(error.ApplicationErrorText(portNumber)),
                   QStringLiteral("Application Error"));
}

void PavoDlg::SelectPage(int index) {
    Model& m = unit_.model();
    // The engine reads the page selection (the status replies report only to the system page).
    if (index == m.Edit([&] { return m.pages.CurrentPage; })) return;
    m.Edit([&] { m.pages.CurrentPage = index; });
    PageDlg* shown = Page(index);
    for (PageDlg* p : pages_)
        if (p && p != shown) p->hide();
    if (shown) {
        shown->show();
        shown->Selected(index);
    }
    RefreshCurrentPage();
}

void PavoDlg::RefreshCurrentPage() {
    if (PageDlg* page = Page(unit_.model().Edit([this] { return unit_.model().pages.CurrentPage; }))) {
        page->show();
        page->RefreshFromModel();
    }
    for (int g = 0; g < 3; ++g) ShowMaster(g);
    update();
}

void PavoDlg::ShowMaster(int g) {
    const uint8_t master = SystemByte(groups_[g].masterByte);
    groups_[g].label->SetValue(master & kMasterLevelMask);
    groups_[g].slider->SetPos(master & kMasterLevelMask);
    groups_[g].mute->SetLatched((master & kMasterMuteBit) != 0);
}

int PavoDlg::GroupOfSlider(int id) const {
    for (int g = 0; g < 3; ++g)
        if (kGroups[g].slider == id) return g;
    return -1;
}

void PavoDlg::OnMasterSlider(int sliderId) {
    const int g = GroupOfSlider(sliderId);
    if (g < 0) return;
    MasterGroup& grp = groups_[g];
    int p = grp.slider->GetPos();
    const int max = SystemByte(grp.maxByte);
    if (p > max) {
        p = max;
        grp.slider->SetPos(p);
    }
    grp.label->SetValue(p);
    unit_.model().Edit([&] { SystemByte(grp.masterByte) = static_cast<uint8_t>(p); });
    grp.mute->SetLatched(false);
}

void PavoDlg::OnMute(int g) {
    MasterGroup& grp = groups_[g];
    const bool muted = !grp.mute->IsLatched();
    grp.mute->SetLatched(muted);
    unit_.model().Edit([&] {
        uint8_t& b = SystemByte(grp.masterByte);
        b = static_cast<uint8_t>((muted ? kMasterMuteBit : 0) | (b & kMasterLevelMask));
    });
}

void PavoDlg::ClampLevel(int g) {
    MasterGroup& grp = groups_[g];
    const int max = SystemByte(grp.maxByte);
    if ((SystemByte(grp.masterByte) & kMasterLevelMask) <= max) return;
    unit_.model().Edit([&] { SystemByte(grp.masterByte) = static_cast<uint8_t>(max); });
    grp.label->SetValue(max);
    grp.slider->SetPos(max);
    grp.mute->SetLatched(false);
}

void PavoDlg::SendDeviceCommand(unsigned command, unsigned argument) {
    undo_->BeforeDeviceCommand(command, argument, Connected());
    connection_->SendDeviceCommand(command, argument);
}
void PavoDlg::ExportDia() {
    presets_->ExportDia();
}
void PavoDlg::ImportDia() {
    presets_->ImportDia();
    undo_->AfterImport(StepKind::ImportDia);
}
void PavoDlg::ExportBank() {
    presets_->ExportBank();
}
void PavoDlg::ImportBank() {
    presets_->ImportBank();
    undo_->AfterImport(StepKind::ImportBank);
}
bool PavoDlg::Connected() const {
    return unit_.model().flags.connected.load() != 0;
}

void PavoDlg::ClampMusicLevel() {
    ClampLevel(0);
}
void PavoDlg::ClampMicLevel() {
    ClampLevel(1);
}
void PavoDlg::ClampEffectLevel() {
    ClampLevel(2);
}

void PavoDlg::ApplyLanguage() {
    const auto& tabs = UiIsChinese() ? TabLabelsChinese : TabLabelsEnglish;
    for (int i = 0; i < tab_->GetItemCount(); ++i) tab_->SetItemText(i, QString::fromUtf8(tabs[i]));
    groups_[0].caption->SetText(Bilingual("音乐音量", "Music Vol"));
    groups_[1].caption->SetText(Bilingual("话筒音量", "Mic Vol"));
    groups_[2].caption->SetText(Bilingual("效果音量", "Effect Vol"));
    language_->setText(Bilingual("English", "中文"));
    setWindowTitle(LoadString(UiIsChinese() ? 4010 : 4011) + options_.titleSuffix);
    UpdateStatus(false);
    for (int slot : kPageOrder)
        if (pages_[slot]) pages_[slot]->ApplyLanguage();
    progress_->ApplyLanguage();
    trafficLog_->ApplyLanguage();
    if (library_) library_->ApplyLanguage();
    update();
}

void PavoDlg::UpdateStatus(bool withName) {
    const bool connected = Connected();
    if (!withName) connect_->SetLatched(connected);
    connect_->setText(connected ? Bilingual("断开", "Disconnect") : Bilingual("联机", "Connect"));
    if (!connected) {
        programLabel_->SetText(connection_->OffLineText());  // says why, after a failure
    } else if (withName) {
        const Model& m = unit_.model();
        programLabel_->SetText(QString::fromStdString(ProgramNumberText(m.system.ProgramNumber) + ":") +
                               ProgramNameText(m.current.ProgramName, kProgramNameLength));
    }
}

QString PavoDlg::programLabelText() const {
    return programLabel_->text();
}
QString PavoDlg::connectButtonText() const {
    return connect_->text();
}

// The same logical size on every screen that holds the dialog, whatever its scale. A screen too small
// for it (title bar included) gets a resizable window as large as the screen allows that scrolls the
// dialog; it never grows past the dialog, so nothing shows beyond the artwork.
void PavoDlg::AdaptToScreen(const QSize& screen) {
    constexpr int kTitleBar = 40;  // a generous title bar and frame
    const QSize dialog = canvas_->size();
    if (dialog.width() <= screen.width() && dialog.height() + kTitleBar <= screen.height()) return;
    setMinimumSize(200, 150);
    setMaximumSize(dialog);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(std::min(dialog.width(), screen.width()), std::min(dialog.height(), screen.height() - kTitleBar));
}

void PavoDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), PageBackground());
}

// Enter and Escape move the focus to the window itself, so an edit commits its value; neither closes
// the window. The key then goes on to where it was going.
bool PavoDlg::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (w && w->window() == this &&
            (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) && w != this)
            setFocus(Qt::OtherFocusReason);
    }
    return QWidget::eventFilter(watched, e);
}

// Closing while the unit is being written would leave it half written: the window waits for the
// transfer, its progress still shown, and closes when it is done.
void PavoDlg::closeEvent(QCloseEvent* e) {
    if (progress_->TransferRunning()) {
        e->ignore();
        progress_->WhenFinished([this] { QTimer::singleShot(0, this, &QWidget::close); });
        return;
    }
    QWidget::closeEvent(e);
}

// The menu opens on the release of a right click that no control took (a graph keeps its right
// drags), never on the press: a menu opened on the press would take the release for its first entry.
// Some platforms send the mouse's menu request on the press, others on the release; both are left to
// the release below. The menu key opens it at once.
void PavoDlg::contextMenuEvent(QContextMenuEvent* e) {
    e->accept();
    if (e->reason() != QContextMenuEvent::Mouse) OpenContextMenu(e->globalPos());
}

void PavoDlg::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::RightButton) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    e->accept();
    OpenContextMenu(e->globalPosition().toPoint());
}

void PavoDlg::OpenContextMenu(QPoint globalPos) {
    QMenu menu(this);
    undo_->AddMenuEntries(menu);
    menu.addSeparator();
    AddAutoEqEntry(menu, *this, mapFromGlobal(globalPos));
    menu.addAction(Bilingual("关于(&A)...", "&About..."), this, [this] { ShowAbout(); });
    menu.addAction(Bilingual("通讯记录", "Traffic log"), this, [this] { trafficLog_->ShowWindow(this); });
    menu.addAction(Bilingual("预置库", "Preset library"), this, [this] { ShowLibrary(); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    menu.addAction(Bilingual("远程控制…", "Remote control…"), this,
                   [this] { RemoteDlg(*remote_, this).exec(); });
    QAction* effects = menu.addAction(Bilingual("效果", "Effects"));
    effects->setCheckable(true);
    effects->setChecked(EffectsTabShown());
    connect(effects, &QAction::toggled, this, [this](bool on) {
        ShowEffectsTab(on);
        ProgramSettings().setValue(kEffectsTabKey, on);
    });
    menu.exec(globalPos);
}

void PavoDlg::ShowLibrary() {
    if (!library_) library_ = std::make_unique<LibraryWindow>(*this);
    library_->ShowBesideMain();
}

bool PavoDlg::EffectsTabShown() const {
    return tab_->GetItemCount() > kSpecifiedTabs;
}

// The seventh tab selects the effect page (page index 6). Taking it away while it is shown goes back
// to the System page.
void PavoDlg::ShowEffectsTab(bool show) {
    if (show == EffectsTabShown()) return;
    if (show) {
        const auto& tabs = UiIsChinese() ? TabLabelsChinese : TabLabelsEnglish;
        tab_->InsertItem(kEffectSlot, QString::fromUtf8(tabs[kEffectSlot]));
        return;
    }
    const bool shown = unit_.model().Edit([this] { return unit_.model().pages.CurrentPage; }) == kEffectSlot;
    tab_->DeleteItem(kEffectSlot);
    if (shown) {
        tab_->SetCurSel(PageSystem);
        SelectPage(PageSystem);
    }
}

void PavoDlg::ShowAbout() {
    QDialog box(this);
    box.setWindowTitle(Bilingual("关于", "About"));
    auto* layout = new QHBoxLayout(&box);
    auto* icon = new QLabel(&box);
    icon->setPixmap(AppIcon().pixmap(32, 32));
    layout->addWidget(icon);
    layout->addWidget(new QLabel(Bilingual("pavo %1 版", "pavo version %1").arg(PAVO_VERSION), &box));
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(ok, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(ok);
    box.exec();
}

}  // namespace pavo
