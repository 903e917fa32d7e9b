#include "unit/Unit.h"

#include <algorithm>

namespace pavo {

namespace {

bool ResetFirst(Model& model, bool createModeFolder) {
    ResetParameters(model, createModeFolder);
    return true;
}

}  // namespace

Unit::Unit(bool createModeFolder) : reset_(ResetFirst(model_, createModeFolder)) {}

Unit::~Unit() {
    handler_.SetEvents(nullptr);
}

void Unit::Reset(bool createModeFolder) {
    ResetParameters(model_, createModeFolder);
    handler_.ResetFrames();
}

void Unit::AddListener(UnitEvents* listener) {
    hub_.Add(listener);
}

void Unit::RemoveListener(UnitEvents* listener) {
    hub_.Remove(listener);
}

void Unit::Hub::Add(UnitEvents* listener) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void Unit::Hub::Remove(UnitEvents* listener) {
    std::lock_guard<std::mutex> guard(mutex_);
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

template <class Fn>
void Unit::Hub::Tell(Fn fn) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (UnitEvents* l : listeners_) fn(*l);
}

void Unit::Hub::DeviceFound() {
    Tell([](UnitEvents& l) { l.DeviceFound(); });
}
void Unit::Hub::SystemReceived() {
    Tell([](UnitEvents& l) { l.SystemReceived(); });
}
void Unit::Hub::ProgramReceived(ProgramSource source) {
    Tell([&](UnitEvents& l) { l.ProgramReceived(source); });
}
void Unit::Hub::StoredProgramReceived(int number) {
    Tell([&](UnitEvents& l) { l.StoredProgramReceived(number); });
}
void Unit::Hub::AllProgramsReceived() {
    Tell([](UnitEvents& l) { l.AllProgramsReceived(); });
}
void Unit::Hub::StatusReceived(StatusArea area) {
    Tell([&](UnitEvents& l) { l.StatusReceived(area); });
}
void Unit::Hub::WrongProgramNumber(int received, int requested) {
    Tell([&](UnitEvents& l) { l.WrongProgramNumber(received, requested); });
}
void Unit::Hub::LinkFailed(const PortError& error, bool lookupFrame) {
    Tell([&](UnitEvents& l) { l.LinkFailed(error, lookupFrame); });
}
void Unit::Hub::ProgressPosition(int sequence) {
    Tell([&](UnitEvents& l) { l.ProgressPosition(sequence); });
}
void Unit::Hub::PortWarning(const PortError& error, int portNumber) {
    Tell([&](UnitEvents& l) { l.PortWarning(error, portNumber); });
}

}  // namespace pavo
