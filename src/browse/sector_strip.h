#pragma once
// The sector strip: one 7x7 block per memory sector, red for a sector that holds data.

#include <array>

#include <QColor>
#include <QWidget>

#include "browse/strip_layout.h"

namespace kav::browse {

// 512 blocks laid out for the current width (CloneShape); the colours belong to the blocks and
// survive every re-layout. The height follows the layout (7 * rows + 2).
class SectorStrip : public QWidget {
    Q_OBJECT
  public:
    explicit SectorStrip(QWidget* parent = nullptr);

    // Colours the first count blocks red and the others silver; a count beyond 512 colours
    // all, below 1 none.
    void setUsedSectors(int count);
    // Every block silver (the screen reset).
    void resetColours();
    // The colour of block i; an invalid colour for i outside 0..511.
    QColor blockColour(int i) const;
    const StripLayout& layout() const { return layout_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void CloneShape();

    std::array<bool, kSectorBlocks> used_{};
    StripLayout layout_;
};

}  // namespace kav::browse
