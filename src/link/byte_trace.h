#pragma once
// The byte trace for field problems: every byte string written to and read from the logger,
// and the link's notes (answers dropped, requests made again), one timestamped line each.

#include <QByteArrayView>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include "link/transport.h"

namespace kav::link {

class ByteTrace {
  public:
    // Opens (creates or appends to) the file; false with the reason in error.
    bool open(const QString& path, QString* error);
    bool isOpen() const { return file_.isOpen(); }

    void bytes(bool out, QByteArrayView data);
    void note(const QString& text);
    // A trace function for Transport::setTrace that writes here.
    Transport::Trace recorder();

  private:
    void line(const QString& text);

    QFile file_;
    QElapsedTimer clock_;
};

}  // namespace kav::link
