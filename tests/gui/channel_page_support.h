#pragma once
// Shared by the music and microphone page tests and their gallery: the main window off line or on
// line with the virtual unit, the two pages, and acting on their controls as a user does.
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/Connection.h"
#include "app/PavoDlg.h"
#include "app_support.h"
#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/EnTabCtrl.h"
#include "controls/NumEdit.h"
#include "controls/Trackbar.h"
#include "pages/Mic_Dlg.h"
#include "pages/MusicDlg.h"
#include "platform/ControlId.h"
#include "virtual_unit/UnitLine.h"

namespace pavo::test {

struct ChannelWindow {
    AppState state;  // first: the model is reset before the window reads it
    std::unique_ptr<PavoDlg> window;

    explicit ChannelWindow(int locale = kLocaleEnglishUs) {
        SystemLocaleId() = locale;
        StartOptions o;
        o.connectAtStart = false;
        window = std::make_unique<PavoDlg>(o);
        window->progress().SetGraceTimes(10, 10);
        window->show();
    }

    MusicDlg* Music() const { return static_cast<MusicDlg*>(window->Page(PavoDlg::PageMusic)); }
    Mic_Dlg* Mic() const { return static_cast<Mic_Dlg*>(window->Page(PavoDlg::PageMic)); }

    // Connects to the unit and waits until the full read is over and the program is shown.
    bool ConnectTo(unit::UnitLine& u) {
        window->connection().SetPortLister(
            [path = u.DevicePath()] { return std::vector<std::string>{path}; });
        PostMessage(window.get(), WM_CONNECT_REQUEST);
        return WaitUntil([&] { return OnLineAndIdle(*window) && unit().model().flags.transferPending.load() == 0; });
    }
    Unit& unit() const { return window->unit(); }
};

template <class T = QWidget>
T* ItemOf(QWidget* page, int id) {
    return DialogItemAs<T>(page, id);
}

inline void Click(QWidget* page, int buttonId) {
    QTest::mouseClick(ItemOf(page, buttonId), Qt::LeftButton);
}

// Chooses a list entry as the user does (the list reports the activation).
inline void Choose(QWidget* page, int comboId, int index) {
    auto* combo = ItemOf<BitComboBox>(page, comboId);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// The slider at a position, reported to the page as a drag step is.
inline void Slide(QWidget* page, int sliderId, int pos) {
    ItemOf<BitmapSlider>(page, sliderId)->SetPos(pos);
    SendMessage(page, WM_SLIDER_TRACKING, static_cast<WParam>(sliderId), pos);
}

}  // namespace pavo::test

#include "eq/BandSets.h"
#include "protocol/Command.h"
#include "protocol/FrameRecord.h"
#include "protocol/ProtocolHandler.h"

namespace pavo::test {

// One frame as the scanner built it.
struct ScannedFrame {
    uint8_t cmd;
    std::vector<uint8_t> payload;
    bool operator==(const ScannedFrame&) const = default;
};

// Off line nothing scans: runs the scanner as the engine would and returns every frame it builds
// before it has nothing left but status polls.
inline std::vector<ScannedFrame> PendingFrames(Unit& unit) {
    std::vector<ScannedFrame> frames;
    ProtocolHandler& handler = unit.handler();
    SendLockGuard lock(handler.SendLock());
    for (int i = 0; i < 10000; ++i) {
        handler.ScanForChange();
        const FrameRecord& r = handler.Outgoing();
        const uint8_t cmd = r.data()[4];
        if (cmd == CmdStatusA || cmd == CmdStatusB) break;
        frames.push_back({cmd, std::vector<uint8_t>(r.data() + 5, r.data() + r.FrameLength() - 1)});
    }
    return frames;
}

// The bytes of a block of an image, by block number (0..3).
inline std::vector<uint8_t> BlockBytes(const ProgramImage& image, int block) {
    const uint8_t* b = BytesOf(image);
    switch (block) {
        case BlockMusicLeft:
            return {b + offsetof(ProgramImage, MusicLeft),
                    b + offsetof(ProgramImage, MusicLeft) + sizeof(MusicBlock)};
        case BlockMusicRight:
            return {b + offsetof(ProgramImage, MusicRight),
                    b + offsetof(ProgramImage, MusicRight) + sizeof(MusicBlock)};
        case BlockMic12:
            return {b + offsetof(ProgramImage, Mic12), b + offsetof(ProgramImage, Mic12) + sizeof(MicBlock)};
        default:
            return {b + offsetof(ProgramImage, Mic34), b + offsetof(ProgramImage, Mic34) + sizeof(MicBlock)};
    }
}

}  // namespace pavo::test
