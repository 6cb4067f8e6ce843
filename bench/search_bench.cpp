// Speed of the catalogue load and of a function search as the catalogue
// grows: both must stay linear (n log n for the sorts) in the number of methods.
//   build/bench/search_bench [--benchmark_filter=...]

#include "clientdataset.h"
#include "compressedfile.h"
#include "functionsearch.h"
#include "packetwriter.h"
#include "records.h"
#include "startuptable.h"

#include <QBuffer>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

using namespace kavinto;

namespace {

Packet methods(int count) {
    Packet p;
    p.lcid = 1038;
    p.fields = {{QStringLiteral("mod_id"), FieldType::Int32, 0, {}, 0},
                {QStringLiteral("mod_nev"), FieldType::String, 100, {}, 0},
                {QStringLiteral("mod_fajl"), FieldType::String, 100, {}, 0}};
    for (int k = 1; k <= kFunctionCount; ++k)
        p.fields.push_back({QStringLiteral("mod_fun_%1").arg(k), FieldType::Int32, 0, {}, 0});
    QRandomGenerator rng(1038);
    for (int i = 0; i < count; ++i) {
        Record r{Value::integer(i + 1), Value::text(QStringLiteral("Módszer %1 – ötlet").arg(rng.bounded(1000000))),
                 Value::text(QStringLiteral("m%1.pdf").arg(i))};
        for (int k = 1; k <= kFunctionCount; ++k)
            r.push_back(Value::integer(rng.bounded(3) == 0 ? 1 : 0));  // a third serve each function
        p.records.push_back(std::move(r));
    }
    return p;
}

Packet functions() {
    Packet p;
    p.lcid = 1038;
    p.fields = {{QStringLiteral("fun_id"), FieldType::Int32, 0, {}, 0},
                {QStringLiteral("fun_nev"), FieldType::String, 100, {}, 0}};
    for (int k = 1; k <= kFunctionCount; ++k)
        p.records.push_back({Value::integer(k), Value::text(QStringLiteral("Funkció %1").arg(k))});
    return p;
}

void FunctionSearchTwoFunctions(benchmark::State& state) {
    TClientDataSet m(QStringLiteral("MClientData")), f(QStringLiteral("FClientData"));
    m.LoadPacket(encodeBinaryPacket(methods(int(state.range(0)))));
    f.LoadPacket(encodeBinaryPacket(functions()));
    WorkingRecords records;
    records.selection = {QStringLiteral("-"), QStringLiteral("Funkció 2"), QStringLiteral("Funkció 5"),
                         QStringLiteral("-")};
    std::size_t rows = 0;
    for (auto _ : state) {
        m.setIndexFieldNames(QString());  // each search sorts afresh, as after loading
        records.arrayclear();
        const int hits = functionSearch(m, f, records);
        fillResultRows(m, f, records, hits, [&](int, const ResultRow&) { ++rows; });
    }
    state.SetComplexityN(state.range(0));
    state.counters["rows"] = benchmark::Counter(double(rows), benchmark::Counter::kAvgIterations);
}
BENCHMARK(FunctionSearchTwoFunctions)->RangeMultiplier(10)->Range(100, 100000)->Complexity()->Unit(benchmark::kMillisecond);

void LoadCatalogueFile(benchmark::State& state) {
    const QByteArray file = compressCatalogueFile(encodeBinaryPacket(methods(int(state.range(0)))));
    for (auto _ : state) {
        QBuffer device;
        device.setData(file);
        device.open(QIODevice::ReadOnly);
        TClientDataSet t(QStringLiteral("MClientData"));
        t.LoadPacket(inflatePacket(device));
        benchmark::DoNotOptimize(t.recordCount());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(LoadCatalogueFile)->RangeMultiplier(10)->Range(100, 100000)->Complexity()->Unit(benchmark::kMillisecond);

void StartupPause(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        StartupTable table;
        table.fill();
        bytes = table.bytes();
    }
    state.counters["MiB"] = double(bytes) / (1 << 20);
}
BENCHMARK(StartupPause)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
