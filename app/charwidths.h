#ifndef CHARWIDTHS_H
#define CHARWIDTHS_H

#include <QFont>
#include <QHash>
#include <QString>

// Widths of characters and kerning between neighbours in one font,
// remembered, so that where a character of a long text lands on its line is
// a sum instead of a layout. A surrogate pair is one character.
class CharWidths
{
public:
    explicit CharWidths(const QFont &font = QFont()) : drawnFont(font) {}

    // The font measured: the very font object drawn with, since two fonts
    // that compare equal can still differ in resolution.
    bool measures(const QFont &font) const { return drawnFont.isCopyOf(font); }

    qreal width(uint codePoint);
    // What laying out the two characters together adds to their two widths.
    qreal kerning(uint first, uint second);

private:
    QFont drawnFont;
    QHash<uint, qreal> widths;
    QHash<quint64, qreal> kernings;
};

// Walks a text from its start as Qt lays it out on one line. Each step gives
// the advance of one character, Qt's place for the next character minus its
// place for this one: the character's width plus the kerning toward the next
// one, unless Qt shapes the two apart (a change of script, or a run of 4096
// code units full). Exact where shaping acts between neighbours only (Latin,
// Cyrillic, Greek, CJK and the like); texts that Qt reorders or that hold
// tabs, whose width depends on where they stand, must not be walked.
class LineWalk
{
public:
    LineWalk(CharWidths &widths, const QString &text);

    bool atEnd() const { return next >= text.size(); }
    // The code unit where the next step starts.
    int position() const { return next; }
    qreal step();

private:
    CharWidths &widths;
    const QString &text;
    int next = 0;
    int runLength = 0;
    int runScript;
};

// True when LineWalk gives Qt's places for the characters of text.
bool walkable(const QString &text);

// The width of text laid out on one line in font.
qreal textAdvance(const QFont &font, const QString &text);

#endif // CHARWIDTHS_H
