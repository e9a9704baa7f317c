#ifndef CHARWIDTHS_H
#define CHARWIDTHS_H

#include <QFont>
#include <QHash>
#include <QString>

// Widths of characters in one font, remembered, so that the width of a run of
// text is a sum instead of a layout. A character's width is taken as it
// follows the character before it, so that kerning and ligatures between
// neighbours count as a layout counts them; a surrogate pair is one character.
class CharWidths
{
public:
    explicit CharWidths(const QFont &font = QFont()) : font(font) {}

    const QFont &forFont() const { return font; }

    // The width of the character at i after the one whose code point is
    // previous (0 at the start of a run); moves i past it and makes it previous.
    qreal next(const QString &text, int &i, uint &previous);

    qreal of(const QString &text);

private:
    qreal single(uint codePoint);

    QFont font;
    QHash<uint, qreal> singles;
    QHash<quint64, qreal> pairs; // what a pair adds to, or takes from, its two widths
};

// The width of text laid out on one line in font.
qreal textAdvance(const QFont &font, const QString &text);

#endif // CHARWIDTHS_H
