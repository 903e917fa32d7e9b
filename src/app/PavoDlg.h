#pragma once
// The main window: the six tab pages, the master volume strip, the program label, the Connect and
// language buttons. It receives what the serial engine and the receive path report and dispatches it.
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "pages/PageHost.h"
#include "platform/WinMessage.h"
#include "unit/Unit.h"

class QScrollArea;

namespace pavo {

class BitButton;
class BitmapSlider;
class Connection;
class EnTabCtrl;
class Edit_Static;
class FontStatic;
class LibraryWindow;
class PageDlg;
class PresetDrop;
class PresetCommands;
class RemoteControl;
class Show_Dlg;
class TrafficLog;
class UndoGestures;
class WindowEvents;

// Start-up choices beyond what the unit needs: a device to try first, or the virtual unit alone.
struct StartOptions {
    std::string firstPort;       // tried before the enumerated ports
    bool onlyFirstPort = false;  // try no other port (the virtual unit)
    bool connectAtStart = true;
    QString titleSuffix;         // shown after the title, e.g. " - virtual unit"
    std::string traceFile;       // --trace FILE: the traffic log's lines also go there
    bool remoteAsSaved = false;  // start the remote control if the user left it on
};

class PavoDlg : public QWidget, public MessageTarget, public PageHost {
    Q_OBJECT
public:
    enum {
        IDD = 102,
        IDC_TAB = 1028,
        IDC_PROGRAM_LABEL = 3830,
        IDC_CONNECT = 3831,
        IDC_LANGUAGE = 3832,
        IDM_ABOUTBOX = 0x10,
    };
    enum PageIndex {
        PageMusic = 0,
        PageDynEq = 1,
        PageMic = 2,
        PageOut12 = 3,
        PageOut34 = 4,
        PageSystem = 5,
        PageEffect = 6,  // shown by a seventh tab only when the user asks for it
    };

    explicit PavoDlg(const StartOptions& options = {}, QWidget* parent = nullptr);
    ~PavoDlg() override;

    void SelectPage(int index);
    void RefreshCurrentPage();
    void ApplyLanguage();
    void UpdateStatus(bool withName);

    // What the pages ask of the window.
    Unit& unit() override { return unit_; }
    void SendDeviceCommand(unsigned command, unsigned argument) override;
    void ExportDia() override;
    void ImportDia() override;
    void ExportBank() override;
    void ImportBank() override;
    void ClampMusicLevel() override;
    void ClampMicLevel() override;
    void ClampEffectLevel() override;
    bool Connected() const override;

    // The effect page as a seventh tab (context menu "Effects"); the choice is kept between runs.
    void ShowEffectsTab(bool show);
    bool EffectsTabShown() const;

    // Fits the window to a screen too small for the dialog (scroll bars), as at start; on any other
    // screen the window keeps the dialog's size.
    void AdaptToScreen(const QSize& screen);

    // What the unit reports, on this window's thread (WindowEvents queues the calls).
    void OnDeviceFound();
    void OnSystemReceived();
    void OnProgramReceived(ProgramSource source);
    void OnAllProgramsReceived();
    void OnStatusReceived(StatusArea area);
    void OnWrongProgramNumber(int received, int requested);
    void OnLinkFailed(const PortError& error, bool lookupFrame);
    void OnProgressPosition(int sequence);
    void OnPortWarning(const PortError& error, int portNumber);

    Connection& connection() { return *connection_; }
    PresetCommands& presets() { return *presets_; }
    Show_Dlg& progress() { return *progress_; }
    TrafficLog& trafficLog() { return *trafficLog_; }
    UndoGestures& undo() { return *undo_; }
    // The preset library window (context menu "Preset library", Ctrl+L); made on first use.
    void ShowLibrary();
    LibraryWindow* library() const { return library_.get(); }
    RemoteControl& remote() { return *remote_; }
    PageDlg* Page(int pageIndex) const;
    PageDlg* SystemPage() const { return pages_[PageSystem]; }
    // Replaces a page (the pages of later editors plug in here); index as in Page(), 6 = the effect page.
    void SetPage(int slot, PageDlg* page);
    EnTabCtrl& tabs() { return *tab_; }
    QWidget& canvas() { return *canvas_; }
    QString programLabelText() const;
    QString connectButtonText() const;

    // Master strip, by group: 0 music, 1 microphone, 2 effect.
    BitmapSlider& masterSlider(int group) const { return *groups_[group].slider; }
    Edit_Static& masterLabel(int group) const { return *groups_[group].label; }
    BitButton& muteButton(int group) const { return *groups_[group].mute; }

protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    bool focusNextPrevChild(bool) override { return false; }  // Tab does not move between controls
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    struct MasterGroup {
        FontStatic* caption = nullptr;
        BitmapSlider* slider = nullptr;
        Edit_Static* label = nullptr;
        BitButton* mute = nullptr;
        int masterByte = 0;  // offset in the system record
        int maxByte = 0;
    };

    void CreateControls();
    // The window's context menu, at a screen point. The one place it opens.
    void OpenContextMenu(QPoint globalPos);
    void CreatePages();
    void CreateUndo();
    PageDlg* CreatePage(int slot);
    void RegisterHandlers();
    void OnMasterSlider(int sliderId);
    void OnMute(int group);
    void ShowMaster(int group);
    void ClampLevel(int group);
    void ShowAbout();
    int GroupOfSlider(int id) const;
    uint8_t& SystemByte(int offset) { return BytesOf(unit_.model().system)[offset]; }

    StartOptions options_;
    Unit unit_;  // before everything that talks to it
    QScrollArea* scroll_ = nullptr;
    QWidget* canvas_ = nullptr;  // the dialog's surface; the scroll area shows it on small screens
    EnTabCtrl* tab_ = nullptr;
    std::array<MasterGroup, 3> groups_;
    FontStatic* programLabel_ = nullptr;
    BitButton* connect_ = nullptr;
    BitButton* language_ = nullptr;
    std::array<PageDlg*, 7> pages_{};  // by page index; 3 and 4 share the output page; 6 the effect page
    Show_Dlg* progress_ = nullptr;
    std::unique_ptr<WindowEvents> events_;
    std::unique_ptr<TrafficLog> trafficLog_;  // before the connection: it sees the first frame
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<PresetCommands> presets_;
    std::unique_ptr<UndoGestures> undo_;
    std::unique_ptr<PresetDrop> drop_;
    std::unique_ptr<LibraryWindow> library_;  // listens to the unit: goes before it
    std::unique_ptr<RemoteControl> remote_;   // edits through the window: goes first
};

}  // namespace pavo
