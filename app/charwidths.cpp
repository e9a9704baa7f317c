#include "charwidths.h"

#include "characters.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>

namespace {

// The most code units of pieces whose widths are kept, a megabyte or so.
const int mostCachedUnits = 1 << 19;

const QChar leftToRightMark(0x200E);

// The glyphs of text laid out on one line in font.
int glyphCount(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    int glyphs = 0;
    for (const QGlyphRun &run : line.glyphRuns())
        glyphs += run.glyphIndexes().size();
    return glyphs;
}

// The canonical combining class of viramas and the like, which join the
// consonants on either side.
const int viramaClass = 9;
const uint zeroWidthJoiner = 0x200D;

// Brackets pair up over blanks, and a pair takes the direction of what
// stands before it: an island with one is not cut.
bool hasBracket(const QString &text, int from, int to)
{
    return std::any_of(text.cbegin() + from, text.cbegin() + to, [](QChar c) {
        return c.category() == QChar::Punctuation_Open || c.category() == QChar::Punctuation_Close;
    });
}

// Where the island's core ends once a closing bracket among the neutrals
// that trail it [coreEnd, end) is taken in: a bracket that pairs with one
// in the core around digits or right-to-left letters runs right to left
// with them, as its pair does.
int withPairedBrackets(const QString &text, int start, int coreEnd, int end)
{
    QVector<int> opened;
    for (int i = start; i < end; ++i) {
        const QChar c = text.at(i);
        if (c.category() == QChar::Punctuation_Open)
            opened << i;
        if (c.category() != QChar::Punctuation_Close)
            continue;
        for (int k = opened.size() - 1; k >= 0; --k) {
            if (text.at(opened[k]).mirroredChar() != c)
                continue;
            const bool directed = std::any_of(text.cbegin() + opened[k] + 1, text.cbegin() + i,
                                              [](QChar inside) { return !isNeutral(inside.unicode()); });
            if (i >= coreEnd && directed)
                coreEnd = i + 1;
            opened.resize(k);
            break;
        }
    }
    return coreEnd;
}

// Whether the island can be cut around the blank at i: a right-to-left
// letter, marks on it aside, stands on either side.
bool isCut(const QString &text, int i)
{
    if (text.at(i) != QLatin1Char(' ') || i + 1 >= text.size()
        || !isRightToLeftLetter(text.at(i + 1).unicode()))
        return false;
    int before = i - 1;
    while (before >= 0 && isMark(text.at(before).unicode()))
        --before;
    return before >= 0 && isRightToLeftLetter(text.at(before).unicode());
}

} // namespace

qreal textAdvance(const QFont &font, const QString &text)
{
#if QT_VERSION >= QT_VERSION_CHECK(5, 11, 0)
    return QFontMetricsF(font).horizontalAdvance(text);
#else
    return QFontMetricsF(font).width(text);
#endif
}

qreal CharWidths::width(uint codePoint)
{
    auto found = widths.constFind(codePoint);
    if (found == widths.constEnd()) {
        QString character;
        found = widths.insert(codePoint, textAdvance(drawnFont, appendCodePoint(character, codePoint)));
    }
    return *found;
}

// Fonts make ligatures of Latin letters (ff, fi, ffi) as wide as the
// letters they stand for, most of the time; but Noto Sans makes "ffi" a 64th
// of a pixel wider at 120 dpi than "ff" and "i", or "f" and "fi". A pair that
// makes one glyph joins, so that a chain of them is measured whole.
// Characters of no script, digits, blanks and punctuation, are shaped in the
// script they take from the letters around them, and a font need not kern
// them alike in every script: Liberation Sans kerns "11" among Latin letters
// and not among Hebrew ones.
bool CharWidths::interact(uint first, uint second, uint context)
{
    if (!exact)
        return false;
    const quint64 pair = quint64(first) << 32 | second;
    const int script = QChar::script(context);
    if (script > QChar::Script_Common && script != QChar::Script_Latin
        && QChar::script(first) <= QChar::Script_Common && QChar::script(second) <= QChar::Script_Common) {
        const auto key = qMakePair(script, pair);
        auto found = interactionsInScripts.constFind(key);
        if (found == interactionsInScripts.constEnd())
            found = interactionsInScripts.insert(key, interactAfter(context, first, second));
        return *found;
    }
    auto found = interactions.constFind(pair);
    if (found == interactions.constEnd()) {
        QString both;
        appendCodePoint(appendCodePoint(both, first), second);
        bool together = textAdvance(drawnFont, both) != width(first) + width(second);
        if (!together && QChar::script(first) == QChar::Script_Latin
            && QChar::script(second) == QChar::Script_Latin)
            together = glyphCount(both, drawnFont) < 2;
        found = interactions.insert(pair, together);
    }
    return *found;
}

