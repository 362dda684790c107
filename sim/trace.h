#pragma once
// Record of every frame received and sent, kept in memory and optionally appended to a file.

#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringList>
#include <memory>

namespace kav::sim {

class Trace {
  public:
    // Opens (appends to) path; false when it cannot be written.
    bool openFile(const QString& path, QString* error = nullptr);
    void add(const QString& line);
    void addFrame(const char* direction, QByteArrayView bytes, const char* note = nullptr);
    const QStringList& lines() const { return lines_; }

    // "A0 A1 00 01" style: upper-case hexadecimal, one blank between bytes.
    static QString hex(QByteArrayView bytes);

  private:
    QStringList lines_;
    std::unique_ptr<QFile> file_;
};

}  // namespace kav::sim
