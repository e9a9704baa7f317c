#ifndef ANSWERSEGMENTS_H
#define ANSWERSEGMENTS_H

// The answer shows the whole text, and Qt shapes a line of tens of thousands
// of letters of a script with rules (CJK, Devanagari, Thai) in more than a
// frame, although a search changes the colour of a few letters only. So the
// answer's letters are laid out ahead, while the suffix array is built, in
// segments. A segment begins where Qt's line begins a new item whatever
// stands around it: at a left-to-right letter whose script differs from the
// script of the left-to-right letter before it, where nothing is shaped
// across, nor reordered, nor does either side take its script from the
// other. In a line that runs left to right throughout, a segment may also
// begin at a letter that shapes apart from the letters before it, as a few
// dozen letters laid out cut there show, and after a tab: there Qt's line
// starts an item on a tab stop, so that a segment that starts there has
// its tabs as wide as the line has them. So may a word after a word where
// the letters run right to left only (Arabic, Hebrew, with numbers): such a
// segment is laid out right to left, and its object, between right-to-left
// letters, runs right to left with them, in their place. But Qt's line
// splits an item that goes on every 4096 code units from its start, which
// the occurrences and the changes of direction move, so such a segment
// stands in only where no split falls within it, and the letters left are
// split where Qt's line splits them.
// When the answer comes, each segment in one colour stands in for its letters
// as one object as wide as they are, and is drawn from the glyphs it kept.
// So does a plain segment in any colours: one whose letters each show one
// glyph, their own, or the form they take among the letters they join, or a
// ligature with others, which no cut between them changes, nor moves, but
// within a ligature or between two letters that join or kern, where the
// colour must not change, nor Qt's line split an item. Its glyphs are drawn
// each in its letter's colour. The positions of the occurrences that end
// the line, which can be longer than the text, stand in but for their first
// few characters, when the digits and punctuation they are written in each
// show their own glyph too.
//
// The objects have no height: the segment that reaches highest, the one that
// reaches lowest and the one with the most leading stay letters, so that the
// line is as high as the letters make it.

#include "glyphpieces.h"

#include <QDeadlineTimer>
#include <QFont>
#include <QHash>
#include <QObject>
#include <QSizeF>
#include <QTextObjectInterface>
#include <QVector>

QT_BEGIN_NAMESPACE
class QTextBlock;
class QTextDocument;
QT_END_NAMESPACE

class AnswerSegments : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;

    // The object type of the stand-ins, for a document's layout to hand them to this handler.
    static const int objectType = QTextFormat::UserObject + 2;

    // The line that the answers' letters will stand in, and where they start
    // in it, in the font: what was laid out before is forgotten. A text with
    // colour clusters, which other stand-ins handle, or with explicit
    // directions, which reach across any place, has no segments.
    void prepare(const QString &line, int lettersFrom, const QFont &font);
    // Lays out one of that many equal parts of what is left, or what it can
    // before the deadline, with the segment it is in.
    void layOutAhead(int parts, const QDeadlineTimer &deadline);
    // The segments laid out that reach highest, lowest and with the most
    // leading: those a line keeps as letters.
    QString tallestAhead() const;

    // Which letters of the answer, red where red says, a document of it
    // shows in red: each plain segment that will stand in, in the colour of
    // its first letter throughout. The stand-in draws each letter in its
    // colour, and a document of fewer colours is quicker to make.
    QVector<bool> redInDocument(const QString &letters, const QVector<bool> &red, const QFont &font);
    // Replaces the segments that stand in one colour in the document's one
    // line with stand-ins, before the document is laid out, if the line's
    // letters and the font are those prepared; plain ones too, which the
    // document shows in one colour. Red says which letters the answer
    // shows in red, each colour splitting Qt's items.
    void standIn(QTextDocument *document, const QFont &font, const QVector<bool> &red);

    // A stand-in's glyphs, in pieces of a few dozen, placed from the
    // stand-in's left on its baseline; a plain segment's with the code unit
    // of the line that each glyph of the piece's run stands for, the first
    // of a ligature's.
    struct Glyphs
    {
        GlyphPiece piece;
        QVector<int> units;
    };
    const QVector<Glyphs> &glyphsOf(const QTextFormat &format) const;

    // Where each stand-in starts, by its position in the document, as the
    // last drawing of its line found.
    const QHash<int, qreal> &places() const { return placed; }

    QSizeF intrinsicSize(QTextDocument *, int, const QTextFormat &format) override;
    void drawObject(QPainter *, const QRectF &rect, QTextDocument *, int position,
                    const QTextFormat &) override;

