#pragma once
// The real file system, each call through the seam noted in calls as one letter and a name:
// "w name" a temporary written, "f N" N files flushed, "r name" a rename, "s" a folder synced,
// "x" a temporary removed. takeMeanwhile names files another program creates just before
// their rename.

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "export/file_store.h"

namespace kav::testing {

class RecordingStore final : public kav::exporting::FileStore {
  public:
    explicit RecordingStore(QStringList& calls) : calls_(calls) {}
    QStringList takeMeanwhile;
    bool failFlush = false;

    QString writeTemporary(const QString& target, const QByteArray& bytes,
                           QString* reason) override {
        calls_ << QStringLiteral("w ") + QFileInfo(target).fileName();
        return disk().writeTemporary(target, bytes, reason);
    }
    bool flushData(const QStringList& paths, QString* reason) override {
        calls_ << QStringLiteral("f %1").arg(paths.size());
        if (failFlush) *reason = QStringLiteral("Input/output error");
        return !failFlush && disk().flushData(paths, reason);
    }
    kav::exporting::RenameOutcome renameNew(const QString& from, const QString& to,
                                            QString* reason) override {
        calls_ << QStringLiteral("r ") + QFileInfo(to).fileName();
        if (takeMeanwhile.removeOne(QFileInfo(to).fileName())) {
            QFile other(to);
            if (other.open(QIODevice::WriteOnly)) other.write("another program's");
        }
        return disk().renameNew(from, to, reason);
    }
    bool syncFolder(const QString& folder, QString* reason) override {
        calls_ << QStringLiteral("s");
        return disk().syncFolder(folder, reason);
    }
    bool exists(const QString& path) const override { return disk().exists(path); }
    void remove(const QString& path) override {
        calls_ << QStringLiteral("x");
        disk().remove(path);
    }

  private:
    static kav::exporting::FileStore& disk() { return kav::exporting::diskStore(); }
    QStringList& calls_;
};

// The calls' letters in order, e.g. "wwwfrrrs".
inline QString callLetters(const QStringList& calls) {
    QString letters;
    for (const QString& call : calls) letters += call.front();
    return letters;
}

}  // namespace kav::testing
