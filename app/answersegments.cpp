#include "answersegments.h"

#include "characters.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <memory>
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

// The property of a stand-in's format that holds the number of its segment.
const int segmentProperty = QTextFormat::UserProperty + 1;
// The property that changes where an item is split, as Qt's line splits it.
const int splitProperty = QTextFormat::UserProperty + 2;
// The number that the stand-in of the positions has for its segment.
const int positionsNumber = -2;
// What the positions of the occurrences are written in.
const QString positionCharacters = QStringLiteral("0123456789,.: ");
// Code units of the positions that stay letters before their stand-in: the
// colon, a blank and a number or more, which keep the line as high as their
// font makes it. Shorter positions stay letters altogether.
const int positionsKept = 8;
const int fewestPositions = 64;

bool hasScriptOfItsOwn(uint codePoint)
{
    return QChar::script(codePoint) > QChar::Script_Common;
}

QTextLine layOutLine(QTextLayout &layout, const QFont &font, Qt::LayoutDirection direction = Qt::LeftToRight)
{
    layout.setFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::ManualWrap);
    option.setTextDirection(direction);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return line;
}

// The last code unit of the line that has Qt run its bidirectional
// algorithm over it: one from U+0590 on that runs right to left; -1 when
// there is none, and the whole line runs left to right. Right-to-left
// letters outside the Basic Multilingual Plane have it run by none.
int lastBidiTrigger(const QString &line)
{
    for (int i = line.size() - 1; i >= 0; --i) {
        const QChar::Direction direction = line.at(i).direction();
        if (line.at(i).unicode() >= 0x590
            && (direction == QChar::DirR || direction == QChar::DirAL || direction == QChar::DirAN))
            return i;
    }
    return -1;
}

// Whether Qt runs its bidirectional algorithm over the letters and they run
// right to left throughout, with nothing in them that the algorithm places
// by rules that bidiLevels leaves out: letters that run left to right,
// brackets, tabs, controls and explicit directions.
bool runsRightToLeftOnly(const QString &letters)
{
    if (lastBidiTrigger(letters) < 0)
        return false;
    for (int i = 0, length; i < letters.size(); i += length) {
        const uint c = codePointAt(letters, i, &length);
        switch (QChar::direction(c)) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirEN:
        case QChar::DirES:
        case QChar::DirET:
        case QChar::DirAN:
        case QChar::DirCS:
        case QChar::DirNSM:
        case QChar::DirWS:
            break;
        case QChar::DirON:
            if (QChar::mirroredChar(c) != c
                && (QChar::category(c) == QChar::Punctuation_Open
                    || QChar::category(c) == QChar::Punctuation_Close))
                return false;
            break;
        default:
            return false;
        }
    }
    return true;
}

