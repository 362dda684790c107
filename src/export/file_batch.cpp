#include "export/file_batch.h"

#include <utility>

#include <QDir>
#include <QFileInfo>

#include "export/unique_name.h"

namespace kav::exporting {

namespace {

// Another program taking each free name in turn as this one renames is not a race to run
// forever.
constexpr int kMaxNameRaces = 1000;

QString failureText(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot write the file %1: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

}  // namespace

FileBatch::FileBatch(FileStore& store) : store_(store) {}

FileBatch::~FileBatch() {
    for (File& file : files_) discard(file);
}

QString FileBatch::freeName(const QString& wanted, const QStringList& companions) const {
    return uniqueFileName(wanted, companions, [this](const QString& name) {
        return store_.exists(name) || claimed_.contains(name);
    });
}

void FileBatch::claim(const File& file, bool claimed) {
    for (const Part& part : file.parts) {
        if (claimed)
            claimed_.insert(file.path + part.suffix);
        else
            claimed_.remove(file.path + part.suffix);
    }
}

QStringList FileBatch::companionSuffixes(const File& file) {
    QStringList suffixes;
    for (std::size_t i = 1; i < file.parts.size(); ++i) suffixes << file.parts[i].suffix;
    return suffixes;
}

std::size_t FileBatch::add(const QString& path, const QByteArray& bytes, Naming naming,
                           std::vector<Companion> companions) {
    File file{path, path, naming, {}, WriteResult::success(), false};
    companions.insert(companions.begin(), Companion{QString(), bytes});
    if (naming == Naming::Exact && store_.exists(path))
        file.result =
            WriteResult::taken(failureText(path, QStringLiteral("the file already exists")));
    for (const Companion& companion : companions) {
        if (!file.result.ok()) break;
        QString reason;
        const QString temporary =
            store_.writeTemporary(path + companion.suffix, companion.bytes, &reason);
        if (temporary.isEmpty())
            file.result = WriteResult::failure(failureText(path + companion.suffix, reason));
        else
            file.parts.push_back({companion.suffix, temporary});
    }
    if (file.result.ok())
        claim(file, true);
    else
        discard(file);
    files_.push_back(std::move(file));
    return files_.size() - 1;
}

std::size_t FileBatch::addUnderFreeName(const QString& wanted, const Content& content,
                                        std::vector<Companion> companions) {
    QStringList suffixes;
    for (const Companion& companion : companions) suffixes << companion.suffix;
    const QString name = freeName(wanted, suffixes);
    const std::size_t n = add(name, content(name), Naming::NextFree, std::move(companions));
    files_[n].wanted = wanted;
    return n;
}

void FileBatch::commit() {
    QStringList temporaries;
    for (const File& file : files_)
        if (file.pending())
            for (const Part& part : file.parts) temporaries << part.temporary;
    if (temporaries.isEmpty()) return;
    QString reason;
    // Every file's data is on the disk before any takes its name: none is ever seen torn.
    if (!store_.flushData(temporaries, &reason)) {
        for (File& file : files_)
            if (file.pending()) {
                file.result = WriteResult::failure(failureText(file.path, reason));
                discard(file);
            }
        return;
    }
    for (File& file : files_)
        if (file.pending()) name(file);
    syncFolders();
}

void FileBatch::name(File& file) {
    for (int attempt = 0; attempt < kMaxNameRaces; ++attempt) {
        QString reason;
        const RenameOutcome outcome = renameParts(file, &reason);
        if (outcome == RenameOutcome::Done) {
            claim(file, false);  // on the disk under its name now
            file.named = true;
            return;
        }
        if (outcome == RenameOutcome::Failed) {
            file.result = WriteResult::failure(failureText(file.path, reason));
            break;
        }
        if (file.naming == Naming::Exact) {
            file.result = WriteResult::taken(
                failureText(file.path, QStringLiteral("the file already exists")));
            break;
        }
        claim(file, false);
        file.path = freeName(file.wanted, companionSuffixes(file));
        claim(file, true);
    }
    if (!file.named && file.result.ok())
        file.result = WriteResult::failure(
            failureText(file.path, QStringLiteral("every free name was taken meanwhile")));
    discard(file);
}

// Renames every part or none: a companion's name taken meanwhile puts the parts renamed back.
RenameOutcome FileBatch::renameParts(File& file, QString* reason) {
    for (std::size_t i = 0; i < file.parts.size(); ++i) {
        const RenameOutcome outcome =
            store_.renameNew(file.parts[i].temporary, file.path + file.parts[i].suffix, reason);
        if (outcome == RenameOutcome::Done) continue;
        for (std::size_t done = 0; done < i; ++done) {
            QString ignored;
            store_.renameNew(file.path + file.parts[done].suffix, file.parts[done].temporary,
                             &ignored);
        }
        return outcome;
    }
    for (Part& part : file.parts) part.temporary.clear();
    return RenameOutcome::Done;
}

void FileBatch::syncFolders() {
    QSet<QString> done;
    for (const File& file : files_) {
        const QString folder = QFileInfo(file.path).absolutePath();
        if (!file.named || done.contains(folder)) continue;
        done.insert(folder);
        QString reason;
        if (store_.syncFolder(folder, &reason)) continue;
        for (File& inFolder : files_)
            if (inFolder.named && QFileInfo(inFolder.path).absolutePath() == folder)
                inFolder.result = WriteResult::failure(failureText(inFolder.path, reason));
    }
}

void FileBatch::discard(File& file) {
    claim(file, false);
    for (Part& part : file.parts) {
        if (!part.temporary.isEmpty()) store_.remove(part.temporary);
        part.temporary.clear();
    }
}

}  // namespace kav::exporting
