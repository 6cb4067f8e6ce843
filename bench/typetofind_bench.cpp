// Type-to-find in a list of a million method names: folding the names once
// (the first letter typed), then each letter typed, and the memory kept.
#include "syntheticcatalogue.h"
#include "textfinder.h"

#include <benchmark/benchmark.h>

using namespace kavinto;
using namespace kavinto::bench;

namespace {

constexpr std::size_t kMethods = 1'000'000;

const std::vector<QString>& names() {
    static const std::vector<QString> all = [] {
        const Table methods = syntheticMethods(kMethods, Names::Distinct);
        const Column& name = methods.column(methods.fieldIndex(QStringLiteral("mod_nev")));
        std::vector<QString> out;
        out.reserve(kMethods);
        for (std::size_t r = 0; r < kMethods; ++r)
            out.push_back(name.textOf(r).value_or(QStringView()).toString());
        return out;
    }();
    return all;
}

const TextFinder& finder() {
    static const TextFinder f = [] {
        TextFinder t;
        t.build(int(names().size()), [](int i) { return names()[std::size_t(i)]; });
        return t;
    }();
    return f;
}

void BM_FoldAMillionNames(benchmark::State& state) {
    names();
    for (auto _ : state) {
        TextFinder t;
        t.build(int(names().size()), [](int i) { return names()[std::size_t(i)]; });
        benchmark::DoNotOptimize(t);
    }
    state.counters["kept_MiB"] = double(finder().memoryUsed()) / (1 << 20);
}

// A letter typed into a closed list: the first item that starts with the
// letters, else the first that contains them. The worst is a miss, which
// scans everything twice.
void BM_TypedLetter(benchmark::State& state, const char* typed) {
    const QByteArray folded = TextFinder::fold(QString::fromUtf8(typed));
    finder();
    for (auto _ : state) benchmark::DoNotOptimize(finder().find(folded));
}

// A letter typed into the opened list: every item that contains the letters.
void BM_NarrowedList(benchmark::State& state, const char* typed) {
    const QByteArray folded = TextFinder::fold(QString::fromUtf8(typed));
    finder();
    std::size_t shown = 0;
    for (auto _ : state) {
        const std::vector<int> items = finder().containing(folded);
        shown = items.size();
        benchmark::DoNotOptimize(items.data());
    }
    state.counters["shown"] = double(shown);
}

}  // namespace

BENCHMARK(BM_FoldAMillionNames)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_TypedLetter, start_a, "a")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TypedLetter, part_seta, "séta")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TypedLetter, none_qqq, "qqq")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NarrowedList, a, "a")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_NarrowedList, seta, "seta")->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
