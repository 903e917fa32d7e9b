#include "protocol/RestoredLinks.h"

#include <cstring>
#include <memory>
#include <mutex>

#include "model/Bytes.h"
#include "model/Model.h"
#include "protocol/CommandCodes.h"
#include "protocol/FrameLayout.h"
#include "protocol/ProtocolHandler.h"
#include "protocol/SendData.h"

namespace pavo {

void CopyLinkedChannel(ProgramImage& image, int index) {
    auto outputs = [&image](int source, int partner) {
        for (OutputScene& scene : image.Scenes) {
            OutputChannel& dst = scene.Channel[partner];
            const uint8_t mute = dst.Mute;
            const Le16 delay = dst.Delay;
            CopyRecord(dst, scene.Channel[source]);
            dst.Mute = mute;
            dst.Delay = delay;
        }
    };
    switch (index) {
        case 0:
            CopyRecord(image.Mic34, image.Mic12);
            break;
        case 1:
            CopyRecord(image.MusicRight, image.MusicLeft);
            break;
        case 2:
            outputs(OutOut4, OutOut3);
            break;
        case 4:
            outputs(OutOut2, OutOut1);
            break;
        case 5:
            outputs(OutSurroundL, OutSurroundR);
            break;
        default:
            break;  // the spare link ties nothing
    }
}

int SendLinksTurnedOff(ProtocolHandler& handler, const ProgramImage& before) {
    SendLockGuard sendGuard(handler.SendLock());
    Model& m = handler.model();
    int queued = 0;
    std::lock_guard<std::mutex> modelGuard(m.Lock());
    // The link bytes in the order of their frame index (CMD 0x87, payload [index, value]).
    for (int i = 0; i < static_cast<int>(frame_layout::kLinks.size()); ++i) {
        const size_t link = frame_layout::kLinks[i];
        if (BytesOf(before)[link] == 0 || BytesOf(m.current)[link] != 0 || BytesOf(m.lastSent)[link] == 0)
            continue;
        auto item = std::make_unique<SendData>();
        FrameRecord& r = item->Record();
        r[4] = CmdLink;
        r[5] = static_cast<uint8_t>(i);
        r[6] = 0;
        r.SetLen(4);
        FinishFrame(r);
        handler.Queue().Append(std::move(item));
        BytesOf(m.lastSent)[link] = 0;
        CopyLinkedChannel(m.lastSent, i);
        ++queued;
    }
    return queued;
}

}  // namespace pavo
