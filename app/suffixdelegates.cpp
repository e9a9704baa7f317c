#include "suffixdelegates.h"

#include "characters.h"
#include "display.h"
#include "readablecolors.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QStyle>
#include <QSet>
#include <QTextLayout>
#include <QtMath>

#include <cmath>
#include <limits>

namespace {

// Rows this short are drawn exactly as the standard delegate draws them.
const int shortText = 256;
// Characters kept beyond each edge of the view, in pixels, so that trimming
// never shows at the edges.
const int edgeMargin = 64;
// Code units between the places remembered of a row's walk, and how many rows
// have theirs remembered at most: a few kilobytes a row.
const int placeEvery = 512;
const int rowsWalked = 256;
// Code units of a step of a row's walk, such as a letter under a stack of
// marks, from which the rows that show it after another row draw it apart,
// laid out once: shaping stacks of marks is slow, and the rows of a short
// text show the same ones again and again.
const int longStep = 16;
const QChar rightToLeftMark(0x200F);
// Code units at the text's start within whose clusters a row may start
// that is wider than the whole text: further on, what stands before a row's
// start is wider than any rest of a cluster shown alone.
const int clustersWiderFrom = 64;

// How much wider than the whole text a row is, at most, that starts within
// one of the text's first clusters and shows the rest of it alone: half a
// surrogate pair shows as a box, a sequence broken as its pieces.
qreal widerWithinFirstClusters(const QString &text, const QFont &font)
{
    const QFontMetricsF metrics(font);
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    qreal wider = 0;
    // The text's advance up to the end of a cluster measured earlier, no
    // more than up to a later one: most clusters' rests are narrower than
    // that, and the text up to them, which can take long to shape (colour
    // glyphs), need not be measured.
    qreal before = 0;
    for (int start = 0, end; start < qMin(int(text.size()), clustersWiderFrom); start = end) {
        clusters.setPosition(start);
        end = clusters.toNextBoundary();
        if (end < 0)
            break;
        qreal widestRest = 0;
        for (int from = start + 1; from < end; ++from)
            widestRest = qMax(widestRest, metrics.horizontalAdvance(text.mid(from, end - from)));
        if (widestRest - before > wider) {
            before = metrics.horizontalAdvance(text.left(end));
            wider = qMax(wider, widestRest - before);
        }
    }
    return wider;
}

QStyle *styleOf(const QStyleOptionViewItem &option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

void draw(QPainter *painter, const QStyleOptionViewItem &item)
{
    styleOf(item)->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
}

// The margin the style leaves on either side of an item's text.
int textMargin(const QStyleOptionViewItem &item)
{
    return styleOf(item)->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
}

// The colour the style gives the item's text in its state.
QColor textColour(const QStyleOptionViewItem &item)
{
    QPalette::ColorGroup group = item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(item.state & QStyle::State_Active))
        group = QPalette::Inactive;
    return item.palette.color(
        group, item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text);
}

// Draws a kept piece as the style draws an item's text alone, where it
// draws it: clipped to the item, in the text colour of the item's state,
// in a rectangle of the text's size, or the item's, within the item and
// past the focus frame's margins, centred there by the height of its lines;
// or only the glyphs of its first drawnLength code units, where they stand.
// With afterLetter, the text's glyphs come from it, the text laid out after
// letterLength code units, and stand where the text's own would.
void drawKept(QPainter *painter, const QStyleOptionViewItem &item, const KeptPiece &kept,
              int drawnLength = -1, const QTextLayout *afterLetter = nullptr, int letterLength = 0)
{
    const int margin = textMargin(item);
    const QRect &rect = item.rect;
    const QSize textSize(qCeil(kept.width) + 2 * margin, qCeil(kept.height));
    const QRect textRect =
        (item.showDecorationSelected ? rect
                                     : QStyle::alignedRect(item.direction, item.displayAlignment,
                                                           textSize.boundedTo(rect.size()), rect))
            .adjusted(margin, 0, -margin, 0);
    const QRect layoutRect = QStyle::alignedRect(Qt::LayoutDirectionAuto, item.displayAlignment,
                                                 QSize(textRect.width(), int(kept.height)), textRect);
    painter->save();
    painter->setPen(textColour(item));
    const QPointF origin(textRect.x(), layoutRect.top());
    if (afterLetter) {
        const QTextLine line = afterLetter->lineAt(0);
        const QPointF shift(-line.cursorToX(letterLength), kept.layout.lineAt(0).ascent() - line.ascent());
        for (const QGlyphRun &run : afterLetter->glyphRuns(letterLength, line.textLength() - letterLength))
            painter->drawGlyphRun(origin + shift, run);
    } else if (drawnLength < 0) {
        kept.layout.draw(painter, origin);
    } else {
        for (const QGlyphRun &run : kept.layout.glyphRuns(0, drawnLength))
            painter->drawGlyphRun(origin, run);
    }
    painter->restore();
}

// Lays out the lines as the style does for an item's text, from the top,
// each as wide as given; returns their height, and the last line that fits
// maxHeight when another follows it, else -1, in lastVisible.
qreal layOutLines(QTextLayout &layout, int width, int maxHeight, int *lastVisible)
{
    *lastVisible = -1;
    qreal height = 0;
    layout.beginLayout();
    for (int i = 0;; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
        // The next line is taken to be as high as this one.
        if (maxHeight > 0 && height + line.height() > maxHeight) {
            *lastVisible = layout.createLine().isValid() ? i : -1;
            break;
        }
    }
    layout.endLayout();
    return height;
}

// Wide enough for any one line.
const int unboundedWidth = std::numeric_limits<int>::max() / 2;

// The options of one unwrapped line of text in the direction.
QTextOption oneLineOption(Qt::LayoutDirection direction)
{
    QTextOption option;
    option.setWrapMode(QTextOption::ManualWrap);
    option.setTextDirection(direction);
    return option;
}

// What the style shows of an item's text in textRect, in its order: the
// lines that fit, the last one elided where more follows, joined by line
// separators; start gets where the first line shown stands. Followed tells
// whether more lines follow those that decide what shows: then any text
// that begins with this one shows the same, as far as its lines reach no
// higher or lower than these; lastOverflows whether the last line is wider
// than textRect, so that more text on it shows the same.
QString shownAsStyle(const QStyleOptionViewItem &item, const QRect &textRect, const QTextOption &option,
                     QPointF *start, bool *followed, bool *lastOverflows)
{
    QTextLayout whole(item.text, item.font);
    whole.setTextOption(option);
    const bool centred = item.displayAlignment & Qt::AlignVCenter;
    int lastVisible;
    const qreal linesHeight =
        layOutLines(whole, textRect.width(), centred ? textRect.height() : -1, &lastVisible);
    const QRect laidOut = QStyle::alignedRect(Qt::LayoutDirectionAuto, item.displayAlignment,
                                              whole.boundingRect().size().toSize(), textRect);
    *start = QPointF(textRect.x(), laidOut.top());
    QString shown;
    qreal height = 0;
    int lastRead = -1; // of the lines, which the style measures the height of
    for (int i = 0; i < whole.lineCount(); ++i) {
        const QTextLine line = whole.lineAt(i);
        height += line.height();
        lastRead = i;
        if (height + laidOut.top() <= textRect.top()) {
            start->ry() += line.height();
            continue;
        }
        bool elideLast = lastVisible == i;
        if (line.naturalTextWidth() <= textRect.width() && i + 1 < whole.lineCount() && !elideLast) {
            // Elided when less than half the next line shows.
            const int nextHeight = height + whole.lineAt(i + 1).height() / 2;
            lastRead = i + 1;
            elideLast = nextHeight + laidOut.top() > textRect.height() + textRect.top();
        }
        QString text = item.text.mid(line.textStart(), line.textLength());
        if (line.naturalTextWidth() > textRect.width() || elideLast) {
            if (elideLast) {
                if (text.endsWith(QChar::LineSeparator))
                    text.chop(1);
                text += QChar(0x2026);
            }
            // The longest variant: the style elides the line as it is, not
            // split into the variants that U+009C separates.
            shown += QFontMetrics(item.font).elidedText(text, item.textElideMode, textRect.width(),
                                                        Qt::TextLongestVariant);
            if (i < whole.lineCount() - 1 && !shown.endsWith(QChar::LineSeparator))
                shown += QChar::LineSeparator;
        } else {
            shown += text;
        }
        if (height + laidOut.top() >= textRect.bottom() || lastVisible == i)
            break;
    }
    const QTextLine last = whole.lineAt(whole.lineCount() - 1);
    // Wider by the advances of its letters, not only by how far the last
    // reaches past its advance: the style elides a line by its advances.
    *lastOverflows = last.isValid() && last.horizontalAdvance() > textRect.width();
    // Centred, the lines stop at the last that fits, and one more holds the
    // rest of the text on one line: where the height runs out at the last
    // line, more text at its end lengthens it only, and adds that one.
    const bool heightRunsOut = centred && last.isValid() && linesHeight + last.height() > textRect.height();
    *followed = lastVisible >= 0 || lastRead + 1 < whole.lineCount() || (heightRunsOut && *lastOverflows);
    return shown;
}

// Whether the style lays out the item's text in the whole rectangle, as a
// table does, around no check box or icon.
bool textFillsItem(const QStyleOptionViewItem &item)
{
    return item.showDecorationSelected && !(item.features & QStyleOptionViewItem::HasCheckIndicator)
        && !(item.features & QStyleOptionViewItem::HasDecoration);
}

// Leaves the item nothing to draw but its text, in the colour the style gives it.
void keepOnlyText(QStyleOptionViewItem &item)
{
    if (item.state & QStyle::State_Selected) {
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            item.palette.setBrush(group, QPalette::Text,
                                  item.palette.brush(group, QPalette::HighlightedText));
    }
    item.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
    item.backgroundBrush = QBrush();
    item.features &= ~QStyleOptionViewItem::Alternate;
}

// Draws the item's text from a rectangle that starts at left, a fraction of
// a pixel included, and on the baseline of the row it is a piece of. The
// style centres a line by its height, which is that of the tallest font
// among its characters, so a piece without them would stand higher. The
// text is drawn from what was kept of it, where the style would draw it.
void drawText(QPainter *painter, QStyleOptionViewItem item, const QString &text, qreal left,
              CharWidths &widths, const CharWidths::LineExtent &row, const KeptPiece &kept,
              int drawnLength = -1, const QTextLayout *afterLetter = nullptr, int letterLength = 0)
{
    painter->save();
    painter->setClipRect(item.rect);
    item.text = text;
    const int pixel = int(std::floor(left));
    item.rect.setLeft(pixel);
    const CharWidths::LineExtent own = widths.lineExtent(text);
    const qreal down =
        qRound(own.ascent + own.descent) / 2 - qRound(row.ascent + row.descent) / 2 + row.ascent - own.ascent;
    painter->translate(left - pixel, down);
    drawKept(painter, item, kept, drawnLength, afterLetter, letterLength);
    painter->restore();
}

// The focus frame as the style draws it over an item.
void drawFocusFrame(QPainter *painter, const QStyleOptionViewItem &item)
{
    QStyle *style = styleOf(item);
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(item);
    focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &item, item.widget);
    focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
    const QPalette::ColorGroup group =
        item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    focus.backgroundColor = item.palette.color(
        group, item.state & QStyle::State_Selected ? QPalette::Highlight : QPalette::Window);
    painter->save();
    painter->setClipRect(item.rect);
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, item.widget);
    painter->restore();
}

