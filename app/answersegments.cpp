#include "answersegments.h"

#include "characters.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <tuple>

namespace {

// A segment ends at the first place this many code units after its start:
// a long line has a few dozen stand-ins, and an occurrence in a segment
// leaves little to lay out.
const int segmentUnits = 512;
// Code units a segment holds at least, between tabs: shorter runs stay letters.
const int shortestSegment = 32;
// Letters tried in turn for a segment to start at, after which a segment
// goes on to where the script changes.
const int mostSoftTries = 8;
// The code units after which Qt's line splits an item that goes on.
const int maxItemLength = 4096;
// Glyphs in one run that a repaint draws or passes over whole.
const int glyphsPerRun = 32;

// The property of a stand-in's format that holds the number of its segment.
const int segmentProperty = QTextFormat::UserProperty + 1;
// The property that changes where an item is split, as Qt's line splits it.
const int splitProperty = QTextFormat::UserProperty + 2;

bool hasScriptOfItsOwn(uint codePoint)
{
    return QChar::script(codePoint) > QChar::Script_Common;
}

QTextLine layOutLine(QTextLayout &layout, const QFont &font)
{
    layout.setFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::ManualWrap);
    option.setTextDirection(Qt::LeftToRight);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return line;
}

} // namespace

void AnswerSegments::prepare(const QString &text, int from, const QFont &textFont)
{
    line = text;
    font = textFont;
    lettersFrom = from;
    scanned = 0;
    scriptBefore = QChar::Script_Common;
    directionBefore = QChar::DirON;
    openBrackets.clear();
    segmentStart = -1;
    softStart = false;
    softTries = 0;
    lastPlace = -1;
    lastTab = -1;
    scriptChanges.clear();
    segments.clear();
    placed.clear();
    bool explicitDirection = false;
    for (int i = from, length; i < line.size() && !explicitDirection; i += length)
        explicitDirection = isExplicitDirection(codePointAt(line, i, &length));
    if (explicitDirection || isColourCluster(line, from, line.size())) {
        scanned = line.size();
        return;
    }
    mayReorder = ::mayReorder(line.mid(from));
    QTextLayout heading(line.left(from));
    const QTextLine headingLine = layOutLine(heading, font);
    headingAscent = headingLine.ascent();
    headingDescent = headingLine.descent();
    headingLeading = headingLine.leading();
}

void AnswerSegments::layOutAhead(int parts, const QDeadlineTimer &deadline)
{
    const int left = line.size() - scanned;
    layOutUpTo(scanned + (left + parts - 1) / qMax(1, parts), deadline);
}

// Goes on finding places and laying out the segments between them, until
// the search stands at end: each segment runs from a place to the first
// place segmentUnits after it, or to the last place before a tab, whose
// width counts from the start of the line.
void AnswerSegments::layOutUpTo(int end, const QDeadlineTimer &deadline)
{
    while (scanned < qMin(end, line.size()) && !deadline.hasExpired()) {
        const int tabBefore = lastTab;
        bool soft;
        const int place = nextPlace(segmentStart < 0 ? lettersFrom : segmentStart + segmentUnits, &soft);
        if (place < 0)
            return;
        if (segmentStart >= 0 && lastTab > tabBefore) {
            addSegment(segmentStart, lastPlace);
            segmentStart = place;
            softStart = soft;
        } else if (segmentStart < 0 || place - segmentStart >= segmentUnits) {
            addSegment(segmentStart, place);
            segmentStart = place;
            softStart = soft;
        }
        lastPlace = place;
    }
}

void AnswerSegments::addSegment(int start, int end)
{
    if (start >= 0 && end - start >= shortestSegment) {
        segments << laidOut(start, end);
        segments.last().softStart = softStart;
    }
}