// Whether the two differ laid out together and apart after the letter and a
// blank, which keeps the letter from kerning with them.
bool CharWidths::interactAfter(uint letter, uint first, uint second)
{
    QString context;
    appendCodePoint(context, letter).append(QLatin1Char(' '));
    const qreal before = textAdvance(drawnFont, context);
    QString withFirst = context;
    QString withSecond = context;
    appendCodePoint(withFirst, first);
    appendCodePoint(withSecond, second);
    QString withBoth = withFirst;
    appendCodePoint(withBoth, second);
    return textAdvance(drawnFont, withBoth) - before
        != (textAdvance(drawnFont, withFirst) - before) + (textAdvance(drawnFont, withSecond) - before);
}

// Up to three code units with their number in one word, or 0 for more.
quint64 CharWidths::packed(const QString &text, int from, int to)
{
    if (to - from > 3)
        return 0;
    quint64 key = quint64(to - from) << 48;
    for (int i = from; i < to; ++i)
        key |= quint64(text.at(i).unicode()) << (16 * (i - from));
    return key;
}

qreal CharWidths::stretchWidth(const QString &text, int from, int to)
{
    const quint64 key = packed(text, from, to);
    if (!key)
        return pieceWidth(text.mid(from, to - from));
    auto found = shortWidths.constFind(key);
    if (found == shortWidths.constEnd())
        found = shortWidths.insert(key, pieceWidth(text.mid(from, to - from)));
    return *found;
}

bool CharWidths::join(const QString &text, int first, int second, int end, uint context)
{
    int length;
    // Regional indicators make a flag of any two neighbours the font has a
    // flag for, whichever two the cluster rules pair, and a wrong pair is
    // often as wide as the right one: a run of them is never cut.
    const int lastStart =
        text.at(second - 1).isLowSurrogate() && second - 2 >= first ? second - 2 : second - 1;
    const uint last = codePointAt(text, lastStart, &length);
    const uint next = codePointAt(text, second, &length);
    if (isRegionalIndicator(last) && isRegionalIndicator(next))
        return true;
    const uint a = codePointAt(text, first, &length);
    if (first + length == second) {
        const uint b = codePointAt(text, second, &length);
        if (second + length == end)
            return interact(a, b, context);
    }
    // Clusters shape apart unless their letters interact, across marks too,
    // or the first ends in a virama or a joiner, which makes a conjunct or a
    // ligature of what follows: only then is the pair laid out. A letter
    // and its marks can make another letter that interacts where neither
    // does, as "d" with a caron does with a "k" in Noto Sans.
    if (QChar::combiningClass(last) != viramaClass && last != zeroWidthJoiner && !interact(a, next, context)
        && !interact(last, next, context)
        && !interact(composedLetter(text, first, second), composedLetter(text, second, end), context))
        return false;
    const auto key = qMakePair(packed(text, first, second), packed(text, second, end));
    if (key.first && key.second) {
        auto found = joins.constFind(key);
        if (found != joins.constEnd())
            return *found;
    }
    const bool joined = pieceWidth(text.mid(first, end - first))
        != stretchWidth(text, first, second) + stretchWidth(text, second, end);
    if (key.first && key.second)
        joins.insert(key, joined);
    return joined;
}

uint CharWidths::composedLetter(const QString &text, int from, int to)
{
    int length;
    const uint letter = codePointAt(text, from, &length);
    if (from + length == to)
        return letter;
    const QString cluster = text.mid(from, to - from);
    auto found = composedLetters.constFind(cluster);
    if (found == composedLetters.constEnd()) {
        // Clusters of letters under stacks of random marks are many.
        if (composedLetters.size() >= mostCachedUnits / 8)
            composedLetters.clear();
        found = composedLetters.insert(
            cluster, codePointAt(cluster.normalized(QString::NormalizationForm_C), 0, &length));
    }
    return *found;
}

