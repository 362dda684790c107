#include "export/safe_file_write.h"

#include "export/file_batch.h"

namespace kav::exporting {

WriteResult writeNewFile(const QString& path, const QByteArray& content) {
    FileBatch batch;
    batch.add(path, content, FileBatch::Naming::Exact);
    batch.commit();
    return batch.result(0);
}

}  // namespace kav::exporting
