#include "emulator.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <optional>
#include <vector>

#include "link/emulator_ports.h"
#include "logger_core.h"
#include "nmea_output.h"
#include "paced_sender.h"
#include "pseudo_terminal.h"
#include "trace.h"
#include "uart_line.h"

namespace kav::sim {

struct Emulator::Private {
    EmulatorOptions options;
    Trace trace;
    std::optional<LoggerCore> core;
    PseudoTerminal pty;
    std::optional<UartLine> line;
    std::unique_ptr<QSocketNotifier> readable;
    std::unique_ptr<PacedSender> sender;
    QTimer textTimer;
    QString announced;
    QString announcedTarget;
    bool linkMade = false;
    bool vanished = false;
    // Answers held from the nth command holdId on, until released; the first sentFirst bytes
    // of the first of them go out.
    quint8 holdId = 0;
    int holdAt = 0;
    int sentFirst = 0;
    bool holding = false;
    std::vector<Transmission> held;

    void send(Transmission t);

    bool makeLink(QString* error);
    void shutDown();
};

namespace {

bool fail(QString* error, const QString& message) {
    if (error) *error = message;
    return false;
}

}  // namespace

// An existing symlink at the path is replaced; any other file there is left alone.
bool Emulator::Private::makeLink(QString* error) {
    const QString& path = options.linkPath;
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        if (!info.isSymLink() || !QFile::remove(path))
            return fail(error, QStringLiteral("cannot replace %1").arg(path));
    }
    if (!QFile::link(pty.slavePath(), path))
        return fail(error, QStringLiteral("cannot create link %1").arg(path));
    linkMade = true;
    return true;
}

void Emulator::Private::shutDown() {
    textTimer.stop();
    if (sender) sender->clear();
    if (readable) {
        readable->setEnabled(false);
        readable.release()->deleteLater();  // may be inside the notifier's own signal
    }
    if (!announced.isEmpty()) link::withdrawEmulatorPort(announced, announcedTarget);
    announced.clear();
    if (linkMade && QFileInfo(options.linkPath).symLinkTarget() ==
                        QFileInfo(pty.slavePath()).absoluteFilePath())
        QFile::remove(options.linkPath);
    linkMade = false;
    pty.close();
}

Emulator::Emulator(EmulatorOptions options, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>()) {
    d->options = std::move(options);
}

Emulator::~Emulator() {
    d->shutDown();
}

bool Emulator::start(QString* error) {
    QString why;
    if (!isLineRate(d->options.startRate))
        return fail(
            error,
            QStringLiteral("%1 baud is not a rate the logger can take").arg(d->options.startRate));
    auto faults = FaultSet::parse(d->options.faults, &why);
    if (!faults) return fail(error, why);
    auto memory = LoggerMemory::fromImage(d->options.image, &why);
    if (!memory) return fail(error, why);
    memory->setFull(d->options.fullMemory);
    if (!d->options.traceFile.isEmpty() && !d->trace.openFile(d->options.traceFile, &why))
        return fail(error, why);
    if (!d->pty.open(&why)) return fail(error, why);
    if (!d->options.linkPath.isEmpty() && !d->makeLink(error)) {
        d->shutDown();
        return false;
    }
    if (d->options.announce) {
        d->announcedTarget = d->pty.slavePath();
        d->announced = link::announceEmulatorPort(d->announcedTarget);
    }
    d->core.emplace(std::move(*memory), std::move(*faults),
                    LoggerSettings{d->options.serialNumber, d->options.continuousOutput,
                                   d->options.bareTrailer},
                    &d->trace);
    d->line.emplace(d->pty, d->options.honourLineRate, &d->trace);
    d->line->switchTo(d->options.startRate);
    d->sender = std::make_unique<PacedSender>(*d->line, d->options.fast);
    connect(d->sender.get(), &PacedSender::vanishDue, this, &Emulator::vanish);
    connect(d->sender.get(), &PacedSender::writeFailed, this, &Emulator::vanish);

    d->readable = std::make_unique<QSocketNotifier>(d->pty.masterFd(), QSocketNotifier::Read);
    connect(d->readable.get(), &QSocketNotifier::activated, this, [this] {
        const FeedResult result = d->core->feed(d->line->read());
        for (uint8_t id : result.commands)
            if (d->holdAt > 0 && id == d->holdId && --d->holdAt == 0) d->holding = true;
        for (const Transmission& t : result.out) d->send(t);
        for (uint8_t id : result.commands) emit commandReceived(id);
    });

    // The logger's text output, one burst a second while it is on and nothing else is due.
    d->textTimer.setInterval(1000);
    connect(&d->textTimer, &QTimer::timeout, this, [this] {
        if (!d->core->outputOn() || !d->sender->idle()) return;
        const auto now = QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay() / 1000;
        d->sender->enqueue(Transmission{nmeaLines(now)});
    });
    d->textTimer.start();
    return true;
}

QString Emulator::ptyPath() const {
    return d->pty.slavePath();
}

QString Emulator::announcedName() const {
    return d->announced;
}

void Emulator::vanish() {
    if (d->vanished) return;
    d->vanished = true;
    d->shutDown();
    emit vanished();
}

void Emulator::Private::send(Transmission t) {
    if (!holding) return sender->enqueue(std::move(t));
    if (held.empty() && sentFirst > 0) {
        const qsizetype first = std::min(qsizetype(sentFirst), t.bytes.size());
        sender->enqueue(Transmission{t.bytes.left(first), t.delayMs});
        t.bytes.remove(0, first);
        t.delayMs = 0;
    }
    held.push_back(std::move(t));
}

void Emulator::holdAnswers(quint8 id, int nth, int sentFirst) {
    d->holdId = id;
    d->holdAt = nth;
    d->sentFirst = sentFirst;
}

void Emulator::releaseAnswers() {
    d->holding = false;
    d->holdAt = 0;
    if (!d->sender) return d->held.clear();
    for (Transmission& t : d->held) d->sender->enqueue(std::move(t));
    d->held.clear();
}

void Emulator::powerCycle() {
    if (!d->core || d->vanished) return;
    d->sender->clear();
    d->core->powerCycle();
    d->line->switchTo(kPowerOnRate);
}

int Emulator::lineRate() const {
    return d->line ? d->line->rate() : kPowerOnRate;
}

QStringList Emulator::trace() const {
    return d->trace.lines();
}

QByteArray Emulator::memory() const {
    return d->core ? d->core->memory().image() : d->options.image;
}

}  // namespace kav::sim