qreal CharWidths::pieceWidth(const QString &piece)
{
    auto found = pieces.constFind(piece);
    if (found == pieces.constEnd()) {
        // Right-to-left islands can be as long as the text, one for every row.
        cachedUnits += piece.size();
        if (cachedUnits > mostCachedUnits) {
            pieces.clear();
            cachedUnits = piece.size();
        }
        // A line that starts with a left-to-right mark runs left to right,
        // whatever its first letter; the mark itself takes no room.
        found = pieces.insert(piece, textAdvance(drawnFont, leftToRightMark + piece));
    }
    return *found;
}

qreal CharWidths::pieceWidthAfter(const QString &piece, uint letter)
{
    return laidOutAfter(piece, letter).width;
}

CharWidths::PlacedGlyphs CharWidths::placed(const QList<QGlyphRun> &runs, QPointF start)
{
    PlacedGlyphs glyphs;
    for (const QGlyphRun &run : runs) {
        const QString font = run.rawFont().familyName() + QLatin1Char(' ') + run.rawFont().styleName();
        const QVector<quint32> indexes = run.glyphIndexes();
        const QVector<QPointF> places = run.positions();
        for (int i = 0; i < indexes.size(); ++i)
            glyphs.append({font, indexes[i], places[i] - start});
    }
    return glyphs;
}

QString CharWidths::contextFor(const QString &piece, uint letter)
{
    QString context;
    appendCodePoint(context, letter).append(QLatin1Char(' '));
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, context + piece);
    clusters.setPosition(context.size());
    if (!clusters.isAtBoundary())
        context[context.size() - 1] = QLatin1Char('\t');
    return context;
}

const CharWidths::AfterLetter &CharWidths::laidOutAfter(const QString &piece, uint letter)
{
    const auto key = qMakePair(int(QChar::script(letter)), piece);
    auto found = piecesInScripts.constFind(key);
    if (found == piecesInScripts.constEnd()) {
        const QString context = contextFor(piece, letter);
        QTextLayout layout(context + piece, drawnFont);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        const QPointF start(line.cursorToX(context.size()), line.ascent());
        found = piecesInScripts.insert(key,
                                       {line.horizontalAdvance() - textAdvance(drawnFont, context),
                                        placed(line.glyphRuns(context.size(), piece.size()), start)});
    }
    return *found;
}

bool CharWidths::fallsBack(const QString &text, int from, int to)
{
    for (int i = from, length; i < to; i += length) {
        if (lacks(codePointAt(text, i, &length)))
            return true;
    }
    return false;
}

bool CharWidths::lacks(uint codePoint)
{
    if (!exact)
        return false;
    if (!ownFontLooked) {
        ownFontLooked = true;
        if (QFontInfo(drawnFont).family().compare(drawnFont.family(), Qt::CaseInsensitive) == 0)
            ownFont = QRawFont::fromFont(drawnFont);
    }
    if (!ownFont.isValid())
        return true;
    auto found = missing.constFind(codePoint);
    if (found == missing.constEnd())
        found = missing.insert(codePoint, !ownFont.supportsCharacter(codePoint));
    return *found;
}

bool CharWidths::showsAloneAsAfter(const QString &piece, uint letter, const QList<QGlyphRun> &alone,
                                   qreal aloneAscent)
{
    int length;
    const uint first = codePointAt(piece, 0, &length);
    if (!letter || QChar::script(letter) <= QChar::Script_Common || givesItsScript(first)
        || !fallsBack(piece, 0, piece.size()))
        return true;
    return laidOutAfter(piece, letter).glyphs == placed(alone, QPointF(0, aloneAscent));
}

qreal CharWidths::tabWidth(qreal x)
{
    // Qt finds the next tab stop in its fixed-point 64ths of a pixel, and
    // rounds the number of stops before x to a 64th: a tab that starts a
    // 128th of a stop short of one goes on to the next.
    if (tabStop <= 0)
        tabStop = textAdvance(drawnFont, QStringLiteral("\t"));
    const qint64 stop = qRound64(tabStop * 64);
    const qint64 at = qRound64(x * 64);
    const qint64 stopsBefore = ((at << 6) + stop / 2) / stop >> 6;
    return ((stopsBefore + 1) * stop - at) / 64.0;
}

void CharWidths::walkSuffixesOf(const QString &text)
{
    whole = text;
    islands.clear();
    estimatedBefore.clear();
    suffixExtents.clear();
    extentsMeasured = 0;
    extentsLetter = 0;
    islandWordsMeasured = 0;
}

