#pragma once

#include <string>

namespace zorbtools {

// A stable description of the machine, read under `root` ("" for the real system):
//   "machine=<machine id>;cpu=<processor>;board=<vendor>|<name>|<version>|<serial>"
// The machine id comes from etc/machine-id (else var/lib/dbus/machine-id), the processor from
// the first vendor and model lines of proc/cpuinfo, the board from sys/class/dmi/id/board_*.
// What cannot be read stays empty; nothing that changes while the machine runs (clock speeds,
// counts of online processors) is included.
std::string hardwareText(const std::string& root);

}  // namespace zorbtools
