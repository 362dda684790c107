// Throughput of the link's reader and of a whole download over the in-memory transport.

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "common/fake_transport.h"
#include "link/frame.h"
#include "link/link_receiver.h"
#include "link/logger_link.h"

namespace {

using namespace kav::link;

QByteArray sectorData(int seed) {
    QByteArray d(int(kSectorSize), '\0');
    for (int i = 0; i < d.size(); ++i) d[i] = char((i * 31 + seed) & 0xFF);
    return d;
}

QByteArray sectorAnswer(int seed) {
    const QByteArray data = sectorData(seed);
    return buildFrame(0x83, QByteArray(1, 0x1D)) + data + QByteArray(kRawTrailerMark, 13) +
           char(rawBlockChecksum(data)) + "\r\n";
}

// Acknowledgement plus sector, delivered in pieces of the given size.
void BM_ReceiverSector(benchmark::State& state) {
    const QByteArray stream = sectorAnswer(1);
    const qsizetype chunk = state.range(0);
    for (auto _ : state) {
        LinkReceiver receiver;
        QByteArray pending;
        for (qsizetype at = 0; at < stream.size(); at += chunk) {
            pending.append(stream.mid(at, chunk));
            for (;;) {
                const ReceiverEvent e = receiver.next(pending);
                if (e.kind == ReceiverEvent::Kind::NeedMore) break;
                pending.remove(0, qsizetype(e.consumed));
                if (e.kind == ReceiverEvent::Kind::Frame) receiver.expectRawBlock();
                benchmark::DoNotOptimize(e.block.data.size());
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * stream.size());
}
BENCHMARK(BM_ReceiverSector)->Arg(1)->Arg(32)->Arg(4096 + 64);

// A download of 64 sectors through LoggerLink, the logger answering each request at once.
void BM_DownloadOverFakeTransport(benchmark::State& state) {
    const int sectors = 64;
    for (auto _ : state) {
        FakeTransport port;
        port.open(QStringLiteral("bench"));
        LoggerLink link(port);
        int received = 0;
        QObject::connect(&link, &LoggerLink::sectorReceived, [&] { ++received; });
        // The status starts the download; each answer is delivered after its request.
        QByteArray status(34, '\0');
        status[6] = char(sectors - 1);
        port.inject(buildFrame(0x94, status));
        for (int n = 0; n < sectors; ++n) port.inject(sectorAnswer(n), 1024);
        if (received != sectors) state.SkipWithError("download incomplete");
        benchmark::DoNotOptimize(received);
    }
    state.SetBytesProcessed(state.iterations() * sectors * qsizetype(kSectorSize));
}
BENCHMARK(BM_DownloadOverFakeTransport);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
