#pragma once
// Where the 512 blocks of the sector strip sit for a given strip width (CloneShape's rule).

#include <QRect>

namespace kav::browse {

constexpr int kSectorBlocks = 512;
constexpr int kBlockPitch = 7;  // blocks are 7 x 7 px, one beside the other
constexpr int kStripMargin = 2;

struct StripLayout {
    int blocksPerRow = 1;  // c + 1, with c = width div 7
    int rows = 1;          // rows reserved: 512 / c rounded up (c taken as at least 1)
    int height = 9;        // 7 * rows + 2
};

// The layout for a strip this many pixels wide; any width (even 0 or negative) gives
// at least one block per row and never divides by zero.
StripLayout stripLayout(int width);

// The 7 x 7 rectangle of block i (0..511) in that layout.
QRect blockRect(const StripLayout& layout, int i);

}  // namespace kav::browse
