#include "app/user_guide.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/message_sink.h"

namespace kav::app {
namespace {

const QString kGuideName = QStringLiteral("user-guide.md");
const QString kGuideObjectName = QStringLiteral("UserGuide");

}  // namespace

QStringList userGuidePlaces(const QString& programDir) {
    const QDir dir(programDir);
    return {QDir::cleanPath(dir.filePath(kGuideName)),
            QDir::cleanPath(dir.filePath(QStringLiteral("../share/kav-skytraq/") + kGuideName))};
}

QString missingUserGuideText(const QStringList& places) {
    QStringList shown;
    for (const QString& place : places) shown << QDir::toNativeSeparators(place);
    return QStringLiteral("The user guide was not found. It is looked for at:\n") +
           shown.join(u'\n');
}

UserGuideDialog::UserGuideDialog(const QString& path, const std::function<void()>& onlineHelp,
                                 QWidget* parent)
    : QDialog(parent) {
    setObjectName(kGuideObjectName);
    setWindowTitle(QStringLiteral("KAV SkyTraq V6 user guide"));
    resize(640, 560);
    auto* text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("GuideText"));
    text->setOpenExternalLinks(true);
    text->setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (onlineHelp) {
        QPushButton* online =
            buttons->addButton(QStringLiteral("Online help"), QDialogButtonBox::ActionRole);
        connect(online, &QPushButton::clicked, this, [onlineHelp] { onlineHelp(); });
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

void showUserGuide(QWidget* parent, const QString& programDir,
                   const std::function<void()>& onlineHelp, MessageSink& sink) {
    if (auto* open = parent->findChild<UserGuideDialog*>(kGuideObjectName)) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    const QStringList places = userGuidePlaces(programDir);
    for (const QString& place : places) {
        if (!QFileInfo(place).isFile()) continue;
        auto* dialog = new UserGuideDialog(place, onlineHelp, parent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
        return;
    }
    sink.information(missingUserGuideText(places));
}

}  // namespace kav::app
