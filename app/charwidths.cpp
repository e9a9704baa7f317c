#include "charwidths.h"

#include <QFontMetricsF>

namespace {

// Qt shapes a line in runs of one script and at most this many code units.
const int longestRun = 4096;

QString &appendCodePoint(QString &text, uint codePoint)
{
    if (QChar::requiresSurrogates(codePoint))
        return text.append(QChar(QChar::highSurrogate(codePoint))).append(QChar(QChar::lowSurrogate(codePoint)));
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
    case QChar::Mark_NonSpacing: case QChar::Mark_SpacingCombining: case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

// Characters that Qt lays out other than one after another at their own
// widths: tabs, line separators, objects, and whatever the bidirectional
// algorithm may move.
bool breaksTheWalk(uint codePoint)
{
    switch (codePoint) {
    case '\t': case QChar::LineSeparator: case QChar::ObjectReplacementCharacter:
        return true;
    }
    switch (QChar::direction(codePoint)) {
    case QChar::DirR: case QChar::DirAL: case QChar::DirAN:
    case QChar::DirLRE: case QChar::DirLRO: case QChar::DirRLE: case QChar::DirRLO: case QChar::DirPDF:
    case QChar::DirLRI: case QChar::DirRLI: case QChar::DirFSI: case QChar::DirPDI:
        return true;
    default:
        return false;
    }
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

LineWalk::LineWalk(CharWidths &widths, const QString &text)
    : widths(widths), text(text), runScript(QChar::Script_Common)
{
}

qreal LineWalk::step()
{
    int length;
    const uint current = codePointAt(text, next, &length);
    const int script = QChar::script(current);
    // A run takes the script of its first letter; punctuation, digits and
    // the like go with the run they stand in.
    if (script > QChar::Script_Common && runScript <= QChar::Script_Common)
        runScript = script;
    next += length;
    runLength += length;

    qreal advance = widths.width(current);
    if (atEnd())
        return advance;
    const uint following = codePointAt(text, next, &length);
    const int followingScript = QChar::script(following);
    const bool newRun = runLength >= longestRun
        || (followingScript > QChar::Script_Common && runScript > QChar::Script_Common
            && followingScript != runScript && !isMark(following));
    if (newRun) {
        runLength = 0;
        runScript = QChar::Script_Common;
    } else {
        advance += widths.kerning(current, following);
    }
    return advance;
}

bool walkable(const QString &text)
{
    for (int i = 0, length; i < text.size(); i += length) {
        if (breaksTheWalk(codePointAt(text, i, &length)))
            return false;
    }
    return true;
}
