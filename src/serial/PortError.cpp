#include "serial/PortError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pavo {

const char* FaultName(LinkFault fault) {
    switch (fault) {
        case LinkFault::None:
            return "no error";
        case LinkFault::Unplugged:
            return "unplugged";
        case LinkFault::NoAnswer:
            return "no answer";
        case LinkFault::PortBusy:
            return "port busy";
        case LinkFault::NoAccess:
            return "no access";
        case LinkFault::NotATerminal:
            return "not a serial port";
        case LinkFault::NoPort:
            return "no port given";
        case LinkFault::Settings:
            return "port settings refused";
        case LinkFault::WriteStuck:
            return "write stuck";
        case LinkFault::Other:
            return "port error";
    }
    return "port error";
}

std::string PortError::Text() const {
    std::string text = FaultName(fault);
    if (err != 0) text += std::string(" (") + std::strerror(err) + ")";
    return text;
}

std::string PortError::ApplicationErrorText(int port) const {
    char text[512];
    std::snprintf(text, sizeof text, "WARNING:  %s Failed with the following error: \n%s\nPort: %d\n",
                  operation.c_str(), std::strerror(err), port);
    return text;
}

PortError PortError::FromOpenErrno(int err) {
    LinkFault fault;
    switch (err) {
        case ENOENT:
        case EIO:  // a pseudo-terminal whose other side has closed
        case ENODEV:
        case ENXIO:
            fault = LinkFault::Unplugged;
            break;
        case EBUSY:
        case EWOULDBLOCK:
            fault = LinkFault::PortBusy;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            fault = LinkFault::NoAccess;
            break;
        case ENOTTY:
            fault = LinkFault::NotATerminal;
            break;
        default:
            fault = LinkFault::Other;
            break;
    }
    return {fault, err, "open()"};
}

}  // namespace pavo