// The bidirectional algorithm's levels for a line that runs left to right
// and ends as if a left-to-right letter came next, as the mark before the
// answer's positions makes it, and whose letters run right to left only: its
// weak rules, its neutral rules and its implicit levels.
QVector<int> bidiLevels(const QString &line)
{
    const int n = line.size();
    QVector<QChar::Direction> types(n);
    for (int i = 0, length; i < n; i += length) {
        const QChar::Direction type = QChar::direction(codePointAt(line, i, &length));
        std::fill_n(types.begin() + i, length, type);
    }
    QChar::Direction before = QChar::DirL;
    for (QChar::Direction &type : types) { // marks as what they are on
        if (type == QChar::DirNSM)
            type = before;
        before = type;
    }
    QChar::Direction strong = QChar::DirL;
    for (QChar::Direction &type : types) { // numbers after Arabic letters
        if (type == QChar::DirL || type == QChar::DirR || type == QChar::DirAL)
            strong = type;
        else if (type == QChar::DirEN && strong == QChar::DirAL)
            type = QChar::DirAN;
        if (type == QChar::DirAL)
            type = QChar::DirR;
    }
    for (int i = 1; i + 1 < n; ++i) { // a separator within a number
        const bool between = types[i - 1] == types[i + 1];
        if ((types[i] == QChar::DirES && between && types[i - 1] == QChar::DirEN)
            || (types[i] == QChar::DirCS && between
                && (types[i - 1] == QChar::DirEN || types[i - 1] == QChar::DirAN)))
            types[i] = types[i - 1];
    }
    for (int i = 0; i < n; ++i) { // terminators next to a number
        if (types[i] != QChar::DirET)
            continue;
        int end = i;
        while (end < n && types[end] == QChar::DirET)
            ++end;
        if ((i > 0 && types[i - 1] == QChar::DirEN) || (end < n && types[end] == QChar::DirEN))
            std::fill(types.begin() + i, types.begin() + end, QChar::DirEN);
        i = end;
    }
    for (QChar::Direction &type : types) { // other separators and terminators
        if (type == QChar::DirES || type == QChar::DirET || type == QChar::DirCS)
            type = QChar::DirON;
    }
    strong = QChar::DirL;
    for (QChar::Direction &type : types) { // numbers after left-to-right letters
        if (type == QChar::DirL || type == QChar::DirR)
            strong = type;
        else if (type == QChar::DirEN && strong == QChar::DirL)
            type = QChar::DirL;
    }
    const auto side = [&types, n](int i) {
        return i < 0 || i >= n || types[i] == QChar::DirL ? QChar::DirL : QChar::DirR;
    };
    for (int i = 0; i < n;) { // neutrals by their neighbours, else left to right
        int end = i;
        while (end < n && (types[end] == QChar::DirON || types[end] == QChar::DirWS))
            ++end;
        std::fill(types.begin() + i, types.begin() + end, side(i - 1) == side(end) ? side(end) : QChar::DirL);
        i = end + 1;
    }
    QVector<int> levels(n);
    std::transform(types.cbegin(), types.cend(), levels.begin(), [](QChar::Direction type) {
        return type == QChar::DirL ? 0 : type == QChar::DirR ? 1 : 2;
    });
    return levels;
}

// Skips the tabs from unit on, which show no glyph.
int skipTabs(const QString &letters, int unit)
{
    while (unit < letters.size() && letters.at(unit) == QLatin1Char('\t'))
        ++unit;
    return unit;
}

// Whether Qt's line shapes the letters each in the form it takes next to
// the other, as in a word of a script whose letters join, unless a cut
// parts them.
bool joins(QChar before, QChar after)
{
    const QChar::JoiningType forward = before.joiningType(), backward = after.joiningType();
    return (forward == QChar::Joining_Dual || forward == QChar::Joining_Left
            || forward == QChar::Joining_Causing)
        && (backward == QChar::Joining_Dual || backward == QChar::Joining_Right
            || backward == QChar::Joining_Causing);
}

// How many letters from unit on the glyph at place shows: one where it is
// the letter's own, and where the line given shows it for each of them
// alone, one in the form it takes among its neighbours, or more for a
// ligature; else none. Own says whether it is the letter's own.
int lettersShown(const QString &letters, int unit, const QRawFont &font, quint32 glyph, const QPointF &place,
                 const QTextLine *line, int lineFrom, bool *own)
{
    quint32 itsOwn;
    int owned = 1;
    *own = font.glyphIndexesForChars(letters.constData() + unit, 1, &itsOwn, &owned) && owned == 1
        && itsOwn == glyph;
    if (*own)
        return 1;
    int shown = 0;
    for (; line && unit + shown < letters.size(); ++shown) {
        const QList<QGlyphRun> alone = line->glyphRuns(lineFrom + unit + shown, 1);
        if (alone.size() != 1 || alone[0].glyphIndexes() != QVector<quint32>{glyph}
            || alone[0].positions().constFirst() != place)
            break;
    }
    return shown;
}

