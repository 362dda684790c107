#include "app/configuration_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/message_sink.h"
#include "app/named_widget.h"

namespace kav::app {
namespace {

const QString kMaxValue = QStringLiteral("65535");

// A criteria field that takes digits only (typed or pasted).
QLineEdit* digitField(const char* name, const QString& text, QWidget* parent) {
    auto* field = named(new QLineEdit(text, parent), name);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    field->setFixedWidth(60);
    return field;
}

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

}  // namespace

TConfiguration::TConfiguration(MessageSink& messages, QWidget* parent)
    : QDialog(parent), messages_(messages) {
    setObjectName(QStringLiteral("Configuration"));
    setWindowTitle(QStringLiteral("Configuration"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(323, 323);
    buildControls();
    connect(timeMode, &QRadioButton::toggled, this, [this] { RgTypeLogClick(); });
    connect(BtDefault, &QPushButton::clicked, this, [this] { BtDefaultClick(); });
    connect(BtSend, &QPushButton::clicked, this, [this] { BtSendClick(); });
    connect(BtAbort, &QPushButton::clicked, this, &QDialog::reject);
}

void TConfiguration::buildControls() {
    LbSerialNo = named(boldLabel(QStringLiteral("SerialNo"), this), "LbSerialNo");
    EdSerialNo = named(new QLineEdit(QStringLiteral("123456789012345"), this), "EdSerialNo");
    EdSerialNo->hide();
    LbFirmware = named(boldLabel(QStringLiteral("Firmware version"), this), "LbFirmware");
    LbKernel = named(boldLabel(QStringLiteral("Kernel version"), this), "LbKernel");

    auto* identity = new QGridLayout;
    identity->addWidget(boldLabel(QStringLiteral("Serial # : "), this), 0, 0);
    identity->addWidget(LbSerialNo, 0, 1);
    identity->addWidget(boldLabel(QStringLiteral("Firmware : "), this), 1, 0);
    identity->addWidget(LbFirmware, 1, 1);
    identity->addWidget(boldLabel(QStringLiteral("Kernel : "), this), 2, 0);
    identity->addWidget(LbKernel, 2, 1);

    auto* group = named(new QGroupBox(QStringLiteral("Log every"), this), "RgTypeLog");
    timeMode = named(new QRadioButton(QStringLiteral("Time"), group), "RgTypeLogTime");
    distanceMode_ = named(new QRadioButton(QStringLiteral("Distance"), group), "RgTypeLogDistance");
    timeMode->setChecked(true);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(timeMode);
    groupLayout->addWidget(distanceMode_);

    EdTimeMin = digitField("EdTimeMin", QStringLiteral("1"), this);
    EdDistMin = digitField("EdDistMin", QStringLiteral("0"), this);
    EdDistMin->setEnabled(false);
    EdSpeedMin = digitField("EdSpeedMin", QStringLiteral("0"), this);
    EdTimeMax = digitField("EdTimeMax", kMaxValue, this);
    EdDistMax = digitField("EdDistMax", kMaxValue, this);
    EdSpeedMax = digitField("EdSpeedMax", kMaxValue, this);
    for (QLineEdit* hidden : {EdTimeMax, EdDistMax, EdSpeedMax}) hidden->hide();

    auto* minima = new QGridLayout;
    minima->addWidget(EdTimeMin, 0, 0);
    minima->addWidget(boldLabel(QStringLiteral("Sec"), this), 0, 1);
    minima->addWidget(EdDistMin, 1, 0);
    minima->addWidget(boldLabel(QStringLiteral("m"), this), 1, 1);
    auto* mode = new QHBoxLayout;
    mode->addWidget(group);
    mode->addLayout(minima);

    auto* speed = new QHBoxLayout;
    speed->addWidget(boldLabel(QStringLiteral("Speed mini :"), this));
    speed->addWidget(EdSpeedMin);
    speed->addWidget(boldLabel(QStringLiteral("km/h"), this));
    speed->addStretch();

    CkbLog = named(new QCheckBox(QStringLiteral("Data log enable"), this), "CkbLog");
    CkbLog->setChecked(true);

    auto* buttonPanel = named(new QWidget(this), "Panel2");
    buttonPanel->setFixedHeight(41);
    buttonPanel->setAutoFillBackground(true);
    buttonPanel->setStyleSheet(QStringLiteral("#Panel2 { background: purple; }"));
    BtDefault = named(new QPushButton(QStringLiteral("Default"), buttonPanel), "BtDefault");
    BtSend = named(new QPushButton(QStringLiteral("Send to GPS"), buttonPanel), "BtSend");
    BtAbort = named(new QPushButton(QStringLiteral("Abort"), buttonPanel), "BtAbort");
    BtDefault->setEnabled(false);
    BtSend->setEnabled(false);
    for (QPushButton* button : {BtDefault, BtSend, BtAbort}) button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout(buttonPanel);
    buttons->addWidget(BtDefault);
    buttons->addWidget(BtSend);
    buttons->addWidget(BtAbort);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(identity);
    layout->addLayout(mode);
    layout->addLayout(speed);
    layout->addWidget(CkbLog);
    layout->addStretch();
    layout->addWidget(buttonPanel);
}

void TConfiguration::setSerialNumber(const QString& serial) {
    LbSerialNo->setText(serial);
    EdSerialNo->setText(serial);
}

void TConfiguration::setVersions(const QString& firmware, const QString& kernel) {
    LbFirmware->setText(firmware);
    LbKernel->setText(kernel);
}

void TConfiguration::setCriteria(const std::array<qint64, 6>& values, bool logging) {
    QLineEdit* fields[] = {EdTimeMax, EdTimeMin, EdDistMax, EdDistMin, EdSpeedMax, EdSpeedMin};
    for (int i = 0; i < 6; ++i) fields[i]->setText(QString::number(values[i]));
    CkbLog->setChecked(logging);
}

void TConfiguration::setSendEnabled(bool enabled) {
    BtSend->setEnabled(enabled);
    BtDefault->setEnabled(enabled);
}

bool TConfiguration::distanceMode() const {
    return distanceMode_->isChecked();
}

void TConfiguration::RgTypeLogClick() {
    const bool distance = distanceMode();
    (distance ? EdTimeMin : EdDistMin)->setText(QStringLiteral("0"));
    EdTimeMin->setEnabled(!distance);
    EdDistMin->setEnabled(distance);
}

void TConfiguration::BtDefaultClick() {
    EdTimeMax->setText(kMaxValue);
    EdTimeMin->setText(QStringLiteral("1"));
    EdDistMax->setText(kMaxValue);
    EdDistMin->setText(QStringLiteral("0"));
    EdSpeedMax->setText(kMaxValue);
    EdSpeedMin->setText(QStringLiteral("0"));
    CkbLog->setChecked(true);
    timeMode->setChecked(true);
}

CriteriaTexts TConfiguration::texts() const {
    return {EdTimeMax->text(),  EdTimeMin->text(),  EdDistMax->text(), EdDistMin->text(),
            EdSpeedMax->text(), EdSpeedMin->text(), distanceMode(),    CkbLog->isChecked()};
}

void TConfiguration::BtSendClick() {
    QString error;
    const auto values = buildLogCriteria(texts(), &error);
    if (!values) {
        reportError(messages_, error);
        accept();
        return;
    }
    if (sendCheck_ && !sendCheck_()) return;
    emit criteriaReady(*values);
    accept();
}

}  // namespace kav::app
