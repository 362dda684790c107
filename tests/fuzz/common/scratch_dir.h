#pragma once
// One scratch folder per fuzz process for the readers that take a path, and file writing.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "fuzz_check.h"

inline const QString& scratchDir() {
    static QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    static const QString path = dir.path();
    return path;
}

// Replaces the file at path with bytes.
inline void writeScratchFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
}
