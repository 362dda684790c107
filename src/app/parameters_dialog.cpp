#include "app/parameters_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/message_sink.h"
#include "app/named_widget.h"
#include "app/nav_folders.h"
#include "app/radio_list.h"
#include "app/transfer_setting.h"

namespace kav::app {
namespace {

const QString kDefaultGap = QStringLiteral("20");
const QString kDefaultThreshold = QStringLiteral("600");
constexpr int kFormatCount = 4;

QLineEdit* numberField(const char* name, const QString& text, QWidget* parent) {
    auto* field = named(new QLineEdit(text, parent), name);
    field->setAlignment(Qt::AlignRight);
    field->setFixedWidth(41);
    return field;
}

// A text field with a browse button beside it.
QWidget* withBrowse(QLineEdit* field, QToolButton* button, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    button->setText(QStringLiteral("..."));
    layout->addWidget(button);
    return row;
}

QString nonZeroOr(const QString& text, const QString& fallback) {
    return isNonZeroInteger(text) ? text : fallback;
}

}  // namespace

TParametersGT730::TParametersGT730(MessageSink& messages, SettingsPlaces places, QWidget* parent)
    : QDialog(parent), messages_(messages), places_(std::move(places)) {
    setObjectName(QStringLiteral("ParametersGT730"));
    setWindowTitle(QStringLiteral("Set parameters "));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(484, 252);
    buildControls();
    connectControls();
}

void TParametersGT730::buildControls() {
    DirEdit = named(new QLineEdit(defaultDataDir(), this), "DirEdit");
    DirEdit->setMinimumWidth(300);
    auto* dirBrowse = named(new QToolButton(this), "DirBrowse");
    connect(dirBrowse, &QToolButton::clicked, this, [this] { chooseDirectory(); });
    CbList = named(new QCheckBox(QStringLiteral("Filename of start list"), this), "CbList");
    FilenameList =
        named(new QLineEdit(QStringLiteral("BlankListCompetitor.txt"), this), "FilenameList");
    auto* listBrowse = named(new QToolButton(this), "FilenameListBrowse");
    connect(listBrowse, &QToolButton::clicked, this, [this] { chooseStartList(); });
    startListRow = withBrowse(FilenameList, listBrowse, this);
    startListRow->hide();
    EdGap = numberField("EdGap", kDefaultGap, this);
    EdThreshold = numberField("EdThreshold", kDefaultThreshold, this);
    CbFilter = named(new QComboBox(this), "CbFilter");
    CbFilter->addItems({QStringLiteral(".gac"), QStringLiteral(".kml"), QStringLiteral(",gpx"),
                        QStringLiteral(".igc")});
    RgNav = named(new RadioList(QStringLiteral("Navigation"), this), "RgNav");
    RgNav->setFixedWidth(120);
    CbSpeed = named(new QComboBox(this), "CbSpeed");
    CbSpeed->addItems(session::transferSpeedTitles());
    CbSpeed->setToolTip(
        QStringLiteral("Standard: 115200 baud, one sector a request. Fast: "
                       "230400 baud. Fastest: 921600 baud. A logger that cannot "
                       "keep up is read at Standard speed."));
    setTransferSpeed(session::TransferSpeed::Fast);
    CkbAutoDetect =
        named(new QCheckBox(QStringLiteral("Port Com automatic detection"), this), "CkbAutoDetect");
    CkbAutoDetect->setChecked(true);

    auto* settings = new QGridLayout;
    settings->addWidget(new QLabel(QStringLiteral("Directory : "), this), 0, 0);
    settings->addWidget(withBrowse(DirEdit, dirBrowse, this), 0, 1, 1, 4);
    settings->addWidget(CbList, 1, 0, 1, 5);
    settings->addWidget(startListRow, 2, 0, 1, 5);
    settings->addWidget(new QLabel(QStringLiteral("Gap between track :"), this), 3, 0);
    settings->addWidget(EdGap, 3, 1);
    settings->addWidget(new QLabel(QStringLiteral("sec"), this), 3, 2);
    settings->addWidget(new QLabel(QStringLiteral("Default format"), this), 3, 3);
    settings->addWidget(CbFilter, 3, 4);
    settings->addWidget(new QLabel(QStringLiteral("Table threshold :"), this), 4, 0);
    settings->addWidget(EdThreshold, 4, 1);
    settings->addWidget(new QLabel(QStringLiteral("sec"), this), 4, 2);
    settings->addWidget(new QLabel(QStringLiteral("Transfer speed :"), this), 5, 0);
    settings->addWidget(CbSpeed, 5, 1, 1, 2);
    settings->setRowStretch(6, 1);
    settings->addWidget(CkbAutoDetect, 7, 0, 1, 5);

    auto* upper = new QHBoxLayout;
    upper->addLayout(settings, 1);
    upper->addWidget(RgNav);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(upper, 1);
    layout->addWidget(buildButtons());
}

QWidget* TParametersGT730::buildButtons() {
    auto* panel = named(new QWidget(this), "Panel2");
    panel->setFixedHeight(51);
    BtDefault = named(new QPushButton(QStringLiteral("Default"), panel), "BtDefault");
    BtSend = named(new QPushButton(QStringLiteral("&Save"), panel), "BtSend");
    BtnConfig = named(new QPushButton(QStringLiteral("Config logger"), panel), "BtnConfig");
    BtAbort = named(new QPushButton(QStringLiteral("Close"), panel), "BtAbort");
    QFont bold = BtnConfig->font();
    bold.setBold(true);
    BtnConfig->setFont(bold);
    BtnConfig->setEnabled(false);
    auto* layout = new QHBoxLayout(panel);
    for (QPushButton* button : {BtDefault, BtSend, BtnConfig, BtAbort}) {
        button->setFixedSize(105, 25);
        button->setAutoDefault(false);
        layout->addWidget(button);
    }
    return panel;
}

void TParametersGT730::connectControls() {
    connect(DirEdit, &QLineEdit::textChanged, this, [this] { ListNav(); });
    connect(CbList, &QCheckBox::toggled, startListRow, &QWidget::setVisible);
    connect(CkbAutoDetect, &QCheckBox::toggled, this, [this](bool on) {
        if (!on) emit autoDetectUnticked();
    });
    connect(BtDefault, &QPushButton::clicked, this, [this] { BtDefaultClick(); });
    connect(BtSend, &QPushButton::clicked, this, [this] { BtSendClick(); });
    connect(BtnConfig, &QPushButton::clicked, this, [this] { emit configLoggerRequested(); });
    connect(BtAbort, &QPushButton::clicked, this, &QDialog::reject);
}

void TParametersGT730::ListNav() {
    const int remembered = RgNav->selectedIndex();
    RgNav->setItems(navFolders(DirEdit->text()));
    RgNav->setSelectedIndex(remembered);
}

void TParametersGT730::setNavIndex(int index) {
    // Bounded by the list: beyond the last folder selects the last one.
    const int count = static_cast<int>(RgNav->items().size());
    RgNav->setSelectedIndex(index < 0 ? -1 : std::min(index, count - 1));
}

TParametersGT730::Applied TParametersGT730::applySettings(const QStringList& lines) {
    Applied applied;
    const auto line = [&lines](int number) { return lines.value(number - 1); };
    applied.dataDir = line(1);
    DirEdit->setText(line(1));
    const auto nav = parseInteger(line(2));
    if (!nav) {
        applied.error = conversionErrorText(line(2));
        applied.errorLine = 2;
        return applied;
    }
    setNavIndex(*nav);
    CbList->setChecked(line(3) == QStringLiteral("True"));
    FilenameList->setText(QFileInfo(line(4)).isFile()
                              ? line(4)
                              : joinPath(line(1), QStringLiteral("BlankListCompetitor.txt")));
    EdGap->setText(nonZeroOr(line(5), kDefaultGap));
    EdThreshold->setText(nonZeroOr(line(6), kDefaultThreshold));
    const auto format = parseInteger(line(7));
    if (!format) {
        applied.error = conversionErrorText(line(7));
        applied.errorLine = 7;
        return applied;
    }
    // A format outside the three known ones falls back to the first (GAC).
    CbFilter->setCurrentIndex(*format >= 0 && *format < kFormatCount ? *format : 0);
    applied.format = CbFilter->currentIndex();
    CkbAutoDetect->setChecked(line(8) == QStringLiteral("True"));
    return applied;
}

SettingsValues TParametersGT730::values() const {
    return {
        DirEdit->text(), RgNav->selectedIndex(), CbList->isChecked(), FilenameList->text(),
        EdGap->text(),   EdThreshold->text(),    defaultFormat(),     CkbAutoDetect->isChecked()};
}

bool TParametersGT730::autoDetect() const {
    return CkbAutoDetect->isChecked();
}

bool TParametersGT730::useStartList() const {
    return CbList->isChecked();
}

QString TParametersGT730::startListFile() const {
    return FilenameList->text();
}

int TParametersGT730::defaultFormat() const {
    return std::max(0, CbFilter->currentIndex());
}

session::TransferSpeed TParametersGT730::transferSpeed() const {
    return session::TransferSpeed(std::max(0, CbSpeed->currentIndex()));
}

void TParametersGT730::setTransferSpeed(session::TransferSpeed speed) {
    CbSpeed->setCurrentIndex(int(speed));
}

void TParametersGT730::setConfigEnabled(bool enabled) {
    BtnConfig->setEnabled(enabled);
}

void TParametersGT730::BtDefaultClick() {
    DirEdit->setText(defaultDataDir());
    RgNav->setSelectedIndex(-1);
    CbList->setChecked(false);
    FilenameList->setText(QStringLiteral("BlankListCompetitor.Text"));
    EdGap->setText(kDefaultGap);
    EdThreshold->setText(kDefaultThreshold);
    CbFilter->setCurrentIndex(0);
    setTransferSpeed(session::TransferSpeed::Fast);
    CkbAutoDetect->setChecked(false);
}

void TParametersGT730::BtSendClick() {
    if (messages_.question(QStringLiteral("Save this config ?"))) {
        SettingsValues corrected = values();
        corrected.gap = nonZeroOr(corrected.gap, kDefaultGap);
        corrected.threshold = nonZeroOr(corrected.threshold, kDefaultThreshold);
        const SettingsOutcome outcome = writeSettingsFiles(places_, corrected);
        if (outcome.status != SettingsStatus::Missing) {
            EdGap->setText(corrected.gap);
            EdThreshold->setText(corrected.threshold);
        }
        if (outcome.status == SettingsStatus::Missing) messages_.information(outcome.message);
        if (outcome.status == SettingsStatus::Failed) reportError(messages_, outcome.message);
        QString error;
        if (outcome.status == SettingsStatus::Done &&
            !writeTransferSpeed(outcome.path, transferSpeed(), &error))
            reportError(messages_, error);
        if (outcome.status == SettingsStatus::Done) {
            emit transferSpeedSaved(transferSpeed());
            emit defaultFormatSaved(defaultFormat());
            emit dataDirSaved(corrected.dataDir);
        }
    }
    accept();
}

void TParametersGT730::chooseDirectory() {
    const QString dir = QFileDialog::getExistingDirectory(this, QString(), DirEdit->text());
    if (!dir.isEmpty()) DirEdit->setText(QDir::toNativeSeparators(dir));
}

void TParametersGT730::chooseStartList() {
    const QString file = QFileDialog::getOpenFileName(this, QString(), FilenameList->text(),
                                                      QStringLiteral("Texte files (*.txt)"));
    if (!file.isEmpty()) FilenameList->setText(QDir::toNativeSeparators(file));
}

void TParametersGT730::showEvent(QShowEvent* event) {
    ListNav();
    QDialog::showEvent(event);
}

void TParametersGT730::keyPressEvent(QKeyEvent* event) {
    // Esc presses Config logger while it is enabled, and does nothing otherwise.
    if (event->key() == Qt::Key_Escape) {
        if (BtnConfig->isEnabled()) BtnConfig->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace kav::app
