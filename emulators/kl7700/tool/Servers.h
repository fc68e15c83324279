// The platform edges of the tool: TCP listening, pseudo-terminals and the stop request.
#pragma once

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>

#include "Session.h"

namespace kl7700emu {

// Listens on 127.0.0.1:port and serves one client after another until `stop`.
// Writes "127.0.0.1:PORT" (the port actually bound) as the first line of `out`.
// Returns false with `error` set when listening fails.
bool serveTcp(uint16_t port, Camera& camera, const MillisecondClock& clock, std::ostream* log,
              const std::atomic<bool>& stop, std::ostream& out, std::string& error);

// Creates a raw pseudo-terminal, writes its device path as the first line of
// `out`, and serves it until `stop`, across the peer closing and reopening it.
bool servePty(Camera& camera, const MillisecondClock& clock, std::ostream* log,
              const std::atomic<bool>& stop, std::ostream& out, std::string& error);
bool ptyAvailable();

// Sets `stop` on Ctrl+C or a termination request.
void installStopHandler(std::atomic<bool>& stop);

} // namespace kl7700emu
