#include "app/about_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/web_pages.h"
#include "kav/version.h"

namespace kav::app {
namespace {

QLabel* textLabel(const QString& text, const QString& style, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(style);
    return label;
}

// A bold navy value on sky blue, as the product lines show them.
QLabel* valueLabel(const QString& text, QWidget* parent) {
    return textLabel(text,
                     QStringLiteral("font-family: Arial; font-weight: bold; color: navy; "
                                    "background: #87CEEB; padding: 1px 4px;"),
                     parent);
}

// Where bug reports go: the address the build names, else the support site's host.
QString bugReportAddress() {
    const QString address = QStringLiteral(KAV_BUG_REPORT);
    if (!address.isEmpty()) return address;
    const auto support = supportPage();
    return support ? support->host : QString();
}

}  // namespace

TAboutGT730::TAboutGT730(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutGT730"));
    setWindowTitle(QStringLiteral("About GT730"));
    setMinimumSize(625, 200);
    setStyleSheet(
        QStringLiteral("QDialog { background: #808080; } QLabel { font-family: Arial; }"));

    auto* grid = new QGridLayout;
    grid->addWidget(textLabel(QStringLiteral("KAV"),
                              QStringLiteral("font-size: 20px; font-weight: bold;"), this),
                    0, 0);
    grid->addWidget(textLabel(QStringLiteral("Authors :"), {}, this), 1, 0);
    auto* authors =
        textLabel(QStringLiteral(KAV_AUTHORS), QStringLiteral("font-weight: bold;"), this);
    authors->setObjectName(QStringLiteral("Authors"));
    authors->setWordWrap(true);
    grid->addWidget(authors, 2, 0, 2, 1);
    grid->addWidget(
        textLabel(QStringLiteral("Downloading GPS SkyTraq Venus 6"),
                  QStringLiteral("font-weight: bold; color: purple; font-size: 16px;"), this),
        0, 1, 1, 2);
    const QString labels[] = {QStringLiteral("Product :"), QStringLiteral("Version :"),
                              QStringLiteral("Date :")};
    Version = valueLabel(QStringLiteral("xxx"), this);
    Version->setObjectName(QStringLiteral("Version"));
    QLabel* values[] = {valueLabel(QStringLiteral("KAV-SkyTraq V6"), this), Version,
                        valueLabel(QStringLiteral("19/05/2019"), this)};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(textLabel(labels[i], {}, this), i + 1, 1);
        grid->addWidget(values[i], i + 1, 2);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    auto* footer = new QHBoxLayout;
    if (const QString address = bugReportAddress(); !address.isEmpty()) {
        footer->addWidget(textLabel(
            QStringLiteral("If you have any issues, please send your bug report to :"), {}, this));
        auto* link =
            textLabel(address, QStringLiteral("color: blue; text-decoration: underline;"), this);
        link->setObjectName(QStringLiteral("BugReport"));
        link->setTextInteractionFlags(Qt::TextSelectableByMouse);
        footer->addWidget(link);
    }
    footer->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("AboutButtons"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    footer->addWidget(buttons);
    layout->addLayout(footer);
}

void TAboutGT730::setVersion(const QString& version) {
    Version->setText(version);
}

QString TAboutGT730::version() const {
    return Version->text();
}

}  // namespace kav::app
