// The port chooser, connecting and disconnecting, and serial devices that come and go.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/configuration_dialog.h"
#include "app/main_window.h"
#include "app/message_sink.h"
#include "app/parameters_dialog.h"
#include "browse/track_table.h"
#include "link/logger_link.h"
#include "link/open_failure_text.h"
#include "link/port_list.h"
#include "session/download_session.h"

namespace kav::app {
namespace {

QString invalidPortText(const QString& name) {
    return QStringLiteral("Com Port ") + name +
           QStringLiteral(" not valid\r\nPlease check your parameters or connexion");
}

}  // namespace

QString TKAVSkyTraqV6::portChooserText() const {
    return CBPortCom->currentIndex() < 0 ? CBPortCom->placeholderText() : CBPortCom->currentText();
}

void TKAVSkyTraqV6::InitPortCom() {
    LbSerialNo->setText(QStringLiteral("_______________"));
    if (!parametersDialog_->autoDetect()) return;
    CBPortCom->clear();
    // The box stays while the table hides tracks, or they could never be shown again.
    CbTimeFilter->setVisible(TraceGridGT730->shortListBoxWanted());
    CBPortCom->addItems(services_.portLister());
    CBPortCom->setCurrentIndex(CBPortCom->count() - 1);
    BtnConnect->setEnabled(CBPortCom->count() > 0);
    session_->setPortRemoved(false);
}

void TKAVSkyTraqV6::addFixedPortNames() {
    // The names are added after the list's items; the choice stays as it was.
    const int chosen = CBPortCom->currentIndex();
    CBPortCom->addItems(link::fixedPortNames());
    CBPortCom->setCurrentIndex(chosen);
}

void TKAVSkyTraqV6::reportOpenFailure(link::OpenResult kind, const QString& name) {
    if (kind == link::OpenResult::InvalidPort) {
        messages_->information(invalidPortText(name));
        return;
    }
    reportError(*messages_, link::openFailureText(kind, name, session_->portError()));
}

void TKAVSkyTraqV6::CBPortComInit() {
    CleanScreen();
    SerialPort_close();
    if (CBPortCom->currentIndex() < 0) return;
    const QString name = CBPortCom->currentText();
    const auto result = session_->openPort(link::portLocation(name));
    if (result != link::OpenResult::Ok) reportOpenFailure(result, name);
}

// The table keeps what it shows until the logger answers and its download starts.
void TKAVSkyTraqV6::BtnConnectClick() {
    rateNote_.clear();
    SerialPort_init();
}

bool TKAVSkyTraqV6::SerialPort_init() {
    if (CBPortCom->currentIndex() < 0) {
        messages_->information(
            QStringLiteral("Com Port not defined\r\nPlease check your parameters or connexion\r\n"
                           "Check also how to use automatic Port com detection"));
        return false;
    }
    const QString name = CBPortCom->currentText();
    holdShownLog();
    // A reconnect starts from a closed port.
    SerialPort_close();
    runPort_ = name;
    const auto result =
        session_->start(link::portLocation(name), session::DownloadSession::Goal::ReadMemory);
    if (result == link::OpenResult::Ok) return true;
    reportOpenFailure(result, name);
    return false;
}

// A logger left at a faster line rate is put back to 115200 before the port closes.
void TKAVSkyTraqV6::SerialPort_close() {
    session_->closePort();
}

void TKAVSkyTraqV6::Exit1Click() {
    session_->disconnect();
}

void TKAVSkyTraqV6::portRemovedEvent(const QString& name) {
    session_->setPortRemoved(true);
    SerialPort_close();
    configurationDialog_->setSendEnabled(false);
    parametersDialog_->setConfigEnabled(false);
    BtnRAZGT730->setEnabled(false);
    Configure1->setEnabled(false);
    ClearMemory1->setEnabled(false);
    messages_->information(QStringLiteral("ComPort ") + name +
                           QStringLiteral(" has been removed."));
    InitPortCom();
}

void TKAVSkyTraqV6::portArrivedEvent(const QString&) {
    InitPortCom();
    if (!parametersDialog_->autoDetect()) return;
    InitGrid();
    SerialPort_init();
}

}  // namespace kav::app
