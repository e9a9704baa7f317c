#include "answerarea.h"

#include "answersegments.h"
#include "charwidths.h"
#include "clusterstandins.h"
#include "readablecolors.h"
#include "words.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOption>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QWheelEvent>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

namespace {

// Glyphs can reach beyond their advance, so a little more than the view is drawn.
qreal overhang(const QTextLine &line)
{
    return 2 * line.height();
}

} // namespace

AnswerArea::AnswerArea(QLabel *label)
    : QAbstractScrollArea(label->parentWidget())
    , label(label)
    , standIns(new ClusterStandIns(this))
    , segments(new AnswerSegments(this))
{
    setObjectName(QStringLiteral("answerArea"));
    setAccessibleName(Words::answerName);
    setGeometry(label->geometry());
    setFrameShape(QFrame::NoFrame);
    // The window's own background shows through, as behind the bare label.
    viewport()->setAutoFillBackground(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A stop of its own when the user tabs through the window, so that the
    // keyboard can scroll it too.
    setFocusPolicy(Qt::StrongFocus);
    label->setParent(viewport());
    // Pointing at the label would have it lay its text out to find a link there.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->installEventFilter(this);
    placeLabel();
}

AnswerArea::~AnswerArea() = default;

void AnswerArea::prepareFor(const QString &text)
{
    const QString letters = answerLetters(text);
    segments->prepare(Words::answerHeading + letters, Words::answerHeading.size(), label->font());
    standIns->prepare(letters, label->font());
}

void AnswerArea::layOutAhead(int parts, const QDeadlineTimer &deadline)
{
    segments->layOutAhead(parts, deadline);
    standIns->measureAhead(parts, deadline);
    if (parts <= 1)
        loadFontsAhead();
}

// The first document that shows a font's letters has Qt load the font anew,
// its tables of glyph substitutions too, which for a colour or CJK font
// takes a frame: what the answer keeps as letters is laid out ahead in a
// document made like the answer's.
void AnswerArea::loadFontsAhead()
{
    const QString letters = standIns->tallestAhead() + segments->tallestAhead();
    const auto document = documentFor(letters, QVector<bool>(letters.size(), false), QString());
    document->setPageSize(QSizeF());
    document->idealWidth();
}

// A document of the answer's line as the label lays out its markup, with
// the stand-ins' handlers and no page size: a document with a layout lays out
// every change at once unless its page has no size, and the line is laid out
// once its stand-ins stand. The markup gives the heading and the positions
// no format of their own, and each run of letters of one colour only that
// colour.
std::unique_ptr<QTextDocument> AnswerArea::documentFor(const QString &letters, const QVector<bool> &red,
                                                       const QString &positions) const
{
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDocumentMargin(0);
    document->setDefaultFont(label->font());
    QTextOption option = document->defaultTextOption();
    option.setAlignment(label->alignment());
    option.setWrapMode(QTextOption::ManualWrap);
    document->setDefaultTextOption(option);
    document->setPageSize(QSizeF(0, 0));
    document->documentLayout()->registerHandler(ClusterStandIns::objectType, standIns);
    document->documentLayout()->registerHandler(AnswerSegments::objectType, segments);
    QTextCursor cursor(document.get());
    cursor.beginEditBlock();
    cursor.insertText(Words::answerHeading);
    QTextCharFormat black;
    black.setForeground(QColor(Qt::black));
    QTextCharFormat redLetter;
    redLetter.setForeground(QColor(Qt::red));
    for (int i = 0, end; i < letters.size(); i = end) {
        for (end = i; end < letters.size() && red[end] == red[i];)
            ++end;
        cursor.insertText(letters.mid(i, end - i), red[i] ? redLetter : black);
    }
    cursor.insertText(positions, QTextCharFormat());
    cursor.endEditBlock();
    return document;
}

void AnswerArea::setAnswer(const Answer &answer)
{
    label->setText(answer.html);
    this->answer = answer;
    layOut();
}

void AnswerArea::clear()
{
    label->clear();
    answer = Answer();
    layOut();
}

// Lays the answer out once, with the label's font and options. A plain text
// answer is short, and the label draws it itself.
void AnswerArea::layOut()
{
    const QFont font = label->font();
    shown.reset();
    chunks.clear();
    if (Qt::mightBeRichText(label->text())) {
        // A new document lays its text out only when asked, so the line is
        // laid out once and keeps what it shaped for every later drawing.
        shown = documentFor(answer.letters, segments->redInDocument(answer.letters, answer.red, font),
                            answer.positions);
        segments->standIn(shown.get(), font, answer.red);
        standIns->standIn(shown.get(), font);
        shown->firstBlock().layout()->setCacheEnabled(true);
        shown->setPageSize(QSizeF());
        textWidth = qCeil(shown->idealWidth());
        cutIntoChunks();
    } else {
        textWidth = qCeil(textAdvance(font, label->text()));
    }
    // Steps as in Qt's own views: an arrow moves a letter, a wheel notch some.
    horizontalScrollBar()->setSingleStep(QFontMetrics(font).averageCharWidth());
    placeLabel();
    viewport()->update();
}

void AnswerArea::placeLabel()
{
    const int viewWidth = viewport()->width();
    QScrollBar *bar = horizontalScrollBar();
    bar->setRange(0, qMax(0, textWidth - viewWidth));
    bar->setPageStep(viewWidth);
    label->setGeometry(-bar->value(), 0, qMax(textWidth, viewWidth), viewport()->height());
}

bool AnswerArea::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == label) {
        if (event->type() == QEvent::Paint && drawsText())
            return true;
        if (event->type() == QEvent::FontChange)
            layOut();
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

// The line's glyphs in chunks of one colour and a few dozen glyphs each, and
// a chunk for each stand-in, with how far each reaches, so that a repaint
// draws only the chunks in view, in whatever order and direction the line
// puts the letters. The line is walked twice, whatever number of colours it
// changes: once for its glyphs, in runs of one item and one font each, left
// to right, and once drawn nowhere, which draws the same runs in the same
// order, each in its colour.
void AnswerArea::cutIntoChunks()
{
    const QTextBlock block = shown->firstBlock();
    const QTextLine line = block.layout()->lineAt(0);
    const QVector<QBrush> colours = drawNowhere(line);
    QHash<int, qreal> places = standIns->places();
    places.insert(segments->places());
    const qreal reach = overhang(line);
    const QPointF baseline(0, line.y() + line.ascent());
    const QList<QGlyphRun> runs = line.glyphRuns();
    chunks.reserve(chunkCount(block, runs));
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (format.objectType() == QTextFormat::NoObject)
            continue;
        const qreal x = places.value(fragment.position());
        for (const ClusterStandIns::Cluster &cluster : standIns->clustersOf(format))
            addClusterChunk(line, cluster.text, x + cluster.x, format.foreground());
        for (const AnswerSegments::Glyphs &glyphs : segments->glyphsOf(format)) {
            chunks.append({glyphs.piece, format.foreground(), x + glyphs.piece.left - reach,
                           x + glyphs.piece.right + reach, QString(), baseline + QPointF(x, 0),
                           glyphs.units});
        }
    }
    for (int i = 0; i < runs.size(); ++i)
        addGlyphChunks(runs.at(i), colours.value(i), reach);
    sortChunks();
}

