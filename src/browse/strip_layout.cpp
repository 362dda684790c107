#include "browse/strip_layout.h"

#include <algorithm>

namespace kav::browse {

StripLayout stripLayout(int width) {
    const int c = std::max(width, 0) / kBlockPitch;
    const int perRowForCount = std::max(c, 1);
    StripLayout layout;
    layout.blocksPerRow = c + 1;
    layout.rows = (kSectorBlocks + perRowForCount - 1) / perRowForCount;
    layout.height = kBlockPitch * layout.rows + kStripMargin;
    return layout;
}

QRect blockRect(const StripLayout& layout, int i) {
    const int x = i % layout.blocksPerRow;
    const int r = i / layout.blocksPerRow;
    return {kStripMargin + kBlockPitch * x, kStripMargin + kBlockPitch * r, kBlockPitch,
            kBlockPitch};
}

}  // namespace kav::browse