// The next place where a segment can start, or -1 when the line has none:
// a left-to-right letter after a left-to-right character with a direction
// of its own, the script of the letters before being another, and no
// bracket open that the bidirectional algorithm could pair across it. The
// script is Qt's: marks and characters without a script of their own take
// the script before them.
int AnswerSegments::nextPlace(int softFrom, bool *soft)
{
    while (scanned < line.size()) {
        int length;
        const int i = scanned;
        const uint c = codePointAt(line, i, &length);
        scanned += length;
        if (c == '\t')
            lastTab = i;
        const bool leftToRightLetter = i >= lettersFrom && isLetter(c) && QChar::direction(c) == QChar::DirL
            && hasScriptOfItsOwn(c) && scriptBefore > QChar::Script_Common && directionBefore == QChar::DirL
            && openBrackets.isEmpty();
        const bool newScript = scriptBefore != QChar::script(c);
        if (newScript && hasScriptOfItsOwn(c) && !isMark(c) && scriptBefore > QChar::Script_Common)
            scriptChanges << i;
        // A script whose letters all join would have every letter tried.
        *soft = false;
        if (leftToRightLetter && !newScript && !mayReorder && i >= softFrom && softTries < mostSoftTries) {
            ++softTries;
            *soft = cutsApart(i);
        }
        const bool place = (leftToRightLetter && newScript) || *soft;
        if (hasScriptOfItsOwn(c) && (!isMark(c) || scriptBefore <= QChar::Script_Common))
            scriptBefore = QChar::script(c);
        if (QChar::direction(c) == QChar::DirL || isRightToLeftLetter(c))
            directionBefore = QChar::direction(c);
        if (mayReorder && QChar::mirroredChar(c) != c) {
            if (QChar::category(c) == QChar::Punctuation_Open) {
                openBrackets << QChar::mirroredChar(c);
            } else if (QChar::category(c) == QChar::Punctuation_Close) {
                const int match = openBrackets.lastIndexOf(c);
                if (match >= 0)
                    openBrackets.resize(match);
            }
        }
        if (place) {
            softTries = 0;
            return i;
        }
    }
    return -1;
}

// The glyphs of the line, each with its font and its place, left to right.
QVector<std::tuple<qreal, QString, quint32>> placedGlyphs(const QTextLine &line, qreal dx)
{
    QVector<std::tuple<qreal, QString, quint32>> glyphs;
    for (const QGlyphRun &run : line.glyphRuns()) {
        const QString font = run.rawFont().familyName() + QLatin1Char('/') + run.rawFont().styleName();
        const QVector<quint32> indexes = run.glyphIndexes();
        const QVector<QPointF> positions = run.positions();
        for (int i = 0; i < indexes.size(); ++i)
            glyphs << std::make_tuple(positions[i].x() + dx, font, indexes[i]);
    }
    std::sort(glyphs.begin(), glyphs.end());
    return glyphs;
}

// Whether the letters on either side of i shape apart: laid out cut at i,
// a few dozen of them show the same glyphs in the same places as uncut.
bool AnswerSegments::cutsApart(int i) const
{
    const int from = qMax(lettersFrom, i - 16);
    const int to = qMin(int(line.size()), i + 16);
    QTextLayout whole(line.mid(from, to - from)), before(line.mid(from, i - from)),
        after(line.mid(i, to - i));
    const QTextLine beforeLine = layOutLine(before, font);
    QVector<std::tuple<qreal, QString, quint32>> cut = placedGlyphs(beforeLine, 0);
    cut += placedGlyphs(layOutLine(after, font), beforeLine.horizontalAdvance());
    std::sort(cut.begin(), cut.end());
    return placedGlyphs(layOutLine(whole, font), 0) == cut;
}

AnswerSegments::Segment AnswerSegments::laidOut(int start, int end) const
{
    QTextLayout layout(line.mid(start, end - start));
    const QTextLine laid = layOutLine(layout, font);
    Segment segment{start, end, laid.horizontalAdvance(), laid.ascent(), laid.descent(), laid.leading(), {}};
    for (const QGlyphRun &run : laid.glyphRuns()) {
        const QVector<quint32> indexes = run.glyphIndexes();
        QVector<QPointF> positions = run.positions();
        for (QPointF &position : positions)
            position.ry() -= laid.ascent();
        for (int first = 0; first < indexes.size(); first += glyphsPerRun) {
            Glyphs glyphs{run, 0, 0};
            glyphs.run.setGlyphIndexes(indexes.mid(first, glyphsPerRun));
            glyphs.run.setPositions(positions.mid(first, glyphsPerRun));
            const auto [leftmost, rightmost] =
                std::minmax_element(glyphs.run.positions().cbegin(), glyphs.run.positions().cend(),
                                    [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); });
            glyphs.left = leftmost->x();
            glyphs.right = rightmost->x();
            segment.glyphs << glyphs;
        }
    }
    return segment;
}

// The segments that reach higher, lower or further apart than the heading
// and any other segment: as letters, they keep the line as high.
QVector<int> AnswerSegments::heightWitnesses() const
{
    int highest = -1;
    int lowest = -1;
    int widest = -1;
    qreal ascent = headingAscent;
    qreal descent = headingDescent;
    qreal leading = headingLeading;
    for (int i = 0; i < segments.size(); ++i) {
        if (segments[i].ascent > ascent) {
            ascent = segments[i].ascent;
            highest = i;
        }
        if (segments[i].descent > descent) {
            descent = segments[i].descent;
            lowest = i;
        }
        if (segments[i].leading > leading) {
            leading = segments[i].leading;
            widest = i;
        }
    }
    return {highest, lowest, widest};
}

