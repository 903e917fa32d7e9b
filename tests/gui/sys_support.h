#pragma once
// Shared by the system page tests: a main window off line with its system page, typing into the
// page's edits as a user does, and the frames waiting in the send queue.
#include <QTest>
#include <memory>
#include <vector>

#include "app/Connection.h"
#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "app_support.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "controls/EnglishEdit.h"
#include "model/DataConver.h"
#include "pages/SysDlg.h"
#include "platform/ControlId.h"
#include "protocol/ProtocolHandler.h"
#include "protocol/SendData.h"

namespace pavo::test {

struct SysPage {
    AppState state;  // first: the model is reset before the window reads it
    std::unique_ptr<PavoDlg> window;
    SysDlg* page = nullptr;

    SysPage() {
        StartOptions o;
        o.connectAtStart = false;
        window = std::make_unique<PavoDlg>(o);
        window->progress().SetGraceTimes(10, 10);
        window->show();
        page = static_cast<SysDlg*>(window->SystemPage());
    }

    template <class T = QWidget>
    T* Item(int id) const {
        return DialogItemAs<T>(page, id);
    }
    bool Enabled(int id) const { return Item(id)->isEnabled(); }
    Model& model() const { return window->unit().model(); }

    // On line as far as the page can tell, without a port: queued frames stay in the queue.
    void PretendOnLine(bool storeAuthority) {
        model().flags.connected = 1;
        model().flags.storeAuthority = storeAuthority ? 1 : 0;
        page->RefreshFromModel();
    }

    // Replaces the edit's text key by key; the page hears every typed character.
    void Type(int editId, const QString& text) {
        auto* edit = Item<EnglishEdit>(editId);
        edit->clear();
        QTest::keyClicks(edit, text);
    }

    // Chooses a list entry as the user does (the list reports the activation).
    void Choose(int comboId, int index) {
        auto* combo = Item<BitComboBox>(comboId);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    void Click(int buttonId) { QTest::mouseClick(Item(buttonId), Qt::LeftButton); }

    // The wire bytes of every queued frame, in order.
    std::vector<std::vector<uint8_t>> QueuedFrames() {
        std::vector<std::vector<uint8_t>> frames;
        SendLockGuard lock(window->unit().handler().SendLock());
        SendDataQueue& q = window->unit().handler().Queue();
        for (int i = 0; i < q.Count(); ++i) {
            const FrameRecord& r = q.At(i)->Record();
            frames.emplace_back(r.data(), r.data() + r.FrameLength());
        }
        return frames;
    }
};

inline std::vector<uint8_t> Payload(const std::vector<uint8_t>& frame) {
    return {frame.begin() + 5, frame.end() - 1};
}

inline std::vector<uint8_t> Bytes(const char* text) {
    return {text, text + std::strlen(text)};
}

inline void SetSystemPassword(Model& m, const char* six) {
    m.Edit([&] { BytesFromText(m.system.SystemPassword, kSystemPasswordLength, six); });
}

}  // namespace pavo::test
