#include "clusterstandins.h"

#include "characters.h"
#include "charwidths.h"
#include "linewalk.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextLine>

#include <algorithm>

namespace {

// Code units two pieces hold at most to be tried as one ligature.
const int longestLigature = 16;

// Characters whose glyphs Qt lays out but never draws.
bool isHiddenByQt(QChar c)
{
    switch (c.unicode()) {
    case QChar::LineFeed:
    case 0x000c: // form feed
    case QChar::CarriageReturn:
    case QChar::LineSeparator:
    case QChar::ParagraphSeparator:
    case QChar::SoftHyphen:
        return true;
    default:
        return false;
    }
}

// Draws nothing, so that drawing a line through it renders no glyph: the line
// only tells its objects where they stand.
class NoPaintEngine : public QPaintEngine
{
public:
    NoPaintEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {
    }
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override { }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override { }
    // A piece whose glyphs Qt hides, soft hyphens, has no glyph run.
    void drawTextItem(const QPointF &, const QTextItem &item) override
    {
        const QString text = item.text();
        if (!std::all_of(text.cbegin(), text.cend(), isHiddenByQt))
            colours.append(painter()->pen().brush());
    }
    Type type() const override { return QPaintEngine::User; }

    QVector<QBrush> colours;
};

class NoPaintDevice : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return &engine; }
    const QVector<QBrush> &drawnColours() const { return engine.colours; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 1;
        }
    }

private:
    mutable NoPaintEngine engine;
};

// Whether the piece [from, to) of a line shapes alone as it does in the
// line, where it takes the script it takes alone: that of its first letter,
// or, if it has no letter or mark of a script, as an emoji, any. A mark
// that begins a piece, as where an occurrence ends within a cluster, has
// no base either way, but takes the script, and the font, of the letter
// before it.
bool shapesAloneAsInLine(const QString &line, int from, int to)
{
    int length;
    const uint first = codePointAt(line, from, &length);
    if (isMark(first))
        return false;
    if (givesItsScript(first))
        return true;
    for (int i = from; i < to; i += length) {
        if (QChar::script(codePointAt(line, i, &length)) > QChar::Script_Common)
            return false;
    }
    return true;
}

// The property of a stand-in's format that holds the number of its run.
const int runProperty = QTextFormat::UserProperty;

} // namespace

