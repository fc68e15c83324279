// The buffered store's operations on its in-memory tree.
#include "config_store/IniStores.h"

#include "caller_buffer.h"
#include "guarded.h"
#include "ini_tree.h"

#include <algorithm>
#include <cstring>

using config_store::CopyToCallerBuffer;
using config_store::Guarded;
using config_store::GuardedRead;
using config_store::IniTree;

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

} // namespace

CIniFile_Buffered::CIniFile_Buffered() : tree_(std::make_unique<IniTree>()) {}
CIniFile_Buffered::~CIniFile_Buffered() = default;

size_t CIniFile_Buffered::GetSectionCount() { return tree_->SectionCount(); }

size_t CIniFile_Buffered::GetSectionName(size_t index, char* buf, size_t bufLen)
{
    if (tree_->empty()) return IniErrorAsSize(INIERR_EMPTY);
    if (!buf || bufLen == 0) return IniErrorAsSize(INIERR_PARAM);
    const auto* section = tree_->SectionAt(index);
    return section ? CopyToCallerBuffer(section->text, buf, bufLen) : 0;
}

int CIniFile_Buffered::SectionExists(const char* section)
{
    return section && tree_->FindSection(section) ? 1 : 0;
}

size_t CIniFile_Buffered::GetKeyCount(const char* section)
{
    const auto* found = section ? tree_->FindSection(section) : nullptr;
    return found ? IniTree::KeyCount(*found) : 0;
}

size_t CIniFile_Buffered::GetKeyName(const char* section, size_t index, char* buf, size_t bufLen)
{
    const auto* found = section ? tree_->FindSection(section) : nullptr;
    const auto* line = found ? IniTree::KeyAt(*found, index) : nullptr;
    return line ? CopyToCallerBuffer(line->key, buf, bufLen) : 0;
}

int CIniFile_Buffered::KeyExists(const char* section, const char* key)
{
    if (!section || !key) return 0;
    const auto* found = tree_->FindSection(section);
    return found && IniTree::FindKey(*found, key) ? 1 : 0;
}

int CIniFile_Buffered::DeleteAll()
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        tree_->Clear();
        return 0;
    });
}

int CIniFile_Buffered::DeleteSection(const char* section)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        if (section) tree_->RemoveSection(section);
        return 0;
    });
}

int CIniFile_Buffered::DeleteKey(const char* section, const char* key)
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        if (section && key) tree_->RemoveKey(section, key);
        return 0;
    });
}

void CIniFile_Buffered::ReadRaw(const char* section, const char* key, const std::string& def, std::string& out,
                                int* found)
{
    GuardedRead(found, [&] {
        const auto* foundSection = section && key ? tree_->FindSection(section) : nullptr;
        const auto* line = foundSection ? IniTree::FindKey(*foundSection, key) : nullptr;
        if (found) *found = line ? 1 : 0;
        out = line ? line->value : def;
    });
}

void CIniFile_Buffered::WriteRaw(const char* section, const char* key, const char* value)
{
    Guarded([&] {
        if (!section || !key) return;
        tree_->SetValue(section, key, OrEmpty(value));
    });
}
