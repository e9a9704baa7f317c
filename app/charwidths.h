#ifndef CHARWIDTHS_H
#define CHARWIDTHS_H

#include <QFont>
#include <QHash>
#include <QPair>
#include <QString>
#include <QVector>

#include <algorithm>

// Widths of characters, of the pieces of text Qt shapes as a whole, and of
// tabs in one font, remembered, so that where a character of a long text
// lands on its line is a sum instead of a layout. A surrogate pair is one
// character.
class CharWidths
{
public:
    explicit CharWidths(const QFont &font = QFont())
        : drawnFont(font)
    {
    }

    // The font measured. A font carries the resolution of the device it was
    // made for, which decides its widths, yet no accessor reports it and two
    // fonts of different resolutions compare equal, so the key is the very
    // font object drawn with. A view hands its delegate one font object, its
    // own, shared by reference count, for every row it draws, so the widths
    // are measured anew only when the view's font changes.
    bool measures(const QFont &font) const { return drawnFont.isCopyOf(font); }

    qreal width(uint codePoint);
    // What laying out the two characters together adds to their two widths.
    qreal kerning(uint first, uint second);
    // The width of text[from, to), a piece as pieceWidth measures it.
    qreal stretchWidth(const QString &text, int from, int to);
    // Whether shaping joins the clusters [first, second) and [second, end)
    // of text: laid out together they differ from the sum of their widths.
    bool join(const QString &text, int first, int second, int end);
    // The width of a piece of a line that Qt shapes apart from its neighbours,
    // laid out left to right as a line of its own.
    qreal pieceWidth(const QString &piece);
    // The width of a tab that starts x pixels from the start of its line.
    qreal tabWidth(qreal x);

    // How far a line of text reaches above and below its baseline: as far
    // as the font of any of its characters reaches.
    struct LineExtent
    {
        qreal ascent = 0;
        qreal descent = 0;
    };
    LineExtent lineExtent(const QString &text);
    // The same for the whole text from `from` on.
    LineExtent suffixLineExtent(int from);

    // The text whose suffixes are walked; their right-to-left islands are
    // cut into segments once, in this text, for all of them.
    void walkSuffixesOf(const QString &text);
    const QString &wholeText() const { return whole; }

    // A piece of a right-to-left island as laid out: [start, start + length)
    // of the whole text, x pixels right of the island's left edge.
    struct IslandPiece
    {
        int start;
        int length;
        qreal x;
        bool trailing; // runs left to right after the island's core
    };
    // The width of the island of the whole text that runs from `from` to `end`.
    qreal islandWidth(int from, int end);
    // Where the shortest beginning of that island at least width wide ends, in
    // the order of its characters, among the places it can be cut.
    int islandPrefixEnd(int from, int end, qreal width);
    // The pieces of that island, left to right, that reach into [left, right]
    // of x from its left edge; blanks between its words are left out.
    QVector<IslandPiece> islandPieces(int from, int end, qreal left, qreal right);

private:
    // A right-to-left island of the whole text. Its core, up to its last
    // letter or digit, is cut where nothing joins, mirrors or reorders
    // across: at a blank between two right-to-left letters, into the blank
    // and what stands on either side. Laid out, the core shows its segments
    // in reverse order; what follows it, blanks and punctuation before a
    // left-to-right letter, comes after, left to right.
    struct Island
    {
        int coreEnd = 0;
        QVector<int> cuts;          // where each segment starts
        QVector<qreal> widthBefore; // of the core's segments before each, and last of the whole core
    };
    const Island &islandEndingAt(int end);
    qreal wholeWidth(int from, int to) { return pieceWidth(whole.mid(from, to - from)); }

    static quint64 packed(const QString &text, int from, int to);
    LineExtent charExtent(uint codePoint);

    QString whole;
    QHash<int, Island> islands; // by where they end
    QHash<uint, LineExtent> extents;
    // Widths of pieces and joins of clusters of up to three code units, by packed code units.
    QHash<quint64, qreal> shortWidths;
    QHash<QPair<quint64, quint64>, bool> joins;
    QVector<LineExtent> suffixExtents; // of the whole text, by position
    QFont drawnFont;
    QHash<uint, qreal> widths;
    QHash<quint64, qreal> kernings;
    QHash<QString, qreal> pieces;
    int cachedUnits = 0;
    qreal tabStop = 0;
};

// Walks a text from its start as Qt lays it out on one line, a piece at a
// time; each step gives the piece's advance, Qt's place for the next piece
// minus its place for this one. Qt shapes a line in items, split where the
// script, the direction or the kind of character changes and after 4096
// code units; shaping joins neighbours only within an item. A piece is
// - a run of grapheme clusters of one item that shaping joins: a cluster
//   (a letter with its marks, an emoji sequence, a flag) alone, or
//   neighbours that laid out together differ from the sum of their widths
//   (kerning, ligatures, conjuncts, which can chain over three clusters or
//   more, as "ffi" does in DejaVu Sans), measured whole by Qt;
// - a tab, as wide as the distance to the next tab stop;
// - a right-to-left island: from a right-to-left letter or an Arabic digit,
//   or, after a right-to-left letter, from European digits or from blanks
//   and punctuation before them, up to the next left-to-right letter or
//   tab. The bidirectional algorithm reorders characters within the island
//   only, so the island's width does not depend on where it stands; an
//   explicit embedding, override or isolate makes an island of the rest of
//   the text. In a suffix of the text that CharWidths walks, the island is
//   measured and drawn in pieces (CharWidths::islandPieces).
// Where one step ends, the text can be cut: laid out from there, the rest
// lands where it does in the whole line, tabs but counting from the start
// of their line. This rests on one premise, true of the fonts at hand: two
// neighbours that show no interaction laid out alone show none within a
// line either, apart from ligatures exactly as wide as their letters, where
// a cut changes the glyph but no place.
class LineWalk
{
public:
    // Where a walk stands between two steps, to go on from there later.
    struct Place
    {
        int next = 0;
        int runLength = 0;
        int runScript = QChar::Script_Common;
        // Whether the last letter with a direction ran right to left: then
        // European digits run right to left too, even after a tab.
        bool afterRightToLeft = false;
        qreal x = 0;
    };

    LineWalk(CharWidths &widths, const QString &text);
    // Goes on from where another walk of the same text stood.
    LineWalk(CharWidths &widths, const QString &text, const Place &from);

    bool atEnd() const { return place.next >= text.size(); }
    // The code unit where the next step starts.
    int position() const { return place.next; }
    // Where the next step starts, in pixels from the start of the line.
    qreal x() const { return place.x; }
    const Place &standing() const { return place; }
    qreal step();
    // Whether the last step went over a tab.
    bool wasTab() const { return tab; }
    // Whether the last step went over a right-to-left island, which a
    // suffix of the text that CharWidths walks lays out in pieces.
    bool wasIsland() const { return island; }

private:
    qreal stepOverLeftToRight();
    bool goesRightToLeft(int i) const;
    int islandEnd() const;

    CharWidths &widths;
    QString text;
    Place place;
    int offset; // of the text in the whole text that the widths walk, or -1 if no suffix of it
    bool tab = false;
    bool island = false;
};

// The width of text laid out on one line in font.
qreal textAdvance(const QFont &font, const QString &text);

#endif // CHARWIDTHS_H
