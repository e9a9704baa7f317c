#include "linewalk.h"

#include "characters.h"

#include <QVector>

#include <algorithm>

namespace {

// Qt shapes a line in runs of one script and at most this many code units.
const int longestRun = 4096;

bool isRegionalIndicator(uint codePoint)
{
    return codePoint >= 0x1F1E6 && codePoint <= 0x1F1FF;
}

// What shapes together with the character before it: marks, joiners and
// non-joiners, variation selectors, emoji skin tones and tags.
bool extendsCluster(uint codePoint)
{
    return isMark(codePoint) || codePoint == 0x200C || codePoint == 0x200D
        || (codePoint >= 0x1F3FB && codePoint <= 0x1F3FF) || (codePoint >= 0xE0020 && codePoint <= 0xE007F);
}

// Where the grapheme cluster that starts at i ends: a character with what
// extends it, a character joined to it by a zero-width joiner, or a pair of
// regional indicators, which make a flag.
int clusterEnd(const QString &text, int i)
{
    int length;
    const uint first = codePointAt(text, i, &length);
    int end = i + length;
    if (isRegionalIndicator(first) && end < text.size()
        && isRegionalIndicator(codePointAt(text, end, &length)))
        return end + length;
    while (end < text.size()) {
        const uint next = codePointAt(text, end, &length);
        if (!extendsCluster(next))
            break;
        end += length;
        if (next == 0x200D && end < text.size()) {
            codePointAt(text, end, &length);
            end += length;
        }
    }
    return end;
}

// Whether every bracket in [from, to) pairs with one there, each opening
// one after a right-to-left letter or a digit, there or before from when
// afterRightToLeft. Then the pairs run right to left, as the island does; a
// pair that reaches outside, or stands after left-to-right text, takes the
// direction of that text, and the island is laid out as plain text.
bool bracketsPairWithin(const QString &text, int from, int to, bool afterRightToLeft)
{
    QVector<QChar> closers;
    for (int i = from; i < to; ++i) {
        const QChar c = text.at(i);
        if (c.category() == QChar::Punctuation_Open) {
            if (!afterRightToLeft)
                return false;
            closers << c.mirroredChar();
        } else if (c.category() == QChar::Punctuation_Close) {
            if (closers.isEmpty() || closers.last() != c)
                return false;
            closers.removeLast();
        } else if (startsIsland(c.unicode()) || QChar::direction(c.unicode()) == QChar::DirEN) {
            afterRightToLeft = true;
        }
    }
    return closers.isEmpty();
}

// Whether text[from, to) holds a mark of a script of its own, which Qt
// gives the script of its base, and its base, if that has none, the script
// before it.
bool holdsMarkOfAScript(const QString &text, int from, int to)
{
    for (int i = from, length; i < to; i += length) {
        const uint c = codePointAt(text, i, &length);
        if (isMark(c) && QChar::script(c) > QChar::Script_Common)
            return true;
    }
    return false;
}

// Whether characters of no script after c take c's script, not that of
// the letter before it: Qt gives a mark the script of the letter it
// follows, unless there is none.
bool takesOverScript(uint c, uint letterBefore)
{
    return givesItsScript(c) || (QChar::script(c) > QChar::Script_Common && !letterBefore);
}

} // namespace

LineWalk::LineWalk(CharWidths &widths, const QString &text)
    : LineWalk(widths, text, Place())
{
}

LineWalk::LineWalk(CharWidths &widths, const QString &text, const Place &from)
    : widths(widths)
    , text(text)
    , place(from)
    , offset(widths.wholeText().endsWith(text) ? widths.wholeText().size() - text.size() : -1)
{
}

qreal LineWalk::step()
{
    int length;
    const uint first = codePointAt(text, place.next, &length);
    tab = first == '\t';
    island = !tab && (startsIsland(first) || (place.afterRightToLeft && goesRightToLeft(place.next)));
    qreal advance;
    if (tab || island) {
        const int end = tab ? place.next + 1 : islandEnd();
        const bool rightToLeftBefore = place.afterRightToLeft;
        place.afterRightToLeft = place.afterRightToLeft
            || std::any_of(text.cbegin() + place.next, text.cbegin() + end,
                           [](QChar c) { return isRightToLeftLetter(c.unicode()); });
        island = island && offset >= 0 && bracketsPairWithin(text, place.next, end, rightToLeftBefore);
        apart = island ? leadingApart(place.next, end) : -1;
        advance = tab ? widths.tabWidth(place.x)
            : island  ? widths.islandWidth(offset + place.next, offset + end, apart < 0 ? -1 : offset + apart)
                      : widths.pieceWidth(text.mid(place.next, end - place.next));
        place.lastLetter = lastLetterIn(place.next, end);
        place.next = end;
        place.runLength = 0;
        place.runScript = QChar::Script_Common;
    } else {
        advance = stepOverLeftToRight();
    }
    place.x += advance;
    return advance;
}

