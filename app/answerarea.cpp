#include "answerarea.h"

#include "charwidths.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextOption>
#include <QWheelEvent>
#include <QtMath>

namespace {

// The width of text on one line, laid out as a label lays it out. QScrollArea
// would ask the label instead, and a rich-text label lays its whole text out
// twice for every size it is asked for: several times over for a long answer.
int labelTextWidth(const QString &text, const QFont &font)
{
    if (!Qt::mightBeRichText(text))
        return qCeil(textAdvance(font, text));
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(font);
    QTextOption oneLine;
    oneLine.setWrapMode(QTextOption::ManualWrap);
    document.setDefaultTextOption(oneLine);
    document.setHtml(text);
    return qCeil(document.idealWidth());
}

} // namespace

AnswerArea::AnswerArea(QLabel *label)
    : QAbstractScrollArea(label->parentWidget())
    , label(label)
{
    setObjectName(QStringLiteral("answerArea"));
    setGeometry(label->geometry());
    setFrameShape(QFrame::NoFrame);
    // The window's own background shows through, as behind the bare label.
    viewport()->setAutoFillBackground(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Not a stop of its own when the user tabs through the window.
    setFocusPolicy(Qt::NoFocus);
    label->setParent(viewport());
    placeLabel();
}

void AnswerArea::setText(const QString &text, const QString &layoutAlike)
{
    label->setText(text);
    textWidth = labelTextWidth(layoutAlike.isNull() ? text : layoutAlike, label->font());
    placeLabel();
}

void AnswerArea::placeLabel()
{
    const int viewWidth = viewport()->width();
    QScrollBar *bar = horizontalScrollBar();
    bar->setRange(0, qMax(0, textWidth - viewWidth));
    bar->setPageStep(viewWidth);
    label->setGeometry(-bar->value(), 0, qMax(textWidth, viewWidth), viewport()->height());
}

void AnswerArea::resizeEvent(QResizeEvent *)
{
    placeLabel();
}

void AnswerArea::scrollContentsBy(int, int)
{
    label->move(-horizontalScrollBar()->value(), 0);
}

// The strip scrolls only sideways, and so does every turn of the wheel over it.
void AnswerArea::wheelEvent(QWheelEvent *event)
{
    QCoreApplication::sendEvent(horizontalScrollBar(), event);
}