// Runs of pieces in the document's one line where it holds colour
// clusters, none of them across a change of format or over a tab, but the
// first occurrence of the pieces whose lines reach highest, lowest and with
// the most leading: none where the line holds a letter that could run right
// to left.
QVector<ClusterStandIns::Run> ClusterStandIns::runsIn(const QTextDocument *document, const QFont &font)
{
    QVector<Run> found;
    const QTextBlock block = document->firstBlock();
    const QString text = block.text();
    if (mayReorder(text) || !isColourCluster(text, 0, text.size()))
        return found;
    useFont(font);
    // Cut as a line walk cuts it, where neighbours shape apart: a cluster
    // finder takes some flags after an emoji sequence for two clusters.
    struct Piece
    {
        int from;
        int to;
        qreal advance;
        QString cluster; // none unless it can stand in
        bool ownScript;
    };
    QVector<QVector<Piece>> pieces; // by fragment
    Tallest tallestOfLine;
    LineWalk::Place fragmentStart; // with the letter before it, whose script it goes on in
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QString letters = it.fragment().text();
        pieces.append(QVector<Piece>());
        bool itemGoesOn = false; // past the last piece, as Qt's line shapes it
        LineWalk walk(widths, letters, fragmentStart);
        while (!walk.atEnd()) {
            const int from = walk.position();
            const uint letterBefore = walk.standing().lastLetter;
            const qreal advance = walk.step();
            int length;
            Piece piece{from, walk.position(), advance, QString(),
                        givesItsScript(codePointAt(letters, from, &length))};
            const QString cluster = letters.mid(from, walk.position() - from);
            // A piece of no width, marks left of a cluster that an
            // occurrence split, stands where its neighbour starts: drawn
            // as text, it keeps its place among them.
            if (!walk.wasTab() && advance > 0 && shapesAloneAsInLine(letters, from, walk.position())
                && (piece.ownScript || showsAloneAsAfter(cluster, letterBefore)))
                piece.cluster = cluster;
            Piece *before = pieces.last().isEmpty() ? nullptr : &pieces.last().last();
            const Ligature *joined =
                before && itemGoesOn ? ligature(before->cluster, piece.cluster) : nullptr;
            if (joined) {
                before->to = piece.to;
                before->advance = joined->advance;
                before->cluster += piece.cluster;
            } else {
                pieces.last() << piece;
            }
            itemGoesOn = walk.standing().runLength > 0;
        }
        fragmentStart.lastLetter = walk.standing().lastLetter;
        for (const Piece &piece : qAsConst(pieces.last())) {
            if (!piece.cluster.isEmpty())
                tallestOfLine.meet(piece.cluster, kept(piece.cluster));
        }
    }
    // The line is as high as what stays of it and those pieces make it.
    QSet<QString> staying{tallestOfLine.highest, tallestOfLine.lowest, tallestOfLine.mostLeading};
    // A stand-in is of no script, so in the document a piece that stays
    // text takes its script from the last letter before it that stays too,
    // or at the line's start from its first letter: those letters that
    // give such a piece its script in the line stay.
    Piece *lastLetter = nullptr;
    for (QVector<Piece> &ofFragment : pieces) {
        for (Piece &piece : ofFragment) {
            if (staying.remove(piece.cluster))
                piece.cluster.clear();
            if (piece.ownScript) {
                if (!lastLetter)
                    piece.cluster.clear();
                lastLetter = &piece;
            } else if (piece.cluster.isEmpty() && lastLetter) {
                lastLetter->cluster.clear();
            }
        }
    }
    QTextBlock::iterator it = block.begin();
    for (const QVector<Piece> &ofFragment : qAsConst(pieces)) {
        const QTextFragment fragment = (it++).fragment();
        Run run{-1, -1, fragment.charFormat()};
        QVector<Cluster> clusters;
        qreal width = 0;
        const auto endRun = [&] {
            if (!clusters.isEmpty()) {
                found << run;
                runs << clusters;
                runWidths << width;
            }
            clusters.clear();
            width = 0;
        };
        for (const Piece &piece : ofFragment) {
            if (piece.cluster.isEmpty()) {
                endRun();
                continue;
            }
            if (clusters.isEmpty())
                run.start = fragment.position() + piece.from;
            run.end = fragment.position() + piece.to;
            clusters << Cluster{piece.cluster, width};
            width += piece.advance;
        }
        endRun();
    }
    return found;
}

void ClusterStandIns::prepare(const QString &letters, const QFont &font)
{
    ahead = mayReorder(letters) || !isColourCluster(letters, 0, letters.size()) ? QString() : letters;
    aheadTo = LineWalk::Place();
    tallest = Tallest();
    useFont(font);
}

void ClusterStandIns::measureAhead(int parts, const QDeadlineTimer &deadline)
{
    const int end = aheadTo.next + (ahead.size() - aheadTo.next + parts - 1) / qMax(1, parts);
    LineWalk walk(widths, ahead, aheadTo);
    QString before;
    while (!walk.atEnd() && walk.position() < end && !deadline.hasExpired()) {
        const int from = walk.position();
        const uint letterBefore = walk.standing().lastLetter;
        if (walk.step() > 0 && !walk.wasTab()) {
            const QString piece = ahead.mid(from, walk.position() - from);
            tallest.meet(piece, kept(piece));
            showsAloneAsAfter(piece, letterBefore);
            ligature(before, piece);
            before = piece;
        } else {
            before.clear();
        }
    }
    aheadTo = walk.standing();
}

QString ClusterStandIns::tallestAhead() const
{
    QString pieces = tallest.highest;
    for (const QString &piece : {tallest.lowest, tallest.mostLeading})
        if (!pieces.contains(piece))
            pieces += piece;
    return pieces;
}

void ClusterStandIns::Tallest::meet(const QString &piece, const KeptCluster &laidOut)
{
    if (laidOut.ascent > ascent) {
        ascent = laidOut.ascent;
        highest = piece;
    }
    if (laidOut.descent > descent) {
        descent = laidOut.descent;
        lowest = piece;
    }
    if (laidOut.leading > leading) {
        leading = laidOut.leading;
        mostLeading = piece;
    }
}

