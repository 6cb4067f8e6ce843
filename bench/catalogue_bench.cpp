// Loading and searching catalogues of 1,000, 100,000 and 1,000,000 methods,
// against SQLite in memory on the same records. Prints one Markdown table;
// every figure is a median of several runs, every ratio taken within this run.
//   build/bench/catalogue_bench [--sizes 1000,100000,1000000] [--runs N] [--data DIR]

#include "binarypacketwriter.h"
#include "choicelists.h"
#include "clientdataset.h"
#include "compressedfile.h"
#include "data.h"
#include "fonts.h"
#include "functionsearch.h"
#include "handler.h"
#include "loadedtable.h"
#include "methodlookup.h"
#include "pack.h"
#include "packetlocale.h"
#include "records.h"
#include "resultrows.h"
#include "sqliteanchor.h"
#include "syntheticcatalogue.h"
#include "tableorder.h"
#include "tform1.h"
#include "unpack.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QThread>

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <set>

using namespace kavinto;
using namespace kavinto::bench;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The median time of `runs` calls of `timed`, each after an untimed `setup`.
double medianMs(int runs, const std::function<void()>& setup, const std::function<void()>& timed) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        setup();
        const auto t0 = Clock::now();
        timed();
        times.push_back(msSince(t0));
    }
    return median(times);
}

// Kilobytes of /proc/self/status lines.
qint64 statusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::stoll(line.substr(std::strlen(key)));
    return -1;
}

// Run in a child process, so that its peak is the load's own.
int measureLoadMemory(const QString& path) {
    const qint64 before = statusKb("VmRSS:");
    TClientDataSet table(QStringLiteral("MClientData"));
    LoadDataset(table, path);
    const qint64 peak = statusKb("VmHWM:");
    const qint64 after = statusKb("VmRSS:");
    std::printf("%lld %lld %lld\n", before, peak, after);
    benchmark::DoNotOptimize(table.recordCount());
    return 0;
}

// The maintainer's pack of CSV files into a catalogue, in a process of its
// own: prints the resident kilobytes before, the peak, and the milliseconds.
int measurePack(const QString& methodsCsv, const QString& functionsCsv, const QString& out) {
    const qint64 before = statusKb("VmRSS:");
    const auto t0 = Clock::now();
    packCatalogue(methodsCsv, functionsCsv, out);
    std::printf("%lld %lld %f\n", before, statusKb("VmHWM:"), msSince(t0));
    return 0;
}

struct Memory {
    double peakMiB = 0;
    double retainedMiB = 0;
};

Memory loadMemory(const QString& path) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--load-memory"), path});
    child.waitForFinished(-1);
    const QList<QByteArray> kb = child.readAllStandardOutput().trimmed().split(' ');
    if (kb.size() != 3)
        qFatal("the memory probe failed");
    return {double(kb[1].toLongLong() - kb[0].toLongLong()) / 1024,
            double(kb[2].toLongLong() - kb[0].toLongLong()) / 1024};
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// What the table reports, one row an operation.
struct Report {
    std::vector<std::size_t> sizes;
    std::vector<QString> order;
    std::map<QString, std::map<std::size_t, QString>> cells;
    std::map<QString, std::map<std::size_t, double>> times;
    std::map<QString, QString> notes;

    void time(const QString& op, std::size_t size, double ms) {
        note(op);
        times[op][size] = ms;
        cells[op][size] = ms < 10 ? QString::number(ms, 'f', 3) : QString::number(ms, 'f', 1);
    }
    void text(const QString& op, std::size_t size, const QString& value) {
        note(op);
        cells[op][size] = value;
    }
    void note(const QString& op) {
        if (std::find(order.begin(), order.end(), op) == order.end())
            order.push_back(op);
    }