void CharWidths::measureIslandWordsAhead(const QDeadlineTimer &deadline)
{
    // A word runs from a blank where an island is cut, or from a tab or a
    // left-to-right letter, which end islands, to the next such blank.
    int start = islandWordsMeasured;
    for (int i = islandWordsMeasured; i < whole.size() && !deadline.hasExpired(); ++i) {
        const QChar c = whole.at(i);
        if (c == QLatin1Char('\t') || c.direction() == QChar::DirL) {
            start = i + 1;
        } else if (isCut(whole, i)) {
            if (exact && start < i)
                wholeWidth(start, i);
            start = i + 1;
        } else {
            continue;
        }
        islandWordsMeasured = start;
    }
    if (!deadline.hasExpired())
        islandWordsMeasured = whole.size();
}

CharWidths::LineExtent CharWidths::charExtent(uint codePoint)
{
    auto found = extents.constFind(codePoint);
    if (found == extents.constEnd()) {
        QString character;
        QTextLayout layout(appendCodePoint(character, codePoint), drawnFont);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        found = extents.insert(codePoint, {line.ascent(), line.descent()});
    }
    return *found;
}

// How far a line reaches that holds the character after the letter, whose
// script it takes.
CharWidths::LineExtent CharWidths::extentAfter(uint codePoint, uint letter)
{
    if (!letter || QChar::script(codePoint) > QChar::Script_Common || !lacks(codePoint))
        return charExtent(codePoint);
    const auto key = qMakePair(int(QChar::script(letter)), codePoint);
    auto found = extentsInScripts.constFind(key);
    if (found == extentsInScripts.constEnd()) {
        QString pair;
        appendCodePoint(appendCodePoint(pair, letter), codePoint);
        QTextLayout layout(pair, drawnFont);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        found = extentsInScripts.insert(key, {line.ascent(), line.descent()});
    }
    return *found;
}

namespace {

CharWidths::LineExtent reachingFarther(const CharWidths::LineExtent &one, const CharWidths::LineExtent &other)
{
    return {std::max(one.ascent, other.ascent), std::max(one.descent, other.descent)};
}

// The first letter or mark of a script in the text, which characters of no
// script before it take the script of; 0 if there is none.
uint firstScriptIn(const QString &text)
{
    for (int i = 0, length; i < text.size(); i += length) {
        const uint c = codePointAt(text, i, &length);
        if (QChar::script(c) > QChar::Script_Common)
            return c;
    }
    return 0;
}

} // namespace

CharWidths::LineExtent CharWidths::lineExtent(const QString &text)
{
    LineExtent line;
    uint letter = firstScriptIn(text);
    for (int i = 0, length; i < text.size(); i += length) {
        const uint c = codePointAt(text, i, &length);
        if (givesItsScript(c))
            letter = c;
        line = reachingFarther(line, extentAfter(c, letter));
    }
    return line;
}

// Computed from the end back. From a suffix's first letter on, every
// character takes the script it takes in the whole text; those before that
// letter take its script.
CharWidths::LineExtent CharWidths::suffixLineExtent(int from)
{
    if (suffixExtents.isEmpty()) {
        suffixExtents.resize(whole.size() + 1);
        LineExtent fromLetter; // of the characters from the next letter on
        LineExtent beforeLetter;
        int letterAt = whole.size();
        for (int i = whole.size(), length; i > 0; i -= length) {
            const uint c = codePointBefore(whole, i, &length);
            const int at = i - length;
            const LineExtent fromNext = suffixExtents[i];
            if (givesItsScript(c)) {
                fromLetter = reachingFarther(fromLetter, charExtent(c));
                for (int j = i, after; j < letterAt; j += after)
                    fromLetter = reachingFarther(fromLetter, extentAfter(codePointAt(whole, j, &after), c));
                beforeLetter = LineExtent();
                letterAt = at;
            } else {
                int unused;
                const uint next = letterAt < whole.size() ? codePointAt(whole, letterAt, &unused) : 0;
                beforeLetter = reachingFarther(beforeLetter, extentAfter(c, next));
            }
            suffixExtents[at] = reachingFarther(fromLetter, beforeLetter);
            if (length == 2) // a row may start with the pair's second half, alone
                suffixExtents[at + 1] = reachingFarther(fromNext, charExtent(whole.at(at + 1).unicode()));
        }
    }
    return suffixExtents.value(from);
}

