// How each injected fault spoils the bytes of one reply.
#pragma once

#include <cstdint>
#include <string>

#include "kl7700emu/Camera.h"

namespace kl7700emu {

// The reply as it reaches the host under `fault`. Drop and Delay concern the
// timing, not the bytes, and return the reply unchanged; so does None.
// `seed` drives the garbage bytes and advances with each use.
std::string spoilReply(std::string reply, Fault fault, uint32_t& seed);

} // namespace kl7700emu
