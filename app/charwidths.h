#ifndef CHARWIDTHS_H
#define CHARWIDTHS_H

#include <QDeadlineTimer>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPair>
#include <QRawFont>
#include <QString>
#include <QVector>

#include <tuple>

// Widths of characters, of the pieces of text Qt shapes as a whole, and of
// tabs in one font, remembered, so that where a character of a long text
// lands on its line is a sum instead of a layout. A surrogate pair is one
// character.
class CharWidths
{
public:
    // Widths for estimates only take no pair of characters to interact, and
    // lay out no pair to find out, and take a right-to-left island to be as wide
    // as its characters: an emoji's image is decoded for each layout, and an
    // island as long as the text has thousands of pieces to lay out.
    enum Accuracy { Exact, Estimate };

    explicit CharWidths(const QFont &font = QFont(), Accuracy accuracy = Exact)
        : drawnFont(font)
        , exact(accuracy == Exact)
    {
    }

    // The font measured. A font carries the resolution of the device it was
    // made for, which decides its widths, yet no accessor reports it and two
    // fonts of different resolutions compare equal, so the key is the very
    // font object drawn with. A view hands its delegate one font object, its
    // own, shared by reference count, for every row it draws, so the widths
    // are measured anew only when the view's font changes.
    bool measures(const QFont &font) const { return drawnFont.isCopyOf(font); }
    const QFont &font() const { return drawnFont; }

    qreal width(uint codePoint);
    // Whether the two characters laid out together differ from the two laid
    // out apart: they kern, or make a ligature of Latin letters. Two
    // characters of no script of their own, as digits are, are laid out
    // after a letter of the script they take from the line, as the context.
    bool interact(uint first, uint second, uint context = 0);
    // The width of text[from, to), a piece as pieceWidth measures it.
    qreal stretchWidth(const QString &text, int from, int to);
    // Whether shaping joins the clusters [first, second) and [second, end)
    // of text: laid out together they differ from the sum of their widths;
    // context is a letter whose script characters of none take there.
    bool join(const QString &text, int first, int second, int end, uint context = 0);
    // The first letter of the cluster text[from, to) composed with its marks.
    uint composedLetter(const QString &text, int from, int to);
    // The width of a piece of a line that Qt shapes apart from its neighbours,
    // laid out left to right as a line of its own.
    qreal pieceWidth(const QString &piece);
    // The width of a piece that starts with a character of no script of its
    // own and holds a mark of a script, or a character this font lacks: in
    // a line, they take the script of the letter before them, as Qt's items
    // give a mark its base's, and they are measured after that letter
    // (contextFor).
    qreal pieceWidthAfter(const QString &piece, uint letter);
    // Whether a character of text[from, to) is missing from the font itself:
    // Qt takes it from another font, which it picks by the script of the
    // letters around it, so that a character of no script of its own, as
    // an arrow or a star is, can show in another font after letters of
    // another script. A font whose family Qt does not have, as a name that
    // stands for another family, has none of its own: Qt picks the font of
    // every character by its script. Estimates take none to fall back.
    bool fallsBack(const QString &text, int from, int to);
    // Whether a piece of characters of no script of their own, laid out
    // alone, on one line from the left, into the glyph runs `alone` on a
    // baseline aloneAscent low, shows as in a line after the letter, in the
    // script it takes from the letter: where Qt takes some of them from
    // another font than this one, it picks the font by that script.
    bool showsAloneAsAfter(const QString &piece, uint letter, const QList<QGlyphRun> &alone,
                           qreal aloneAscent);
    // What a piece is laid out after to take the letter's script: the
    // letter and a blank, or a tab where the piece would join a blank, as
    // an emoji modifier or a mark does.
    static QString contextFor(const QString &piece, uint letter);
    // The width of a tab that starts x pixels from the start of its line.
    qreal tabWidth(qreal x);

    // How far a line of text reaches above and below its baseline: as far
    // as the font of any of its characters reaches. A character of no script
    // of its own that the font lacks comes from the font of the script it
    // takes in the line: that of the letter before it, or at the line's
    // start of the letter after it.
    struct LineExtent
    {
        qreal ascent = 0;
        qreal descent = 0;
    };
    LineExtent lineExtent(const QString &text);
    // The same for the whole text from `from` on.
    LineExtent suffixLineExtent(int from);
    // Measures the characters of the whole text before end, ahead of the
    // first suffixLineExtent, which needs all of them: a text in a script of
    // thousands of letters has thousands to measure.
    void measureExtentsUpTo(int end,
                            const QDeadlineTimer &deadline = QDeadlineTimer(QDeadlineTimer::Forever));

