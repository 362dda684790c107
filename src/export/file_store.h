#pragma once
// The file system as a batch of new files sees it: the one seam every saved file goes through,
// so the order of the steps that make a batch durable can be watched.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kav::exporting {

enum class RenameOutcome { Done, NameTaken, Failed };

class FileStore {
  public:
    virtual ~FileStore() = default;
    // Creates a new hidden file beside target holding every byte of bytes, its data on its way
    // to the disk; its path, or an empty string with the system's reason (no file left).
    virtual QString writeTemporary(const QString& target, const QByteArray& bytes,
                                   QString* reason) = 0;
    // Puts the data of every file of paths on the disk in one go.
    virtual bool flushData(const QStringList& paths, QString* reason) = 0;
    // Gives the file from the name to; NameTaken, and nothing changed, when to exists.
    virtual RenameOutcome renameNew(const QString& from, const QString& to, QString* reason) = 0;
    // Puts a folder's entries (the names just given) on the disk.
    virtual bool syncFolder(const QString& folder, QString* reason) = 0;
    virtual bool exists(const QString& path) const = 0;
    virtual void remove(const QString& path) = 0;
};

// The real file system; it holds no state.
FileStore& diskStore();

}  // namespace kav::exporting