// The width of an item's text as the style measures it, on one line.
qreal widthAsStyleMeasures(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    int unused;
    layOutLines(layout, unboundedWidth, -1, &unused);
    return layout.lineCount() > 0 ? layout.lineAt(0).naturalTextWidth() : 0;
}

// Code units of the widest row that Qt measures at once, ahead of the step
// that fills the list.
const int measuredChunk = 1024;
// Code units of colour pieces that Qt measures at once, for the height of
// the row: few, since the chunk that reaches highest is laid out again, and
// Qt decodes the image of a colour glyph every time.
const int measuredColours = 64;

// Whether the characters before and after i are letters of one script: a
// cut there leaves neither taking its script, and so its font, from the
// other side.
bool oneScriptAround(const QString &text, int i)
{
    if (i <= 0 || i >= text.size())
        return false;
    int length;
    const QChar::Script script = QChar::script(codePointAt(text, i, &length));
    return script > QChar::Script_Common && QChar::script(codePointBefore(text, i, &length)) == script;
}

// Whether a piece of a row may start at i: a character with no script of
// its own takes, in the row, the script of the letters before it, and laid
// out from there that of the letters or marks after it, which can take
// another font. So a piece starts at a letter, or where none stands for
// farther back than lag code units, which the row would wait too long for.
bool piecesStartAt(const QString &text, int i, int lag)
{
    int length;
    return i >= text.size() || lag >= placeEvery
        || QChar::script(codePointAt(text, i, &length)) > QChar::Script_Common;
}

