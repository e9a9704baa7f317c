#ifndef GLYPHPIECES_H
#define GLYPHPIECES_H

// A long run of glyphs is drawn a few dozen glyphs at a time, only those in
// view. A piece names its glyphs within the run, which all its pieces share,
// and makes a run of its own only when it is drawn: cutting a run of tens of
// thousands of glyphs into runs of their own would copy every glyph and its
// place once more, each time the answer is laid out.

#include <QGlyphRun>
#include <QVector>

struct GlyphPiece
{
    QGlyphRun run; // the whole run
    int first = 0;
    int count = 0;
    // Where the origins of its leftmost and its rightmost glyph stand.
    qreal left = 0;
    qreal right = 0;

    // The piece's glyphs from `from` up to `end` (its end, by default), as
    // a run of their own to draw.
    QGlyphRun glyphs(int from = 0, int end = -1) const;
};

// Glyphs in one piece, which a repaint draws or passes over whole.
const int glyphsPerPiece = 32;

// How many pieces piecesOf cuts the run into.
int pieceCount(const QGlyphRun &run);

// The run in pieces of glyphsPerPiece glyphs, the last one of what is left,
// in the run's order.
QVector<GlyphPiece> piecesOf(const QGlyphRun &run);

#endif // GLYPHPIECES_H