    // Measures the words of the whole text's right-to-left islands from
    // where it stood on, within the deadline: a walk measures an island's
    // words all at once when it first meets the island, which can be as
    // long as the text.
    void measureIslandWordsAhead(const QDeadlineTimer &deadline);

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
        // The letter whose script the piece takes from the core, when the
        // font lacks a character of it; else 0.
        uint context = 0;
    };
    // The width of the island of the whole text that runs from `from` to `end`.
    // Characters of no script that begin it up to apart, when letters of
    // another script stand before it in the line, are shaped with those
    // letters, in an item of their own, and so measured and drawn apart.
    qreal islandWidth(int from, int end, int apart = -1);
    // Where the shortest beginning of that island at least width wide ends, in
    // the order of its characters, among the places it can be cut.
    int islandPrefixEnd(int from, int end, qreal width);
    // The pieces of that island, left to right, that reach into [left, right]
    // of x from its left edge; blanks between its words are left out.
    QVector<IslandPiece> islandPieces(int from, int end, qreal left, qreal right, int apart = -1);
    // The places within that island from `from` on where its core is cut,
    // each apart from what precedes it in shaping.
    QVector<int> islandCuts(int from, int end);

private:
    // Glyphs, each with its font and its place from a start on the baseline.
    using PlacedGlyphs = QVector<std::tuple<QString, quint32, QPointF>>;
    static PlacedGlyphs placed(const QList<QGlyphRun> &runs, QPointF start);
    // A piece laid out after a letter (contextFor): its width and its glyphs.
    struct AfterLetter
    {
        qreal width;
        PlacedGlyphs glyphs;
    };
    const AfterLetter &laidOutAfter(const QString &piece, uint letter);
    bool interactAfter(uint letter, uint first, uint second);
    // The width of an island's first piece [from, end), apart as islandWidth takes it.
    qreal firstPieceWidth(int from, int end, int apart);
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
        uint trailingContext = 0; // the letter whose script what trails the core takes, if the font lacks it
        qreal trailingWidth = 0;
    };
    const Island &islandEndingAt(int end);
    qreal segmentWidth(int from, int to);
    qreal wholeWidth(int from, int to) { return pieceWidth(whole.mid(from, to - from)); }
    const QVector<qreal> &estimates();

    static quint64 packed(const QString &text, int from, int to);
    LineExtent charExtent(uint codePoint);
    LineExtent extentAfter(uint codePoint, uint letter);
    bool lacks(uint codePoint);

    QString whole;
    QHash<int, Island> islands; // by where they end
    QHash<uint, LineExtent> extents;
    QHash<QPair<int, uint>, LineExtent> extentsInScripts;
    // Widths of pieces and joins of clusters of up to three code units, by packed code units.
    QHash<quint64, qreal> shortWidths;
    QHash<QPair<quint64, quint64>, bool> joins;
    QVector<LineExtent> suffixExtents; // of the whole text, by position
    int extentsMeasured = 0;           // of the whole text's characters, from the start
    uint extentsLetter = 0;            // the last letter before extentsMeasured
    int islandWordsMeasured = 0;       // of the whole text, from the start
    QFont drawnFont;
    bool exact = true;
    bool ownFontLooked = false;
    QVector<qreal> estimatedBefore; // the widths of the whole text's characters before each place
    QHash<uint, qreal> widths;
    QHash<quint64, bool> interactions;
    QHash<QPair<int, quint64>, bool> interactionsInScripts;
    QHash<QPair<int, QString>, AfterLetter> piecesInScripts;
    QHash<QString, qreal> pieces;
    QHash<QString, uint> composedLetters;
    QHash<uint, bool> missing; // from the font itself, by code point
    QRawFont ownFont;          // if its family is one Qt has
    int cachedUnits = 0;
    qreal tabStop = 0;
};

// The width of text laid out on one line in font.
qreal textAdvance(const QFont &font, const QString &text);

#endif // CHARWIDTHS_H
