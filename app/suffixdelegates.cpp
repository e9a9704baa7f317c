#include "suffixdelegates.h"

#include "display.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
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

// Leaves the item nothing to draw but its text, in the colour the style gives it.
void keepOnlyText(QStyleOptionViewItem &item)
{
    if (item.state & QStyle::State_Selected) {
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            item.palette.setBrush(group, QPalette::Text, item.palette.brush(group, QPalette::HighlightedText));
    }
    item.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
    item.backgroundBrush = QBrush();
    item.features &= ~QStyleOptionViewItem::Alternate;
}

} // namespace

QString SuffixDelegate::displayText(const QVariant &value, const QLocale &) const
{
    return shownOnOneLine(value.toString());
}

void SuffixCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (cell.text.size() > shortText) {
        // Wrapped or not, the cell shows no more than its lines can hold, and
        // elides its last line because more text follows. A beginning twice
        // as wide as all those lines and two more keeps both true; a rough
        // sum of widths is enough for that.
        if (!charWidths.measures(cell.font))
            charWidths = CharWidths(cell.font);
        const int lines = cell.rect.height() / QFontMetrics(cell.font).lineSpacing() + 2;
        const qreal budget = 2.0 * lines * cell.rect.width();
        LineWalk walk(charWidths, cell.text);
        for (qreal width = 0; !walk.atEnd() && width <= budget;)
            width += walk.step();
        cell.text.truncate(walk.position());
    }
    draw(painter, cell);
}

CharWidths &SuffixRowDelegate::widthsFor(const QFont &font) const
{
    if (!charWidths.measures(font)) {
        charWidths = CharWidths(font);
        rowSize = QSize();
    }
    return charWidths;
}

void SuffixRowDelegate::setWidestRow(const QString &text)
{
    widestRow = shownOnOneLine(text);
    trimmable = walkable(widestRow);
    rowSize = QSize();
}

QSize SuffixRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    CharWidths &widths = widthsFor(option.font);
    if (!rowSize.isValid()) {
        // Qt's own measure of the whole text. A row that draws only what is in
        // view places it by the sums of advances, and where shaping reaches
        // further than neighbours those can come out wider: the row must be
        // wide enough for them too.
        QStyleOptionViewItem whole = option;
        initStyleOption(&whole, index);
        whole.text = widestRow;
        rowSize = styleOf(option)->sizeFromContents(QStyle::CT_ItemViewItem, &whole, QSize(), option.widget);
        if (trimmable) {
            whole.text.clear();
            const int margins = styleOf(option)->sizeFromContents(QStyle::CT_ItemViewItem, &whole, QSize(),
                                                                  option.widget).width();
            qreal sum = 0;
            for (LineWalk walk(widths, widestRow); !walk.atEnd();)
                sum += walk.step();
            rowSize.setWidth(qMax(rowSize.width(), margins + int(std::ceil(sum))));
        }
    }
    return rowSize;
}

void SuffixRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    const auto view = qobject_cast<const QAbstractItemView *>(row.widget);
    // A style may draw the focus over the text, so the one row with the focus
    // is drawn whole.
    if (trimmable && view && row.text.size() > shortText && row.direction == Qt::LeftToRight
        && (row.displayAlignment & Qt::AlignLeft) && !(row.state & QStyle::State_HasFocus))
        paintInView(painter, row, view->viewport()->width());
    else
        draw(painter, row);
}

// Draws the row without its text, then only the characters in view, from a
// rectangle that starts where the first of them does. The row's own layout
// would put that character a fraction of a pixel further right, and the
// painter carries the fraction, so every glyph lands where Qt puts it.
void SuffixRowDelegate::paintInView(QPainter *painter, QStyleOptionViewItem &row, int viewWidth) const
{
    QStyleOptionViewItem frame = row;
    frame.text.clear();
    draw(painter, frame);

    LineWalk walk(widthsFor(row.font), row.text);
    qreal start = row.rect.left();
    qreal end = start;
    int first = 0;
    while (!walk.atEnd() && end < viewWidth + edgeMargin) {
        end += walk.step();
        if (end < -edgeMargin) {
            start = end;
            first = walk.position();
        }
    }
    row.text = row.text.mid(first, walk.position() - first);
    row.textElideMode = Qt::ElideNone;
    const int pixel = int(std::floor(start));
    row.rect.setLeft(pixel);
    keepOnlyText(row);
    painter->save();
    painter->translate(start - pixel, 0);
    draw(painter, row);
    painter->restore();
}
