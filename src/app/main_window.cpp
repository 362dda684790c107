#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include "app/about_dialog.h"
#include "app/configuration_dialog.h"
#include "app/default_transport.h"
#include "app/message_sink.h"
#include "app/parameters_dialog.h"
#include "app/shown_log.h"
#include "app/transfer_setting.h"
#include "app/user_guide.h"
#include "browse/barogram.h"
#include "browse/sector_strip.h"
#include "browse/track_plot.h"
#include "browse/track_table.h"
#include "browse/track_table_model.h"
#include "export/track_export.h"
#include "link/port_list.h"
#include "link/port_watcher.h"
#include "logbook/logbook.h"
#include "session/download_session.h"

namespace kav::app {
namespace {

// The window's outside world, with the defaults filled in.
WindowServices withDefaults(WindowServices services) {
    if (!services.transport) services.transport = makeDefaultTransport();
    if (services.programDir.isEmpty()) services.programDir = QCoreApplication::applicationDirPath();
    if (services.userConfigDir.isEmpty()) services.userConfigDir = userSettingsDir();
    if (!services.portLister) services.portLister = [] { return link::availablePorts(); };
    if (!services.online) services.online = [] { return DetectionConnexion(); };
    if (services.logbookPath.isEmpty()) services.logbookPath = logbook::defaultLogbookPath();
    if (!services.openUrl)
        services.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    return services;
}

}  // namespace

TKAVSkyTraqV6::TKAVSkyTraqV6(WindowServices services, QWidget* parent)
    : QMainWindow(parent), services_(withDefaults(std::move(services))) {
    setObjectName(QStringLiteral("KAVSkyTraqV6"));
    setWindowTitle(QStringLiteral("KAV SkyTraq V6"));
    if (services_.messages) {
        messages_ = services_.messages;
    } else {
        ownMessages_ = std::make_unique<BoxMessageSink>(this);
        messages_ = ownMessages_.get();
    }
    repGT_ = QDir::cleanPath(services_.programDir);
    session_ = std::make_unique<session::DownloadSession>(*services_.transport);
    buildLayout();
    buildMenu();
    buildDialogs();
    connectControls();
    connectLink();
    setUpExport();
    setUpLogbook();
    startTrace();
    // The client area between the menu and the status bar is 1000 x 550.
    menuBar()->ensurePolished();
    statusBar()->ensurePolished();
    resize(1000, 550 + menuBar()->heightForWidth(1000) + statusBar()->sizeHint().height());
    // The end of the desktop session ends a run as closing the window does.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, &TKAVSkyTraqV6::endRun);
        connect(app, &QCoreApplication::aboutToQuit, this, &TKAVSkyTraqV6::endRun);
    }
    if (services_.watchPorts) {
        watcher_ = std::make_unique<link::PortWatcher>(services_.portLister);
        connect(watcher_.get(), &link::PortWatcher::portRemoved, this,
                &TKAVSkyTraqV6::portRemovedEvent);
        connect(watcher_.get(), &link::PortWatcher::portArrived, this,
                &TKAVSkyTraqV6::portArrivedEvent);
    }
}

TKAVSkyTraqV6::~TKAVSkyTraqV6() {
    // The session refers to the transport: it goes first. The end of its run is not shown:
    // the controls are going too.
    watcher_.reset();
    QObject::disconnect(session_.get(), nullptr, this, nullptr);
    session_.reset();
}

void TKAVSkyTraqV6::closeEvent(QCloseEvent* event) {
    endRun();
    QMainWindow::closeEvent(event);
}

void TKAVSkyTraqV6::endRun() {
    if (session_->portOpen()) session_->disconnect();
}

QString TKAVSkyTraqV6::SoftFirmware() const {
    return exporting::kSoftFirmware;
}

void TKAVSkyTraqV6::buildDialogs() {
    configurationDialog_ = new TConfiguration(*messages_, this);
    aboutDialog_ = new TAboutGT730(this);
    parametersDialog_ = new TParametersGT730(*messages_, {repGT_, services_.userConfigDir}, this);
}

// Start-up runs once the window is shown, activated or not (no window manager, a remote
// session); queued, so the window is drawn before the start-up messages appear.
bool TKAVSkyTraqV6::event(QEvent* event) {
    if (event->type() == QEvent::Show && !started_) {
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
        QMetaObject::invokeMethod(this, &TKAVSkyTraqV6::FormActivate, Qt::QueuedConnection);
    }
    return QMainWindow::event(event);
}

void TKAVSkyTraqV6::FormActivate() {
    if (started_) return;
    started_ = true;
    loadSettings();
    InitPortCom();
    InitGrid();
    PaintBox1->clear();
    if (watcher_) watcher_->start();
}

void TKAVSkyTraqV6::loadSettings() {
    const SettingsOutcome outcome = readSettingsFiles({repGT_, services_.userConfigDir});
    if (outcome.status == SettingsStatus::None) {
        // A first start: the dialog's defaults stand, its directory included.
        repDataGT_ = parametersDialog_->values().dataDir;
        return;
    }
    if (outcome.status == SettingsStatus::Missing) {
        messages_->information(outcome.message);
        return;
    }
    if (outcome.status == SettingsStatus::Failed) {
        reportError(*messages_, outcome.message);
        return;
    }
    if (const auto speed = readTransferSpeed(outcome.path))
        parametersDialog_->setTransferSpeed(*speed);
    session_->setTransferSpeed(parametersDialog_->transferSpeed());
    const auto applied = parametersDialog_->applySettings(outcome.lines);
    if (applied.dataDir) repDataGT_ = *applied.dataDir;
    if (applied.format) defaultFormat_ = *applied.format;
    if (!applied.error.isEmpty())
        reportError(*messages_, settingsLineError(outcome.path, applied.errorLine, applied.error));
}

