#ifndef CHARACTERS_H
#define CHARACTERS_H

// What the widths and the walks of a line need to know of its characters:
// where one ends, and how the bidirectional algorithm sees it.

#include <QString>

inline QString &appendCodePoint(QString &text, uint codePoint)
{
    if (QChar::requiresSurrogates(codePoint))
        return text.append(QChar(QChar::highSurrogate(codePoint)))
            .append(QChar(QChar::lowSurrogate(codePoint)));
    return text.append(QChar(codePoint));
}

// The character at i, and in length how many code units it takes.
inline uint codePointAt(const QString &text, int i, int *length)
{
    if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
    }
    *length = 1;
    return text.at(i).unicode();
}

// The character that ends at i, and in length how many code units it takes.
inline uint codePointBefore(const QString &text, int i, int *length)
{
    if (text.at(i - 1).isLowSurrogate() && i >= 2 && text.at(i - 2).isHighSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(text.at(i - 2), text.at(i - 1));
    }
    *length = 1;
    return text.at(i - 1).unicode();
}

inline bool isMark(uint codePoint)
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

inline bool isLetter(uint codePoint)
{
    switch (QChar::category(codePoint)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
        return true;
    default:
        return false;
    }
}

// Whether the character gives the characters of no script after it its
// script in a line: a letter of a script. Qt gives a mark the script of
// the letter before it, unless no letter precedes it (takesOverScript).
inline bool givesItsScript(uint codePoint)
{
    return QChar::script(codePoint) > QChar::Script_Common && !isMark(codePoint);
}

inline bool isExplicitDirection(uint codePoint)
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
inline bool startsIsland(uint codePoint)
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

// Whether anything in the text may run right to left.
inline bool mayReorder(const QString &text)
{
    for (int i = 0, length; i < text.size(); i += length) {
        if (startsIsland(codePointAt(text, i, &length)))
            return true;
    }
    return false;
}

inline bool isRegionalIndicator(uint codePoint)
{
    return codePoint >= 0x1F1E6 && codePoint <= 0x1F1FF;
}

inline bool isRightToLeftLetter(uint codePoint)
{
    return QChar::direction(codePoint) == QChar::DirR || QChar::direction(codePoint) == QChar::DirAL;
}

// What the bidirectional algorithm places by its neighbours: blanks and punctuation.
inline bool isNeutral(uint codePoint)
{
    switch (QChar::direction(codePoint)) {
    case QChar::DirWS:
    case QChar::DirON:
    case QChar::DirCS:
    case QChar::DirES:
    case QChar::DirET:
    case QChar::DirBN:
    case QChar::DirS:
    case QChar::DirB:
        return true;
    default:
        return false;
    }
}

// Whether the cluster [from, to) is likely drawn from a colour font: an
// emoji, a flag, a symbol, a keycap, a sequence of them joined or asked to
// show as emoji. A guess either way costs time only, never a pixel.
inline bool isColourCluster(const QString &text, int from, int to)
{
    for (int i = from, length; i < to; i += length) {
        const uint c = codePointAt(text, i, &length);
        if ((c >= 0x1F000 && c < 0x1FB00) || (c >= 0x2600 && c < 0x27C0) || c == 0xFE0F || c == 0x200D
            || c == 0x20E3)
            return true;
    }
    return false;
}

#endif // CHARACTERS_H
