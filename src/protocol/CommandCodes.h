#pragma once
// Command codes of the frames exchanged with the unit.
#include <cstdint>

namespace pavo {

enum CommandCode : uint8_t {
    CmdMasterLevel = 0x01,
    CmdLevel = 0x02,
    CmdEqBand = 0x03,
    CmdFilter = 0x04,
    CmdTime = 0x05,
    CmdFeedback = 0x06,
    CmdCompressor = 0x07,
    CmdMute = 0x08,
    CmdKeyShift = 0x09,
    CmdGate = 0x0A,
    CmdSwitch = 0x0B,
    CmdStatusA = 0x0C,  // status poll / reply filling status area A
    CmdInputSelect = 0x0D,
    CmdDynEq = 0x11,
    CmdExciter = 0x12,
    CmdInputSetting = 0x13,
    CmdBypass = 0x14,
    CmdStatusB = 0x18,  // status poll / reply filling status area B
    CmdLookup = 0x7F,
    CmdReadNames = 0x80,
    CmdReadSystem = 0x81,
    CmdReadPrograms = 0x82,
    CmdSendSystem = 0x83,
    CmdSendPrograms = 0x84,
    CmdRecall = 0x85,
    CmdStore = 0x86,
    CmdLink = 0x87,
    CmdMaxLevel = 0x89,
    CmdPhantom = 0x8A,
    CmdIrRemote = 0x8B,
    CmdSystemPassword = 0x8C,
    CmdPanelPassword = 0x8D,
    CmdScene = 0x8E,
};

}  // namespace pavo
