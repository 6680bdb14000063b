// Timings of the color model and the generator: conversions, one palette, the sweep of every color.
#include <benchmark/benchmark.h>

#include "corvColor.h"
#include "generator.h"

namespace {

void rgbToLab(benchmark::State& state) {
    std::int16_t channel = 0;
    for (auto _ : state) {
        corvColor::rgbToLab(100, channel, 200);
        benchmark::DoNotOptimize(corvColor::labL);
        channel = static_cast<std::int16_t>((channel + 1) & 0xFF);
    }
}
BENCHMARK(rgbToLab);

void labToRgb(benchmark::State& state) {
    double lightness = 40;
    for (auto _ : state) {
        benchmark::DoNotOptimize(corvColor::labToRgb(lightness, -3, -31));
        lightness = lightness < 80 ? lightness + 0.25 : 40;
    }
}
BENCHMARK(labToRgb);

// One palette of eight proposals, painting nowhere.
void generateColor(benchmark::State& state) {
    const corvColor::Rgb seed = corvColor::channelsOf(static_cast<std::int32_t>(state.range(0)));
    const auto spread = static_cast<std::int16_t>(state.range(1));
    for (auto _ : state) {
        corvPalette::generatePalette(
            seed.red, seed.green, seed.blue, spread, spread,
            [](std::int16_t, std::int32_t color) { benchmark::DoNotOptimize(color); });
    }
}
BENCHMARK(generateColor)
    ->ArgNames({"seed", "spread"})
    ->Args({13145700, 10})  // default seed
    ->Args({16711680, 1})   // pure blue, the narrowest spread
    ->Args({16776960, 100}) // 0, 255, 255 at the widest spread
    ->Args({255, 0});       // pure red, no spread: the fallback to the seed

// Every color to L*a*b* and back, single-threaded.
void roundTripSweep(benchmark::State& state) {
    for (auto _ : state) {
        std::int32_t accepted = 0;
        for (std::int32_t n = 0; n < (1 << 24); ++n) {
            const corvColor::Rgb color = corvColor::channelsOf(n);
            corvColor::rgbToLab(color.red, color.green, color.blue);
            accepted += corvColor::labToRgb(corvColor::labL, corvColor::labA, corvColor::labB) ? 1 : 0;
        }
        benchmark::DoNotOptimize(accepted);
    }
}
BENCHMARK(roundTripSweep)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