QString AnswerSegments::tallestAhead() const
{
    QString letters;
    QVector<int> met;
    for (int witness : heightWitnesses()) {
        if (witness >= 0 && !met.contains(witness)) {
            met << witness;
            letters += line.mid(segments[witness].start, segments[witness].end - segments[witness].start);
        }
    }
    return letters;
}

void AnswerSegments::standIn(QTextDocument *document, const QFont &textFont)
{
    placed.clear();
    const QTextBlock block = document->firstBlock();
    if (!font.isCopyOf(textFont) || !block.text().startsWith(line))
        return;
    layOutUpTo(line.size());
    const QVector<int> witnesses = heightWitnesses();
    const QVector<int> splits = itemSplits(block);
    // Segments within one fragment, each with its fragment's format, and
    // none that Qt's line splits where the segment goes on.
    QVector<QPair<int, QTextCharFormat>> standing;
    QTextBlock::iterator fragments = block.begin();
    auto split = splits.cbegin();
    for (int i = 0; i < segments.size(); ++i) {
        const Segment &segment = segments[i];
        while (!fragments.atEnd()
               && fragments.fragment().position() + fragments.fragment().length()
                   <= block.position() + segment.start)
            ++fragments;
        if (fragments.atEnd())
            break;
        const QTextFragment fragment = fragments.fragment();
        split = std::upper_bound(split, splits.cend(), segment.start);
        const bool splitWithin = segment.softStart && split != splits.cend() && *split < segment.end;
        if (fragment.position() + fragment.length() >= block.position() + segment.end
            && !witnesses.contains(i) && !splitWithin)
            standing << qMakePair(i, fragment.charFormat());
    }
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    // Where Qt's line splits an item of letters that go on, the letters left
    // split too, by a change of format that shows nothing: the text after a
    // stand-in that ends within an item starts an item of its own.
    int parity = 0;
    for (int at : splits) {
        cursor.setPosition(block.position() + at);
        cursor.setPosition(block.position() + line.size(), QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setProperty(splitProperty, ++parity % 2);
        cursor.mergeCharFormat(format);
    }
    // From the end back, so that the positions of the segments before stay.
    for (int k = standing.size() - 1; k >= 0; --k) {
        const Segment &segment = segments[standing[k].first];
        QTextCharFormat format = standing[k].second;
        format.setObjectType(objectType);
        format.setProperty(segmentProperty, standing[k].first);
        cursor.setPosition(block.position() + segment.start);
        cursor.setPosition(block.position() + segment.end, QTextCursor::KeepAnchor);
        cursor.insertText(QString(QChar::ObjectReplacementCharacter), format);
    }
    cursor.endEditBlock();
}

// Where Qt's line of the block splits an item of letters that goes on: a
// run of one script, without a tab or a change of format, every 4096 code
// units from its start. Where letters may run right to left, an item also
// starts where the direction changes, which only the whole bidirectional
// algorithm knows: no segment starts softly there, and Qt's line and the
// stand-ins' line split the letters left alike by themselves.
QVector<int> AnswerSegments::itemSplits(const QTextBlock &block) const
{
    if (mayReorder)
        return {};
    QVector<int> starts = scriptChanges;
    for (int tab = line.indexOf(QLatin1Char('\t')); tab >= 0; tab = line.indexOf(QLatin1Char('\t'), tab + 1))
        starts << tab << tab + 1;
    int format = -1;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        if (it.fragment().charFormatIndex() != format)
            starts << it.fragment().position() - block.position();
        format = it.fragment().charFormatIndex();
    }
    starts << line.size();
    std::sort(starts.begin(), starts.end());
    QVector<int> splits;
    for (int i = 0; i + 1 < starts.size(); ++i) {
        for (int at = starts[i] + maxItemLength; at < starts[i + 1]; at += maxItemLength)
            splits << at;
    }
    return splits;
}

int AnswerSegments::segmentNumber(const QTextFormat &format) const
{
    const int number = format.objectType() == objectType ? format.intProperty(segmentProperty) : -1;
    return number < segments.size() ? number : -1;
}

const QVector<AnswerSegments::Glyphs> &AnswerSegments::glyphsOf(const QTextFormat &format) const
{
    static const QVector<Glyphs> none;
    const int number = segmentNumber(format);
    return number >= 0 ? segments.at(number).glyphs : none;
}

QSizeF AnswerSegments::intrinsicSize(QTextDocument *, int, const QTextFormat &format)
{
    const int number = segmentNumber(format);
    return QSizeF(number >= 0 ? segments.at(number).advance : 0, 0);
}

void AnswerSegments::drawObject(QPainter *, const QRectF &rect, QTextDocument *, int position,
                                const QTextFormat &)
{
    placed.insert(position, rect.left());
}
