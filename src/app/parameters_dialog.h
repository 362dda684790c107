#pragma once
// The Parameters dialog: output directory and navigation folders, start list, gap, threshold,
// default export format and port auto-detection. Its controls are the live store of settings.

#include <optional>

#include <QDialog>

#include "app/settings_files.h"
#include "session/transfer_speed.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace kav::app {

class MessageSink;
class RadioList;

class TParametersGT730 : public QDialog {
    Q_OBJECT
  public:
    TParametersGT730(MessageSink& messages, SettingsPlaces places, QWidget* parent = nullptr);

    // What applying the lines of Connexion.cfg gave.
    struct Applied {
        std::optional<QString> dataDir;  // RepDataGT, when line 1 was applied
        std::optional<int> format;       // default export format, when line 7 was applied
        QString error;                   // conversion error that stopped the loading, if any
        int errorLine = 0;               // the line of Connexion.cfg it was found on
    };
    // Applies the eight lines in order, each before the next; a line 2 or 7 that is not an
    // integer stops there, leaving the remaining controls as they were.
    Applied applySettings(const QStringList& lines);

    SettingsValues values() const;
    bool autoDetect() const;
    bool useStartList() const;
    QString startListFile() const;
    int defaultFormat() const;
    session::TransferSpeed transferSpeed() const;
    void setTransferSpeed(session::TransferSpeed speed);
    void setConfigEnabled(bool enabled);

    void ListNav();
    void BtDefaultClick();
    void BtSendClick();

  signals:
    void autoDetectUnticked();
    void configLoggerRequested();
    void defaultFormatSaved(int format);
    void transferSpeedSaved(kav::session::TransferSpeed speed);
    void dataDirSaved(const QString& dir);

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildControls();
    QWidget* buildButtons();
    void connectControls();
    void chooseDirectory();
    void chooseStartList();
    void setNavIndex(int index);

    MessageSink& messages_;
    SettingsPlaces places_;
    QLineEdit* DirEdit;
    QCheckBox* CbList;
    QWidget* startListRow;
    QLineEdit* FilenameList;
    QLineEdit* EdGap;
    QLineEdit* EdThreshold;
    QComboBox* CbFilter;
    QComboBox* CbSpeed;
    RadioList* RgNav;
    QCheckBox* CkbAutoDetect;
    QPushButton* BtDefault;
    QPushButton* BtSend;
    QPushButton* BtnConfig;
    QPushButton* BtAbort;
};

}  // namespace kav::app
