#pragma once
// TraceGridGT730DrawCell: the track table's cell colours, outlines and mark boxes.

#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QStyledItemDelegate>

namespace kav::browse {

const QColor kOddRowColour(255, 255, 255);
const QColor kEvenRowColour(225, 255, 244);
const QColor kFixedCellColour(215, 185, 216);
const QColor kSelectedCellColour(255, 184, 149);

// Fill colour of a data cell; rows are counted from 1 under the header row, as on screen.
QColor cellFillColour(int modelRow, int column, bool selected);

// The font a cell's text is drawn in: the table's face at the cell's size, bold for the fixed
// cells.
QFont cellFont(const QFont& base, int column, bool header = false);

// Pixels a cell needs around its text: the text's left offset and the outline.
constexpr int kCellTextPadding = 8;

// The glyph drawn for a mark cell's text: a ticked box for "þ", an empty box for "o".
QString markGlyph(const QString& text);

class TrackCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// The header row, drawn as fixed cells (bold on the fixed colour, black outline).
class TrackHeaderView : public QHeaderView {
    Q_OBJECT
  public:
    explicit TrackHeaderView(QWidget* parent = nullptr);

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

}  // namespace kav::browse
