#pragma once
// Bulk text written through raw pointers into one buffer that is handed on in large pieces:
// the points of a track file, without a string or a call into the XML writer per number.

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

#include <QByteArrayView>

namespace kav::exporting {

class ChunkWriter {
  public:
    using Sink = std::function<void(QByteArrayView)>;
    static constexpr std::size_t kChunkBytes = 64 * 1024;

    explicit ChunkWriter(Sink sink);
    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;

    // Room for n more bytes (n at most kChunkBytes): write there, then pass the end to advance.
    char* room(std::size_t n);
    void advance(char* end) { used_ = std::size_t(end - buffer_.get()); }
    // Hands on what is gathered; call it once the last text is written.
    void flush();

  private:
    Sink sink_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
};

// Copies text to out and returns the end.
char* writeText(char* out, std::string_view text);

}  // namespace kav::exporting
