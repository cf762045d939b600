// What the user is told when a port does not open: which port and why, in the program's
// language, instead of a bare system status.
#include "app/app.h"
#include "serial/port_access.h"
#include "settings/messages.h"

namespace zel {

std::string PortOpenErrorText(const std::string& port, int32_t status) {
    if (port.empty()) return GetMessagePgm(PortNotChosen);
    switch (ClassifyOpenStatus(status)) {
    case PortFault::Missing:
        return MessageWith(PortGone, port);
    case PortFault::InUse:
        return MessageWith(PortInUse, port);
    case PortFault::Permission:
        return MessageWith(PortPermissionRefused, port) + " " +
               MessageWith(PortGroupAdvice, PortOwnerGroup(port));
    case PortFault::NotSerial:
        return MessageWith(PortNotSerial, port);
    case PortFault::SettingRefused:
        return MessageWith(PortSettingRefused, port);
    case PortFault::None:
    case PortFault::Other:
        break;
    }
    return MessageWith(PortOpenFailed, port) + GetIOError(status);
}

std::string PortListLabel(const std::string& port) {
    return PortExists(port) ? port : MessageWith(PortMissingMark, port);
}

} // namespace zel