// The letter whose script characters after text[from, end) take: the last
// letter of a script in it, from its end back, an island being as long as
// the text; else the one before it; else the first mark of a script in it.
uint LineWalk::lastLetterIn(int from, int end) const
{
    for (int i = end, length; i > from; i -= length) {
        const uint c = codePointBefore(text, i, &length);
        if (givesItsScript(c))
            return c;
    }
    uint letter = place.lastLetter;
    for (int i = from, length; i < end && !letter; i += length) {
        const uint c = codePointAt(text, i, &length);
        if (takesOverScript(c, letter))
            letter = c;
    }
    return letter;
}

// Left-to-right grapheme clusters one after another, as long as shaping
// joins them: a conjunct, a reph or a ligature spans clusters.
qreal LineWalk::stepOverLeftToRight()
{
    const int start = place.next;
    const uint letterBefore = place.lastLetter;
    int clusterStart = start;
    int clusters = 1;
    for (;; ++clusters) {
        const int end = clusterEnd(text, clusterStart);
        int length;
        const uint letter = codePointAt(text, clusterStart, &length);
        const int script = QChar::script(letter);
        if (QChar::direction(letter) == QChar::DirL)
            place.afterRightToLeft = false;
        // A run takes the script of its first letter; punctuation, digits and
        // the like go with the run they stand in.
        if (script > QChar::Script_Common && place.runScript <= QChar::Script_Common)
            place.runScript = script;
        if (takesOverScript(letter, place.lastLetter))
            place.lastLetter = letter;
        place.runLength += end - place.next;
        place.next = end;
        if (atEnd())
            break;
        const uint following = codePointAt(text, end, &length);
        const int followingScript = QChar::script(following);
        const bool newRun = place.runLength >= longestRun || following == '\t' || startsIsland(following)
            || (followingScript > QChar::Script_Common && place.runScript > QChar::Script_Common
                && followingScript != place.runScript);
        if (newRun) {
            place.runLength = 0;
            place.runScript = QChar::Script_Common;
            break;
        }
        if (!widths.join(text, clusterStart, end, clusterEnd(text, end), scriptContext()))
            break;
        clusterStart = end;
    }
    int length;
    const uint first = codePointAt(text, start, &length);
    if (!givesItsScript(first)) {
        if (letterBefore && holdsMarkOfAScript(text, start, place.next))
            return widths.pieceWidthAfter(text.mid(start, place.next - start), letterBefore);
        const uint context = letterBefore ? letterBefore : scriptContext();
        if (context && widths.fallsBack(text, start, place.next))
            return widths.pieceWidthAfter(text.mid(start, place.next - start), context);
    }
    if (clusters == 1 && start + length == place.next)
        return widths.width(first);
    return widths.stretchWidth(text, start, place.next);
}

// Where characters of no script that begin the island [from, end) end, when
// they take the script of letters before them other than that of the
// island's first letter: then Qt shapes them in an item of their own, as
// a tatweel or an Arabic comma right after a word of another script.
int LineWalk::leadingApart(int from, int end) const
{
    if (!place.lastLetter)
        return -1;
    int i = from;
    for (int length; i < end; i += length) {
        const uint c = codePointAt(text, i, &length);
        if (QChar::script(c) > QChar::Script_Common)
            return i > from && QChar::script(c) != QChar::script(place.lastLetter) ? i : -1;
    }
    return -1;
}

// A letter whose script characters of none around it take, as Qt's items
// give it them: the last one walked, or the text's first.
uint LineWalk::scriptContext()
{
    if (place.lastLetter)
        return place.lastLetter;
    if (firstLetter < 0) {
        firstLetter = 0;
        for (int i = 0, length; i < text.size() && !firstLetter; i += length) {
            const uint c = codePointAt(text, i, &length);
            if (QChar::script(c) > QChar::Script_Common)
                firstLetter = int(c);
        }
    }
    return uint(firstLetter);
}

// Whether, after a right-to-left letter, the text from i on runs right to
// left: European digits do, and so do blanks and punctuation when digits or
// a right-to-left letter follow them, past any tabs: a tab is as neutral as
// a blank, and only the blanks right before it go with the line.
bool LineWalk::goesRightToLeft(int i) const
{
    for (int length; i < text.size(); i += length) {
        const uint c = codePointAt(text, i, &length);
        if (!isNeutral(c))
            return QChar::direction(c) == QChar::DirEN || startsIsland(c);
    }
    return false;
}

// Where the right-to-left island that starts at the next character ends.
int LineWalk::islandEnd() const
{
    int end = place.next;
    for (int length; end < text.size(); end += length) {
        const uint c = codePointAt(text, end, &length);
        if (isExplicitDirection(c))
            return text.size();
        if (c == '\t' || QChar::direction(c) == QChar::DirL)
            break;
    }
    return end;
}
