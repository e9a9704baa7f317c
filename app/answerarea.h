#ifndef ANSWERAREA_H
#define ANSWERAREA_H

// A strip in the answer label's place that holds the label and scrolls it
// sideways, so that an answer of any length can be read whole: the positions
// of the occurrences come last. A short answer shows as the bare label would.

#include <QAbstractScrollArea>

QT_BEGIN_NAMESPACE
class QLabel;
QT_END_NAMESPACE

class AnswerArea : public QAbstractScrollArea
{
public:
    // Takes the label's place among its parent's children.
    explicit AnswerArea(QLabel *label);

    // Gives the label the text and makes it as wide as the text is, measured
    // on layoutAlike when given: the same text in markup that is quicker to read.
    void setText(const QString &text, const QString &layoutAlike = QString());

protected:
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void placeLabel();

    QLabel *label;
    int textWidth = 0;
};

#endif // ANSWERAREA_H