void CharWidths::measureExtentsUpTo(int end, const QDeadlineTimer &deadline)
{
    int length;
    for (; extentsMeasured < qMin(end, whole.size()) && !deadline.hasExpired(); extentsMeasured += length) {
        const uint c = codePointAt(whole, extentsMeasured, &length);
        if (givesItsScript(c))
            extentsLetter = c;
        extentAfter(c, extentsLetter);
    }
}

const CharWidths::Island &CharWidths::islandEndingAt(int end)
{
    auto found = islands.find(end);
    if (found != islands.end())
        return *found;
    Island island;
    int start = end;
    bool explicitDirection = false;
    for (int length; start > 0; start -= length) {
        const uint c = codePointBefore(whole, start, &length);
        if (c == '\t' || QChar::direction(c) == QChar::DirL)
            break;
        explicitDirection = explicitDirection || isExplicitDirection(c);
    }
    // What trails the island takes the direction of what follows it: left
    // to right before a left-to-right letter or the end of the line, right
    // to left when after tabs and blanks the text goes on right to left, but
    // for the blanks right before a tab, which go with the line. An emoji is
    // as neutral as punctuation.
    uint following = 'a';
    for (int next = end, length; next < whole.size(); next += length) {
        const uint c = codePointAt(whole, next, &length);
        if (c != '\t' && !isNeutral(c)) {
            following = c;
            break;
        }
    }
    const bool goesOn = QChar::direction(following) == QChar::DirEN || startsIsland(following);
    island.coreEnd = end;
    for (int length; island.coreEnd > start; island.coreEnd -= length) {
        const uint c = codePointBefore(whole, island.coreEnd, &length);
        if (goesOn ? QChar::direction(c) != QChar::DirWS : !isNeutral(c))
            break;
    }
    island.coreEnd = withPairedBrackets(whole, start, island.coreEnd, end);
    const bool uncut = explicitDirection || hasBracket(whole, start, island.coreEnd);
    for (int i = start; i < island.coreEnd && !uncut; ++i) {
        if (isCut(whole, i))
            island.cuts << i << i + 1;
    }
    qreal before = 0;
    for (int k = 0; k < island.cuts.size(); ++k) {
        island.widthBefore << before;
        before +=
            segmentWidth(island.cuts[k], k + 1 < island.cuts.size() ? island.cuts[k + 1] : island.coreEnd);
    }
    island.widthBefore << before;
    if (island.coreEnd < end) {
        uint letter = 0;
        for (int i = island.coreEnd, length; i > start && !letter; i -= length) {
            const uint c = codePointBefore(whole, i, &length);
            if (givesItsScript(c))
                letter = c;
        }
        if (letter && fallsBack(whole, island.coreEnd, end))
            island.trailingContext = letter;
        const QString trailing = whole.mid(island.coreEnd, end - island.coreEnd);
        island.trailingWidth =
            island.trailingContext ? pieceWidthAfter(trailing, letter) : pieceWidth(trailing);
    }
    return *islands.insert(end, island);
}

// The width of a segment of an island's core. A blank between two words
// takes the script of the letter before it, and where the font lacks it,
// so does its font.
qreal CharWidths::segmentWidth(int from, int to)
{
    if (to - from == 1 && whole.at(from) == QLatin1Char(' ') && lacks(' ')) {
        int length;
        for (int i = from; i > 0; i -= length) {
            const uint c = codePointBefore(whole, i, &length);
            if (givesItsScript(c))
                return pieceWidthAfter(QStringLiteral(" "), c);
        }
    }
    return wholeWidth(from, to);
}

// The widths of the whole text's characters summed up to each place.
const QVector<qreal> &CharWidths::estimates()
{
    if (estimatedBefore.size() != whole.size() + 1) {
        estimatedBefore.resize(whole.size() + 1);
        estimatedBefore[0] = 0;
        for (int i = 0, length; i < whole.size(); i += length) {
            estimatedBefore[i + 1] = estimatedBefore[i] + width(codePointAt(whole, i, &length));
            if (length == 2)
                estimatedBefore[i + 2] = estimatedBefore[i + 1];
        }
    }
    return estimatedBefore;
}