    QString markdown() const {
        QString out = QStringLiteral("| operation |");
        QString rule = QStringLiteral("|---|");
        for (std::size_t n : sizes) {
            out += QStringLiteral(" %1 |").arg(QLocale::c().toString(qulonglong(n)));
            rule += QStringLiteral("---:|");
        }
        const bool scaled = std::count(sizes.begin(), sizes.end(), 100000) &&
                            std::count(sizes.begin(), sizes.end(), 1000000);
        if (scaled) {
            out += QStringLiteral(" 1M / 100k |");
            rule += QStringLiteral("---:|");
        }
        out += QLatin1Char('\n') + rule + QLatin1Char('\n');
        for (const QString& op : order) {
            out += QStringLiteral("| %1 |").arg(op);
            for (std::size_t n : sizes)
                out += QStringLiteral(" %1 |").arg(cells.at(op).count(n) ? cells.at(op).at(n)
                                                                         : QString());
            if (scaled) {
                const auto t = times.find(op);
                QString ratio;
                if (t != times.end() && t->second.count(100000) && t->second.count(1000000) &&
                    t->second.at(100000) > 0)
                    ratio = QString::number(t->second.at(1000000) / t->second.at(100000), 'f', 1);
                out += QStringLiteral(" %1 |").arg(ratio);
            }
            out += QLatin1Char('\n');
        }
        return out;
    }
};

class NullOpener : public DocumentOpener {
public:
    void open(const QString&, QWindow*, Failed) override {}
};

const std::vector<std::vector<int>> kQueries = {{1}, {1, 2}, {1, 2, 3}};

// The floor of a function search: a bit set per flag over the name order,
// ANDed and extracted into record numbers, and nothing else. Median ms by
// the number of functions searched.
std::map<std::size_t, double> bitsetFloor(const Table& methods, int runs) {
    const std::vector<quint32> byName = fieldOrder(
        methods.column(methods.fieldIndex(kMethodNameField)), packetLocale(methods.lcid).locale);
    std::vector<BitVector> serving;
    for (int k = 1; k <= kFunctionCount; ++k) {
        const BitVector records =
            recordsEqualTo(methods.column(methods.fieldIndex(methodFlagField(k))),
                           Value::text(QStringLiteral("1")));
        BitVector positions(byName.size());
        for (std::size_t p = 0; p < byName.size(); ++p)
            if (records.test(byName[p]))
                positions.set(p);
        serving.push_back(std::move(positions));
    }
    std::map<std::size_t, double> floor;
    for (const std::vector<int>& q : kQueries) {
        std::vector<const BitVector*> vectors;
        for (int k : q) vectors.push_back(&serving[std::size_t(k - 1)]);
        std::vector<quint32> hits;
        floor[q.size()] = medianMs(
            runs,
            [&] {
                hits.clear();
                hits.reserve(byName.size());
            },
            [&] {
                BitVector::forEachSetInAll(vectors,
                                           [&](std::size_t p) { hits.push_back(byName[p]); });
            });
    }
    return floor;
}

kavinto::select selectionFor(const std::vector<int>& functions) {
    kavinto::select s{kNothingChosen, kNothingChosen, kNothingChosen, kNothingChosen};
    QString* lists[] = {&s.func1, &s.func2, &s.func3};
    for (std::size_t i = 0; i < functions.size(); ++i)
        *lists[i] = functionNames()[std::size_t(functions[i] - 1)];
    return s;
}

void load(TClientDataSet& methods, TClientDataSet& functions, const QString& dir) {
    openMethodsTable(methods, QDir(dir).filePath(kMethodsFile));
    openFunctionsTable(functions, QDir(dir).filePath(kFunctionsFile));
}

// A function search with its grid rows, and the rows a grid shows first made.
int searchAndFill(TClientDataSet& methods, TClientDataSet& functions, WorkingRecords& records) {
    records.arrayclear();
    const int hits = functionSearch(methods, functions, records);
    const FilledRows filled = fillResultRows(methods, functions, records, hits);
    for (int r = 1; filled.rows && r <= std::min(hits, 11); ++r)
        benchmark::DoNotOptimize(filled.rows->row(r));
    return hits;
}

