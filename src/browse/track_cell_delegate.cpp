#include "browse/track_cell_delegate.h"

#include <QPainter>

#include "browse/track_table_model.h"

namespace kav::browse {
namespace {

constexpr int kTextPointSize = 8;
constexpr int kMarkPointSize = 12;

struct CellLook {
    QColor fill;
    QFont font;
    int textLeft = 2;
};

// Black outline (2 px top and bottom, 1 px left and right) around a filled cell, then its text.
void paintCell(QPainter* painter, const QRect& rect, const CellLook& look, const QString& text) {
    painter->save();
    painter->fillRect(rect, look.fill);
    painter->fillRect(QRect(rect.left(), rect.top(), rect.width(), 2), Qt::black);
    painter->fillRect(QRect(rect.left(), rect.bottom() - 1, rect.width(), 2), Qt::black);
    painter->fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), Qt::black);
    painter->fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), Qt::black);
    painter->setFont(look.font);
    painter->setPen(Qt::black);
    painter->drawText(rect.adjusted(look.textLeft, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      text);
    painter->restore();
}

}  // namespace

QFont cellFont(const QFont& base, int column, bool header) {
    QFont font = base;
    font.setPointSize(column == ColMark && !header ? kMarkPointSize : kTextPointSize);
    font.setBold(header || column == ColNumber);
    return font;
}

QColor cellFillColour(int modelRow, int column, bool selected) {
    if (column == ColNumber) return kFixedCellColour;
    if (selected) return kSelectedCellColour;
    return (modelRow + 1) % 2 == 1 ? kOddRowColour : kEvenRowColour;
}

QString markGlyph(const QString& text) {
    if (text == kMarkOn) return QStringLiteral("\u2611");
    if (text == kMarkOff) return QStringLiteral("\u2610");
    return text;
}

void TrackCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    CellLook look{cellFillColour(index.row(), index.column(), selected),
                  cellFont(option.font, index.column())};
    QString text = index.data().toString();
    if (index.column() == ColMark) {
        text = markGlyph(text);
        look.textLeft = 4;
    }
    paintCell(painter, option.rect, look, text);
}

TrackHeaderView::TrackHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

void TrackHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    const QString text =
        model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
    paintCell(painter, rect, CellLook{kFixedCellColour, cellFont(font(), logicalIndex, true)},
              text);
}

}  // namespace kav::browse
