#pragma once
// The hardware pieces of the machine identifiers, read from this Windows: an adapter address
// and a disk serial (empty when none can be read). Any source that fails gives nothing.

#include <string>

namespace mid {

std::string ReadAdapterAddress();
std::string ReadDiskSerial();

}  // namespace mid
