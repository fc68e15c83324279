// Store operations are called through CIniFile_0 from other modules, so no
// exception may leave them. The only one that can arise is an allocation
// failure; it becomes the operation's failure result.
#pragma once

namespace config_store {

template <class Result, class Body>
Result Guarded(Result failure, Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

template <class Body>
void Guarded(Body&& body) noexcept
{
    try {
        body();
    } catch (...) {
    }
}

// Reads also report "not found" when they fail.
template <class Result, class Body>
Result GuardedRead(Result failure, int* found, Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        if (found) *found = 0;
        return failure;
    }
}

template <class Body>
void GuardedRead(int* found, Body&& body) noexcept
{
    try {
        body();
    } catch (...) {
        if (found) *found = 0;
    }
}

} // namespace config_store
