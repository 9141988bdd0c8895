// Costs of the platform services the library leans on per frame or per
// settings save: reading the clock, handing an event between threads, and
// one value written to or read from the native settings store.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/Event.h"
#include "platform/SettingsStore.h"
#include "platform/Time.h"

namespace {

using namespace nodrix::platform;

void BM_TickCount(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(TickCount());
}
BENCHMARK(BM_TickCount);

// One round trip: set an auto-reset event for another thread, which
// answers through a second one.
void BM_EventPingPong(benchmark::State& state) {
    Event ping(EventReset::Auto, false);
    Event pong(EventReset::Auto, false);
    std::atomic<bool> stop{false};
    std::thread partner([&] {
        for (;;) {
            ping.Wait(kInfinite);
            if (stop) return;
            pong.Set();
        }
    });
    for (auto _ : state) {
        ping.Set();
        pong.Wait(kInfinite);
    }
    stop = true;
    ping.Set();
    partner.join();
}
BENCHMARK(BM_EventPingPong);

class SettingsFile {
public:
    SettingsFile() {
        char directory[] = "/tmp/nodrix-bench-XXXXXX";
        if (mkdtemp(directory)) folder_ = directory;
        setenv("NODRIX_SETTINGS_FILE", (folder_ + "/settings.reg").c_str(), 1);
        // A store the size a few cameras' settings make.
        SettingsKey key;
        for (int camera = 0; camera < 4; ++camera) {
            for (const char* group : {"Gain", "Filter", "Gray"}) {
                key.Create("Software\\Bench\\Camera_0" + std::to_string(camera) + "\\" + group);
                for (int value = 0; value < 12; ++value) {
                    key.WriteDword("Value" + std::to_string(value), value);
                }
            }
        }
    }
    ~SettingsFile() {
        for (const char* name : {"/settings.reg", "/settings.reg.lock"}) {
            unlink((folder_ + name).c_str());
        }
        rmdir(folder_.c_str());
    }

private:
    std::string folder_;
};

void BM_SettingsWriteDword(benchmark::State& state) {
    SettingsFile file;
    SettingsKey key;
    key.Create("Software\\Bench\\Camera_00\\Gain");
    std::uint32_t value = 0;
    for (auto _ : state) key.WriteDword("Exposure", ++value);
}
BENCHMARK(BM_SettingsWriteDword)->Unit(benchmark::kMicrosecond);

// What most of a settings save is: writing back the value already stored.
void BM_SettingsRewriteUnchangedDword(benchmark::State& state) {
    SettingsFile file;
    SettingsKey key;
    key.Create("Software\\Bench\\Camera_00\\Gain");
    for (auto _ : state) key.WriteDword("Value5", 5);
}
BENCHMARK(BM_SettingsRewriteUnchangedDword)->Unit(benchmark::kMicrosecond);

void BM_SettingsReadDword(benchmark::State& state) {
    SettingsFile file;
    SettingsKey key;
    key.Open("Software\\Bench\\Camera_00\\Gain", KeyAccess::Read);
    std::uint32_t value = 0;
    for (auto _ : state) benchmark::DoNotOptimize(key.ReadDword("Value5", &value));
}
BENCHMARK(BM_SettingsReadDword)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
