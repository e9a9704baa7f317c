#ifndef ROWTOOLTIPS_H
#define ROWTOOLTIPS_H

// Why each row of the table and of the list sits where it does, told in a
// tooltip when the pointer rests on the row: the position of its suffix in
// the text and, in the table, what the last round sorted it by. A tooltip is
// written when Qt asks for it, from what the engine keeps between rounds, so
// a round or a click costs no more for it.

#include <QObject>
#include <QString>

QT_BEGIN_NAMESPACE
class QAbstractItemView;
QT_END_NAMESPACE
class SuffArr;

class RowTooltips : public QObject
{
    Q_OBJECT

public:
    // Answers the tooltips of both views for as long as they live.
    RowTooltips(QAbstractItemView *table, QAbstractItemView *list);

    // The table now shows the order after the round that sorted fragments
    // of length 2^round: 0 is the initial round, by single code units.
    void showRound(int round);
    // The table shows no round of the engine's current construction, from a
    // rebuild until its first round: its rows say nothing until then.
    void forgetRound();

    // What a screen reader reads of the row besides its text: the tooltip,
    // after the word «кандидат» while a search keeps the list row red.
    QString descriptionOf(const QAbstractItemView *view, int row) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString tipFor(const QAbstractItemView *view, int row) const;

    QAbstractItemView *table;
    QAbstractItemView *list;
    int round = -1; // -1: no round shown
};

// The description of the row of a view of the window, as RowTooltips::descriptionOf.
QString rowDescription(const QAbstractItemView *view, int row);

// The tooltip of table row `row` after round `round` (as in showRound), read
// from the engine before its next round. The pair of a doubling round is the
// classes of the fragment's two halves, which newClasses keeps from the round before.
QString tableRowTip(const SuffArr &engine, int round, int row);

// The tooltip of row `row` of the list of sorted suffixes: its entry in the suffix array.
QString listRowTip(const SuffArr &engine, int row);

// A code unit as a reader can tell it from any other, in words and as U+XXXX;
// U+0000 is the end of the text, which the table shows as "#".
QString codeUnitName(QChar unit);

#endif // ROWTOOLTIPS_H
