#pragma once
// The Logger configuration dialog: the logger's identity and logging criteria, and new criteria
// to send.

#include <functional>

#include <QDialog>

#include "app/log_criteria.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kav::app {

class MessageSink;

class TConfiguration : public QDialog {
    Q_OBJECT
  public:
    explicit TConfiguration(MessageSink& messages, QWidget* parent = nullptr);

    void setSerialNumber(const QString& serial);
    void setVersions(const QString& firmware, const QString& kernel);
    // The six criteria read from the logger (maximum/minimum time, distance, speed) and its
    // logging flag.
    void setCriteria(const std::array<qint64, 6>& values, bool logging);
    // BtSend and BtDefault.
    void setSendEnabled(bool enabled);
    bool distanceMode() const;
    // Asked when Send to GPS is pressed with valid values: false keeps the dialog open with
    // them, nothing sent.
    void setSendCheck(std::function<bool()> check) { sendCheck_ = std::move(check); }

    void BtDefaultClick();
    void BtSendClick();

  signals:
    // "Send to GPS": the seven values for SetLogCriteria.
    void criteriaReady(const kav::app::LogCriteria& values);

  private:
    void buildControls();
    void RgTypeLogClick();
    CriteriaTexts texts() const;

    MessageSink& messages_;
    std::function<bool()> sendCheck_;
    QLabel* LbSerialNo;
    QLineEdit* EdSerialNo;
    QLabel* LbFirmware;
    QLabel* LbKernel;
    QRadioButton* timeMode;
    QRadioButton* distanceMode_;
    QLineEdit* EdTimeMin;
    QLineEdit* EdDistMin;
    QLineEdit* EdSpeedMin;
    QLineEdit* EdTimeMax;
    QLineEdit* EdDistMax;
    QLineEdit* EdSpeedMax;
    QCheckBox* CkbLog;
    QPushButton* BtDefault;
    QPushButton* BtSend;
    QPushButton* BtAbort;
};

}  // namespace kav::app
