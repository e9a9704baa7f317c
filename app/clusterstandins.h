#ifndef CLUSTERSTANDINS_H
#define CLUSTERSTANDINS_H

// Qt decodes the glyph of a colour font (an emoji) anew every time it lays
// one out or measures it, so a line with thousands of emoji takes seconds to
// lay out. In a document, a run of the pieces of a line with colour clusters,
// the pieces a line walk steps over, joined where they form a ligature, which
// changes the glyphs of its letters but not their width, can stand in as one
// object as wide as the run: the line lays out at once, and whoever draws it
// draws the pieces, each laid out once, where the object stands. The objects
// are of no height: the first occurrence of the pieces that reach highest,
// lowest and with the most leading stays, so that the line is as high as the
// pieces make it.
//
// An object ends the item of text before it, as a run of another font ends
// the run shaped before it, but the bidirectional algorithm takes it for a
// neutral whatever it stands for: only a line without a right-to-left
// letter, where everything runs left to right, has stand-ins.

#include "charwidths.h"
#include "linewalk.h"

#include <QBrush>
#include <QDeadlineTimer>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSizeF>
#include <QStringList>
#include <QTextObjectInterface>
#include <QVector>

QT_BEGIN_NAMESPACE
class QFont;
class QTextLine;
QT_END_NAMESPACE

class ClusterStandIns : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;

    // The object type of the stand-ins, for a document's layout to hand them to this handler.
    static const int objectType = QTextFormat::UserObject + 1;

    // Replaces runs of pieces in the document's one line with stand-ins,
    // before the document is laid out, and forgets those of any document
    // before.
    void standIn(QTextDocument *document, const QFont &font);

    // The letters of the lines to come, in their font, to be measured ahead
    // in that many equal parts, one at each call of measureAhead: the lines
    // then find their pieces measured.
    void prepare(const QString &letters, const QFont &font);
    void measureAhead(int parts, const QDeadlineTimer &deadline);
    // The pieces measured ahead whose lines reach highest, lowest and with the
    // most leading: those a line keeps as letters.
    QString tallestAhead() const;

    // A stand-in's clusters, each with where it starts from the stand-in's left.
    struct Cluster
    {
        QString text;
        qreal x;
    };
    const QVector<Cluster> &clustersOf(const QTextFormat &format) const;

    // A piece laid out once in the font of the last line: its glyphs in the
    // order a line draws them, and how far its line reaches.
    struct KeptCluster
    {
        QList<QGlyphRun> glyphs;
        qreal ascent;
        qreal descent;
        qreal leading;
    };
    const KeptCluster &kept(const QString &cluster);

    // Where each stand-in starts, by its position in the document, as the
    // last drawing of its line found.
    const QHash<int, qreal> &places() const { return placed; }

    QSizeF intrinsicSize(QTextDocument *, int, const QTextFormat &format) override;
    void drawObject(QPainter *, const QRectF &rect, QTextDocument *, int position,
                    const QTextFormat &) override;

private:
    struct Run
    {
        int start;
        int end;
        QTextCharFormat format;
    };
    QVector<Run> runsIn(const QTextDocument *document, const QFont &font);
    int runNumber(const QTextFormat &format) const;
    void useFont(const QFont &font);
    struct Ligature
    {
        bool joins;
        qreal advance; // of the two laid out together
    };
    const Ligature *ligature(const QString &first, const QString &second);
    bool showsAloneAsAfter(const QString &piece, uint letter);

    // Of the pieces met, those whose lines reach highest, lowest and with
    // the most leading.
    struct Tallest
    {
        QString highest;
        QString lowest;
        QString mostLeading;
        qreal ascent = -1;
        qreal descent = -1;
        qreal leading = -1;
        void meet(const QString &piece, const KeptCluster &laidOut);
    };

    CharWidths widths; // in the font of the last line, for the next ones
    QString ahead;     // the letters to measure, as far as they are not yet
    LineWalk::Place aheadTo;
    Tallest tallest; // of the letters measured ahead
    QVector<QVector<Cluster>> runs;
    QVector<qreal> runWidths;
    QHash<int, qreal> placed; // filled while a line is drawn
    QHash<QString, KeptCluster> keptClusters;
    QHash<QString, Ligature> ligatures; // by both pieces, with U+FFFC between
};

// Draws the line through a device that renders nothing: the handlers of its
// objects learn where they stand, and no glyph is rendered. Returns the
// colour of each piece of letters it drew, in one font each, in the order it
// drew them, which is the order of the line's glyph runs; none where a
// piece has no colour of its own.
QVector<QBrush> drawNowhere(const QTextLine &line);

#endif // CLUSTERSTANDINS_H