// Whether the text from i on starts with characters of no script of their
// own, not in colour, of which the font lacks one: Qt takes them from the
// font of the script of the letter before them, and laid out from i on,
// they would take the script of the letter after them. Looks no further
// than a chunk or a tab, where the next chunk starts.
bool takesScriptBefore(CharWidths &widths, const QString &text, int i)
{
    int end = i;
    for (int length; end < text.size() && end - i < measuredChunk && text.at(end) != QLatin1Char('\t')
         && QChar::script(codePointAt(text, end, &length)) <= QChar::Script_Common;
         end += length) { }
    return end > i && !isColourCluster(text, i, end) && widths.fallsBack(text, i, end);
}

// Whether a piece of a row, laid out alone, shows the characters at its
// start that take their script from elsewhere, those of no script of their
// own and marks, as the row does after the letter `context`: alone they
// take the script of the first letter or mark of a script in the piece, and
// the script picks the font of those that this one lacks, and how a mark
// without its letter shapes.
bool startsAsInRow(CharWidths &widths, const QString &piece, uint context)
{
    int end = 0;
    int length = 0;
    bool marks = false;
    for (uint c; end < piece.size() && !givesItsScript(c = codePointAt(piece, end, &length)); end += length)
        marks = marks || QChar::script(c) > QChar::Script_Common;
    if (end == 0 || !context || (!marks && !widths.fallsBack(piece, 0, end)))
        return true;
    for (int i = 0; i < piece.size(); i += length) {
        const int script = QChar::script(codePointAt(piece, i, &length));
        if (script > QChar::Script_Common)
            return script == QChar::script(context);
    }
    return false;
}

// Whether Qt's lines end a word at the character, whatever the rules for
// breaking lines say: at a blank that is not a no-break space.
bool endsWord(QChar c)
{
    return c.isSpace() && c.decompositionTag() != QChar::NoBreak;
}

// Whether where a line may break around the character depends on text
// further on: a number with its signs and brackets is breakable only once
// it ends, and Thai only where a dictionary finds its words.
bool breaksByWhatFollows(QChar c)
{
    switch (c.category()) {
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Math:
        return true;
    default:
        return c.script() == QChar::Script_Thai;
    }
}

// The text laid out as the style lays out an item's text to measure it and
// to draw it, on one line from the left, kept in the cache at the cost.
const KeptPiece &keptInCache(QCache<QString, KeptPiece> &cache, const QString &text, const QFont &font,
                             int cost)
{
    if (const KeptPiece *found = cache.object(text))
        return *found;
    auto laidOut = new KeptPiece;
    laidOut->layout.setText(text);
    laidOut->layout.setFont(font);
    laidOut->layout.setTextOption(oneLineOption(Qt::LeftToRight));
    laidOut->layout.setCacheEnabled(true);
    int unused;
    laidOut->height = layOutLines(laidOut->layout, unboundedWidth, -1, &unused);
    laidOut->width = laidOut->layout.lineAt(0).naturalTextWidth();
    // A cache deletes at once what costs more than it holds.
    cache.insert(text, laidOut, qMin(cost, cache.maxCost()));
    return *laidOut;
}

} // namespace

