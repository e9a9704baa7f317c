#include "suffixdelegates.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace {

// Texts this short are drawn exactly as the standard delegate draws them.
const int shortText = 256;
// Characters kept beyond each edge of the view, in pixels, so that trimming
// never shows at the edges.
const int edgeMargin = 64;

QStyle *styleOf(const QStyleOptionViewItem &option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

void draw(QPainter *painter, const QStyleOptionViewItem &item)
{
    styleOf(item)->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
}

} // namespace

void SuffixCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (cell.text.size() > shortText) {
        // Wrapped or not, the cell shows no more than its lines can hold, and
        // elides its last line because more text follows. A beginning twice
        // as wide as all those lines and two more keeps both true.
        if (charWidths.forFont() != cell.font)
            charWidths = CharWidths(cell.font);
        const int lines = cell.rect.height() / QFontMetrics(cell.font).lineSpacing() + 2;
        const qreal budget = 2.0 * lines * cell.rect.width();
        qreal width = 0;
        int end = 0;
        uint previous = 0;
        while (end < cell.text.size() && width <= budget)
            width += charWidths.next(cell.text, end, previous);
        cell.text.truncate(end);
    }
    draw(painter, cell);
}

CharWidths &SuffixRowDelegate::widthsFor(const QFont &font) const
{
    if (charWidths.forFont() != font) {
        charWidths = CharWidths(font);
        rowSize = QSize();
    }
    return charWidths;
}

void SuffixRowDelegate::setWidestRow(const QString &text)
{
    widestRow = text;
    trimmable = std::none_of(text.begin(), text.end(), [](QChar c) {
        switch (c.direction()) {
        case QChar::DirR: case QChar::DirAL: case QChar::DirRLE: case QChar::DirRLO:
        case QChar::DirRLI:
            return true;
        default:
            return false;
        }
    });
    rowSize = QSize();
}

QSize SuffixRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    CharWidths &widths = widthsFor(option.font);
    if (!rowSize.isValid()) {
        // Qt's own measure of the whole text; a row that draws only what is in
        // view places it by the sum of its characters' widths, and the row must
        // be wide enough for that sum as well.
        QStyleOptionViewItem whole = option;
        initStyleOption(&whole, index);
        whole.text = widestRow;
        rowSize = styleOf(option)->sizeFromContents(QStyle::CT_ItemViewItem, &whole, QSize(), option.widget);
        if (trimmable) {
            const qreal excess = widths.of(widestRow) - textAdvance(option.font, widestRow);
            rowSize.rwidth() += qMax(0, int(std::ceil(excess)));
        }
    }
    return rowSize;
}

void SuffixRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    if (trimmable && row.text.size() > shortText)
        trimToView(row);
    draw(painter, row);
}

// Drops the characters left and right of the view. The row's rectangle then
// starts where the first kept character does, which is still outside the view.
void SuffixRowDelegate::trimToView(QStyleOptionViewItem &row) const
{
    const auto view = qobject_cast<const QAbstractItemView *>(row.widget);
    if (!view)
        return;
    const int viewLeft = -edgeMargin;
    const int viewRight = view->viewport()->width() + edgeMargin;
    CharWidths &widths = widthsFor(row.font);

    qreal x = row.rect.left();
    int first = 0;
    uint previous = 0;
    for (int i = 0; i < row.text.size();) {
        const qreal w = widths.next(row.text, i, previous);
        if (x + w >= viewLeft)
            break;
        x += w;
        first = i;
    }
    row.rect.setLeft(int(std::floor(x)));
    int end = first;
    previous = 0;
    while (end < row.text.size() && x < viewRight)
        x += widths.next(row.text, end, previous);

    row.text = row.text.mid(first, end - first);
    row.textElideMode = Qt::ElideNone;
}
