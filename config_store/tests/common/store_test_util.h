// Helpers shared by the store tests: memory stores from text, file bytes
// (the scratch folders come from app_framework_testing).
#pragma once

#include "app_framework_testing/scratch_folder.h"
#include "config_store/IniStores.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace store_test {

// A memory store loaded from `text`; `result` receives Load's code.
inline int LoadText(CIniFile_Mem& store, const std::string& text)
{
    IniMemBlock block;
    block.inData = text.data();
    block.inSize = text.size();
    store.SetFileName(reinterpret_cast<const char*>(&block));
    return store.Load();
}

inline std::string SaveText(CIniFile_Mem& store)
{
    IniMemBlock block;
    store.SetFileName(reinterpret_cast<const char*>(&block));
    if (store.Save() != 0 || !block.outData) return "<save failed>";
    return std::string(block.outData);
}

inline std::string RawValue(CIniFile& store, const char* section, const char* key, int* found = nullptr)
{
    std::string out;
    store.ReadRaw(section, key, "<default>", out, found);
    return out;
}

inline std::string ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

} // namespace store_test
