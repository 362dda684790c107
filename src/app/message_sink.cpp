#include "app/message_sink.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace kav::app {
namespace {

// A box with the program's caption, wide enough for the caption to be read in its title bar
// (a short question would otherwise make the box narrower than its caption).
QMessageBox::StandardButton showBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) {
    const QString caption = QString::fromLatin1(kMessageCaption);
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    QFont title = box.font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.25);
    const QFontMetrics metrics(title);
    // The caption, and room for the title bar's icon and buttons on either side of it.
    const int width = metrics.horizontalAdvance(caption) + 8 * metrics.height();
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return QMessageBox::StandardButton(box.exec());
}

}  // namespace

QString errorReportText(const QString& text) {
    if (!text.isEmpty() && text.back().unicode() > u'.') return text + u'.';
    return text;
}

void reportError(MessageSink& sink, const QString& text) {
    sink.error(errorReportText(text));
}

void BoxMessageSink::information(const QString& text) {
    showBox(parent_, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool BoxMessageSink::warning(const QString& text) {
    return showBox(parent_, QMessageBox::Warning, text, QMessageBox::No | QMessageBox::Ok,
                   QMessageBox::No) == QMessageBox::Ok;
}

bool BoxMessageSink::question(const QString& text) {
    return showBox(parent_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::Yes) == QMessageBox::Yes;
}

void BoxMessageSink::error(const QString& text) {
    showBox(parent_, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

}  // namespace kav::app
