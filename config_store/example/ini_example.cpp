// ini-example: writes typed values and a field list into a file store, saves,
// reloads and prints what it read. Usage: ini-example [file]
#include "config_store/IniFile.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "ini-example.ini";

    CIniFile* store = CreateIniFile(INIKIND_FAST);
    if (!store) return 1;
    store->SetFileName(path.c_str());
    store->WriteString("CommDev_0", "UGIni", "Framix.ini");
    store->WriteUInt("Camera", "Exposure", 20000);
    store->WriteHex("Camera", "Mode", 0x2A);
    store->WriteDouble("Camera", "Gain", 1.5);
    store->WriteFieldString("Port", "Settings", "PORTNAME", "COM 3");
    store->WriteFieldUInt("Port", "Settings", "BAUD", 115200);
    int result = store->Save();
    DeleteIniFile(store);
    if (result != 0) {
        std::printf("saving %s failed: 0x%08X\n", path.c_str(), static_cast<unsigned>(result));
        return 2;
    }

    store = CreateIniFile(INIKIND_FAST);
    if (!store) return 1;
    store->SetFileName(path.c_str());
    result = store->Load();
    if (result != 0) {
        std::printf("loading %s failed: 0x%08X\n", path.c_str(), static_cast<unsigned>(result));
        DeleteIniFile(store);
        return 3;
    }
    char text[256];
    store->GetString("CommDev_0", "UGIni", "", text, sizeof text, nullptr);
    std::printf("UGIni=%s\n", text);
    std::printf("Exposure=%u\n", store->GetUInt("Camera", "Exposure", 0, nullptr));
    std::printf("Mode=%u\n", store->GetUInt("Camera", "Mode", 0, nullptr));
    std::printf("Gain=%g\n", store->GetDouble("Camera", "Gain", 0.0, nullptr));
    size_t fields = store->GetFieldCount("Port", "Settings");
    for (size_t i = 0; i < fields; ++i) {
        char name[64];
        store->GetFieldName("Port", "Settings", i, name, sizeof name);
        store->GetFieldString("Port", "Settings", name, "", text, sizeof text, nullptr);
        std::printf("Settings.%s=%s\n", name, text);
    }
    DeleteIniFile(store);
    return 0;
}
