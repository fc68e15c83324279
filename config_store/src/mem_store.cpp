// Kind 3: the buffered store loaded from and saved to a caller's memory block.
#include "config_store/IniStores.h"

#include "guarded.h"
#include "ini_parser.h"
#include "ini_tree.h"

#include <cstdlib>
#include <cstring>

using namespace config_store;

namespace {
constexpr size_t kFirstOutputSize = 4096;
}

CIniFile_Mem::~CIniFile_Mem() { std::free(outBuffer_); }

int CIniFile_Mem::SetFileName(const char* name)
{
    // The name argument carries the address of the caller's block.
    block_ = reinterpret_cast<IniMemBlock*>(const_cast<char*>(name));
    return 0;
}

int CIniFile_Mem::Load()
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        if (!block_ || !block_->inData) return INIERR_OPEN;
        MemoryBlockLines lines(block_->inData, block_->inSize);
        return ParseIniText(lines, MutableTree());
    });
}

int CIniFile_Mem::Save()
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        if (!block_) return INIERR_OPEN;
        if (!outBuffer_) {
            outBuffer_ = static_cast<char*>(std::malloc(kFirstOutputSize));
            if (!outBuffer_) return INIERR_OPEN;
            outCapacity_ = kFirstOutputSize;
        }
        const std::string text = FormatIniText(Tree(), "\n");
        const size_t needed = text.size() + 1;
        if (needed > outCapacity_) {
            char* grown = static_cast<char*>(std::realloc(outBuffer_, needed));
            if (!grown) {
                block_->outData = nullptr;
                block_->outSize = 0;
                return INIERR_WRITE;
            }
            outBuffer_ = grown;
            outCapacity_ = needed;
        }
        std::memcpy(outBuffer_, text.c_str(), needed);
        if (outCapacity_ > needed) {
            // A failed shrink keeps the larger block, which is still valid.
            if (char* shrunk = static_cast<char*>(std::realloc(outBuffer_, needed))) {
                outBuffer_ = shrunk;
                outCapacity_ = needed;
            }
        }
        block_->outData = outBuffer_;
        block_->outSize = outCapacity_;
        return 0;
    });
}
