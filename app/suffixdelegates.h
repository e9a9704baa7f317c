#ifndef SUFFIXDELEGATES_H
#define SUFFIXDELEGATES_H

// The table and the list show suffixes of the text, each as long as the rest
// of the text. Laying out such a string costs time in its length, and Qt's
// standard delegate lays out the whole string to measure or to draw a cell
// that shows a few dozen characters of it: for a long text every repaint, and
// every re-layout of the list, cost time quadratic in the text. These
// delegates lay out only what a cell can show; what is drawn is unchanged.

#include "linewalk.h"

#include <QCache>
#include <QDeadlineTimer>
#include <QHash>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QVector>

// A piece of a row laid out once as the style lays out an item's text, to
// be drawn again as the style draws it: the style lays an item's text out
// three times over to draw it, shaping marks stacked high over letters
// takes long, and Qt decodes the image of a colour font's glyph, an emoji,
// every time it lays one out.
struct KeptPiece
{
    QTextLayout layout;
    qreal width = 0;  // of the text, as the style measures it
    qreal height = 0; // of its line, in whole pixels
};

// A cell's text laid out once as the style lays out an item's text, wrapped
// and elided, with its glyphs, and where the style puts it in the cell.
struct KeptCell
{
    QTextLayout layout;
    QPointF place;              // from the cell's top left
    QString from;               // the beginning of the suffix it was laid out from
    bool followed = false;      // by lines past those that decide what shows
    bool lastOverflows = false; // the last line is wider than the cell, and elided
};

// Shows a suffix on one line, as the text field shows the text: where Qt's
// standard delegate breaks the line at a line feed, it shows a blank.
class SuffixDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit SuffixDelegate(QObject *parent = nullptr, CharWidths::Accuracy accuracy = CharWidths::Exact)
        : QStyledItemDelegate(parent)
        , accuracy(accuracy)
    {
    }

    QString displayText(const QVariant &value, const QLocale &locale) const override;

    // The text whose suffixes the view shows.
    virtual void setWholeText(const QString &text);

protected:
    // A row whose background the window fixes gets text that reads on it.
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

    // The widths of characters in the font, for walking the suffixes of the
    // whole text as shown; renewed tells whether they were measured afresh.
    CharWidths &widthsFor(const QFont &font, bool *renewed = nullptr) const;
    const QString &wholeText() const { return whole; }

private:
    QString whole;
    CharWidths::Accuracy accuracy;
    mutable CharWidths charWidths;
};

// Cells of the table's suffix column: only the beginning of a suffix fits,
// and no more than that is laid out.
class SuffixCellDelegate : public SuffixDelegate
{
    Q_OBJECT

public:
    // A cell's widths only estimate how much of a suffix to lay out.
    explicit SuffixCellDelegate(QObject *parent = nullptr)
        : SuffixDelegate(parent, CharWidths::Estimate)
    {
    }

    void setWholeText(const QString &text) override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    // Milliseconds spent laying out cells anew since the last call.
    int takeLayOutMs();

private:
    QString beginning(const QStyleOptionViewItem &cell, qreal wideEnough, int atLeast = 0) const;
    int whereBreaksAgree(const QStyleOptionViewItem &cell, int end) const;
    int nextLineStart(int from) const;
    bool showsAlike(const KeptCell &laidOut, const QStyleOptionViewItem &cell) const;
    int linesInView(const QStyleOptionViewItem &cell) const;
    const KeptCell &keptLayOut(const QStyleOptionViewItem &cell) const;

    // Where the rules let a line start in the whole text, and the last
    // place where a line may start.
    mutable QTextBoundaryFinder lineBreaks;
    int lastBreak = 0;
    mutable qint64 layOutNs = 0; // laying out cells anew, since last taken

    // Cells laid out, by their size, the length of their text and its
    // beginning first laid out, a few hundred at most.
    mutable QCache<QString, KeptCell> kept{512};
    mutable QFont keptFont;
};

// Rows of the sorted-suffix list. Every row is a suffix of the built text, so
// none holds a character it lacks, and none is wider than the whole text but
// a row that starts within one of its first clusters: every row gets the
// size of the whole text and of the widest of those, which the list then
// needs to measure only once, and a long row draws only the characters in
// view.
class SuffixRowDelegate : public SuffixDelegate
{
    Q_OBJECT

public:
    using SuffixDelegate::SuffixDelegate;