void ClusterStandIns::standIn(QTextDocument *document, const QFont &font)
{
    placed.clear();
    runs.clear();
    runWidths.clear();
    const QVector<Run> found = runsIn(document, font);
    // From the end back, so that the positions of the runs before stay.
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (int i = found.size() - 1; i >= 0; --i) {
        QTextCharFormat format = found[i].format;
        format.setObjectType(objectType);
        format.setProperty(runProperty, i);
        cursor.setPosition(found[i].start);
        cursor.setPosition(found[i].end, QTextCursor::KeepAnchor);
        cursor.insertText(QString(QChar::ObjectReplacementCharacter), format);
    }
    cursor.endEditBlock();
}

// What is measured and laid out in another font is measured and laid out again.
void ClusterStandIns::useFont(const QFont &font)
{
    if (!widths.measures(font)) {
        widths = CharWidths(font);
        keptClusters.clear();
        ligatures.clear();
    }
}

const ClusterStandIns::KeptCluster &ClusterStandIns::kept(const QString &cluster)
{
    auto found = keptClusters.find(cluster);
    if (found == keptClusters.end()) {
        QTextLayout layout(cluster, widths.font());
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        found =
            keptClusters.insert(cluster, {line.glyphRuns(), line.ascent(), line.descent(), line.leading()});
    }
    return *found;
}

bool ClusterStandIns::showsAloneAsAfter(const QString &piece, uint letter)
{
    const KeptCluster &alone = kept(piece);
    return widths.showsAloneAsAfter(piece, letter, alone.glyphs, alone.ascent);
}

// Two neighbouring pieces of one item joined, if they show other glyphs laid
// out together than apart: a ligature exactly as wide as its letters, which
// a line walk steps over apart, but which a line shapes. None where either
// is in colour, or where the two would be longer than ligatures are: where
// each letter changes the next one's glyph, a chain would be laid out anew
// at every letter.
const ClusterStandIns::Ligature *ClusterStandIns::ligature(const QString &first, const QString &second)
{
    if (first.isEmpty() || second.isEmpty() || first.size() + second.size() > longestLigature
        || isColourCluster(first, 0, first.size()) || isColourCluster(second, 0, second.size()))
        return nullptr;
    const QString both = first + QChar::ObjectReplacementCharacter + second;
    auto found = ligatures.constFind(both);
    if (found == ligatures.constEnd()) {
        QTextLayout layout(first + second, widths.font());
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        const auto glyphsOf = [](const QList<QGlyphRun> &runs) {
            QVector<quint32> glyphs;
            for (const QGlyphRun &run : runs)
                glyphs += run.glyphIndexes();
            return glyphs;
        };
        const bool apart =
            glyphsOf(line.glyphRuns()) == glyphsOf(kept(first).glyphs) + glyphsOf(kept(second).glyphs);
        found = ligatures.insert(both, {!apart, line.horizontalAdvance()});
    }
    return found->joins ? &*found : nullptr;
}

int ClusterStandIns::runNumber(const QTextFormat &format) const
{
    return format.objectType() == objectType ? format.intProperty(runProperty) : -1;
}

const QVector<ClusterStandIns::Cluster> &ClusterStandIns::clustersOf(const QTextFormat &format) const
{
    static const QVector<Cluster> none;
    const int run = runNumber(format);
    return run >= 0 && run < runs.size() ? runs.at(run) : none;
}

QSizeF ClusterStandIns::intrinsicSize(QTextDocument *, int, const QTextFormat &format)
{
    return QSizeF(runWidths.value(runNumber(format)), 0);
}

QVector<QBrush> drawNowhere(const QTextLine &line)
{
    NoPaintDevice nowhere;
    QPainter painter(&nowhere);
    // Letters of no colour of their own are drawn with this pen, of none.
    painter.setPen(QPen(QBrush(), 0));
    line.draw(&painter, QPointF());
    painter.end();
    return nowhere.drawnColours();
}

void ClusterStandIns::drawObject(QPainter *, const QRectF &rect, QTextDocument *, int position,
                                 const QTextFormat &)
{
    placed.insert(position, rect.left());
}
