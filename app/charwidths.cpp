#include "charwidths.h"

#include <QFontMetricsF>

namespace {

// Qt shapes a line in runs of one script and at most this many code units.
const int longestRun = 4096;
// The most code units of pieces whose widths are kept, a megabyte or so.
const int mostCachedUnits = 1 << 19;

QString &appendCodePoint(QString &text, uint codePoint)
{
    if (QChar::requiresSurrogates(codePoint))
        return text.append(QChar(QChar::highSurrogate(codePoint)))
            .append(QChar(QChar::lowSurrogate(codePoint)));
    return text.append(QChar(codePoint));
}

// The character at i, and in length how many code units it takes.
uint codePointAt(const QString &text, int i, int *length)
{
    if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
    }
    *length = 1;
    return text.at(i).unicode();
}

bool isMark(uint codePoint)
{
    switch (QChar::category(codePoint)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

bool isExplicitDirection(uint codePoint)
{
    switch (QChar::direction(codePoint)) {
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirPDF:
    case QChar::DirLRI:
    case QChar::DirRLI:
    case QChar::DirFSI:
    case QChar::DirPDI:
        return true;
    default:
        return false;
    }
}

// Characters that the bidirectional algorithm may move out of logical order.
bool startsIsland(uint codePoint)
{
    switch (QChar::direction(codePoint)) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
        return true;
    default:
        return isExplicitDirection(codePoint);
    }
}

const QChar leftToRightMark(0x200E);

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

qreal CharWidths::kerning(uint first, uint second)
{
    const quint64 key = quint64(first) << 32 | second;
    auto found = kernings.constFind(key);
    if (found == kernings.constEnd()) {
        QString both;
        appendCodePoint(appendCodePoint(both, first), second);
        found = kernings.insert(key, textAdvance(drawnFont, both) - width(first) - width(second));
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

LineWalk::LineWalk(CharWidths &widths, const QString &text)
    : LineWalk(widths, text, Place())
{
}

LineWalk::LineWalk(CharWidths &widths, const QString &text, const Place &from)
    : widths(widths)
    , text(text)
    , place(from)
{
}

qreal LineWalk::step()
{
    int length;
    const uint first = codePointAt(text, place.next, &length);
    tab = first == '\t';
    qreal advance;
    if (tab || startsIsland(first)) {
        const int end = tab ? place.next + 1 : islandEnd();
        advance = tab ? widths.tabWidth(place.x) : widths.pieceWidth(text.mid(place.next, end - place.next));
        place.next = end;
        place.runLength = 0;
        place.runScript = QChar::Script_Common;
    } else {
        advance = stepOverLeftToRight();
    }
    place.x += advance;
    return advance;
}

// Left-to-right characters one after another, as long as shaping joins them.
qreal LineWalk::stepOverLeftToRight()
{
    const int start = place.next;
    int length;
    uint current = codePointAt(text, place.next, &length);
    uint previous = current;
    int count = 0;
    for (;; ++count) {
        const int script = QChar::script(current);
        // A run takes the script of its first letter; punctuation, digits and
        // the like go with the run they stand in.
        if (script > QChar::Script_Common && place.runScript <= QChar::Script_Common)
            place.runScript = script;
        place.next += length;
        place.runLength += length;
        if (atEnd())
            break;
        const uint following = codePointAt(text, place.next, &length);
        const int followingScript = QChar::script(following);
        const bool newRun = place.runLength >= longestRun || following == '\t' || startsIsland(following)
            || (followingScript > QChar::Script_Common && place.runScript > QChar::Script_Common
                && followingScript != place.runScript && !isMark(following));
        if (newRun) {
            place.runLength = 0;
            place.runScript = QChar::Script_Common;
            break;
        }
        if (widths.kerning(current, following) == 0)
            break;
        previous = current;
        current = following;
    }
    switch (count) {
    case 0:
        return widths.width(current);
    case 1:
        return widths.width(previous) + widths.kerning(previous, current) + widths.width(current);
    default:
        return widths.pieceWidth(text.mid(start, place.next - start));
    }
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
