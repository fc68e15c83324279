// The Windows transports and the port mutex of the communication device.
#pragma once

#include "kiv_comm_device/CommPlatform.h"
#include "kiv_comm_device/PortConfig.h"
#include "kiv_comm_device/Transport.h"

#include <memory>

namespace kivinst {

std::unique_ptr<Transport> makeSerialTransport(const PortConfig& config);
std::unique_ptr<Transport> makeTcpTransport(const PortConfig& config);
// The active command channel of a grabber of Framix (config.framixIni, config.grabber).
std::unique_ptr<Transport> makeGrabberTransport(const PortConfig& config);
std::unique_ptr<PortMutex> makeNamedPortMutex(const std::string& name);

} // namespace kivinst
