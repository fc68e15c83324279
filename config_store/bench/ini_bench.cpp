// Benchmarks of the file store on a text of 1,000 sections x 100 keys: Load
// (against the inih C parser on the same file), 100,000 lookups, and Save.
#include "config_store/IniStores.h"

#include <benchmark/benchmark.h>

#include <ini.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kSections = 1000;
constexpr int kKeys = 100;
constexpr int kLookups = 100000;

const std::string& BenchFile()
{
    static const std::string path = [] {
        std::string file = (std::filesystem::temp_directory_path() / "config_store_bench.ini").string();
        std::string text = "; benchmark settings\n\n";
        for (int s = 0; s < kSections; ++s) {
            text += "[Section" + std::to_string(s) + "]\n";
            for (int k = 0; k < kKeys; ++k) {
                text += "Key" + std::to_string(k) + "=value " + std::to_string(s * kKeys + k) + "\n";
            }
            text += "\n";
        }
        std::FILE* out = std::fopen(file.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
        return file;
    }();
    return path;
}

void BM_LoadFileStore(benchmark::State& state)
{
    for (auto _ : state) {
        CIniFile_Fast store;
        store.SetFileName(BenchFile().c_str());
        if (store.Load() != 0) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(store.GetSectionCount());
    }
    state.SetItemsProcessed(state.iterations() * kSections * kKeys);
}
BENCHMARK(BM_LoadFileStore)->Unit(benchmark::kMillisecond);

// Loading again into the same store: the memory of the previous tree is reused.
void BM_ReloadFileStore(benchmark::State& state)
{
    CIniFile_Fast store;
    store.SetFileName(BenchFile().c_str());
    for (auto _ : state) {
        if (store.Load() != 0) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(store.GetSectionCount());
    }
    state.SetItemsProcessed(state.iterations() * kSections * kKeys);
}
BENCHMARK(BM_ReloadFileStore)->Unit(benchmark::kMillisecond);

int CountEntry(void* user, const char* section, const char* name, const char* value)
{
    ++*static_cast<size_t*>(user);
    return 1;
}

void BM_LoadInihReference(benchmark::State& state)
{
    for (auto _ : state) {
        size_t entries = 0;
        if (ini_parse(BenchFile().c_str(), CountEntry, &entries) != 0) state.SkipWithError("inih failed");
        benchmark::DoNotOptimize(entries);
    }
    state.SetItemsProcessed(state.iterations() * kSections * kKeys);
}
BENCHMARK(BM_LoadInihReference)->Unit(benchmark::kMillisecond);

// inih as a program would use it: every entry kept in a map.
int StoreEntry(void* user, const char* section, const char* name, const char* value)
{
    auto& map = *static_cast<std::unordered_map<std::string, std::string>*>(user);
    map.emplace(std::string(section) + '\n' + name, value);
    return 1;
}

void BM_LoadInihIntoMap(benchmark::State& state)
{
    for (auto _ : state) {
        std::unordered_map<std::string, std::string> map;
        if (ini_parse(BenchFile().c_str(), StoreEntry, &map) != 0) state.SkipWithError("inih failed");
        benchmark::DoNotOptimize(map.size());
    }
    state.SetItemsProcessed(state.iterations() * kSections * kKeys);
}
BENCHMARK(BM_LoadInihIntoMap)->Unit(benchmark::kMillisecond);

void BM_HundredThousandLookups(benchmark::State& state)
{
    CIniFile_Fast store;
    store.SetFileName(BenchFile().c_str());
    if (store.Load() != 0) state.SkipWithError("load failed");
    std::mt19937 random(7);
    std::vector<std::pair<std::string, std::string>> names;
    for (int i = 0; i < kLookups; ++i) {
        names.emplace_back("section" + std::to_string(random() % kSections), "KEY" + std::to_string(random() % kKeys));
    }
    char buf[64];
    for (auto _ : state) {
        size_t total = 0;
        for (const auto& [section, key] : names) {
            total += store.GetString(section.c_str(), key.c_str(), "", buf, sizeof buf, nullptr);
        }
        if (total == 0) state.SkipWithError("nothing found");
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * kLookups);
}
BENCHMARK(BM_HundredThousandLookups)->Unit(benchmark::kMillisecond);

void BM_SaveFileStore(benchmark::State& state)
{
    CIniFile_Fast store;
    store.SetFileName(BenchFile().c_str());
    if (store.Load() != 0) state.SkipWithError("load failed");
    const std::string target = BenchFile() + ".out";
    store.SetFileName(target.c_str());
    for (auto _ : state) {
        if (store.Save() != 0) state.SkipWithError("save failed");
    }
    std::remove(target.c_str());
}
BENCHMARK(BM_SaveFileStore)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