// For the glyphs of the letters, laid out in these runs, in the order of the
// letters, from x on, the code unit of the first letter each shows, if each
// letter shows its own glyph, or, in the line given, the form it takes
// among the letters it joins, or with others a ligature, on one baseline:
// then no cut between the letters changes a glyph, but within a ligature
// or between two letters that join. Else none. A letter stands at its own
// advance from the one before, or after a tab at the tab's stop, or where
// the direction changes anywhere: there no cut moves it. One that stands
// elsewhere kerns with the letter before; one within a ligature, or joined
// to the letter before, is tied to it: their numbers go into tied, and none
// may be without it.
QVector<int> lettersOfGlyphs(const QString &letters, const QList<QGlyphRun> &runs, qreal x = 0,
                             QVector<int> *tied = nullptr, const QTextLine *line = nullptr, int lineFrom = 0)
{
    // Qt's line may cut anywhere, where colours change and every 4096 code
    // units, and a mark cut from its base is shaped after a dotted circle.
    if (std::any_of(letters.cbegin(), letters.cend(), [](QChar c) { return c.isSurrogate() || c.isMark(); }))
        return {};
    QVector<int> firstLetters;
    int unit = 0;
    bool rightToLeft = false;
    for (const QGlyphRun &run : runs) {
        bool turned = run.isRightToLeft() != rightToLeft;
        rightToLeft = run.isRightToLeft();
        const QVector<quint32> glyphs = run.glyphIndexes();
        const QVector<QPointF> positions = run.positions();
        const QVector<QPointF> advances = run.rawFont().advancesForGlyphIndexes(glyphs);
        const int afterTabs = skipTabs(letters, unit);
        if (afterTabs > unit && !glyphs.isEmpty())
            x = positions[0].x();
        unit = afterTabs;
        for (int i = 0; i < glyphs.size(); ++i) {
            bool own = false;
            const int shown = unit < letters.size()
                ? lettersShown(letters, unit, run.rawFont(), glyphs[i], positions[i], line, lineFrom, &own)
                : 0;
            // Right to left, x is where the letter before starts, and this one ends.
            const qreal ownPlace = rightToLeft ? x - advances[i].x() : x;
            const bool moved = positions[i].x() != ownPlace && !turned;
            if (shown == 0 || positions[i].y() != positions[0].y() || ((moved || !own) && !tied))
                return {};
            if (moved || (unit > 0 && joins(letters.at(unit - 1), letters.at(unit))))
                *tied << unit;
            for (int within = 1; within < shown; ++within)
                *tied << unit + within;
            firstLetters << unit;
            unit += shown;
            x = positions[i].x() + (rightToLeft ? 0 : advances[i].x());
            turned = false;
        }
    }
    return skipTabs(letters, unit) == letters.size() ? firstLetters : QVector<int>();
}

// The runs of a line, left to right, in the order of its letters. A line
// that runs right to left throughout, whose numbers run left to right, shows
// them right to left.
QList<QGlyphRun> inLetterOrder(QList<QGlyphRun> runs, bool rightToLeft)
{
    if (!rightToLeft)
        return runs;
    std::reverse(runs.begin(), runs.end());
    for (auto number = runs.begin(); number != runs.end();) {
        const auto end =
            std::find_if(number, runs.end(), [](const QGlyphRun &run) { return run.isRightToLeft(); });
        std::reverse(number, end);
        number = end == runs.end() ? end : end + 1;
    }
    return runs;
}

// Appends the glyphs of the run, placed where given, in pieces of a few
// dozen, with the code units of the line that they stand for, if given.
void appendInFewDozens(QVector<AnswerSegments::Glyphs> &glyphs, QGlyphRun run,
                       const QVector<quint32> &indexes, const QVector<QPointF> &positions,
                       const QVector<int> &units)
{
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    for (const GlyphPiece &piece : piecesOf(run))
        glyphs.append({piece, units});
}

} // namespace

void AnswerSegments::prepare(const QString &text, int from, const QFont &textFont)
{
    line = text;
    font = textFont;
    lettersFrom = from;
    scanned = 0;
    scriptBefore = QChar::Script_Common;
    scriptLetter = -1;
    scriptChanged = false;
    directionBefore = QChar::DirON;
    openBrackets.clear();
    segmentStart = Place();
    softTries = 0;
    lastPlace = -1;
    lastTab = -1;
    scriptChanges.clear();
    levelChanges.clear();
    segments.clear();
    placed.clear();
    positionGlyphs.clear();
    mayReorder = ::mayReorder(line.mid(from));
    rightToLeftOnly = runsRightToLeftOnly(line.mid(from));
    bidiTrigger = lastBidiTrigger(line);
    bool explicitDirection = false;
    for (int i = from, length; i < line.size() && !explicitDirection; i += length)
        explicitDirection = isExplicitDirection(codePointAt(line, i, &length));
    if (explicitDirection || isColourCluster(line, from, line.size())) {
        scanned = line.size();
        return;
    }
    if (rightToLeftOnly) {
        const QVector<int> levels = bidiLevels(line);
        for (int i = qMax(from, 1); i < line.size(); ++i) {
            if (levels[i] != levels[i - 1])
                levelChanges << i;
        }
    }
    QTextLayout heading(line.left(from));
    const QTextLine headingLine = layOutLine(heading, font);
    headingAscent = headingLine.ascent();
    headingDescent = headingLine.descent();
    headingLeading = headingLine.leading();
    learnPositionGlyphs();
}