// Puts the chunks in the order they are drawn: left to right, as the line
// draws its items whatever their direction, so that where neighbours
// overlap, the right one is on top. Glyphs that start where a stand-in
// starts, marks of zero advance from the cluster before it, came before it;
// else the chunks keep the order they were made in. A long answer's chunks
// are many and each holds several shared values: their keys are sorted, and
// each chunk is moved once, to its place.
void AnswerArea::sortChunks()
{
    struct Key
    {
        qreal left;
        bool cluster;
        int index;
        bool operator<(const Key &other) const
        {
            return std::tie(left, cluster, index) < std::tie(other.left, other.cluster, other.index);
        }
    };
    std::vector<Key> order;
    order.reserve(chunks.size());
    for (int i = 0; i < chunks.size(); ++i)
        order.push_back({chunks.at(i).left, !chunks.at(i).cluster.isEmpty(), i});
    std::sort(order.begin(), order.end());
    // Each cycle of the order moves its chunks along it, the first one held aside.
    GlyphChunk *placed = chunks.data();
    for (int start = 0; start < int(order.size()); ++start) {
        if (order[start].index == start)
            continue;
        GlyphChunk held = std::move(placed[start]);
        int at = start;
        for (int from = order[at].index; from != start; from = order[at].index) {
            placed[at] = std::move(placed[from]);
            order[at].index = at;
            at = from;
        }
        placed[at] = std::move(held);
        order[at].index = at;
    }
}

// As many as cutIntoChunks makes of the line and its runs, so that a long
// answer's thousands of chunks are made in place.
int AnswerArea::chunkCount(const QTextBlock &block, const QList<QGlyphRun> &runs) const
{
    int count = 0;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        count += standIns->clustersOf(format).size() + segments->glyphsOf(format).size();
    }
    for (const QGlyphRun &run : runs)
        count += pieceCount(run);
    return count;
}

void AnswerArea::addGlyphChunks(const QGlyphRun &run, const QBrush &colour, qreal reach)
{
    for (const GlyphPiece &piece : piecesOf(run))
        chunks.append({piece, colour, piece.left - reach, piece.right + reach, QString(), QPointF(), {}});
}

