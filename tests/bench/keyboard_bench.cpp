// The cost of one keyboard poll, made on every pass of every loop.
#include <benchmark/benchmark.h>

#include "core/keyboard.h"
#include "platform/scripted_platform.h"

namespace {

void BM_PollKeyboard(benchmark::State& state) {
    tamblor::ScriptedPlatform platform;
    tamblor::InstallPlatform(platform.Services());
    platform.SetKeyDown(tamblor::scan::Space, true);
    for (auto _ : state) {
        tamblor::PollKeyboard();
        tamblor::UpdateCommandKeysReleased();
        benchmark::DoNotOptimize(tamblor::KeyState);
    }
}
BENCHMARK(BM_PollKeyboard);

}  // namespace
