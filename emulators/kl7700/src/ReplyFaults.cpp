// How each injected fault spoils the bytes of one reply.
#include "ReplyFaults.h"

namespace kl7700emu {
namespace {

// Printable noise that never looks like a prompt or a value marker.
char garbageByte(uint32_t& seed)
{
    static constexpr char kNoise[] = "!#$%&()*+,-./0123456789:;<?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`{|}~";
    seed = seed * 1664525u + 1013904223u;
    return kNoise[(seed >> 16) % (sizeof kNoise - 1)];
}

} // namespace

std::string spoilReply(std::string reply, Fault fault, uint32_t& seed)
{
    switch (fault) {
    case Fault::CorruptByte:
        // One flipped bit in the middle of the reply, where the value usually sits.
        if (!reply.empty()) reply[reply.size() / 2] = static_cast<char>(reply[reply.size() / 2] ^ 0x01);
        break;
    case Fault::CutShort:
        reply.resize(reply.size() / 2);
        break;
    case Fault::OmitPrompt:
        if (!reply.empty() && reply.back() == '>') reply.pop_back();
        break;
    case Fault::Garbage:
        for (char& byte : reply) byte = garbageByte(seed);
        break;
    case Fault::None:
    case Fault::Drop:
    case Fault::Delay:
        break;
    }
    return reply;
}

} // namespace kl7700emu
