// Vtable slot of a virtual member function, read from its pointer-to-member bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Under the Itanium C++ ABI (GCC, also MinGW-w64) a pointer to a virtual
// member function holds 1 + the byte offset of its vtable entry. Other
// modules call us through these offsets, so they are pinned by tests.
template <typename MemberFn>
std::ptrdiff_t SlotIndex(MemberFn fn)
{
    static_assert(sizeof(MemberFn) >= sizeof(std::ptrdiff_t));
    std::ptrdiff_t bits = 0;
    std::memcpy(&bits, &fn, sizeof bits);
    if ((bits & 1) == 0)
        return -1; // not a virtual function
    return (bits - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}