void benchSize(Report& report, const QString& dir, std::size_t n, int runs, Names names) {
    const QString methodsFile = QDir(dir).filePath(kMethodsFile);
    const QByteArray file = readFile(methodsFile);
    quint32 packetSize = 0;
    {
        QFile f(methodsFile);
        f.open(QIODevice::ReadOnly);
        packetSize = quint32(inflatePacket(f).size());
    }
    report.text(QStringLiteral("methods file: compressed / packet MiB"), n,
                QStringLiteral("%1 / %2")
                    .arg(file.size() / 1048576.0, 0, 'f', 1)
                    .arg(packetSize / 1048576.0, 0, 'f', 1));

    // Loading against a bare inflate of the same file, read from disk alike.
    const double inflateMs = medianMs(
        runs, [] {},
        [&] {
            const QByteArray bytes = readFile(methodsFile);
            std::vector<char> out(packetSize + 4);
            uLongf size = uLongf(out.size());
            uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                       reinterpret_cast<const Bytef*>(bytes.constData()), uLong(bytes.size()));
            benchmark::DoNotOptimize(out.data());
        });
    TClientDataSet probe(QStringLiteral("MClientData"));
    const double loadMs = medianMs(
        runs, [&] { probe.CloseTable(); }, [&] { LoadDataset(probe, methodsFile); });
    probe.CloseTable();
    report.time(QStringLiteral("bare zlib inflate of the methods file, ms"), n, inflateMs);
    report.time(QStringLiteral("load of the methods file (LoadDataset), ms"), n, loadMs);
    report.text(QStringLiteral("load / bare inflate"), n,
                QString::number(loadMs / inflateMs, 'f', 2));
    std::vector<double> peaks, retained;
    for (int i = 0; i < 3; ++i) {
        const Memory m = loadMemory(methodsFile);
        peaks.push_back(m.peakMiB);
        retained.push_back(m.retainedMiB);
    }
    const double packetMiB = packetSize / 1048576.0;
    report.text(QStringLiteral("load: peak memory, MiB (× packet)"), n,
                QStringLiteral("%1 (%2×)")
                    .arg(median(peaks), 0, 'f', 1)
                    .arg(median(peaks) / packetMiB, 0, 'f', 2));
    report.text(QStringLiteral("load: retained memory, MiB (× packet)"), n,
                QStringLiteral("%1 (%2×)")
                    .arg(median(retained), 0, 'f', 1)
                    .arg(median(retained) / packetMiB, 0, 'f', 2));

    // The maintainer's pack of the same methods from CSV, against the load.
    {
        const QString csv = QDir(dir).filePath(QStringLiteral("csv"));
        unpackCatalogue(dir, csv, true);
        std::vector<double> ms, peak;
        for (int i = 0; i < 3; ++i) {
            QProcess child;
            child.start(
                QCoreApplication::applicationFilePath(),
                {QStringLiteral("--pack"), QDir(csv).filePath(QStringLiteral("methods.csv")),
                 QDir(csv).filePath(QStringLiteral("functions.csv")),
                 QDir(dir).filePath(QStringLiteral("packed"))});
            child.waitForFinished(-1);
            const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
            if (out.size() != 3)
                qFatal("the pack probe failed");
            peak.push_back(double(out[1].toLongLong() - out[0].toLongLong()) / 1024);
            ms.push_back(out[2].toDouble());
        }
        report.time(QStringLiteral("pack of the methods and functions CSV files, ms"), n,
                    median(ms));
        report.text(QStringLiteral("pack: peak memory, MiB (× packet)"), n,
                    QStringLiteral("%1 (%2×)")
                        .arg(median(peak), 0, 'f', 1)
                        .arg(median(peak) / packetMiB, 0, 'f', 2));
        report.text(QStringLiteral("pack / load"), n, QString::number(median(ms) / loadMs, 'f', 1));
    }

    // The same methods as an XML packet, against the binary packet's load,
    // where the program loads a packet that large.
    const QString xmlFile = writeXmlMethodsFile(dir, n, names);
    double xmlPacketMiB = 0;
    try {
        QFile f(xmlFile);
        f.open(QIODevice::ReadOnly);
        xmlPacketMiB = double(inflatePacket(f).size()) / 1048576.0;
    } catch (const Error&) {
        report.text(QStringLiteral("XML packet of the same methods, MiB"), n,
                    QStringLiteral("above the load limit"));
    }
    if (xmlPacketMiB > 0) {
        const double xmlLoadMs = medianMs(
            runs, [&] { probe.CloseTable(); }, [&] { LoadDataset(probe, xmlFile); });
        probe.CloseTable();
        std::vector<double> xmlPeaks;
        for (int i = 0; i < 3; ++i) xmlPeaks.push_back(loadMemory(xmlFile).peakMiB);
        report.text(QStringLiteral("XML packet of the same methods, MiB"), n,
                    QString::number(xmlPacketMiB, 'f', 1));
        report.time(QStringLiteral("load of the methods as an XML packet, ms"), n, xmlLoadMs);
        report.text(QStringLiteral("XML load / binary load: time, peak memory"), n,
                    QStringLiteral("%1× / %2×")
                        .arg(xmlLoadMs / loadMs, 0, 'f', 2)
                        .arg(median(xmlPeaks) / median(peaks), 0, 'f', 2));
        const double bytesRatio = xmlPacketMiB / packetMiB;
        report.text(QStringLiteral("the same per packet byte: time, peak memory"), n,
                    QStringLiteral("%1× / %2×")
                        .arg(xmlLoadMs / loadMs / bytesRatio, 0, 'f', 2)
                        .arg(median(xmlPeaks) / median(peaks) / bytesRatio, 0, 'f', 2));
    }

    // Our searches, the first after loading and repeated.
    TClientDataSet methods(QStringLiteral("MClientData")), functions(QStringLiteral("FClientData"));
    WorkingRecords records;
    std::map<std::size_t, std::set<qint64>> ourHits;
    const int firstRuns = n >= 1000000 ? 3 : runs;
    for (const std::vector<int>& q : kQueries) {
        const QString what =
            QStringLiteral("%1 function%2").arg(q.size()).arg(q.size() > 1 ? "s" : "");
        const double first = medianMs(
            firstRuns,
            [&] {
                load(methods, functions, dir);
                records.selection = selectionFor(q);
            },
            [&] { searchAndFill(methods, functions, records); });
        const double repeat = medianMs(
            runs, [] {}, [&] { searchAndFill(methods, functions, records); });
        report.time(QStringLiteral("search by %1, first after loading, grid filled, ms").arg(what),
                    n, first);
        report.time(QStringLiteral("search by %1, repeated, grid filled, ms").arg(what), n, repeat);
        const Column& ids = methods.content()->table().column(methods.fieldNumber(kMethodIdField));
        records.hits.records->forEachWhile([&](std::size_t, quint32 r) {
            ourHits[q.size()].insert(*ids.integerOf(r));
            return true;
        });
    }

    // The method lookup: a name from the middle of the catalogue.
    load(methods, functions, dir);
    const QString name =
        methods.content()->table().value(n / 2, methods.fieldNumber(kMethodNameField)).toText();
    auto lookUp = [&] {
        records.arrayclear();
        records.selection = selectionFor({});
        records.selection.modszer = name;
        benchmark::DoNotOptimize(lookupMethod(methods, functions, records));
    };
    const double firstLookup = medianMs(
        firstRuns, [&] { load(methods, functions, dir); }, lookUp);
    const double repeatLookup = medianMs(
        runs, [] {}, lookUp);
    const double lookupAfterSearch = medianMs(
        runs,
        [&] {
            records.selection = selectionFor({1});
            searchAndFill(methods, functions, records);
        },
        lookUp);
    report.time(QStringLiteral("method lookup, first after loading, ms"), n, firstLookup);
    report.time(QStringLiteral("method lookup, repeated, ms"), n, repeatLookup);
    report.time(QStringLiteral("method lookup right after a function search, ms"), n,
                lookupAfterSearch);
    methods.CloseTable();
    functions.CloseTable();

    // The anchor: SQLite in memory over the same records.
    TClientDataSet loaded(QStringLiteral("MClientData"));
    LoadDataset(loaded, methodsFile);
    SqliteAnchor anchor(loaded.content()->table());
    const std::map<std::size_t, double> floor = bitsetFloor(loaded.content()->table(), runs);
    loaded.CloseTable();
    const std::pair<SqliteAnchor::Indexes, const char*> configs[] = {
        {SqliteAnchor::Indexes::None, "no index"},
        {SqliteAnchor::Indexes::PerFlag, "index per flag"},
        {SqliteAnchor::Indexes::Name, "name index"},
        {SqliteAnchor::Indexes::Ranked, "rank and covering index per flag"}};
    std::map<std::size_t, std::pair<double, QString>> best;
    for (const auto& [indexes, label] : configs) {
        anchor.useIndexes(indexes);
        for (const std::vector<int>& q : kQueries) {
            std::vector<qint64> ids;
            const double ms = medianMs(
                runs, [] {}, [&] { ids = anchor.query(q); });
            auto& b = best[q.size()];
            if (b.second.isEmpty() || ms < b.first)
                b = {ms, QString::fromLatin1(label)};
            if (std::set<qint64>(ids.begin(), ids.end()) != ourHits[q.size()])
                qFatal("SQLite and kavinto disagree on the hits of a search by %zu functions",
                       q.size());
        }
    }
    for (const std::vector<int>& q : kQueries) {
        const QString what =
            QStringLiteral("%1 function%2").arg(q.size()).arg(q.size() > 1 ? "s" : "");
        const auto& [ms, label] = best[q.size()];
        report.time(QStringLiteral("SQLite, best of four schemas, search by %1, ms").arg(what), n,
                    ms);
        report.text(QStringLiteral("SQLite's best for %1").arg(what), n, label);
        const double ours =
            report.times[QStringLiteral("search by %1, repeated, grid filled, ms").arg(what)][n];
        report.text(QStringLiteral("SQLite / kavinto, search by %1 repeated").arg(what), n,
                    QStringLiteral("%1×").arg(ms / ours, 0, 'f', ms < 10 * ours ? 2 : 0));
        report.time(
            QStringLiteral("floor: bit sets ANDed and extracted, search by %1, ms").arg(what), n,
            floor.at(q.size()));
        report.text(QStringLiteral("kavinto / floor, search by %1 repeated").arg(what), n,
                    QStringLiteral("%1×").arg(ours / floor.at(q.size()), 0, 'f', 2));
        report.text(QStringLiteral("hits of a search by %1 (same set as SQLite)").arg(what), n,
                    QString::number(ourHits[q.size()].size()));
    }
}