// The glyph of each character the positions are written in, and its
// advance, if each shows its own glyph at its own advance next to any
// other, in one font: they take the script of the line's last letter, a
// mark that of its base, and a format of their own has them shaped apart
// from it, laid out here after that letter with its marks.
void AnswerSegments::learnPositionGlyphs()
{
    int last = 0;
    for (int i = line.size(), length; i > 0 && last == 0; i -= length) {
        const uint c = codePointBefore(line, i, &length);
        if (QChar::script(c) > QChar::Script_Common && !isMark(c))
            last = i - length;
    }
    int length;
    int end = last;
    while (end < line.size() && (isMark(codePointAt(line, end, &length)) || end == last))
        end += length;
    const QString lineEnd = line.mid(last, end - last);
    QString pairs;
    for (QChar first : positionCharacters) {
        for (QChar second : positionCharacters)
            pairs.append(first).append(second);
    }
    QTextLayout layout(lineEnd + pairs);
    QTextLayout::FormatRange lineEndFormat{0, int(lineEnd.size()), QTextCharFormat()};
    lineEndFormat.format.setForeground(QColor(Qt::black));
    layout.setFormats({lineEndFormat});
    const QTextLine laid = layOutLine(layout, font);
    const QList<QGlyphRun> runs = laid.glyphRuns(lineEnd.size(), pairs.size());
    if (runs.size() != 1 || lettersOfGlyphs(pairs, runs, laid.cursorToX(lineEnd.size())).isEmpty())
        return;
    positionRun = runs.first();
    const QVector<quint32> glyphs = positionRun.glyphIndexes();
    const QVector<QPointF> advances = positionRun.rawFont().advancesForGlyphIndexes(glyphs);
    positionGlyphs.fill(0, 128);
    positionAdvances.fill(0, 128);
    for (int i = 0; i < pairs.size(); ++i) {
        positionGlyphs[pairs.at(i).unicode()] = glyphs[i];
        positionAdvances[pairs.at(i).unicode()] = advances[i].x();
    }
}

// Lays out the positions after the line's letters, all but their first
// few code units, as one segment, if they are long and written in the
// characters whose glyphs are known.
bool AnswerSegments::positionsStandIn(const QString &positions)
{
    if (positionGlyphs.isEmpty() || positions.size() < fewestPositions)
        return false;
    QVector<quint32> glyphs;
    QVector<QPointF> places;
    glyphs.reserve(positions.size());
    places.reserve(positions.size());
    qreal x = 0;
    for (int i = positionsKept; i < positions.size(); ++i) {
        const ushort c = positions.at(i).unicode();
        if (c >= positionGlyphs.size() || positionGlyphs[c] == 0)
            return false;
        glyphs << positionGlyphs[c];
        places << QPointF(x, 0);
        x += positionAdvances[c];
    }
    positionsSegment =
        Segment{int(line.size()) + positionsKept, int(line.size() + positions.size()), x, 0, 0, 0, {}};
    appendInFewDozens(positionsSegment.glyphs, positionRun, glyphs, places, {});
    return true;
}

void AnswerSegments::layOutAhead(int parts, const QDeadlineTimer &deadline)
{
    const int left = line.size() - scanned;
    layOutUpTo(scanned + (left + parts - 1) / qMax(1, parts), deadline);
}

// Goes on finding places and laying out the segments between them, until
// the search stands at end: each segment runs from a place to the first
// place segmentUnits after it. A tab's width counts from the start of the
// line, so a segment holds tabs only where it starts on a tab stop, right
// after a tab; any other ends at the last place before a tab.
void AnswerSegments::layOutUpTo(int end, const QDeadlineTimer &deadline)
{
    while (scanned < qMin(end, line.size()) && !deadline.hasExpired()) {
        const int tabBefore = lastTab;
        const Place place = nextPlace(segmentStart.at < 0 ? lettersFrom : segmentStart.at + segmentUnits);
        if (place.at < 0)
            return;
        if (segmentStart.at >= 0 && lastTab > tabBefore && !mayHoldTabs(segmentStart)) {
            addSegment(segmentStart, lastPlace);
            segmentStart = place;
        } else if (segmentStart.at < 0 || place.at - segmentStart.at >= segmentUnits) {
            addSegment(segmentStart, place.at);
            segmentStart = place;
        }
        lastPlace = place.at;
    }
}