    // The text whose suffixes the list will show.
    void setWidestRow(const QString &text);
    // Measures one of that many equal parts of what is left of the widest
    // row to measure in the font, ahead of the list's asking for its size,
    // so that the step that fills the list need not measure all of it;
    // before the deadline.
    void measureAhead(const QFont &font, int parts, const QDeadlineTimer &deadline);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    // The widest row measured by its pieces, as far as measured: their sum,
    // and Qt's own measure of it in chunks, each cut where the letters on
    // either side are of one script and shape apart, colour pieces standing
    // in as object replacement characters, each of those measured once.
    struct MeasuredText
    {
        // A chunk that Qt laid out, and how far its line reaches.
        struct Reach
        {
            QString text;
            qreal ascent = -1;
            qreal descent = -1;
            int order = 0; // of the chunk in the row; colour pieces come after all others
        };

        MeasuredText() = default;
        explicit MeasuredText(const QString &text)
            : direction(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight)
        {
        }

        // Of the whole row, as the style takes it when it measures: the
        // direction of its first letter that has one.
        Qt::LayoutDirection direction = Qt::LeftToRight;
        LineWalk::Place to;
        qreal sum = 0;
        qreal qtWidth = 0;  // advance of the chunks measured, and of the tabs and colour pieces as walked
        qreal overhang = 0; // of the last glyph measured past its advance, which Qt adds to a line's width
        // Text that Qt measures at once, colour pieces standing in for
        // themselves as object replacement characters; none for a tab.
        // Where it starts with characters of no script of their own that
        // the font lacks, it is measured after the letter whose script
        // they take in the row.
        struct Chunk
        {
            QString text;
            int standingIn = 0;
            uint context = 0;
        };
        QString chunk; // walked since the last cut
        int standingIn = 0;
        uint chunkContext = 0;
        QVector<Chunk> cut; // not yet measured, in the order of the row
        QSet<QString> colours;
        QString colourChunk; // colour pieces not yet measured, each after a stand-in
        int chunks = 0;      // measured
        Reach highest;
        Reach lowest;

        // The chunk cut off, to be measured in its turn, and a tab after it.
        void cutChunk();
        void cutAtTab();
        // Qt's measure of the chunks cut, in their order, within the deadline.
        void measureCut(const QFont &font, const QDeadlineTimer &deadline);
        // Qt's measure of the colour pieces met, cut there.
        void measureColours(const QFont &font);
        // A line as high as the whole row.
        QString lineProbe() const;

    private:
        qreal layOutChunk(const Chunk &chunk, const QFont &font, int order, qreal *overhang);
    };
    void measureUpTo(CharWidths &widths, int end,
                     const QDeadlineTimer &deadline = QDeadlineTimer(QDeadlineTimer::Forever)) const;

    CharWidths &rowWidthsFor(const QFont &font) const;
    QVector<LineWalk::Place> &placesOf(int row) const;
    const KeptPiece &keptCluster(const QString &text, const QFont &font) const;
    const KeptPiece &keptPiece(const QString &text, const QFont &font) const;
    bool shownByAnotherRow(const QString &text, int from, int to, int row) const;
    bool showsAloneAsAfter(const QString &step, uint letter, const QFont &font) const;
    // Context is the letter whose script characters of no script of their
    // own at the start of the text take in the row, if any.
    void drawPiece(QPainter *painter, const QStyleOptionViewItem &piece, const QString &text, qreal left,
                   CharWidths &widths, const CharWidths::LineExtent &row, uint context) const;
    void drawPieceStartingRow(QPainter *painter, const QStyleOptionViewItem &piece, const QString &withLetter,
                              int length, qreal left, CharWidths &widths,
                              const CharWidths::LineExtent &row) const;
    void drawIsland(QPainter *painter, const QStyleOptionViewItem &piece, CharWidths &widths,
                    const CharWidths::LineExtent &row, int rowLength, int from, int to, qreal left,
                    int viewWidth, int apart) const;
    void paintInView(QPainter *painter, QStyleOptionViewItem &row, int rowNumber, int viewWidth) const;

    mutable QSize rowSize;
    mutable MeasuredText measured;
    // By row, where the walks of its text stood every so many characters: a
    // row drawn again, scrolled anywhere, is walked from the last of them
    // before the view only.
    mutable QHash<int, QVector<LineWalk::Place>> walked;
    // Colour clusters and long steps laid out in the list's font, by their
    // text, a few thousand at most.
    mutable QCache<QString, KeptPiece> keptClusters{4096};
    // Long steps of rows' walks that rows have shown, by their text, with
    // the first row that showed each.
    mutable QHash<QString, int> longStepsShown;
    // Pieces of rows laid out in the list's font, by their text, costing
    // their length: about as much as the rows of a view show.
    mutable QCache<QString, KeptPiece> keptPieces{1 << 17};
};

#endif // SUFFIXDELEGATES_H