QString SuffixDelegate::displayText(const QVariant &value, const QLocale &) const
{
    return shownOnOneLine(value.toString());
}

void SuffixDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // Black reads on white and on the candidates' red better than any light text.
    if (option->backgroundBrush.style() != Qt::NoBrush && !isLight(option->palette))
        option->palette.setColor(QPalette::Text, Qt::black);
}

// The beginning of the cell's suffix that holds its first `atLeast`
// characters and, as the walk finds, is wideEnough wider; where an island of
// right-to-left words would end past that, as much of the island as makes
// it so, since the style keeps a beginning of the characters in their order
// when it elides.
QString SuffixCellDelegate::beginning(const QStyleOptionViewItem &cell, qreal wideEnough, int atLeast) const
{
    // What is known of the whole text holds for its suffixes only; any
    // other text, as a screen reader may write into a cell, is laid out whole.
    if (!wholeText().endsWith(cell.text))
        return cell.text;
    CharWidths &widths = widthsFor(cell.font);
    const int offset = wholeText().size() - cell.text.size();
    LineWalk walk(widths, cell.text);
    while (!walk.atEnd() && walk.position() < atLeast)
        walk.step();
    wideEnough += walk.x();
    int end = -1;
    while (end < 0 && !walk.atEnd() && walk.x() <= wideEnough) {
        const int before = walk.position();
        const qreal x = walk.x();
        walk.step();
        if (walk.wasIsland() && walk.x() > wideEnough)
            end = widths.islandPrefixEnd(offset + before, offset + walk.position(), wideEnough - x) - offset;
    }
    return cell.text.left(whereBreaksAgree(cell, end < 0 ? walk.position() : end));
}

// Where a beginning of the cell's suffix that the walk ends at `end` breaks
// its lines as the whole suffix does: there, or, where that depends on what
// follows, at the next place where the whole text may break a line.
int SuffixCellDelegate::whereBreaksAgree(const QStyleOptionViewItem &cell, int end) const
{
    if (!(cell.features & QStyleOptionViewItem::WrapText) || end >= cell.text.size())
        return end;
    int last = end - 1;
    while (last > 0 && cell.text.at(last).isSpace())
        --last;
    if (last < 0 || !breaksByWhatFollows(cell.text.at(last)))
        return end;
    const int offset = wholeText().size() - cell.text.size();
    lineBreaks.setPosition(offset + end);
    if (lineBreaks.isAtBoundary())
        return end;
    const int next = lineBreaks.toNextBoundary();
    return next < 0 ? cell.text.size() : next - offset;
}

// The next place after `from` in the whole text where a line may start:
// where the rules allow a break, or after a blank.
int SuffixCellDelegate::nextLineStart(int from) const
{
    lineBreaks.setPosition(from);
    int next = lineBreaks.toNextBoundary();
    if (next < 0)
        next = wholeText().size();
    for (int i = from + 1; i < next; ++i) {
        if (endsWord(wholeText().at(i - 1)) && !endsWord(wholeText().at(i)))
            return i;
    }
    return next;
}

// Whether the cell shows of its text what it shows of the beginning laid
// out: past that beginning either lines follow those that decide what
// shows, or no line can start and the rest only lengthens the last line,
// elided already.
bool SuffixCellDelegate::showsAlike(const KeptCell &laidOut, const QStyleOptionViewItem &cell) const
{
    if (!cell.text.startsWith(laidOut.from))
        return false;
    if (laidOut.followed || laidOut.from.size() == cell.text.size())
        return true;
    const bool wraps = cell.features & QStyleOptionViewItem::WrapText;
    const int restStart = wholeText().size() - cell.text.size() + laidOut.from.size();
    return laidOut.lastOverflows && (!wraps || lastBreak < restStart);
}

// The lines the cell shows, as high as the font and the first line's
// letters make them: a line of emoji, or of letters under stacked accents,
// is taller than the font's, and laying out more than the cell shows costs
// most for them.
int SuffixCellDelegate::linesInView(const QStyleOptionViewItem &cell) const
{
    const CharWidths::LineExtent firstLine =
        widthsFor(cell.font).lineExtent(beginning(cell, cell.rect.width()));
    const qreal lineHeight =
        qMax<qreal>(QFontMetrics(cell.font).lineSpacing(), qCeil(firstLine.ascent + firstLine.descent));
    return qMax(1, int(cell.rect.height() / lineHeight));
}

