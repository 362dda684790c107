#include "link/port_list.h"
#include "link/port_identity.h"
#include "link/port_watcher.h"
#include "link/serial_transport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "link/emulator_ports.h"
#include "link_fixture.h"

namespace kav::link {
namespace {

struct SortCase {
    const char* name;
    QStringList input;
    QStringList sorted;
};

class PortOrder : public ::testing::TestWithParam<SortCase> {};

TEST_P(PortOrder, LastIsTheHighest) {
    EXPECT_EQ(sortPortNames(GetParam().input), GetParam().sorted);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PortOrder,
    ::testing::Values(SortCase{"natural_within_usb",
                               {"ttyUSB10", "ttyUSB2", "ttyUSB1"},
                               {"ttyUSB1", "ttyUSB2", "ttyUSB10"}},
                      SortCase{"usb_above_emulator_above_builtin",
                               {"ttyUSB0", "ttySIM3", "ttyS4", "ttyACM1", "COM7"},
                               {"ttyS4", "COM7", "ttySIM3", "ttyACM1", "ttyUSB0"}},
                      SortCase{
                          "windows_natural", {"COM10", "COM3", "COM7"}, {"COM3", "COM7", "COM10"}},
                      SortCase{"legacy_lowest_and_duplicates_dropped",
                               {"ttyS31", "ttyAMA0", "ttyS0", "ttyS31", "ttySIM0"},
                               {"ttyS0", "ttyS31", "ttyAMA0", "ttySIM0"}},
                      SortCase{"empty", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PortList, PluggedPortsAreUsbBridgesAndEmulators) {
    for (const char* name : {"ttyUSB0", "ttyACM3", "ttySIM1"})
        EXPECT_TRUE(isPluggedPort(QString::fromLatin1(name))) << name;
    for (const char* name : {"ttyS0", "ttyAMA0"})
        EXPECT_FALSE(isPluggedPort(QString::fromLatin1(name))) << name;
}

TEST(PortList, FixedNames) {
    const QStringList names = fixedPortNames();
    ASSERT_EQ(names.size(), 61);
#ifdef Q_OS_WIN
    EXPECT_EQ(names.first(), QStringLiteral("COM3"));
    EXPECT_EQ(names.last(), QStringLiteral("COM63"));
#else
    EXPECT_EQ(names.first(), QStringLiteral("ttyUSB0"));
    EXPECT_EQ(names.last(), QStringLiteral("ttyUSB60"));
#endif
}

#ifndef Q_OS_WIN
// An announced emulator port is listed while its terminal lives and resolves to its link.
TEST(PortList, AnnouncedPortIsListedAndResolved) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString target = runtime.filePath(QStringLiteral("fake-pty"));
    QFile(target).open(QIODevice::WriteOnly);
    const QString name = announceEmulatorPort(target);
    ASSERT_FALSE(name.isEmpty());
    EXPECT_TRUE(availablePorts().contains(name));
    EXPECT_EQ(portLocation(name), QDir(emulatorPortsDir()).filePath(name));
    EXPECT_EQ(portLocation(QStringLiteral("ttyUSB0")), QStringLiteral("ttyUSB0"));
    // Announced again under the same name, it is another device.
    const QString first = portIdentity(name);
    EXPECT_FALSE(first.isEmpty());
    EXPECT_EQ(portIdentity(name), first);
    withdrawEmulatorPort(name, target);
    ASSERT_EQ(announceEmulatorPort(target), name);
    EXPECT_NE(portIdentity(name), first);
    QFile::remove(target);  // the terminal is gone: no longer a port
    EXPECT_FALSE(availablePorts().contains(name));
    withdrawEmulatorPort(name, target);
    qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(SerialTransport, MissingDeviceIsAnInvalidPort) {
    testing::ensureApplication();
    SerialTransport transport;
    EXPECT_EQ(transport.open(QStringLiteral("/dev/kav-no-such-port")), OpenResult::InvalidPort);
    EXPECT_FALSE(transport.isOpen());
    EXPECT_FALSE(transport.write("x"));
}
#endif

TEST(PortWatcher, ReportsArrivalsAndRemovalsByName) {
    testing::ensureApplication();
    QStringList present{"ttyS0", "ttyUSB0"};
    PortWatcher watcher([&] { return present; }, 10);
    QSignalSpy arrived(&watcher, &PortWatcher::portArrived);
    QSignalSpy removed(&watcher, &PortWatcher::portRemoved);
    watcher.start();
    watcher.poll();
    EXPECT_EQ(arrived.count() + removed.count(), 0);  // the first list is the baseline
    present = {"ttyS0", "ttyUSB1"};
    watcher.poll();
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][0].toString(), QStringLiteral("ttyUSB0"));
    ASSERT_EQ(arrived.count(), 1);
    EXPECT_EQ(arrived[0][0].toString(), QStringLiteral("ttyUSB1"));
    present << QStringLiteral("ttySIM0");
    EXPECT_TRUE(arrived.wait(1000));  // the timer polls on its own
    EXPECT_EQ(arrived.last()[0].toString(), QStringLiteral("ttySIM0"));
    watcher.stop();
}

// A logger swapped for another within one poll keeps the port name, not the identity.
TEST(PortWatcher, ReportsADeviceSwappedUnderTheSameName) {
    testing::ensureApplication();
    QString device = QStringLiteral("usb 1-4 devnum 7");
    PortWatcher watcher([] { return QStringList{"ttyUSB0"}; }, 10, nullptr,
                        [&](const QString&) { return device; });
    QSignalSpy arrived(&watcher, &PortWatcher::portArrived);
    QSignalSpy removed(&watcher, &PortWatcher::portRemoved);
    watcher.start();
    watcher.poll();
    EXPECT_EQ(arrived.count() + removed.count(), 0);
    device = QStringLiteral("usb 1-4 devnum 8");
    watcher.poll();
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(arrived.count(), 1);
}

}  // namespace
}  // namespace kav::link
