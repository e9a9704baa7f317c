#ifndef CHARWIDTHS_H
#define CHARWIDTHS_H

#include <QFont>
#include <QHash>
#include <QString>

// Widths of single characters in one font, remembered, so that the width of
// a run of text is a sum instead of a layout. A surrogate pair counts as one
// character. The sum ignores kerning, so it is for deciding what to lay out,
// not for placing glyphs.
class CharWidths
{
public:
    explicit CharWidths(const QFont &font = QFont()) : font(font) {}

    const QFont &forFont() const { return font; }

    // The width of the character at i; length becomes its length in code units.
    qreal at(const QString &text, int i, int *length);
    qreal of(const QString &text);

private:
    QFont font;
    QHash<uint, qreal> widths;
};

#endif // CHARWIDTHS_H
