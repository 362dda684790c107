#include "export/zip_archive.h"

#include <zip.h>

#include <memory>

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace kav::exporting {

namespace {

QString zipError(zip_error_t* error) {
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

// The first of name, stem_1.ext, ... not used yet in the archive.
QString entryName(const QString& path, QSet<QString>& used) {
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QString stem = info.fileName().chopped(suffix.size());
    QString name = info.fileName();
    for (int i = 1; used.contains(name); ++i) name = stem + u'_' + QString::number(i) + suffix;
    used.insert(name);
    return name;
}

// Adds every file to archive; the reason of the first that cannot be added.
QString addFiles(zip_t* archive, const QStringList& files) {
    QSet<QString> used;
    for (const QString& path : files) {
        zip_source_t* source =
            zip_source_file(archive, QFile::encodeName(path).constData(), 0, -1);  // -1: to its end
        const QByteArray name = entryName(path, used).toUtf8();
        if (source && zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8) >= 0)
            continue;
        if (source) zip_source_free(source);
        return path + QStringLiteral(": ") + zipError(zip_get_error(archive));
    }
    return {};
}

// The bytes the closed archive left in buffer.
ZipContent bufferBytes(zip_source_t* buffer) {
    ZipContent content;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_open(buffer) < 0 || zip_source_stat(buffer, &stat) < 0) {
        content.error = zipError(zip_source_error(buffer));
        return content;
    }
    content.bytes.resize(qsizetype(stat.size));
    if (zip_source_read(buffer, content.bytes.data(), stat.size) != zip_int64_t(stat.size)) {
        content.error = zipError(zip_source_error(buffer));
        content.bytes.clear();
    }
    zip_source_close(buffer);
    return content;
}

}  // namespace

ZipContent zipFiles(const QStringList& files) {
    zip_error_t error;
    zip_error_init(&error);
    const std::unique_ptr<zip_source_t, decltype(&zip_source_free)> buffer(
        zip_source_buffer_create(nullptr, 0, 0, &error), &zip_source_free);
    zip_t* archive = buffer ? zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error) : nullptr;
    if (!archive) {
        const ZipContent failed{{}, zipError(&error)};
        zip_error_fini(&error);
        return failed;
    }
    zip_source_keep(buffer.get());  // the archive's close must leave its bytes to read
    if (const QString reason = addFiles(archive, files); !reason.isEmpty()) {
        zip_discard(archive);
        return {{}, reason};
    }
    if (zip_close(archive) < 0) {
        const ZipContent failed{{}, zipError(zip_get_error(archive))};
        zip_discard(archive);
        return failed;
    }
    return bufferBytes(buffer.get());
}

}  // namespace kav::exporting
