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
#include <QTextLine>

namespace {

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
    void drawTextItem(const QPointF &, const QTextItem &) override { }
    Type type() const override { return QPaintEngine::User; }
};

class NoPaintDevice : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return &engine; }

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

// The property of a stand-in's format that holds the number of its run.
const int runProperty = QTextFormat::UserProperty;

} // namespace

// Runs of colour clusters in the document's one line that all occurred
// before, none of them across a change of format: none where the line
// holds a letter that could run right to left.
QVector<ClusterStandIns::Run> ClusterStandIns::runsIn(const QTextDocument *document, const QFont &font)
{
    QVector<Run> found;
    const QTextBlock block = document->firstBlock();
    const QString text = block.text();
    if (mayReorder(text) || !isColourCluster(text, 0, text.size()))
        return found;
    // Cut as a line walk cuts it, where neighbours shape apart: a cluster
    // finder takes some flags after an emoji sequence for two clusters.
    if (!widths.measures(font))
        widths = CharWidths(font);
    QSet<QString> met;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QString letters = fragment.text();
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
        for (LineWalk walk(widths, letters); !walk.atEnd();) {
            const int from = walk.position();
            const qreal advance = walk.step();
            const QString piece = letters.mid(from, walk.position() - from);
            // A piece of no width, marks left of a cluster that an
            // occurrence split, stands where its neighbour starts: drawn
            // as text, it keeps its place among them.
            if (walk.wasTab() || advance <= 0 || !isColourCluster(piece, 0, piece.size())) {
                endRun();
                continue;
            }
            if (!met.contains(piece)) {
                // The first occurrence stays, for the height of the line.
                met.insert(piece);
                endRun();
                continue;
            }
            if (clusters.isEmpty())
                run.start = fragment.position() + from;
            run.end = fragment.position() + walk.position();
            clusters << Cluster{piece, width};
            width += advance;
        }
        endRun();
    }
    return found;
}

void ClusterStandIns::prepare(const QString &letters, const QFont &font)
{
    ahead = mayReorder(letters) || !isColourCluster(letters, 0, letters.size()) ? QString() : letters;
    aheadTo = LineWalk::Place();
    if (!widths.measures(font))
        widths = CharWidths(font);
}

void ClusterStandIns::measureAhead(int parts)
{
    const int end = aheadTo.next + (ahead.size() - aheadTo.next + parts - 1) / qMax(1, parts);
    LineWalk walk(widths, ahead, aheadTo);
    while (!walk.atEnd() && walk.position() < end)
        walk.step();
    aheadTo = walk.standing();
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

void drawNowhere(const QTextLine &line)
{
    NoPaintDevice nowhere;
    QPainter painter(&nowhere);
    line.draw(&painter, QPointF());
}

void ClusterStandIns::drawObject(QPainter *, const QRectF &rect, QTextDocument *, int position,
                                 const QTextFormat &)
{
    placed.insert(position, rect.left());
}