void TKAVSkyTraqV6::connectControls() {
    connect(BtnConnect, &QPushButton::clicked, this, &TKAVSkyTraqV6::BtnConnectClick);
    connect(Connect1, &QAction::triggered, this, &TKAVSkyTraqV6::BtnConnectClick);
    connect(BtnDownload, &QPushButton::clicked, this, &TKAVSkyTraqV6::BtnDownloadClick);
    connect(Download1, &QAction::triggered, this, &TKAVSkyTraqV6::Download1Click);
    connect(BtnRAZGT730, &QPushButton::clicked, this, &TKAVSkyTraqV6::BtnRAZGT730Click);
    connect(ClearMemory1, &QAction::triggered, this, &TKAVSkyTraqV6::BtnRAZGT730Click);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(Exit1, &QAction::triggered, this, &TKAVSkyTraqV6::Exit1Click);
    connect(StopDownload1, &QAction::triggered, this, &TKAVSkyTraqV6::StopDownload1Click);
    connect(Configure1, &QAction::triggered, this, &TKAVSkyTraqV6::Configure1Click);
    connect(Parameters1, &QAction::triggered, this, &TKAVSkyTraqV6::Parameters1Click);
    connect(Help2, &QAction::triggered, this, &TKAVSkyTraqV6::Help2Click);
    connect(Support1, &QAction::triggered, this, &TKAVSkyTraqV6::Support1Click);
    connect(About1, &QAction::triggered, this, &TKAVSkyTraqV6::About1Click);
    connect(CBPortCom, &QComboBox::activated, this, &TKAVSkyTraqV6::CBPortComInit);
    connect(CbTimeFilter, &QCheckBox::toggled, TraceGridGT730, &browse::TrackTable::setShortList);
    connect(TraceGridGT730, &browse::TrackTable::shortListBoxVisibilityChanged, CbTimeFilter,
            &QWidget::setVisible);
    connect(TraceGridGT730, &browse::TrackTable::preferredWidthChanged, this,
            &TKAVSkyTraqV6::fitTablePanel);
    connect(TraceGridGT730, &browse::TrackTable::trackChosen, this, &TKAVSkyTraqV6::plotTrack);
    connect(parametersDialog_, &TParametersGT730::autoDetectUnticked, this,
            &TKAVSkyTraqV6::addFixedPortNames);
    connect(parametersDialog_, &TParametersGT730::configLoggerRequested, this,
            &TKAVSkyTraqV6::Configure1Click);
    connect(parametersDialog_, &TParametersGT730::transferSpeedSaved, this,
            [this](session::TransferSpeed speed) { session_->setTransferSpeed(speed); });
    connect(parametersDialog_, &TParametersGT730::defaultFormatSaved, this,
            [this](int format) { defaultFormat_ = format; });
    connect(parametersDialog_, &TParametersGT730::dataDirSaved, this,
            [this](const QString& dir) { repDataGT_ = dir; });
}

void TKAVSkyTraqV6::InitGrid() {
    resetDisplay();
    session_->clearLog();
}

void TKAVSkyTraqV6::resetDisplay() {
    releaseShownLog();
    setDownloadEnabled(false);
    CbTimeFilter->setChecked(false);
    TraceGridGT730->reset();
    // The plot shows no track of a log that is gone.
    plotTrack(-1);
}

void TKAVSkyTraqV6::CleanScreen() {
    PnlBlock->resetColours();
    InitGrid();
}

void TKAVSkyTraqV6::plotTrack(int track) {
    const auto& tracks = collection().tracks();
    if (track < 0 || track >= static_cast<int>(tracks.size())) {
        PaintBox1->clear();
        Barogram1->clear();
        showScores(-1);
        if (SaveFlightOnly1) SaveFlightOnly1->setEnabled(false);
        return;
    }
    const log::Track& chosen = tracks[static_cast<std::size_t>(track)];
    const log::TrackPoints points =
        log::buildTrackPoints(collection().logData(), chosen.first, chosen.last);
    PaintBox1->setTrack(points);
    std::vector<browse::FlightSpan> spans;
    for (const flight::Flight& f : TraceGridGT730->trackModel()->flights(track))
        spans.push_back({f.takeoff - chosen.first, f.landing - chosen.first});
    PaintBox1->setFlights(spans);
    Barogram1->setTrack(points, spans);
    showScores(track);
    if (SaveFlightOnly1) SaveFlightOnly1->setEnabled(!spans.empty());
}

void TKAVSkyTraqV6::Configure1Click() {
    configurationDialog_->exec();
}

void TKAVSkyTraqV6::Parameters1Click() {
    // The dialog shows the saved settings even when opened before start-up ran.
    FormActivate();
    parametersDialog_->exec();
}

void TKAVSkyTraqV6::Help2Click() {
    std::function<void()> onlineHelp;
    if (const auto page = helpPage())
        onlineHelp = [this, page] {
            openWebPage(*page, services_.online, services_.openUrl, *messages_);
        };
    showUserGuide(this, repGT_, onlineHelp, *messages_);
}

void TKAVSkyTraqV6::Support1Click() {
    // The menu item shows only when this build names a support site.
    if (const auto page = supportPage())
        openWebPage(*page, services_.online, services_.openUrl, *messages_);
}

void TKAVSkyTraqV6::About1Click() {
    aboutDialog_->setVersion(SoftFirmware());
    aboutDialog_->exec();
}

}  // namespace kav::app