bool AnswerSegments::mayHoldTabs(const Place &start) const
{
    return !mayReorder && start.at > lettersFrom && line.at(start.at - 1) == QLatin1Char('\t');
}

void AnswerSegments::addSegment(const Place &start, int end)
{
    if (start.at >= 0 && end - start.at >= shortestSegment) {
        segments << laidOut(start, end);
        segments.last().softStart = start.soft;
    }
}

// The next place where a segment can start, or none when the line has none:
// a left-to-right letter after a left-to-right character with a direction
// of its own, the script of the letters before being another, and no
// bracket open that the bidirectional algorithm could pair across it. The
// script is Qt's: marks and characters without a script of their own take
// the script before them. Where nothing runs right to left, also whatever
// follows a tab, where Qt's line starts a new item and a tab stop: a
// character that takes the script before it only while the letters have
// kept the heading's script, so that whatever stands in before it, it
// takes the same.
AnswerSegments::Place AnswerSegments::nextPlace(int softFrom)
{
    while (scanned < line.size()) {
        int length;
        const int i = scanned;
        const uint c = codePointAt(line, i, &length);
        scanned += length;
        if (c == '\t')
            lastTab = i;
        const bool takesScriptBefore = !hasScriptOfItsOwn(c) || isMark(c);
        const bool afterTab = mayHoldTabs(Place{i}) && (!takesScriptBefore || !scriptChanged);
        const bool leftToRightLetter = i >= lettersFrom && isLetter(c) && QChar::direction(c) == QChar::DirL
            && hasScriptOfItsOwn(c) && scriptBefore > QChar::Script_Common && directionBefore == QChar::DirL
            && openBrackets.isEmpty();
        const bool newScript = scriptBefore != QChar::script(c);
        if (newScript && hasScriptOfItsOwn(c) && !isMark(c) && scriptBefore > QChar::Script_Common)
            scriptChanges << i;
        // Where letters run right to left only, a segment may start at a
        // word after a word: its first letter, after a blank, with a
        // right-to-left letter before them.
        const bool rightToLeftWord = rightToLeftOnly && i >= lettersFrom && isRightToLeftLetter(c)
            && (directionBefore == QChar::DirR || directionBefore == QChar::DirAL)
            && QChar(line.at(i - 1)).isSpace();
        Place place{i, false, afterTab && takesScriptBefore ? scriptLetter : -1};
        // A script whose letters all join would have every letter tried.
        if (((leftToRightLetter && !newScript && !mayReorder) || rightToLeftWord) && i >= softFrom
            && softTries < mostSoftTries && !afterTab) {
            ++softTries;
            place.soft = cutsApart(i);
        }
        const bool found = (leftToRightLetter && newScript) || place.soft || afterTab;
        if (hasScriptOfItsOwn(c) && (!isMark(c) || scriptBefore <= QChar::Script_Common)) {
            scriptChanged = scriptChanged || (i >= lettersFrom && QChar::script(c) != scriptBefore);
            scriptBefore = QChar::script(c);
            scriptLetter = i;
        }
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
        if (found) {
            softTries = 0;
            return place;
        }
    }
    return Place();
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
// a few dozen of them show the same glyphs in the same places as uncut, in
// the direction of the letter at i.
bool AnswerSegments::cutsApart(int i) const
{
    const int from = qMax(lettersFrom, i - 16);
    const int to = qMin(int(line.size()), i + 16);
    const Qt::LayoutDirection direction = directionAt(i);
    QTextLayout whole(line.mid(from, to - from)), before(line.mid(from, i - from)),
        after(line.mid(i, to - i));
    const QTextLine beforeLine = layOutLine(before, font, direction);
    const QTextLine afterLine = layOutLine(after, font, direction);
    const bool leftToRight = direction == Qt::LeftToRight;
    QVector<std::tuple<qreal, QString, quint32>> cut =
        placedGlyphs(beforeLine, leftToRight ? 0 : afterLine.horizontalAdvance());
    cut += placedGlyphs(afterLine, leftToRight ? beforeLine.horizontalAdvance() : 0);
    std::sort(cut.begin(), cut.end());
    return placedGlyphs(layOutLine(whole, font, direction), 0) == cut;
}

// Segments run in the direction of the letter they start with.
Qt::LayoutDirection AnswerSegments::directionAt(int i) const
{
    int length;
    return isRightToLeftLetter(codePointAt(line, i, &length)) ? Qt::RightToLeft : Qt::LeftToRight;
}

// A segment laid out alone, where it starts after a tab with a character
// that takes the script before it after the letter that gives that script
// and a tab: a tab stop, as in the line. That letter stands before the
// segment in the line, so what it adds to the height is there anyway.
AnswerSegments::Segment AnswerSegments::laidOut(const Place &from, int end) const
{
    const int start = from.at;
    QString before;
    if (from.scriptFrom >= 0) {
        int length;
        codePointAt(line, from.scriptFrom, &length);
        before = line.mid(from.scriptFrom, length) + QLatin1Char('\t');
    }
    const QString letters = line.mid(start, end - start);
    // Tabs stop where a document without a device, as the answer's line is,
    // has them, in pixels of its own; a layout alone counts them in those of
    // its font's device, and costs less.
    QTextLayout alone(before + letters);
    QTextLayout *layout = &alone;
    std::unique_ptr<QTextDocument> document;
    if (alone.text().contains(QLatin1Char('\t'))) {
        document = std::make_unique<QTextDocument>(alone.text());
        document->setDocumentMargin(0);
        document->setDefaultFont(font);
        document->documentLayout();
        layout = document->firstBlock().layout();
    }
    const QTextLine laid = layOutLine(*layout, font, directionAt(start));
    const qreal x = before.isEmpty() ? 0 : laid.cursorToX(before.size());
    const qreal advance = laid.horizontalAdvance() - x;
    Segment segment{start, end, advance, laid.ascent(), laid.descent(), laid.leading(), {}};
    const bool rightToLeft = directionAt(start) == Qt::RightToLeft;
    const QList<QGlyphRun> runs = inLetterOrder(laid.glyphRuns(before.size(), letters.size()), rightToLeft);
    QVector<int> units;
    if (rightToLeft ? rightToLeftOnly : !mayReorder)
        units = lettersOfGlyphs(letters, runs, x, &segment.tied, &laid, before.size());
    segment.plain = !units.isEmpty();
    if (!segment.plain)
        segment.tied.clear();
    for (int &unit : units)
        unit += start;
    for (int &letter : segment.tied)
        letter += start;
    int glyph = 0;
    for (const QGlyphRun &run : runs) {
        const QVector<quint32> indexes = run.glyphIndexes();
        QVector<QPointF> positions = run.positions();
        for (QPointF &position : positions)
            position -= QPointF(x, laid.ascent());
        appendInFewDozens(segment.glyphs, run, indexes, positions, units.mid(glyph, indexes.size()));
        glyph += indexes.size();
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

bool AnswerSegments::prepared(const QString &letters, const QFont &textFont) const
{
    return font.isCopyOf(textFont) && line.size() - lettersFrom == letters.size() && line.endsWith(letters);
}

// A plain segment stands in whatever colours its letters have, unless it
// keeps the line as high as its letters make it, or has Qt run the
// bidirectional algorithm, or Qt's line cuts it before a letter tied to the
// one before: where the colour changes, or where an item is split.
bool AnswerSegments::standsInAnyColours(int i, const QVector<int> &witnesses, const QVector<bool> &red,
                                        const QVector<int> &splits) const
{
    const Segment &segment = segments[i];
    return segment.plain && !witnesses.contains(i)
        && !(segment.start <= bidiTrigger && bidiTrigger < segment.end)
        && std::none_of(segment.tied.cbegin(), segment.tied.cend(), [&](int letter) {
               return red[letter - lettersFrom] != red[letter - lettersFrom - 1]
                   || std::binary_search(splits.cbegin(), splits.cend(), letter);
           });
}

QVector<bool> AnswerSegments::redInDocument(const QString &letters, const QVector<bool> &red,
                                            const QFont &textFont)
{
    if (!prepared(letters, textFont))
        return red;
    layOutUpTo(line.size());
    const QVector<int> witnesses = heightWitnesses();
    const QVector<int> splits = itemSplits(red);
    QVector<bool> shown = red;
    for (int i = 0; i < segments.size(); ++i) {
        if (standsInAnyColours(i, witnesses, red, splits)) {
            const auto first = shown.begin() + segments[i].start - lettersFrom;
            std::fill(first, shown.begin() + segments[i].end - lettersFrom, *first);
        }
    }
    return shown;
}

void AnswerSegments::standIn(QTextDocument *document, const QFont &textFont, const QVector<bool> &red)
{
    placed.clear();
    const QTextBlock block = document->firstBlock();
    if (!font.isCopyOf(textFont) || !block.text().startsWith(line) || red.size() != line.size() - lettersFrom)
        return;
    layOutUpTo(line.size());
    const QVector<int> witnesses = heightWitnesses();
    const QVector<int> splits = itemSplits(red);
    // Plain segments, and segments within one fragment that Qt's line does
    // not split where the segment goes on, each with the format of the
    // fragment where it starts.
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
        const bool holdsTrigger = segment.start <= bidiTrigger && bidiTrigger < segment.end;
        if (standsInAnyColours(i, witnesses, red, splits)
            || (fragment.position() + fragment.length() >= block.position() + segment.end
                && !witnesses.contains(i) && !splitWithin && !holdsTrigger))
            standing << qMakePair(i, fragment.charFormat());
    }
    const bool positionsStand = positionsStandIn(block.text().mid(line.size()));
    // A line without stand-ins is the label's own, and Qt splits it alike.
    if (standing.isEmpty() && !positionsStand)
        return;
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    if (positionsStand) {
        cursor.setPosition(block.position() + positionsSegment.start);
        QTextCharFormat format = cursor.charFormat();
        format.setObjectType(objectType);
        format.setProperty(segmentProperty, positionsNumber);
        cursor.setPosition(block.position() + positionsSegment.end, QTextCursor::KeepAnchor);
        cursor.insertText(QString(QChar::ObjectReplacementCharacter), format);
    }
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

// Where Qt's line of the answer, with its letters red where red says,
// splits an item of letters that goes on: a run of one script and one
// direction, without a tab or a change of format, every 4096 code units
// from its start. Where letters run both ways, the whole bidirectional
// algorithm knows where the direction changes: no segment starts softly
// there, and Qt's line and the stand-ins' line split the letters left alike
// by themselves.
QVector<int> AnswerSegments::itemSplits(const QVector<bool> &red) const
{
    if (mayReorder && !rightToLeftOnly)
        return {};
    QVector<int> starts = scriptChanges + levelChanges;
    for (int tab = line.indexOf(QLatin1Char('\t')); tab >= 0; tab = line.indexOf(QLatin1Char('\t'), tab + 1))
        starts << tab << tab + 1;
    // The heading, the letters and the positions each have a format of their own.
    starts << 0 << lettersFrom << line.size();
    for (int i = 1; i < red.size(); ++i) {
        if (red[i] != red[i - 1])
            starts << lettersFrom + i;
    }
    std::sort(starts.begin(), starts.end());
    QVector<int> splits;
    for (int i = 0; i + 1 < starts.size(); ++i) {
        for (int at = starts[i] + maxItemLength; at < starts[i + 1]; at += maxItemLength)
            splits << at;
    }
    return splits;
}

const AnswerSegments::Segment *AnswerSegments::segmentFor(const QTextFormat &format) const
{
    if (format.objectType() != objectType)
        return nullptr;
    const int number = format.intProperty(segmentProperty);
    if (number == positionsNumber)
        return &positionsSegment;
    return number >= 0 && number < segments.size() ? &segments.at(number) : nullptr;
}

const QVector<AnswerSegments::Glyphs> &AnswerSegments::glyphsOf(const QTextFormat &format) const
{
    static const QVector<Glyphs> none;
    const Segment *segment = segmentFor(format);
    return segment ? segment->glyphs : none;
}

QSizeF AnswerSegments::intrinsicSize(QTextDocument *, int, const QTextFormat &format)
{
    const Segment *segment = segmentFor(format);
    return QSizeF(segment ? segment->advance : 0, 0);
}

void AnswerSegments::drawObject(QPainter *, const QRectF &rect, QTextDocument *, int position,
                                const QTextFormat &)
{
    placed.insert(position, rect.left());
}
