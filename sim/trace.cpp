#include "trace.h"

namespace kav::sim {

bool Trace::openFile(const QString& path, QString* error) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("cannot write trace %1: %2").arg(path, file->errorString());
        return false;
    }
    file_ = std::move(file);
    return true;
}

void Trace::add(const QString& line) {
    lines_.append(line);
    if (!file_) return;
    file_->write(line.toUtf8() + '\n');
    file_->flush();
}

void Trace::addFrame(const char* direction, QByteArrayView bytes, const char* note) {
    QString line = QLatin1String(direction) + QLatin1Char(' ') + hex(bytes);
    if (note) line += QLatin1Char(' ') + QLatin1String(note);
    add(line);
}

QString Trace::hex(QByteArrayView bytes) {
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

}  // namespace kav::sim