// A piece that stands in, however long, reaches as far as its last glyph.
void AnswerArea::addClusterChunk(const QTextLine &line, const QString &cluster, qreal x, const QBrush &colour)
{
    const qreal reach = overhang(line);
    qreal last = 0;
    for (const QGlyphRun &run : standIns->kept(cluster).glyphs) {
        for (const QPointF &position : run.positions())
            last = qMax(last, position.x());
    }
    chunks.append(
        {noGlyphs, colour, x - reach, x + last + reach, cluster, QPointF(x, line.y() + line.ascent()), {}});
}

// Draws the chunks in view where and as the label would draw them: the line
// centred in the label's height, letters without a colour of their own in
// the label's text colour, the others in theirs, made readable on the ground.
void AnswerArea::paintEvent(QPaintEvent *event)
{
    if (hasFocus())
        drawFocusFrame();
    if (!drawsText())
        return;
    const QTextLayout *layout = shown->firstBlock().layout();
    const QRect labelRect = label->geometry();
    const qreal top = std::floor(qMax((labelRect.height() - shown->size().height()) / 2, qreal(0)));
    const qreal left = event->rect().left() - labelRect.left() - layout->position().x();
    const qreal right = event->rect().right() + 1 - labelRect.left() - layout->position().x();

    QStyleOption option;
    option.initFrom(label);
    QPainter painter(viewport());
    painter.translate(labelRect.left(), labelRect.top() + top);
    // The label clips its text at the top of its line: marks stacked high
    // over a letter show no higher.
    painter.setClipRect(QRectF(0, 0, labelRect.width(), labelRect.height()));
    for (const GlyphChunk &chunk : qAsConst(chunks)) {
        if (chunk.right < left || chunk.left > right)
            continue;
        painter.setPen(penFor(chunk.colour, option));
        if (!chunk.letters.isEmpty()) {
            drawInLetterColours(painter, layout->position() + chunk.origin, chunk, option);
        } else if (chunk.cluster.isEmpty()) {
            painter.drawGlyphRun(layout->position() + chunk.origin, chunk.glyphs.glyphs());
        } else {
            const ClusterStandIns::KeptCluster &cluster = standIns->kept(chunk.cluster);
            for (const QGlyphRun &run : cluster.glyphs)
                painter.drawGlyphRun(layout->position() + chunk.origin - QPointF(0, cluster.ascent), run);
        }
    }
}

// Draws the chunk's glyphs, each of which stands for one letter, in runs
// of the colours of their letters, left to right as the label draws them.
void AnswerArea::drawInLetterColours(QPainter &painter, const QPointF &origin, const GlyphChunk &chunk,
                                     const QStyleOption &option) const
{
    const GlyphPiece &piece = chunk.glyphs;
    const auto redAt = [this, &chunk, &piece](int glyph) {
        return answer.red.value(chunk.letters[piece.first + glyph] - int(Words::answerHeading.size()));
    };
    for (int from = 0, to; from < piece.count; from = to) {
        const bool red = redAt(from);
        for (to = from + 1; to < piece.count && redAt(to) == red;)
            ++to;
        painter.setPen(penFor(QColor(red ? Qt::red : Qt::black), option));
        painter.drawGlyphRun(origin, piece.glyphs(from, to));
    }
}

QPen AnswerArea::penFor(const QBrush &colour, const QStyleOption &option) const
{
    return colour.style() == Qt::NoBrush ? QPen(option.palette.brush(label->foregroundRole()), 0)
                                         : QPen(answerLetterColor(option.palette, colour.color()), 0);
}

// The keyboard's place is shown as the style shows it on its own views.
void AnswerArea::drawFocusFrame()
{
    QStyleOptionFocusRect option;
    option.initFrom(viewport());
    option.backgroundColor = palette().color(QPalette::Window);
    QPainter painter(viewport());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void AnswerArea::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void AnswerArea::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void AnswerArea::resizeEvent(QResizeEvent *)
{
    placeLabel();
}

void AnswerArea::scrollContentsBy(int, int)
{
    label->move(-horizontalScrollBar()->value(), 0);
    viewport()->update();
}

// The strip scrolls only sideways, and so does every turn of the wheel over it.
void AnswerArea::wheelEvent(QWheelEvent *event)
{
    QCoreApplication::sendEvent(horizontalScrollBar(), event);
}

// The keys of a view that scrolls sideways: the arrows by a letter, the page
// keys by the width of the view, Home and End to either end.
void AnswerArea::keyPressEvent(QKeyEvent *event)
{
    const auto scroll = [this](QAbstractSlider::SliderAction action) {
        horizontalScrollBar()->triggerAction(action);
    };
    switch (event->key()) {
    case Qt::Key_PageUp:
        scroll(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        scroll(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Home:
        scroll(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        scroll(QAbstractSlider::SliderToMaximum);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}
