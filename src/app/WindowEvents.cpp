#include "app/WindowEvents.h"

#include <QMetaObject>

#include "app/PavoDlg.h"

namespace pavo {

template <class Fn>
void WindowEvents::Queue(Fn fn) {
    PavoDlg* window = &window_;
    QMetaObject::invokeMethod(window, [window, fn] { fn(*window); }, Qt::QueuedConnection);
}

void WindowEvents::DeviceFound() {
    Queue([](PavoDlg& w) { w.OnDeviceFound(); });
}
void WindowEvents::SystemReceived() {
    Queue([](PavoDlg& w) { w.OnSystemReceived(); });
}
void WindowEvents::ProgramReceived(ProgramSource source) {
    Queue([source](PavoDlg& w) { w.OnProgramReceived(source); });
}
void WindowEvents::AllProgramsReceived() {
    Queue([](PavoDlg& w) { w.OnAllProgramsReceived(); });
}
void WindowEvents::StatusReceived(StatusArea area) {
    Queue([area](PavoDlg& w) { w.OnStatusReceived(area); });
}
void WindowEvents::WrongProgramNumber(int received, int requested) {
    Queue([received, requested](PavoDlg& w) { w.OnWrongProgramNumber(received, requested); });
}
void WindowEvents::LinkFailed(const PortError& error, bool lookupFrame) {
    Queue([error, lookupFrame](PavoDlg& w) { w.OnLinkFailed(error, lookupFrame); });
}
void WindowEvents::ProgressPosition(int sequence) {
    Queue([sequence](PavoDlg& w) { w.OnProgressPosition(sequence); });
}
void WindowEvents::PortWarning(const PortError& error, int portNumber) {
    Queue([error, portNumber](PavoDlg& w) { w.OnPortWarning(error, portNumber); });
}

}  // namespace pavo