private:
    struct Segment
    {
        int start = 0; // in the line
        int end = 0;
        qreal advance = 0;
        qreal ascent = 0;
        qreal descent = 0;
        qreal leading = 0;
        QVector<Glyphs> glyphs;
        bool softStart = false; // where Qt's line goes on with the item before
        bool plain = false;
        // Of a plain one, the letters that a cut before would move or change:
        // those that kern with the one before, or share a ligature with it.
        QVector<int> tied{};
    };
    // Where a segment can start, and how.
    struct Place
    {
        int at = -1;
        bool soft = false; // Qt's line goes on there with the item before
        // After a tab, for a character that takes the script of the letters
        // before it: the letter that gives that script; else -1.
        int scriptFrom = -1;
    };
    void layOutUpTo(int end, const QDeadlineTimer &deadline = QDeadlineTimer(QDeadlineTimer::Forever));
    Segment laidOut(const Place &start, int end) const;
    Place nextPlace(int softFrom);
    bool mayHoldTabs(const Place &start) const;
    bool cutsApart(int i) const;
    Qt::LayoutDirection directionAt(int i) const;
    QVector<int> itemSplits(const QVector<bool> &red) const;
    bool standsInAnyColours(int segment, const QVector<int> &witnesses, const QVector<bool> &red,
                            const QVector<int> &splits) const;
    bool prepared(const QString &letters, const QFont &textFont) const;
    void addSegment(const Place &start, int end);
    QVector<int> heightWitnesses() const;
    const Segment *segmentFor(const QTextFormat &format) const;
    void learnPositionGlyphs();
    bool positionsStandIn(const QString &positions);

    QString line;
    QFont font;
    qreal headingAscent = 0;
    qreal headingDescent = 0;
    qreal headingLeading = 0;
    bool mayReorder = false;
    bool rightToLeftOnly = false; // after the heading
    // The last code unit whose direction has Qt run the bidirectional
    // algorithm over the line: it never stands in, so that the stand-ins'
    // line runs it too.
    int bidiTrigger = -1;
    QVector<int> levelChanges; // where Qt's line starts an item for a new direction
    int lettersFrom = 0;
    // Where the search for places stands, and what it found before there:
    // the script and the direction of the letters, the closing brackets awaited.
    int scanned = 0;
    int scriptBefore = QChar::Script_Common;
    int scriptLetter = -1; // the letter that gave it
    // Whether a letter of the text gave another script than the heading's.
    bool scriptChanged = false;
    QChar::Direction directionBefore = QChar::DirON;
    QVector<uint> openBrackets;
    QVector<int> scriptChanges; // before scanned, where Qt's line starts an item for a new script
    Place segmentStart;         // where the next segment starts, if found
    int softTries = 0;          // letters tried since the last place
    int lastPlace = -1;
    int lastTab = -1;
    QVector<Segment> segments;
    // The glyphs of the characters the positions are written in, by their
    // code, and their advances; none if they do not each show their own.
    QVector<quint32> positionGlyphs;
    QVector<qreal> positionAdvances;
    QGlyphRun positionRun;    // in their font
    Segment positionsSegment; // of the answer laid out last
    QHash<int, qreal> placed; // filled while a line is drawn
};

#endif // ANSWERSEGMENTS_H