// What the style shows of the cell's text, wrapped and with its last line
// elided, laid out as the style lays it out, with where it stands. The style
// lays out the whole suffix; what it shows depends only on a beginning that
// holds the lines in view and the start of one more: one as wide as the
// lines in view and a quarter of a line, wider as often as that falls short.
const KeptCell &SuffixCellDelegate::keptLayOut(const QStyleOptionViewItem &cell) const
{
    QElapsedTimer took;
    took.start();
    if (!keptFont.isCopyOf(cell.font)) {
        kept.clear();
        keptFont = cell.font;
    }
    qreal wideEnough = (linesInView(cell) + 0.25) * cell.rect.width();
    QStyleOptionViewItem item = cell;
    item.text = beginning(cell, wideEnough);
    const QString key = QStringLiteral("%1 %2x%3 %4 %5 %6 %7:")
                            .arg(cell.text.size())
                            .arg(cell.rect.width())
                            .arg(cell.rect.height())
                            .arg(bool(cell.features & QStyleOptionViewItem::WrapText))
                            .arg(cell.textElideMode)
                            .arg(int(cell.displayAlignment))
                            .arg(textMargin(cell))
        + item.text;
    if (const KeptCell *found = kept.object(key)) {
        if (showsAlike(*found, cell))
            return *found;
    }
    const int margin = textMargin(cell);
    const QRect textRect = QRect(QPoint(), cell.rect.size()).adjusted(margin, 0, -margin, 0);
    QTextOption option;
    option.setWrapMode(cell.features & QStyleOptionViewItem::WrapText ? QTextOption::WordWrap
                                                                      : QTextOption::ManualWrap);
    option.setTextDirection(cell.direction);
    option.setAlignment(QStyle::visualAlignment(cell.direction, cell.displayAlignment));
    auto cellText = new KeptCell;
    QString shown;
    for (;;) {
        shown = shownAsStyle(item, textRect, option, &cellText->place, &cellText->followed,
                             &cellText->lastOverflows);
        cellText->from = item.text;
        if (showsAlike(*cellText, cell))
            break;
        // Words wrapped early left too few lines, or a word wider than the
        // lines goes on past the beginning, to where a line may start.
        const int offset = wholeText().size() - cell.text.size();
        const int wordEnd = cellText->lastOverflows ? nextLineStart(offset + item.text.size()) - offset : 0;
        wideEnough *= 2;
        item.text = beginning(cell, wideEnough, wordEnd);
    }

    // Laid out again from what it shows, as the style draws it, and kept
    // with its glyphs to be drawn again and again.
    cellText->layout.setText(shown);
    cellText->layout.setFont(cell.font);
    cellText->layout.setTextOption(option);
    // Qt places what follows a tab after right-to-left text elsewhere when
    // it draws from glyphs kept.
    cellText->layout.setCacheEnabled(!shown.contains(QLatin1Char('\t')));
    int unused;
    layOutLines(cellText->layout, textRect.width(), -1, &unused);
    kept.insert(key, cellText);
    layOutNs += took.nsecsElapsed();
    return *cellText;
}

int SuffixCellDelegate::takeLayOutMs()
{
    const qint64 ns = layOutNs;
    layOutNs = 0;
    return int(ns / 1000000);
}

void SuffixCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (!textFillsItem(cell) || cell.text.isEmpty()) {
        // The style elides what it has no room for, and lays out all it gets.
        const int lines = cell.rect.height() / QFontMetrics(cell.font).lineSpacing() + 2;
        cell.text = beginning(cell, 2.0 * lines * cell.rect.width());
        draw(painter, cell);
        return;
    }
    // Laid out once for every time it is drawn, as the style would draw it:
    // a round repaints every cell in view, most of them with the same text.
    const KeptCell &laidOut = keptLayOut(cell);
    QStyleOptionViewItem frame = cell;
    frame.text.clear();
    frame.state &= ~QStyle::State_HasFocus;
    draw(painter, frame);
    painter->save();
    painter->setClipRect(cell.rect);
    painter->setPen(textColour(cell));
    laidOut.layout.draw(painter, cell.rect.topLeft() + laidOut.place);
    painter->restore();
    if (cell.state & QStyle::State_HasFocus) {
        cell.text = cell.text.left(1); // the focus frame fills the cell whatever its text
        drawFocusFrame(painter, cell);
    }
}

void SuffixDelegate::setWholeText(const QString &text)
{
    whole = shownOnOneLine(text);
    charWidths.walkSuffixesOf(whole);
}

void SuffixCellDelegate::setWholeText(const QString &text)
{
    SuffixDelegate::setWholeText(text);
    lineBreaks = QTextBoundaryFinder(QTextBoundaryFinder::Line, wholeText());
    lineBreaks.toEnd();
    lastBreak = lineBreaks.toPreviousBoundary();
    for (int i = wholeText().size() - 1; i > qMax(lastBreak, 0); --i) {
        if (endsWord(wholeText().at(i - 1)) && !endsWord(wholeText().at(i))) {
            lastBreak = i;
            break;
        }
    }
    layOutNs = 0;
}

CharWidths &SuffixDelegate::widthsFor(const QFont &font, bool *renewed) const
{
    const bool anew = !charWidths.measures(font);
    if (anew) {
        charWidths = CharWidths(font, accuracy);
        charWidths.walkSuffixesOf(whole);
    }
    if (renewed)
        *renewed = anew;
    return charWidths;
}

QVector<LineWalk::Place> &SuffixRowDelegate::placesOf(int row) const
{
    if (walked.size() >= rowsWalked && !walked.contains(row))
        walked.clear();
    return walked[row];
}

// What is measured in another font is measured again.
CharWidths &SuffixRowDelegate::rowWidthsFor(const QFont &font) const
{
    bool renewed;
    CharWidths &widths = widthsFor(font, &renewed);
    if (renewed) {
        rowSize = QSize();
        measured = MeasuredText(wholeText());
        walked.clear();
        keptClusters.clear();
        keptPieces.clear();
        longStepsShown.clear();
    }
    return widths;
}