qreal CharWidths::islandWidth(int from, int end, int apart)
{
    if (!exact)
        return estimates()[end] - estimates()[from];
    const Island &island = islandEndingAt(end);
    const int next =
        int(std::upper_bound(island.cuts.cbegin(), island.cuts.cend(), from) - island.cuts.cbegin());
    const int firstEnd = next < island.cuts.size() ? island.cuts[next] : island.coreEnd;
    return firstPieceWidth(from, firstEnd, apart) + island.widthBefore.last() - island.widthBefore[next]
        + island.trailingWidth;
}

qreal CharWidths::firstPieceWidth(int from, int end, int apart)
{
    return from < apart && apart < end ? wholeWidth(from, apart) + wholeWidth(apart, end)
                                       : wholeWidth(from, end);
}

int CharWidths::islandPrefixEnd(int from, int end, qreal width)
{
    if (!exact) {
        const QVector<qreal> &before = estimates();
        int cut = int(std::lower_bound(before.cbegin() + from, before.cbegin() + end, before[from] + width)
                      - before.cbegin());
        // Not within a character, nor before its marks.
        while (cut < end && (whole.at(cut).isLowSurrogate() || whole.at(cut).isMark()))
            ++cut;
        return cut;
    }
    const Island &island = islandEndingAt(end);
    const int next =
        int(std::upper_bound(island.cuts.cbegin(), island.cuts.cend(), from) - island.cuts.cbegin());
    const int firstEnd = next < island.cuts.size() ? island.cuts[next] : island.coreEnd;
    const qreal rest = width - wholeWidth(from, firstEnd) + island.widthBefore[next];
    const int k = int(std::lower_bound(island.widthBefore.cbegin() + next, island.widthBefore.cend(), rest)
                      - island.widthBefore.cbegin());
    return k < island.cuts.size() ? island.cuts[k] : end;
}

QVector<int> CharWidths::islandCuts(int from, int end)
{
    const Island &island = islandEndingAt(end);
    const auto next = std::upper_bound(island.cuts.cbegin(), island.cuts.cend(), from);
    return QVector<int>(next, island.cuts.cend());
}

QVector<CharWidths::IslandPiece> CharWidths::islandPieces(int from, int end, qreal left, qreal right,
                                                          int apart)
{
    const Island &island = islandEndingAt(end);
    const auto &cuts = island.cuts;
    const int next = int(std::upper_bound(cuts.cbegin(), cuts.cend(), from) - cuts.cbegin());
    const int firstEnd = next < cuts.size() ? cuts[next] : island.coreEnd;
    const qreal first = firstPieceWidth(from, firstEnd, apart);
    // The core's right edge, from which segment k ends widthBefore[k] less what precedes `next` to the left.
    const qreal coreRight = first + island.widthBefore.last() - island.widthBefore[next];
    QVector<IslandPiece> pieces;
    const auto keep = [&](int start, int stop, qreal x, qreal width) {
        const bool blank = stop - start == 1 && whole.at(start) == QLatin1Char(' ');
        if (!blank && x <= right && x + width >= left)
            pieces.prepend({start, stop - start, x, false});
    };
    if (from < apart && apart < firstEnd) {
        // What begins the island in the order of its characters stands at its right.
        const qreal leading = wholeWidth(from, apart);
        keep(from, apart, coreRight - leading, leading);
        keep(apart, firstEnd, coreRight - first, first - leading);
    } else {
        keep(from, firstEnd, coreRight - first, first);
    }
    // Segment k lies at coreRight - (widthBefore[k + 1] - widthBefore[next] + first) on; those
    // wholly right of the range lie before the first that reaches it.
    const qreal shift = island.widthBefore[next] - first;
    int k = int(std::lower_bound(island.widthBefore.cbegin() + next, island.widthBefore.cend() - 1,
                                 coreRight - right + shift)
                - island.widthBefore.cbegin());
    k = qMax(next, k - 1);
    for (; k < cuts.size(); ++k) {
        const qreal x = coreRight - (island.widthBefore[k + 1] - shift);
        if (x + (island.widthBefore[k + 1] - island.widthBefore[k]) < left)
            break;
        keep(cuts[k], k + 1 < cuts.size() ? cuts[k + 1] : island.coreEnd, x,
             island.widthBefore[k + 1] - island.widthBefore[k]);
    }
    const qreal trailing = island.trailingWidth;
    if (trailing > 0 && coreRight <= right && coreRight + trailing >= left)
        pieces.append({island.coreEnd, end - island.coreEnd, coreRight, true, island.trailingContext});
    return pieces;
}
