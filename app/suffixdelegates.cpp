#include "suffixdelegates.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QStyle>

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
        int length = 1;
        for (; end < cell.text.size() && width <= budget; end += length)
            width += charWidths.at(cell.text, end, &length);
        cell.text.truncate(end);
    }
    draw(painter, cell);
}

CharWidths &SuffixRowDelegate::widthsFor(const QFont &font) const
{
    if (charWidths.forFont() != font) {
        charWidths = CharWidths(font);
        widestRowWidth = -1;
    }
    return charWidths;
}

void SuffixRowDelegate::setWidestRow(const QString &text)
{
    widestRow = text;
    widestRowWidth = -1;
}

QSize SuffixRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // A one-letter row gives the margins and the height of every row.
    QStyleOptionViewItem oneLetter = option;
    initStyleOption(&oneLetter, index);
    oneLetter.text = QStringLiteral("x");
    QSize size = styleOf(option)->sizeFromContents(QStyle::CT_ItemViewItem, &oneLetter, QSize(),
                                                    option.widget);
    CharWidths &widths = widthsFor(option.font);
    if (widestRowWidth < 0) {
        // Wide enough for the laid-out text and for the sum of its
        // characters, by which a scrolled row places what it draws.
        widestRowWidth = qMax(widths.of(widestRow),
                              QFontMetricsF(option.font).horizontalAdvance(widestRow));
    }
    size.rwidth() += int(std::ceil(widestRowWidth - widths.of(oneLetter.text)));
    return size;
}

void SuffixRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    if (row.text.size() > shortText)
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
    int length = 1;
    for (qreal w; first < row.text.size() && x + (w = widths.at(row.text, first, &length)) < viewLeft;
         first += length)
        x += w;
    row.rect.setLeft(int(std::floor(x)));
    int end = first;
    for (; end < row.text.size() && x < viewRight; end += length)
        x += widths.at(row.text, end, &length);

    row.text = row.text.mid(first, end - first);
    row.textElideMode = Qt::ElideNone;
}