void SuffixRowDelegate::setWidestRow(const QString &text)
{
    setWholeText(text);
    rowSize = QSize();
    measured = MeasuredText(wholeText());
    walked.clear();
    longStepsShown.clear();
}

void SuffixRowDelegate::measureAhead(const QFont &font, int parts, const QDeadlineTimer &deadline)
{
    CharWidths &widths = rowWidthsFor(font);
    const int left = wholeText().size() - measured.to.next;
    measureUpTo(widths, measured.to.next + (left + parts - 1) / qMax(1, parts), deadline);
}

// Walks the widest row on from where its measuring stood, up to end at
// least, and has Qt measure what it walked in chunks as long as
// measuredChunk, cut where nothing shapes across.
void SuffixRowDelegate::measureUpTo(CharWidths &widths, int end, const QDeadlineTimer &deadline) const
{
    const QString &text = wholeText();
    measured.measureCut(widths.font(), deadline);
    widths.measureIslandWordsAhead(deadline);
    LineWalk walk(widths, text, measured.to);
    while (!walk.atEnd() && walk.position() < end && !deadline.hasExpired()) {
        const int from = walk.position();
        if (measured.chunk.isEmpty())
            measured.chunkContext = takesScriptBefore(widths, text, from) ? walk.scriptContext() : 0;
        const qreal width = walk.step();
        measured.sum += width;
        if (walk.wasTab()) {
            // Its width counts from the start of the line, not of a chunk.
            measured.cutAtTab();
            measured.qtWidth += width;
        } else if (!walk.wasIsland() && isColourCluster(text, from, walk.position())) {
            const QString colour = text.mid(from, walk.position() - from);
            if (!measured.colours.contains(colour)) {
                measured.colours.insert(colour);
                measured.colourChunk += QChar::ObjectReplacementCharacter + colour;
                keptCluster(colour, widths.font()); // for the rows to draw it
            }
            measured.qtWidth += width;
            ++measured.standingIn;
            measured.chunk += QChar::ObjectReplacementCharacter;
        } else if (walk.wasIsland()) {
            // An island of right-to-left words may be as long as the text;
            // its pieces shape apart.
            int start = from;
            for (int cut : widths.islandCuts(from, walk.position())) {
                measured.chunk.append(text.constData() + start, cut - start);
                start = cut;
                if (measured.chunk.size() >= measuredChunk)
                    measured.cutChunk();
            }
            measured.chunk.append(text.constData() + start, walk.position() - start);
        } else {
            measured.chunk.append(text.constData() + from, walk.position() - from);
        }
        // A stand-in is an item of its own, whatever surrounds it.
        const bool afterStandIn = measured.chunk.endsWith(QChar::ObjectReplacementCharacter);
        if (measured.chunk.size() >= measuredChunk
            && (afterStandIn || oneScriptAround(text, walk.position())))
            measured.cutChunk();
        if (measured.colourChunk.size() >= measuredColours)
            measured.measureColours(widths.font());
    }
    measured.to = walk.standing();
    measured.measureCut(widths.font(), deadline);
    widths.measureExtentsUpTo(walk.position(), deadline);
}

// Lays the text out as the style does an item's, blanks at its end
// included, as they are within the row, for its advance and its overhang;
// keeps it as the highest or the lowest where its line reaches further.
qreal SuffixRowDelegate::MeasuredText::layOutChunk(const Chunk &chunk, const QFont &font, int order,
                                                   qreal *overhang)
{
    const QString before = chunk.context ? CharWidths::contextFor(chunk.text, chunk.context) : QString();
    const QString text = before + chunk.text;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    option.setTextDirection(direction);
    layout.setTextOption(option);
    int unused;
    layOutLines(layout, unboundedWidth, -1, &unused);
    const QTextLine line = layout.lineAt(0);
    if (line.ascent() > highest.ascent)
        highest = {text, line.ascent(), line.descent(), order};
    if (line.descent() > lowest.descent)
        lowest = {text, line.ascent(), line.descent(), order};
    *overhang = line.naturalTextWidth() - line.horizontalAdvance();
    return line.horizontalAdvance() - (before.isEmpty() ? 0 : textAdvance(font, before));
}

void SuffixRowDelegate::MeasuredText::cutChunk()
{
    if (chunk.isEmpty())
        return;
    cut.append(Chunk{chunk, standingIn, chunkContext});
    chunk.clear();
    standingIn = 0;
}

void SuffixRowDelegate::MeasuredText::cutAtTab()
{
    cutChunk();
    cut.append(Chunk());
}

void SuffixRowDelegate::MeasuredText::measureCut(const QFont &font, const QDeadlineTimer &deadline)
{
    int measured = 0;
    for (; measured < cut.size() && !deadline.hasExpired(); ++measured) {
        const Chunk &each = cut.at(measured);
        if (each.text.isEmpty()) { // a tab, which ends the line so far
            overhang = 0;
            continue;
        }
        qtWidth += layOutChunk(each, font, chunks++, &overhang);
        if (each.standingIn > 0)
            qtWidth -=
                each.standingIn * widthAsStyleMeasures(QString(QChar::ObjectReplacementCharacter), font);
    }
    cut.remove(0, measured);
}

void SuffixRowDelegate::MeasuredText::measureColours(const QFont &font)
{
    if (colourChunk.isEmpty())
        return;
    qreal unused;
    layOutChunk(Chunk{colourChunk}, font, std::numeric_limits<int>::max(), &unused);
    colourChunk.clear();
}

