#include "export/chunk_writer.h"

#include <cstring>
#include <utility>

namespace kav::exporting {

ChunkWriter::ChunkWriter(Sink sink)
    : sink_(std::move(sink)), buffer_(std::make_unique_for_overwrite<char[]>(kChunkBytes)) {}

char* ChunkWriter::room(std::size_t n) {
    if (used_ + n > kChunkBytes) flush();
    return buffer_.get() + used_;
}

void ChunkWriter::flush() {
    if (used_ > 0) sink_(QByteArrayView(buffer_.get(), qsizetype(used_)));
    used_ = 0;
}

char* writeText(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

}  // namespace kav::exporting
