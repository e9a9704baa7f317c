#ifndef LINEWALK_H
#define LINEWALK_H

#include "charwidths.h"

#include <QString>

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
// neighbours that show no interaction laid out alone, neither kerning nor
// making a ligature of Latin letters, show none within a line either.
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
        // The last letter of a script of its own walked, if any, or a mark
        // of a script where no letter came before it: Qt shapes digits,
        // blanks, punctuation and marks in the script of the letters before
        // them, or, at the start of the line, of the letters or marks after
        // them.
        uint lastLetter = 0;
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
    // Where characters of no script that begin that island, shaped with the
    // letters of another script before it, end; -1 if none do.
    int islandApart() const { return apart; }
    // The letter whose script characters of no script of their own take
    // where the walk stands: the last letter walked, or, if none, the text's
    // first letter or mark of a script; 0 if the text has none.
    uint scriptContext();

private:
    qreal stepOverLeftToRight();
    uint lastLetterIn(int from, int end) const;
    int leadingApart(int from, int end) const;
    bool goesRightToLeft(int i) const;
    int islandEnd() const;

    CharWidths &widths;
    QString text;
    Place place;
    int offset; // of the text in the whole text that the widths walk, or -1 if no suffix of it
    bool tab = false;
    bool island = false;
    int apart = -1;
    int firstLetter = -1; // of the text with a script of its own, once looked for; 0 for none
};

#endif // LINEWALK_H
