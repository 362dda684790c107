// The fault matrix through the window program: the real main window over the real serial stack,
// the emulated logger announced like a plugged-in port. Message boxes are recorded and answered
// as the row says; the user's commands are clicks on the window's buttons and menu actions.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/configuration_dialog.h"
#include "app/main_window.h"
#include "browse/track_table.h"
#include "browse/track_table_model.h"
#include "link/serial_transport.h"
#include "log/raw_log_file.h"
#include "matrix.h"
#include "recording_sink.h"
#include "session/download_session.h"
#include "session/transfer_speed.h"
#include "settings_fixture.h"

namespace kav::reliability {
namespace {

using app::testing::RecordingSink;
using app::testing::SettingsFixture;
using session::DownloadSession;

constexpr int kLimitMs = 30000;
// Into a block of sectors: its acknowledgement (9 bytes) and half a sector are in, the rest held
// by the logger until the row's action has been taken.
constexpr int kIntoBlockBytes = 9 + 2048;

void click(QPushButton* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

class WindowRun {
  public:
    explicit WindowRun(const Scenario& s)
        : s_(s), emulator_(emulatorOptions(s, s.when == When::DataArriving)) {}

    Result run() {
        if (!startLogger(emulator_, s_) || !rawLog_.isValid()) return {};
        QObject::connect(&emulator_, &sim::Emulator::vanished, &emulator_,
                         [this] { vanished_ = true; });
        QObject::connect(&emulator_, &sim::Emulator::commandReceived, &emulator_,
                         [this](quint8 id) {
                             versionRequests_ += id == 0x02;
                             clearRequests_ += id == 0x19;
                         });
        settings_.writeBoth(
            SettingsFixture::lines({settings_.dataDir(), "-1", "False", "BlankListCompetitor.Text",
                                    "20", "600", "0", "True"}));
        sink_.answer = s_.answer;
        app::WindowServices services;
        services.messages = &sink_;
        services.programDir = settings_.programDir();
        services.watchPorts = false;
        auto transport = std::make_unique<link::SerialTransport>();
        transport_ = transport.get();
        services.transport = std::move(transport);
        const QString rawPath = rawLog_.filePath(QStringLiteral("memory.bin"));
        log::saveRawLog(
            rawPath, sampleImage(),
            {QStringLiteral("GT730-01234567"), QStringLiteral("1.4.20"), QStringLiteral("1.0.12")});
        services.exportDialogs.openRawLog = [rawPath](const QString&) { return rawPath; };
        services.logbookPath = rawLog_.filePath(QStringLiteral("logbook.sqlite"));
        window_ = std::make_unique<app::TKAVSkyTraqV6>(std::move(services));
        // Start-up, as showing the window runs it: it lists the ports; its messages are not
        // the row's.
        window_->FormActivate();
        sink_ = RecordingSink{};
        sink_.answer = s_.answer;
        sink_.openMs = s_.boxOpenMs;
        watch();
        session().setTransferSpeed(*session::transferSpeedFromName(QLatin1String(s_.speed)));
        click(button("BtnConnect"));
        QEventLoop loop;
        QTimer::singleShot(kLimitMs, &loop, &QEventLoop::quit);
        QObject::connect(&done_, &QTimer::timeout, &loop, &QEventLoop::quit);
        if (!finished_) loop.exec();
        if (!captured_) capture();
        result_.ended = finished_;
        // Connect clicked again starts a new handshake: a click ignored would pass unseen.
        if (s_.action == Action::Reconnect) {
            EXPECT_GE(versionRequests_, 2) << "Connect was not acted on";
        }
        // A box held open delays the download, never reorders or ends it twice.
        if (s_.boxOpenMs > 0) {
            QTest::qWait(2 * s_.boxOpenMs);
            EXPECT_EQ(ends_, 1);
            EXPECT_EQ(session().outcome().missing, QList<int>{});
        }
        // A memory not read whole is never cleared.
        if (s_.action == Action::ClearMemory && !result_.complete) {
            EXPECT_EQ(clearRequests_, 0) << "a memory not read whole was cleared";
        }
        // Anything the window still does to close its exchange with the logger comes first.
        menuAction("Exit1")->trigger();
        result_.loggerRate = vanished_ ? 0 : emulator_.lineRate();
        return result_;
    }

  private:
    DownloadSession& session() { return window_->session(); }
    QPushButton* button(const char* name) { return window_->findChild<QPushButton*>(name); }
    QAction* menuAction(const char* name) {
        return window_->menuBar()->findChild<QAction*>(QLatin1String(name));
    }

    // Hooks the row's action and the signals that end the run.
    void watch() {
        DownloadSession* s = &session();
        QObject::connect(s, &DownloadSession::downloadEnded, s, [this] { onEnded(); });
        QObject::connect(s, &DownloadSession::failed, s, [this] {
            if (session().outcome().state == session::Outcome::State::None) finish();
        });
        QObject::connect(s, &DownloadSession::memoryCleared, s, [this] { finish(); });
        QObject::connect(window_.get(), &app::TKAVSkyTraqV6::statusShown, s,
                         [this](const QString& text) {
                             if (text.contains(QLatin1String("read from")) ||
                                 text.startsWith(QLatin1String("Not cleared")))
                                 finish();
                         });
        if (s_.action == Action::None) return;
        if (s_.when == When::AfterSector)
            QObject::connect(s, &DownloadSession::sectorStored, s, [this](int n) {
                if (n == s_.atSector) actHeld(true);
            });
        if (s_.when == When::AwaitingAck)
            QObject::connect(&emulator_, &sim::Emulator::commandReceived, &emulator_,
                             [this](quint8 id) {
                                 if (id == 0x1D && requests_++ == s_.atSector) act();
                             });
        if (s_.when == When::DataArriving) holdIntoBlock();
    }

    // The block from sector atSector on is on its way: once the window has taken in the part the
    // logger sends, none of its sectors stored, the action is taken and the rest released.
    void holdIntoBlock() {
        DownloadSession* s = &session();
        QObject::connect(s, &DownloadSession::sectorStored, s, [this](int n) {
            if (n + 1 == s_.atSector) emulator_.holdAnswers(0x1D, 1, kIntoBlockBytes);
        });
        QObject::connect(&emulator_, &sim::Emulator::commandReceived, &emulator_,
                         [this](quint8 id) {
                             if (id == 0x1D && session().sectorsRead() == s_.atSector)
                                 intoBlock_ = 0;
                         });
        QObject::connect(
            transport_, &link::Transport::bytesReceived, transport_,
            [this](const QByteArray& bytes) {
                if (intoBlock_ < 0 || (intoBlock_ += int(bytes.size())) < kIntoBlockBytes) return;
                intoBlock_ = -1;
                actHeld(false);
            });
    }

    // The logger holds its answers from the next request on (or holds them already), until the
    // action has been taken at this point of the download.
    void actHeld(bool holdNext) {
        if (holdNext) emulator_.holdAnswers(0x1D, 1);
        QTimer::singleShot(0, window_.get(), [this, holdNext] {
            if (!holdNext) {
                EXPECT_EQ(session().sectorsRead(), s_.atSector) << "acted at another point";
            }
            act();
            emulator_.releaseAnswers();
        });
    }

    void act() {
        if (acted_) return;
        acted_ = true;
        switch (s_.action) {
            case Action::Reconnect:
                return click(button("BtnConnect"));
            case Action::Stop:
            case Action::Interrupt:
                return menuAction("StopDownload1")->trigger();
            case Action::ClearMemory:
                return click(button("BtnRAZGT730"));
            case Action::SendCriteria:
                // The logger's own criteria, sent again with the dialog's Send to GPS.
                return click(window_->configuration().findChild<QPushButton*>("BtSend"));
            case Action::OpenRawLog:
                return menuAction("OpenRawLog1")->trigger();
            case Action::None:
                return;
        }
    }

    // The first end of a download is the one the row is about, unless the action then runs a
    // command that ends the run itself (a clear, new criteria and their new download, a file).
    void onEnded() {
        ++ends_;
        const bool clearing = s_.action == Action::ClearMemory && s_.answer;
        const bool newDownload = s_.action == Action::SendCriteria && s_.answer && ends_ == 1;
        const bool opening = s_.action == Action::OpenRawLog && s_.answer;
        if (clearing && ends_ == 1) capture();
        if (!clearing && !newDownload && !opening) finish();
    }

    void capture() {
        captured_ = true;
        const DownloadSession& s = session();
        result_.complete = s.outcome().complete();
        result_.memory = s.memory();
        result_.firmware = s.identity().firmware;
        result_.tracks = int(s.log().tracks().size());
        const auto* table = window_->findChild<browse::TrackTable*>();
        result_.lastNamedIncomplete =
            result_.tracks > 0 && table && table->trackModel()->lastIncomplete();
        result_.told = QStringList(sink_.questions + sink_.warnings + sink_.infos + sink_.errors)
                           .join(QStringLiteral("; "));
        const QString status = window_->statusText();
        if (!status.isEmpty()) result_.told += QStringLiteral("; status: ") + status;
    }

    // What is shown last (a failure's box after the end of the download) is still taken in.
    void finish() {
        if (finished_) return;
        finished_ = true;
        done_.setSingleShot(true);
        done_.start(0);
    }

    Scenario s_;
    sim::Emulator emulator_;
    SettingsFixture settings_;
    QTemporaryDir rawLog_;
    RecordingSink sink_;
    std::unique_ptr<app::TKAVSkyTraqV6> window_;
    link::Transport* transport_ = nullptr;  // the window's
    int intoBlock_ = -1;                    // bytes of the held block in, -1 until it is asked for
    QTimer done_;
    Result result_;
    int requests_ = 0;
    int versionRequests_ = 0;
    int clearRequests_ = 0;
    int ends_ = 0;
    bool acted_ = false;
    bool captured_ = false;
    bool finished_ = false;
    bool vanished_ = false;
};

// What the user does in the window while the memory is read.
std::vector<Scenario> windowRows() {
    std::vector<Scenario> rows = faultRows();
    Scenario modal{"modal_box_each_notice",
                   "a frame of an unknown id before every block, each box open for a second",
                   {QStringLiteral("noise-frame=0x1D")},
                   {true, -1, -1, "Transmission failure"}};
    modal.boxOpenMs = 1000;
    rows.push_back(modal);
    const auto action = [&rows](const char* name, const char* what, Action act, When when,
                                bool answer, Expected expected) {
        Scenario s{name, what, {}, expected, act, when};
        s.answer = answer;
        rows.push_back(s);
    };
    // Sectors come in blocks at the default speed: a stop keeps whole blocks.
    const Expected stopped{false, 1, 16, "The download was stopped"};
    // A command the download is in the way of asks first (a click ignored fails the row).
    const Expected asked{true, -1, -1, "A download is in progress"};
    action("reconnect_mid_download", "Connect again after sector 2", Action::Reconnect,
           When::AfterSector, true, {});
    action("stop_mid_download", "Tools, Stop download after sector 2", Action::Stop,
           When::AfterSector, true, stopped);
    action("clear_awaiting_ack",
           "Clear memory while awaiting an acknowledgement, stop: yes (cut: not cleared)",
           Action::ClearMemory, When::AwaitingAck, true, stopped);
    action("clear_data_arriving", "Clear memory while a block arrives, stop: no",
           Action::ClearMemory, When::DataArriving, false, asked);
    action("config_awaiting_ack", "Send to GPS while awaiting an acknowledgement, stop: yes",
           Action::SendCriteria, When::AwaitingAck, true, asked);
    action("config_data_arriving", "Send to GPS while a block arrives, stop: no",
           Action::SendCriteria, When::DataArriving, false, asked);
    action("open_raw_awaiting_ack", "Open raw log while awaiting an acknowledgement, stop: yes",
           Action::OpenRawLog, When::AwaitingAck, true, asked);
    action("open_raw_data_arriving", "Open raw log while a block arrives, stop: yes",
           Action::OpenRawLog, When::DataArriving, true, asked);
    // The request for the second block reaches the logger, or the second block is arriving:
    // Clear memory is enabled once the first sectors are in.
    for (std::size_t i = rows.size() - 6; i < rows.size(); ++i)
        rows[i].atSector = rows[i].when == When::AwaitingAck ? 1 : session::kSectorsPerBlock;
    return rows;
}

class WindowMatrix : public ::testing::TestWithParam<Scenario> {};

TEST_P(WindowMatrix, KeptBytesExactTracksNamedUserToldTheTruth) {
    WindowRun run(GetParam());
    checkAndReport("window", GetParam(), run.run());
}

INSTANTIATE_TEST_SUITE_P(Emulator, WindowMatrix, ::testing::ValuesIn(windowRows()), rowName);

}  // namespace
}  // namespace kav::reliability

int main(int argc, char** argv) {
    return kav::reliability::runMatrix<QApplication>(argc, argv);
}
