#pragma once
// A channel link turned off by an undo or a redo.
//
// When the unit hears a link byte go to 0 it copies the leading channel over its partner, just as
// the pages' SYNC off copies it in the program (current and last-sent image, so that the copy sends
// nothing). An undo that turns a link off instead gives the partner back its own settings; for the
// unit to end with them too they have to arrive after the unit's copy. So the link byte goes out first,
// queued ahead of the change scan, and the last-sent image takes the copy the unit makes; the scan
// then sends whatever of the partner differs from it.
#include "model/Blocks.h"

namespace pavo {
class ProtocolHandler;
}

namespace pavo {

// The copy the unit makes in `image` when link `index` (its frame index: 0 Mic, 1 Music, 2 Out3&4,
// 3 spare, 4 Out1&2, 5 Surround) goes off: the leading channel over its partner; output partners keep
// their own mute and delay in every scene. The spare link ties nothing.
void CopyLinkedChannel(ProgramImage& image, int index);

// Call on the UI thread under the send lock, with the current image already restored; `before` is the
// current image as it was before. Links on in `before` and in the last-sent image but off now are
// queued on the handler's queue and copied as above. Returns how many link frames were queued.
int SendLinksTurnedOff(ProtocolHandler& handler, const ProgramImage& before);

}  // namespace pavo
