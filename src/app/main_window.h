#pragma once
// The main window: track table, chart, sector strip, port chooser, button bar and menu. It owns
// the download session (which owns the link and the decoded log) and the dialogs, and turns the
// session's reports into control changes and messages.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>

#include <QMainWindow>
#include <QStringList>
#include <QThreadPool>

#include "app/export_dialogs.h"
#include "app/web_pages.h"
#include "export/file_info.h"
#include "export/safe_file_write.h"
#include "flight/flight_detector.h"
#include "flight/flight_score.h"
#include "flight/flight_stats.h"
#include "link/byte_trace.h"
#include "link/transport.h"
#include "log/track_list.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace kav::browse {
class SectorStrip;
class TrackPlot;
class Barogram;
class TrackTable;
}  // namespace kav::browse

namespace kav::link {
class PortWatcher;
struct LogStatus;
}  // namespace kav::link

namespace kav::logbook {
struct WrittenFile;
}

namespace kav::session {
class DownloadSession;
struct LoggerIdentity;
struct Outcome;
struct Progress;
}  // namespace kav::session

namespace kav::app {

class LogbookWindow;
class MessageSink;
class TAboutGT730;
class TConfiguration;
class TParametersGT730;

// What the window uses of the outside world; every member may be left empty for the default.
struct WindowServices {
    std::unique_ptr<link::Transport> transport;  // default: the serial port
    MessageSink* messages = nullptr;             // not owned; default: message boxes
    QString programDir;                          // RepGT; default: the executable's directory
    QString userConfigDir;                       // default: the user's configuration folder
    std::function<QStringList()> portLister;     // default: the ports present
    OnlineTest online;                           // default: DetectionConnexion
    UrlOpener openUrl;                           // default: the desktop's browser
    bool watchPorts = true;                      // notice ports that come and go
    ExportDialogs exportDialogs;                 // default: the real dialogs and clock
    QString logbookPath;                         // default: the user's logbook
};

class TKAVSkyTraqV6 : public QMainWindow {
    Q_OBJECT
  public:
    explicit TKAVSkyTraqV6(WindowServices services = {}, QWidget* parent = nullptr);
    ~TKAVSkyTraqV6() override;

    // Start-up sequence, run once when the window is first shown.
    void FormActivate();

    // Port handling.
    void InitPortCom();
    void CBPortComInit();
    void BtnConnectClick();
    bool SerialPort_init();
    void SerialPort_close();
    void Exit1Click();
    void portRemovedEvent(const QString& name);
    void portArrivedEvent(const QString& name);

    // Commands.
    void BtnRAZGT730Click();
    // Ends a running download after the sectors being read; what was read is kept.
    void StopDownload1Click();
    void Configure1Click();
    void Parameters1Click();
    void Help2Click();
    void Support1Click();
    void About1Click();

    // Export of the marked track, and the raw memory commands.
    void BtnDownloadClick();
    void Download1Click();
    void StartDownload(int Index);
    void SaveRawLog1Click();
    void OpenRawLog1Click();
    // The Logbook window, showing every flight kept.
    void Logbook1Click();

    // Screen resets.
    void InitGrid();
    void CleanScreen();
    // The table, the short list and the plot back to empty; the log itself is kept.
    void resetDisplay();

    QString RepGT() const { return repGT_; }
    QString RepDataGT() const { return repDataGT_; }
    QString SoftFirmware() const;
    // Default export format: 0 GAC, 1 KML, 2 GPX.
    int defaultFormat() const { return defaultFormat_; }
    // The chooser's text: the chosen port, or "Port Com" when none is chosen.
    QString portChooserText() const;

    TParametersGT730& parameters() { return *parametersDialog_; }
    TConfiguration& configuration() { return *configurationDialog_; }
    TAboutGT730& about() { return *aboutDialog_; }
    session::DownloadSession& session() { return *session_; }
    // The log on screen: the session's, or the one read before while a new connection has
    // not yet started its download.
    const log::LogCollection& collection() const;
    // The outcome of the last download, as the status bar shows it.
    QString statusText() const;

