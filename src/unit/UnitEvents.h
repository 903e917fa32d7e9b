#pragma once
// Everything the core tells the program about one unit, typed: what its replies brought
// (protocol/ReplyEvents.h) and what happened on its line (serial/SerialPort.h's LinkEvents). The
// reports arrive on the engine's worker thread; a receiver copies what it needs and returns at once
// (a window queues a call to its own thread). The names follow the window messages the events once
// were: device found, system / program / all programs received, status received, link failed,
// progress position.
#include "protocol/ReplyEvents.h"
#include "serial/SerialPort.h"

namespace pavo {

class UnitEvents : public ReplyEvents, public LinkEvents {
public:
    virtual ~UnitEvents() = default;
};

}  // namespace pavo
