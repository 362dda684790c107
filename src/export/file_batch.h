#pragma once
// Many new files made durable together: each is written whole under a temporary name as it
// comes, and at the end of the batch the data of all of them is flushed in one go, then each
// takes its name, then each folder is synced once. A power cut leaves every file whole or
// absent, and the cost is one flush for the batch instead of two for each file.

#include <cstddef>
#include <functional>
#include <vector>

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include "export/file_store.h"
#include "export/safe_file_write.h"

namespace kav::exporting {

class FileBatch {
  public:
    enum class Naming {
        Exact,     // the name given or nothing: a taken name is a failure with nameTaken set
        NextFree,  // the name given, or the next free one (_1, _2, ...) when it is taken
    };
    // A file saved beside another as one name (a raw log's side file: name + suffix).
    struct Companion {
        QString suffix;
        QByteArray bytes;
    };

    explicit FileBatch(FileStore& store = diskStore());
    ~FileBatch();  // removes the temporary files of a batch never committed
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // The first of wanted, stem_1.ext, stem_2.ext, ... naming no file (nor any name + companion
    // suffix) and no file of this batch.
    QString freeName(const QString& wanted, const QStringList& companions = {}) const;
    // Writes bytes (and the companions) under temporary names; the file is to take path at
    // commit. Returns its number in the batch; a failure shows in result() at once.
    std::size_t add(const QString& path, const QByteArray& bytes, Naming naming = Naming::NextFree,
                    std::vector<Companion> companions = {});
    // add() under the first free name for wanted, content made for that name; a name taken at
    // commit moves the file on to the next free one for wanted.
    using Content = std::function<QByteArray(const QString& name)>;
    std::size_t addUnderFreeName(const QString& wanted, const Content& content,
                                 std::vector<Companion> companions = {});
    // Flushes every file's data, names the files, syncs each folder once; then every result is
    // final. A flush that fails fails every file, and no temporary file is left either way.
    void commit();

    // The name file n has (or was to have) and what became of it.
    const QString& path(std::size_t n) const { return files_[n].path; }
    const WriteResult& result(std::size_t n) const { return files_[n].result; }
    std::size_t size() const { return files_.size(); }

  private:
    struct Part {
        QString suffix;
        QString temporary;  // empty once renamed or removed
    };
    struct File {
        QString path;    // the name it is to take
        QString wanted;  // the name asked for
        Naming naming = Naming::NextFree;
        std::vector<Part> parts;  // the file itself first, then its companions
        WriteResult result;
        bool named = false;  // renamed into place
        bool pending() const {
            return result.ok() && !named && !parts.empty() && !parts[0].temporary.isEmpty();
        }
    };

    void claim(const File& file, bool claimed);
    static QStringList companionSuffixes(const File& file);
    void name(File& file);
    RenameOutcome renameParts(File& file, QString* reason);
    void syncFolders();
    void discard(File& file);

    FileStore& store_;
    std::vector<File> files_;
    QSet<QString> claimed_;  // the names files of the batch not yet renamed are to take
};

}  // namespace kav::exporting