// The chunks whose lines reach highest and lowest, in their order in the
// row, colour pieces last, so that the first chunk of the row, if it is one
// of them, still starts the probe.
QString SuffixRowDelegate::MeasuredText::lineProbe() const
{
    if (highest.text == lowest.text)
        return highest.text;
    return highest.order <= lowest.order ? highest.text + lowest.text : lowest.text + highest.text;
}

// Kept for as long as the list's font lasts, or until the cache needs room.
const KeptPiece &SuffixRowDelegate::keptCluster(const QString &text, const QFont &font) const
{
    return keptInCache(keptClusters, text, font, 1);
}

// Whether a step of a row, laid out alone, shows as in the row after the letter.
bool SuffixRowDelegate::showsAloneAsAfter(const QString &step, uint letter, const QFont &font) const
{
    const KeptPiece &alone = keptCluster(step, font);
    return rowWidthsFor(font).showsAloneAsAfter(step, letter, alone.layout.lineAt(0).glyphRuns(),
                                                alone.layout.lineAt(0).ascent());
}

const KeptPiece &SuffixRowDelegate::keptPiece(const QString &text, const QFont &font) const
{
    return keptInCache(keptPieces, text, font, text.size());
}

// Whether a row other than this one has shown the step [from, to) of the
// text, when it is long; a long one is remembered with the first row that
// shows it, which goes on drawing it within its pieces as before.
bool SuffixRowDelegate::shownByAnotherRow(const QString &text, int from, int to, int row) const
{
    if (to - from < longStep)
        return false;
    const QString step = text.mid(from, to - from);
    const auto first = longStepsShown.constFind(step);
    if (first != longStepsShown.cend())
        return *first != row;
    longStepsShown.insert(step, row);
    return false;
}

void SuffixRowDelegate::drawPiece(QPainter *painter, const QStyleOptionViewItem &piece, const QString &text,
                                  qreal left, CharWidths &widths, const CharWidths::LineExtent &row,
                                  uint context) const
{
    if (text.isEmpty())
        return;
    if (startsAsInRow(widths, text, context)) {
        drawText(painter, piece, text, left, widths, row, keptPiece(text, piece.font));
        return;
    }
    // Laid out after the letter, as the walk measures it.
    QString afterLetter = CharWidths::contextFor(text, context);
    const int letterLength = afterLetter.size();
    afterLetter += text;
    drawText(painter, piece, text, left, widths, row, keptPiece(text, piece.font), -1,
             &keptPiece(afterLetter, piece.font).layout, letterLength);
}

// Digits, blanks and punctuation at the start of a row take the script of
// the letters after them, and a font need not shape them alike in every
// script: Liberation Sans kerns "11" before Latin letters, not before Hebrew
// ones. Before the row's first island, they are laid out with its first
// letter, as in the row, and drawn up to where the island starts, which
// draws the letter itself.
void SuffixRowDelegate::drawPieceStartingRow(QPainter *painter, const QStyleOptionViewItem &piece,
                                             const QString &withLetter, int length, qreal left,
                                             CharWidths &widths, const CharWidths::LineExtent &row) const
{
    drawText(painter, piece, withLetter, left, widths, row, keptPiece(withLetter, piece.font), length);
}

// Draws the pieces in view of the right-to-left island [from, to) of a row
// of this length, each where the island's layout puts it. Each stands
// between right-to-left marks, which take no room, as the words of the
// island stand between right-to-left letters: digits and punctuation at
// either end run right to left as there. What trails the core follows one
// mark only, and runs left to right as there. Characters of no script that
// begin the island up to apart, if it is not -1, are a piece of their own.
void SuffixRowDelegate::drawIsland(QPainter *painter, const QStyleOptionViewItem &piece, CharWidths &widths,
                                   const CharWidths::LineExtent &row, int rowLength, int from, int to,
                                   qreal left, int viewWidth, int apart) const
{
    const QString &whole = widths.wholeText();
    const int offset = whole.size() - rowLength;
    const auto pieces = widths.islandPieces(offset + from, offset + to, -edgeMargin - left,
                                            viewWidth + edgeMargin - left, apart < 0 ? -1 : offset + apart);
    for (const CharWidths::IslandPiece &each : pieces) {
        const QString text = whole.mid(each.start, each.length);
        if (each.context)
            drawPiece(painter, piece, text, left + each.x, widths, row, each.context);
        else
            drawPiece(painter, piece, rightToLeftMark + text + (each.trailing ? QString() : rightToLeftMark),
                      left + each.x, widths, row, 0);
    }
}

QSize SuffixRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    CharWidths &widths = rowWidthsFor(option.font);
    if (!rowSize.isValid()) {
        // Qt's own measure of the whole text, in chunks, and the sum of its
        // pieces, by which a row that draws only what is in view places
        // them: the two agree, but should a font shape across pieces, the
        // row is still wide enough for either. Qt measures the text without
        // its tabs and colour pieces, whose widths are summed, and the
        // height of its line on the chunks that reach highest and lowest.
        measureUpTo(widths, wholeText().size());
        measured.cutChunk();
        measured.measureCut(option.font, QDeadlineTimer(QDeadlineTimer::Forever));
        measured.measureColours(option.font);
        QStyleOptionViewItem whole = option;
        initStyleOption(&whole, index);
        whole.text.clear();
        QStyle *style = styleOf(option);
        const int margins =
            style->sizeFromContents(QStyle::CT_ItemViewItem, &whole, QSize(), option.widget).width();
        whole.text = measured.lineProbe();
        rowSize = style->sizeFromContents(QStyle::CT_ItemViewItem, &whole, QSize(), option.widget);
        const qreal widest = qMax(measured.qtWidth + measured.overhang, measured.sum)
            + widerWithinFirstClusters(wholeText(), option.font);
        rowSize.setWidth(margins + qCeil(widest));
    }
    return rowSize;
}

void SuffixRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    const auto view = qobject_cast<const QAbstractItemView *>(row.widget);
    // A short row is drawn by the style, unless colour glyphs make laying it out slow.
    const bool inPieces = row.text.size() > shortText || isColourCluster(row.text, 0, row.text.size());
    if (view && inPieces && row.direction == Qt::LeftToRight && (row.displayAlignment & Qt::AlignLeft)
        && row.decorationPosition == QStyleOptionViewItem::Left)
        paintInView(painter, row, index.row(), view->viewport()->width());
    else
        draw(painter, row);
}

// Draws the row as the style does, in its order: the row without its text
// and without its focus frame, then only the characters in view, then the
// focus frame over them. The characters go in pieces that each start where
// Qt lays out their first character, from a rectangle that starts there: the
// row's own layout would put that character a fraction of a pixel further
// right, and the painter carries the fraction, so every glyph lands where Qt
// puts it. A tab ends a piece, since its width counts from the start of the
// line. Colour clusters, and long steps that another row has shown, are
// pieces of their own, kept laid out.
void SuffixRowDelegate::paintInView(QPainter *painter, QStyleOptionViewItem &row, int rowNumber,
                                    int viewWidth) const
{
    QStyleOptionViewItem frame = row;
    frame.text.clear();
    frame.state &= ~QStyle::State_HasFocus;
    draw(painter, frame);

    QStyleOptionViewItem piece = row;
    keepOnlyText(piece);
    piece.textElideMode = Qt::ElideNone;
    CharWidths &widths = rowWidthsFor(row.font);
    const int offset = widths.wholeText().size() - row.text.size();
    const CharWidths::LineExtent extent =
        offset >= 0 ? widths.suffixLineExtent(offset) : widths.lineExtent(row.text);
    QVector<LineWalk::Place> &places = placesOf(rowNumber);
    const qreal left = row.rect.left();
    LineWalk::Place from;
    for (const LineWalk::Place &place : qAsConst(places)) {
        if (left + place.x >= -edgeMargin)
            break;
        from = place;
    }
    LineWalk walk(widths, row.text, from);
    qreal x = left + walk.x();
    qreal pieceLeft = x;
    int first = walk.position();
    uint firstContext = walk.scriptContext(); // the letter whose script the piece's start takes
    while (!walk.atEnd() && x < viewWidth + edgeMargin) {
        const int before = walk.position();
        const qreal beforeX = x;
        const bool lettersBefore = walk.standing().lastLetter != 0;
        const uint stepContext = walk.scriptContext(); // the letter whose script the step takes
        walk.step();
        x = left + walk.x();
        const int lastPlace = places.isEmpty() ? 0 : places.last().next;
        if (walk.position() >= lastPlace + placeEvery
            && piecesStartAt(row.text, walk.position(), walk.position() - lastPlace - placeEvery))
            places.append(walk.standing());
        const bool kept = !walk.wasTab() && !walk.wasIsland()
            && (isColourCluster(row.text, before, walk.position())
                || (x > -edgeMargin && shownByAnotherRow(row.text, before, walk.position(), rowNumber)))
            && (x <= -edgeMargin
                || showsAloneAsAfter(row.text.mid(before, walk.position() - before), stepContext,
                                     piece.font));
        const bool apart = walk.wasTab() || walk.wasIsland() || kept;
        if (apart && beforeX > -edgeMargin && walk.wasIsland() && !lettersBefore) {
            int length;
            codePointAt(row.text, before, &length);
            drawPieceStartingRow(painter, piece, row.text.mid(first, before + length - first), before - first,
                                 pieceLeft, widths, extent);
        } else if (apart && beforeX > -edgeMargin)
            drawPiece(painter, piece, row.text.mid(first, before - first), pieceLeft, widths, extent,
                      firstContext);
        if (walk.wasIsland())
            drawIsland(painter, piece, widths, extent, row.text.size(), before, walk.position(), beforeX,
                       viewWidth, walk.islandApart());
        if (kept && x > -edgeMargin) {
            const QString step = row.text.mid(before, walk.position() - before);
            drawText(painter, piece, step, beforeX, widths, extent, keptCluster(step, piece.font));
        }
        if (apart || (x < -edgeMargin && piecesStartAt(row.text, walk.position(), walk.position() - first))) {
            pieceLeft = x;
            first = walk.position();
            firstContext = walk.scriptContext();
        }
    }
    if (x > -edgeMargin)
        drawPiece(painter, piece, row.text.mid(first, walk.position() - first), pieceLeft, widths, extent,
                  firstContext);

    if (row.state & QStyle::State_HasFocus) {
        // The focus frame lies in the text's rectangle, which does not
        // depend on the text: any text stands in for the whole row.
        row.text = row.text.left(1);
        drawFocusFrame(painter, row);
    }
}