// One text of 64 MiB, alone in a packet, binary and XML: what loading it
// costs beyond the value's own UTF-16 (128 MiB).
QString benchLongValue(const QString& dataDir) {
    const qsizetype chars = qsizetype(64) << 20;
    std::vector<Column> columns;
    columns.emplace_back(
        FieldDef{QStringLiteral("memo"), FieldType::Blob, 0, QStringLiteral("Text"), 0});
    columns[0].beginValue(0);
    columns[0].pushText(QString(chars, QLatin1Char('a')));
    columns[0].finish(1);
    const Table table(std::move(columns), 1);
    QDir(dataDir).mkpath(QStringLiteral("."));
    QString out;
    for (const auto& [format, packet] :
         {std::pair{"binary", encodeBinaryPacket(table)}, std::pair{"XML", xmlPacket(table)}}) {
        const QString path = QDir(dataDir).filePath(QStringLiteral("long-%1.cds").arg(format));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(compressCatalogueFile(packet)) < 0)
            qFatal("cannot write %s", qPrintable(path));
        file.close();
        std::vector<double> peaks;
        for (int i = 0; i < 3; ++i) peaks.push_back(loadMemory(path).peakMiB);
        out += QStringLiteral("One 64 MiB text in a %1 packet of %2 MiB: load peak %3 MiB.\n")
                   .arg(QLatin1String(format))
                   .arg(packet.size() / 1048576.0, 0, 'f', 0)
                   .arg(median(peaks), 0, 'f', 0);
    }
    return out;
}

