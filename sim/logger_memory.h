#pragma once
// The logger's flash memory and logging criteria as the protocol sees them.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace kav::sim {

constexpr int kSectorBytes = 4096;
constexpr int kDefaultSectors = 512;  // 2 MiB
constexpr int kMaxSectors = 0xFFFF;   // the status reply counts sectors in 16 bits

// Log criteria in command order: max/min time, max/min distance, max/min speed, then logging on.
struct LogCriteria {
    std::array<uint32_t, 6> values{65535, 1, 65535, 0, 65535, 0};
    bool logging = true;
    friend bool operator==(const LogCriteria&, const LogCriteria&) = default;
};

class LoggerMemory {
  public:
    // Takes an image of whole sectors; a partial last sector is completed with 0xFF.
    // Returns nullopt (and error) when the image has more sectors than the logger can count.
    static std::optional<LoggerMemory> fromImage(QByteArray image, QString* error = nullptr);

    // A full memory counts only the image's sectors (at least one), every one of them used,
    // as a logger that has run out of room reports itself; a clear empties it.
    void setFull(bool full) { full_ = full; }
    int totalSectors() const;
    // Sectors before the one being written: the index of the last sector holding data, 0 if none;
    // every sector when full.
    int usedSectors() const;
    // 4096 bytes of sector n; sectors beyond the image read as 0xFF.
    QByteArray sector(int n) const;
    const QByteArray& image() const { return image_; }
    void clear();

    LogCriteria criteria;

  private:
    explicit LoggerMemory(QByteArray image) : image_(std::move(image)) {}
    QByteArray image_;
    bool full_ = false;
};

}  // namespace kav::sim
