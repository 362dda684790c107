#include "app/message_sink.h"

#include <QMessageBox>

namespace kav::app {

QString errorReportText(const QString& text) {
    if (!text.isEmpty() && text.back().unicode() > u'.') return text + u'.';
    return text;
}

void reportError(MessageSink& sink, const QString& text) {
    sink.error(errorReportText(text));
}

void BoxMessageSink::information(const QString& text) {
    QMessageBox::information(parent_, QString::fromLatin1(kMessageCaption), text);
}

bool BoxMessageSink::warning(const QString& text) {
    const auto answer = QMessageBox::warning(parent_, QString::fromLatin1(kMessageCaption), text,
                                             QMessageBox::No | QMessageBox::Ok, QMessageBox::No);
    return answer == QMessageBox::Ok;
}

bool BoxMessageSink::question(const QString& text) {
    const auto answer = QMessageBox::question(parent_, QString::fromLatin1(kMessageCaption), text,
                                              QMessageBox::Yes | QMessageBox::No);
    return answer == QMessageBox::Yes;
}

void BoxMessageSink::error(const QString& text) {
    QMessageBox::critical(parent_, QString::fromLatin1(kMessageCaption), text);
}

}  // namespace kav::app
