#ifndef ANSWERAREA_H
#define ANSWERAREA_H

// A strip in the answer label's place that holds the label and scrolls it
// sideways, so that an answer of any length can be read whole: the positions
// of the occurrences come last. A short answer shows as the bare label would.
//
// The label keeps the answer's text, for whoever reads the label, and stands
// where the text stands. A rich-text label lays its whole line out several
// times over when its text changes and draws all of it at every repaint, so
// the strip draws a rich answer itself: it lays the text out once, as the
// label would, with the pieces of a line with emoji and segments of the
// text, laid out ahead, standing in as objects, and draws only the part in
// view.

#include "display.h"
#include "glyphpieces.h"

#include <QAbstractScrollArea>
#include <QBrush>
#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QPen>
#include <QVector>

#include <memory>

QT_BEGIN_NAMESPACE
class QLabel;
class QPainter;
class QStyleOption;
class QTextBlock;
class QTextDocument;
class QTextLine;
QT_END_NAMESPACE

class AnswerSegments;
class ClusterStandIns;

class AnswerArea : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // Takes the label's place among its parent's children.
    explicit AnswerArea(QLabel *label);
    ~AnswerArea() override;

    // Gives the label the answer's markup and shows the answer, laid out
    // from its runs of one colour, which is quicker than reading the markup
    // and looks the same.
    void setAnswer(const Answer &answer);
    // Shows no answer.
    void clear();

    // The text whose answers come next, to be laid out ahead in that many
    // equal parts, one at each call of layOutAhead, while it is built, each
    // before the deadline.
    void prepareFor(const QString &text);
    void layOutAhead(int parts, const QDeadlineTimer &deadline);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void layOut();
    void loadFontsAhead();
    std::unique_ptr<QTextDocument> documentFor(const QString &letters, const QVector<bool> &red,
                                               const QString &positions) const;
    void placeLabel();
    void drawFocusFrame();
    void cutIntoChunks();
    int chunkCount(const QTextBlock &block, const QList<QGlyphRun> &runs) const;
    bool drawsText() const { return shown != nullptr; }

    struct GlyphChunk
    {
        GlyphPiece glyphs;
        QBrush colour; // none: the label's text colour
        qreal left;    // how far the glyphs may reach, from the line's start
        qreal right;
        // Without glyphs, the colour cluster drawn where a stand-in stands.
        QString cluster;
        // Where the glyphs' places count from: the line's start for its own
        // glyphs, a stand-in's left on the baseline for a segment's, and for
        // a cluster where its baseline starts.
        QPointF origin;
        // For the glyphs of a plain segment, the code unit of the line that
        // each glyph of the piece's run stands for, a letter of the answer
        // after its heading, whose colour it shows; else none.
        QVector<int> letters;
    };
    void drawInLetterColours(QPainter &painter, const QPointF &origin, const GlyphChunk &chunk,
                             const QStyleOption &option) const;
    void sortChunks();
    void addGlyphChunks(const QGlyphRun &run, const QBrush &colour, qreal reach);
    void addClusterChunk(const QTextLine &line, const QString &cluster, qreal x, const QBrush &colour);
    QPen penFor(const QBrush &colour, const QStyleOption &option) const;

    QLabel *label;
    Answer answer; // what the label's text lays out as
    // That answer laid out as the label lays it out; none when the label draws.
    std::unique_ptr<QTextDocument> shown;
    QVector<GlyphChunk> chunks;
    // The glyphs of a chunk that has none: a run that Qt makes anew for
    // each would cost an allocation for each of thousands of colour clusters.
    const GlyphPiece noGlyphs;
    ClusterStandIns *standIns;
    AnswerSegments *segments;
    int textWidth = 0;
};

#endif // ANSWERAREA_H