  signals:
    // Download pressed with the marked track; the export flow answers it.
    void downloadRequested(int track);
    // The status-bar field now shows text.
    void statusShown(const QString& text);
    // The Score panel shows the finished scores of track's flights (-1: of no track).
    void scoresShown(int track);
    // A recording in the logbook asked for is done (written or not).
    void logbookRecorded();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildLayout();
    QWidget* buildButtonBar();
    QWidget* buildTablePanel();
    void buildMenu();
    void buildDialogs();
    void connectControls();
    void connectLink();
    void loadSettings();
    void addFixedPortNames();
    void enableAfterSector();
    void onLogStatus(const link::LogStatus& status);
    void onSector(int sector);
    void onDownloadStarted(int sectorsToRead);
    void onProgress(const session::Progress& progress);
    void onDownloadEnded(const session::Outcome& outcome);
    void startTrace();
    // A download or the handshake before it is running.
    bool runInProgress();
    // Runs action now, or, while a download runs, after asking to stop it and once it has
    // stopped; nothing happens when the user keeps the download going.
    void unlessDownloading(std::function<void()> action);
    // Runs action now, or once the running download has stopped (the user already agreed).
    void afterStopping(std::function<void()> action);
    // Ends the run through the session, so the logger is put back at 115200 before the port
    // closes (window closed, desktop session ending).
    void endRun();
    // The permanent status-bar field: the last download's outcome or the last file saved.
    void showStatus(const QString& text);
    void setDownloadEnabled(bool enabled);
    // The tables' panel: the table's width, never narrower than the controls beneath it.
    void fitTablePanel(int tableWidth);
    // Keeps the log on screen while a new connection has not started its download.
    void holdShownLog();
    void releaseShownLog();
    const session::Outcome& shownOutcome() const;
    const session::LoggerIdentity& shownIdentity() const;
    const QByteArray& shownMemory() const;
    bool trackIncomplete(int track) const;
    void plotTrack(int track);
    // The scores and statistics of the plotted track's flights: routes on the chart, words in
    // LbScore. Flights not yet scored are scored off the event loop, the panel saying so.
    void showScores(int track);
    void presentScores(int track);
    // The score of a flight of the shown log: the one shown when there is one.
    flight::FlightScore scoreOf(const flight::Flight& f) const;
    void reportOpenFailure(link::OpenResult result, const QString& name);
    void buildStatusBar();
    void setUpExport();
    void setUpLogbook();
    // Adds the flights on screen to the logbook (with files, only those the files hold) off the
    // event loop: scoring a full memory takes a while. When done, the note about it is added to
    // status (the status is left alone when empty); a logbook that cannot be written is said in
    // a message. Recordings are made one after another, in the order asked.
    void recordInLogbook(const QString& status, std::span<const logbook::WrittenFile> files = {});
    int saveFilterIndex() const;
    std::optional<QString> nameFromStartList(const QDate& today, const QString& shortFormat,
                                             bool incomplete);
    QString startListPath();
    QString nameWithoutDialog(const QString& dateName, bool incomplete) const;
    // Writes track Index to path; a name taken meanwhile is returned unreported.
    kav::exporting::WriteResult writeTrack(int Index, const QString& path);

    WindowServices services_;
    std::unique_ptr<MessageSink> ownMessages_;
    MessageSink* messages_ = nullptr;
    std::unique_ptr<session::DownloadSession> session_;
    std::unique_ptr<link::PortWatcher> watcher_;
    link::ByteTrace trace_;
    int downloadBaud_ = 115200;  // the line rate the download runs at
    QString rateNote_;           // why a faster rate could not be used, for the status bar
    QString repGT_;
    QString repDataGT_;
    int defaultFormat_ = 0;
    bool started_ = false;
    QString runPort_;  // the port of the last connection, for its messages
    struct ShownLog;
    std::unique_ptr<ShownLog> held_;  // the log read before, while a connection starts

    // Export state: the header and name of the last export, the save dialog's filter when the
    // user changed it.
    exporting::TFileInfo FileInfos;
    QString FileNameGT730;
    std::optional<int> saveFilterIndex_;

    TParametersGT730* parametersDialog_ = nullptr;
    TConfiguration* configurationDialog_ = nullptr;
    TAboutGT730* aboutDialog_ = nullptr;

    browse::TrackTable* TraceGridGT730 = nullptr;
    browse::TrackPlot* PaintBox1 = nullptr;
    browse::Barogram* Barogram1 = nullptr;  // height over time of the plotted track
    browse::SectorStrip* PnlBlock = nullptr;
    QWidget* Panel3 = nullptr;
    QCheckBox* CbTimeFilter = nullptr;
    QComboBox* CBPortCom = nullptr;
    QLabel* LbSerialNo = nullptr;
    QLabel* LbScore = nullptr;  // the plotted track's flights: score and statistics
    // Scores already computed, by take-off and landing fix and take-off time: a long flight
    // takes a good part of a second.
    struct ScoredFlight {
        flight::FlightScore score;
        flight::FlightStats stats;
    };
    using ScoreKey = std::tuple<std::size_t, std::size_t, double>;
    std::map<ScoreKey, ScoredFlight> scored_;
    // Counts the tracks asked to be shown: scores that come back for an earlier one are not shown.
    std::uint64_t scoreRequest_ = 0;
    QPushButton* BtnConnect = nullptr;
    QPushButton* BtnDownload = nullptr;
    QPushButton* BtnRAZGT730 = nullptr;
    QPushButton* btnClose = nullptr;
    QProgressBar* ProgressDownload = nullptr;
    QLabel* LbStatus = nullptr;
    QAction* Connect1 = nullptr;
    QAction* Download1 = nullptr;
    QAction* SaveRawLog1 = nullptr;
    QAction* OpenRawLog1 = nullptr;
    QAction* SaveFlightOnly1 = nullptr;  // checked: Download saves the marked track's flight
    QAction* Exit1 = nullptr;
    QAction* ClearMemory1 = nullptr;
    QAction* StopDownload1 = nullptr;
    QAction* Configure1 = nullptr;
    QAction* Parameters1 = nullptr;
    QAction* Help2 = nullptr;
    QAction* Support1 = nullptr;
    QAction* About1 = nullptr;
    QAction* Logbook1 = nullptr;
    LogbookWindow* logbookWindow_ = nullptr;
    // One thread writes the logbook, so recordings keep their order; it finishes the one in
    // progress when the window goes.
    QThreadPool logbookWriter_;
};

}  // namespace kav::app
