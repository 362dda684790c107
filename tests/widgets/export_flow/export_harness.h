#pragma once
// A main window over a fake port, a logger answering on it, whose export dialogs and clock are
// answered by the test.

#include <memory>
#include <optional>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include "answering_logger.h"
#include "app/main_window.h"
#include "common/fake_transport.h"
#include "log/datalog_decoder.h"
#include "recording_sink.h"
#include "session/download_session.h"
#include "settings_fixture.h"
#include "sim/image_encoder.h"
#include "sim/sample_day.h"

namespace kav::app::testing {

struct ExportHarness {
    ~ExportHarness() {
        if (logger) logger->answerFreely();
    }

    // Connexion.cfg lines for a data folder, the start list and the default format (line 7).
    static QStringList settings(const QString& dataDir, bool useList, const QString& list,
                                const QString& format) {
        return {dataDir, "-1", useList ? "True" : "False", list, "20", "600", format, "False"};
    }

    // Writes the settings files, builds the window and runs its start-up.
    void start(const QStringList& lines) {
        fixture.writeBoth(SettingsFixture::lines(lines));
        WindowServices services;
        auto transport = std::make_unique<link::FakeTransport>();
        logger = std::make_unique<AnsweringLogger>(*transport);
        services.transport = std::move(transport);
        services.messages = &sink;
        services.programDir = fixture.programDir();
        services.userConfigDir = fixture.userDir();
        services.portLister = [] { return QStringList{}; };
        services.online = [] { return false; };
        services.openUrl = [](const QUrl&) {};
        services.watchPorts = false;
        services.exportDialogs = fakeDialogs();
        services.logbookPath = logbookDir.filePath("logbook.sqlite");
        window = std::make_unique<TKAVSkyTraqV6>(std::move(services));
        window->FormActivate();
    }

    // The sample day read from a logger answering Connect; a cut download is stopped before
    // its last sector (one sector a request, so the stop comes in time).
    bool download(bool cut = false) {
        const QByteArray memory = sim::encodeFixes(sim::sampleFixes());
        const int sectors = int((memory.size() + log::kSectorSize - 1) / log::kSectorSize);
        session::DownloadSession& session = window->session();
        if (!logger->plugIn(memory)) return false;
        if (cut) session.setTransferSpeed(session::TransferSpeed::Standard);
        auto* chooser = window->findChild<QComboBox*>("CBPortCom");
        if (chooser->currentIndex() < 0) chooser->setCurrentIndex(0);
        QTest::mouseClick(window->findChild<QPushButton*>("BtnConnect"), Qt::LeftButton);
        if (cut) {
            if (!logger->answerUntil(
                    [&] { return session.downloading() && session.sectorsRead() >= sectors - 2; }))
                return false;
            window->findChild<QAction*>("StopDownload1")->trigger();
        }
        return logger->answerUntil([&] {
            return session.outcome().state != session::Outcome::State::None &&
                   !session.downloading() && !session.busy();
        });
    }

    ExportDialogs fakeDialogs() {
        ExportDialogs dialogs;
        dialogs.saveTrack = [this](const QString& proposal, int filterIndex) {
            proposals << proposal;
            filterIndexes << filterIndex;
            return saveAnswer ? saveAnswer(proposal, filterIndex) : std::nullopt;
        };
        dialogs.openStartList = [this](const QString& current) {
            startListAsked << current;
            return startListAnswer;
        };
        dialogs.chooseCompetitor = [this](const QString& caption, const QStringList& entries) {
            competitorCaptions << caption;
            competitorEntries = entries;
            return competitorAnswer;
        };
        dialogs.saveRawLog = [this](const QString&) { return rawSavePath; };
        dialogs.openRawLog = [this](const QString&) { return rawOpenPath; };
        dialogs.now = [this] { return now; };
        return dialogs;
    }

    // A save dialog where the user types name in folder and confirms.
    static auto typed(const QString& folder, const QString& name) {
        return [folder, name](const QString&, int filterIndex) {
            return std::optional(SaveChoice{folder + "/" + name, filterIndex});
        };
    }

    static QStringList filesIn(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }

    SettingsFixture fixture;
    QTemporaryDir logbookDir;
    RecordingSink sink;
    QStringList proposals;
    QList<int> filterIndexes;
    std::function<std::optional<SaveChoice>(const QString&, int)> saveAnswer;
    QStringList startListAsked;
    std::optional<QString> startListAnswer;
    QStringList competitorCaptions;
    QStringList competitorEntries;
    std::optional<QString> competitorAnswer;
    std::optional<QString> rawSavePath;
    std::optional<QString> rawOpenPath;
    QDateTime now{QDate(2026, 12, 9), QTime(10, 30)};
    std::unique_ptr<AnsweringLogger> logger;
    std::unique_ptr<TKAVSkyTraqV6> window;
};

}  // namespace kav::app::testing
