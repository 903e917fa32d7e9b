#pragma once
// What a page may ask of the window that holds it: the unit it shows, the device commands, the
// preset-file commands, the master-level clamps and the connection state. The main window implements
// it; pages receive it at construction and never reach the application any other way. The send lock
// is the unit's (its protocol handler's): pages take it there, around a link flip and its copy.
namespace pavo {

class Unit;

class PageHost {
public:
    virtual ~PageHost() = default;

    // The unit whose model the pages show and edit.
    virtual Unit& unit() = 0;

    // Queues a device command (protocol/CommandCodes.h) as the main window does: on line under the send
    // lock with the progress dialog where the command is a transfer; off line on the program bank.
    virtual void SendDeviceCommand(unsigned command, unsigned argument) = 0;

    // The four preset-file commands, with their file dialogs and, on line, the follow-up sends.
    virtual void ExportDia() = 0;
    virtual void ImportDia() = 0;
    virtual void ExportBank() = 0;
    virtual void ImportBank() = 0;

    // A maximum level changed: the master strip's level follows it down where it is above.
    virtual void ClampMusicLevel() = 0;
    virtual void ClampMicLevel() = 0;
    virtual void ClampEffectLevel() = 0;

    // The link to the unit is up (a device was opened and not lost since).
    virtual bool Connected() const = 0;
};

}  // namespace pavo
