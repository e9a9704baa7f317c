#include "glyphpieces.h"

#include <algorithm>

QGlyphRun GlyphPiece::glyphs(int from, int end) const
{
    if (end < 0)
        end = count;
    const QVector<quint32> indexes = run.glyphIndexes();
    if (first + from == 0 && end - from == indexes.size())
        return run; // a short run is a piece of its own
    QGlyphRun piece = run;
    piece.setGlyphIndexes(indexes.mid(first + from, end - from));
    piece.setPositions(run.positions().mid(first + from, end - from));
    return piece;
}

int pieceCount(const QGlyphRun &run)
{
    return (run.glyphIndexes().size() + glyphsPerPiece - 1) / glyphsPerPiece;
}

QVector<GlyphPiece> piecesOf(const QGlyphRun &run)
{
    const QVector<QPointF> positions = run.positions();
    QVector<GlyphPiece> pieces;
    pieces.reserve(pieceCount(run));
    for (int first = 0; first < positions.size(); first += glyphsPerPiece) {
        const int count = qMin(glyphsPerPiece, int(positions.size()) - first);
        const auto [leftmost, rightmost] =
            std::minmax_element(positions.cbegin() + first, positions.cbegin() + first + count,
                                [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); });
        pieces.append({run, first, count, leftmost->x(), rightmost->x()});
    }
    return pieces;
}
