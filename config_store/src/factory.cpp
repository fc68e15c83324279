// CreateIniFile and DeleteIniFile: the store family's factory.
#include "config_store/IniStores.h"

#ifdef _WIN32
#include "config_store/IniRegistry.h"
#endif

#include <new>

CIniFile* CreateIniFile(int kind)
{
    try {
        switch (kind) {
        case INIKIND_FAST: return new CIniFile_Fast();
        case INIKIND_SECURE: return new CIniFile_Secure();
#ifdef _WIN32
        case INIKIND_REG: return new CIniFile_Reg();
#endif
        case INIKIND_MEM: return new CIniFile_Mem();
        default: return nullptr;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void DeleteIniFile(CIniFile* store)
{
    if (!store) return;
    int kind = store->GetType();
    if (kind >= INIKIND_FAST && kind <= INIKIND_MEM) delete store;
}
