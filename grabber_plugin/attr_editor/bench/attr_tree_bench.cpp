// The attribute tree over a camera of 1,000 attributes, 50 of them volatile: filling the
// tree once, and one periodic refresh of the volatile rows (the dialog's 350 ms timer,
// which must take a small fraction of its period). The camera library runs natively on a
// simulated network; the tree is the in-memory one, so the figures are the content
// operations' own cost, without the tree control's drawing.
#include "MemoryTree.h"
#include "attr_editor/AttrTreeContent.h"

#include "mk_api_core/Exports.h"
#include "mk_api_dll/Composition.h"

#include <benchmark/benchmark.h>

namespace {

// 46 attributes of the camera's own and 954 extra: 1,000 in all.
constexpr const char* kNetwork = "[Network]\nHostAddress=192.168.10.1\nHostMask=255.255.255.0\n"
                                 "[Camera Bench]\nUniqueId=100001\nAddress=192.168.10.21\nMask=255.255.255.0\n"
                                 "ExtraAttributes=954\nExtraVolatile=50\n";

const zelmk::MkApiFunctions& Functions()
{
    static const zelmk::MkApiFunctions functions = [] {
        zelmk::MkApiFunctions f;
#define BIND(name) f.name = &::name;
        ZELMK_MKAPI_FUNCTIONS(BIND)
#undef BIND
        return f;
    }();
    return functions;
}

class Camera {
public:
    Camera()
    {
        mkapi::setLibraryMaker([this] {
            return mkapi::composeLibraryFromText(kNetwork, "bench.ini", m_time, false, m_composition);
        });
        m_ok = MkInitialize() == 0 && m_composition.diagnostics.empty() &&
               MkCameraOpen(100001, MK_ACCESS_MASTER, &m_handle) == 0;
    }
    ~Camera()
    {
        MkCameraClose(m_handle);
        MkUnInitialize();
    }
    bool ok() const { return m_ok; }
    attr_editor::CameraAccess access() const
    {
        return {&Functions(), [handle = m_handle] { return handle; }};
    }

private:
    mkapi::SteadyTimeSource m_time;
    mkapi::Composition m_composition;
    MkHandle m_handle = nullptr;
    bool m_ok = false;
};

void FillTree(benchmark::State& state)
{
    Camera camera;
    if (!camera.ok()) return state.SkipWithError("the simulated camera did not open");
    size_t rows = 0;
    for (auto _ : state) {
        attr_editor::MemoryTree tree;
        attr_editor::AttrTreeContent content(tree, camera.access());
        content.UpdateAttributeTree(0xFFFFFFFF);
        rows = tree.Count();
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(FillTree)->Unit(benchmark::kMillisecond);

void RefreshVolatile(benchmark::State& state)
{
    Camera camera;
    if (!camera.ok()) return state.SkipWithError("the simulated camera did not open");
    attr_editor::MemoryTree tree;
    attr_editor::AttrTreeContent content(tree, camera.access());
    content.UpdateAttributeTree(0xFFFFFFFF);
    for (auto _ : state)
        content.RefreshSubtree(tree.Root(), MK_FLAG_VOLATILE);
    state.counters["rows"] = static_cast<double>(tree.Count());
}
BENCHMARK(RefreshVolatile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
