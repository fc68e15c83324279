// A serial port's device reached over TCP: the KL-7700 emulator's --tcp server, or a
// terminal server in front of a real device. Platform code lives in TcpDevice_*.cpp.
#pragma once

#include "gige_sim/SerialPort.h"

#include <memory>
#include <string>
#include <string_view>

namespace gigesim {

// "HOST:PORT" with a dotted IPv4 host. Connects at once (at most two seconds); null and
// `error` when that fails. Bytes to the device are sent without blocking (up to 64 KiB
// wait while the peer is slow, more are lost and counted); bytes from it are taken when
// the port looks, every two milliseconds of the library's clock.
std::unique_ptr<SerialDevice> makeTcpDevice(std::string_view hostPort, std::string& error);

} // namespace gigesim
