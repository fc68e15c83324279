// Fuzz target: ini text loaded from memory and from a file, written back and
// reloaded, and the field-list reader and writers run over the first key.
#include "config_store/IniStores.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Text written by a store reads back into the same text.
void CheckSaveIsStable(CIniFile_Mem& store)
{
    IniMemBlock first;
    store.SetFileName(reinterpret_cast<const char*>(&first));
    Check(store.Save() == 0, "save");
    const std::string text(first.outData, first.outSize - 1);

    CIniFile_Mem again;
    IniMemBlock second;
    second.inData = text.data();
    second.inSize = text.size();
    again.SetFileName(reinterpret_cast<const char*>(&second));
    Check(again.Load() == 0 || text.empty(), "written text reloads");
    Check(again.Save() == 0, "second save");
    Check(std::string(second.outData, second.outSize - 1) == text, "written text is stable");
}

// Field operations on the first key of the first section.
void ExerciseFields(CIniFile& store)
{
    char section[256];
    char key[256];
    if (store.GetSectionCount() == 0 || store.GetSectionName(0, section, sizeof section) == 0) return;
    if (store.GetKeyName(section, 0, key, sizeof key) == 0) return;
    size_t count = store.GetFieldCount(section, key);
    char name[256];
    for (size_t i = 0; i < count && i < 64; ++i) {
        Check(store.GetFieldName(section, key, i, name, sizeof name) > 0, "counted field has a name");
        std::string value;
        int found = 0;
        store.ReadFieldRaw(section, key, name, "", value, &found);
    }
    if (store.WriteFieldRaw(section, key, "fz", "v 1") == 0) {
        std::string value;
        int found = 0;
        store.ReadFieldRaw(section, key, "fz", "", value, &found);
        Check(found == 1 && value == "v 1", "written field reads back");
        Check(store.DeleteField(section, key, "fz") == 0, "rebuilt list deletes");
        Check(store.FieldExists(section, key, "fz") == 0, "deleted field is gone");
    } else {
        store.DeleteField(section, key, "fz");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CIniFile_Mem mem;
    IniMemBlock block;
    block.inData = reinterpret_cast<const char*>(data);
    block.inSize = size;
    mem.SetFileName(reinterpret_cast<const char*>(&block));
    if (size > 0) mem.Load();
    CheckSaveIsStable(mem);
    ExerciseFields(mem);

    static const std::string path = "/tmp/config_store_fuzz_" + std::to_string(getpid()) + ".ini";
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
        CIniFile_Fast fast;
        fast.SetFileName(path.c_str());
        fast.Load();
        ExerciseFields(fast);
        std::remove(path.c_str());
    }
    return 0;
}
