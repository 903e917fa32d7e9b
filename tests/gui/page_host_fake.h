#pragma once
// A page host that records what a page asks of it, for page tests without the main window.
#include <string>
#include <utility>
#include <vector>

#include "pages/PageHost.h"
#include "unit/Unit.h"

namespace pavo::test {

class FakePageHost : public PageHost {
public:
    Unit& unit() override { return unit_; }

    std::vector<std::pair<unsigned, unsigned>> commands;  // (command, argument) in order
    std::vector<std::string> calls;                       // the other requests, by name
    bool connected = false;

    void SendDeviceCommand(unsigned command, unsigned argument) override {
        commands.emplace_back(command, argument);
    }
    void ExportDia() override { calls.push_back("ExportDia"); }
    void ImportDia() override { calls.push_back("ImportDia"); }
    void ExportBank() override { calls.push_back("ExportBank"); }
    void ImportBank() override { calls.push_back("ImportBank"); }
    void ClampMusicLevel() override { calls.push_back("ClampMusicLevel"); }
    void ClampMicLevel() override { calls.push_back("ClampMicLevel"); }
    void ClampEffectLevel() override { calls.push_back("ClampEffectLevel"); }
    bool Connected() const override { return connected; }

private:
    Unit unit_{false};  // a unit of the page's own, freshly reset
};

}  // namespace pavo::test
