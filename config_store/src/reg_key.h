// Owning wrapper of an open registry key.
#pragma once

#include <windows.h>

namespace config_store {

class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept : key_(other.Release()) {}
    RegKey& operator=(RegKey&& other) noexcept
    {
        Reset(other.Release());
        return *this;
    }
    ~RegKey() { Reset(); }

    HKEY Get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    HKEY* Receive()
    {
        Reset();
        return &key_;
    }
    HKEY Release()
    {
        HKEY key = key_;
        key_ = nullptr;
        return key;
    }
    void Reset(HKEY key = nullptr)
    {
        if (key_) RegCloseKey(key_);
        key_ = key;
    }

private:
    HKEY key_ = nullptr;
};

} // namespace config_store