// A fresh main window on a fresh catalogue.
struct WindowSession {
    TData data;
    std::unique_ptr<TForm1> form;
    WindowSession() {
        Data = &data;
        workingRecords = WorkingRecords{};
        form = std::make_unique<TForm1>(std::make_unique<NullOpener>(), [] {});
        Form1 = form.get();
    }
    ~WindowSession() {
        form.reset();
        Data = nullptr;
    }
    // Shows the window until its lists are filled, then chooses a function.
    double show() {
        const auto t0 = Clock::now();
        form->show();
        form->activateWindow();
        while (form->list_modszer->itemCount() == 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        form->repaint();
        const double ms = msSince(t0);
        form->list_func1->setSelectedIndex(form->list_func1->findText(functionNames()[0]));
        return ms;
    }
    double click() {
        const auto t0 = Clock::now();
        form->search->click();
        form->repaint();
        const double ms = msSince(t0);
        if (form->countlabel->Caption() == QStringLiteral("0 db"))
            qFatal("the search click found nothing");
        return ms;
    }
};

// The real main window, offscreen: start-up until the lists are filled, then
// search clicks that show their rows: at once, after a moment, repeated.
void benchWindow(Report& report, const QString& dir, std::size_t n, int runs) {
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir);
    std::vector<double> startups, firstClicks, repeatClicks, momentClicks;
    const int forms = n >= 1000000 ? 3 : runs;
    for (int i = 0; i < forms; ++i) {
        WindowSession session;
        startups.push_back(session.show());
        firstClicks.push_back(session.click());
        for (int j = 0; j < (i == 0 ? runs : 0); ++j) {
            session.form->backClick(session.form.get());
            QCoreApplication::processEvents();
            repeatClicks.push_back(session.click());
        }
    }
    // A user who takes a moment to choose finds the name order built meanwhile.
    for (int i = 0; i < std::min(forms, 3); ++i) {
        WindowSession session;
        session.show();
        for (const auto until = Clock::now() + std::chrono::seconds(2); Clock::now() < until;)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        momentClicks.push_back(session.click());
    }
    QDir::setCurrent(previous);
    report.time(QStringLiteral("window offscreen: show until the lists are filled, ms"), n,
                median(startups));
    report.time(QStringLiteral("window offscreen: searchClick by 1 function, first, ms"), n,
                median(firstClicks));
    report.time(
        QStringLiteral("window offscreen: searchClick by 1 function, 2 s after the lists, ms"), n,
        median(momentClicks));
    report.time(QStringLiteral("window offscreen: searchClick by 1 function, repeated, ms"), n,
                median(repeatClicks));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && QByteArray(argv[1]) == "--pack") {
        QCoreApplication app(argc, argv);
        return measurePack(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                           QString::fromLocal8Bit(argv[4]));
    }
    if (argc == 3 && QByteArray(argv[1]) == "--load-memory") {
        QCoreApplication app(argc, argv);
        return measureLoadMemory(QString::fromLocal8Bit(argv[2]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerFonts();
    setErrorBoxPresenter(
        [](const QString&, const QString& text) { qFatal("error box: %s", qPrintable(text)); });

    std::vector<std::size_t> sizes = {1000, 100000, 1000000};
    std::vector<std::size_t> distinctSizes = {100000, 1000000};
    int runs = 7;
    QString dataDir =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("catalogues"));
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--sizes") || args[i] == QLatin1String("--distinct-sizes")) {
            std::vector<std::size_t>& list =
                args[i] == QLatin1String("--sizes") ? sizes : distinctSizes;
            list.clear();
            for (const QString& s : args[i + 1].split(QLatin1Char(','), Qt::SkipEmptyParts))
                list.push_back(s.toULongLong());
        } else if (args[i] == QLatin1String("--runs")) {
            runs = args[i + 1].toInt();
        } else if (args[i] == QLatin1String("--data")) {
            dataDir = args[i + 1];
        }
    }

    auto measure = [&](const std::vector<std::size_t>& counts, Names names) {
        Report report;
        report.sizes = counts;
        for (std::size_t n : counts) {
            const QString dir = QDir(dataDir).filePath(
                QString::number(n) +
                (names == Names::Distinct ? QStringLiteral("-distinct") : QString()));
            std::fprintf(stderr, "catalogue of %zu methods in %s\n", n, qPrintable(dir));
            writeSyntheticCatalogue(dir, n, names);
            benchSize(report, dir, n, runs, names);
            benchWindow(report, dir, n, runs);
        }
        return report.markdown();
    };
    const QString repeating = measure(sizes, Names::Repeating);
    const QString distinct = measure(distinctSizes, Names::Distinct);
    const QString longValue = benchLongValue(dataDir);
    QString cpu;
    for (const QByteArray& line : readFile(QStringLiteral("/proc/cpuinfo")).split('\n'))
        if (line.startsWith("model name")) {
            cpu = QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
            break;
        }
    const QString machine =
        QStringLiteral("%1, %2, %3 cores, Qt %4, SQLite %5")
            .arg(QSysInfo::prettyProductName(), cpu)
            .arg(QThread::idealThreadCount())
            .arg(QString::fromLatin1(qVersion()), QString::fromLatin1(sqlite3_libversion()));
    std::printf(
        "Machine: %s; medians of %d runs (3 for first-time figures at 1,000,000).\n\n"
        "Names of two to four words, about half repeated at a million:\n\n%s\n"
        "Names of four to eight words, nearly all distinct, as a real catalogue's:\n\n%s\n%s",
        qPrintable(machine), runs, qPrintable(repeating), qPrintable(distinct),
        qPrintable(longValue));
    return 0;
}
