#include "rowtooltips.h"

#include "mainwindow.h"
#include "suffarr.h"
#include "words.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

RowTooltips::RowTooltips(QAbstractItemView *table, QAbstractItemView *list)
    : QObject(table)
    , table(table)
    , list(list)
{
    table->viewport()->installEventFilter(this);
    list->viewport()->installEventFilter(this);
}

void RowTooltips::showRound(int round)
{
    this->round = round;
}

void RowTooltips::forgetRound()
{
    round = -1;
}

bool RowTooltips::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return false;
    const auto help = static_cast<QHelpEvent *>(event);
    QAbstractItemView *view = watched == table->viewport() ? table : list;
    const QModelIndex index = view->indexAt(help->pos());
    const QString tip = index.isValid() ? tipFor(view, index.row()) : QString();
    // An empty tip hides any shown; a tip goes when the pointer leaves the cell.
    QToolTip::showText(help->globalPos(), tip, view->viewport(), view->visualRect(index));
    event->setAccepted(!tip.isEmpty());
    return true;
}

QString RowTooltips::tipFor(const QAbstractItemView *view, int row) const
{
    if (view == list)
        return listRowTip(suffArr, row);
    return round < 0 ? QString() : tableRowTip(suffArr, round, row);
}

QString RowTooltips::descriptionOf(const QAbstractItemView *view, int row) const
{
    const QString tip = tipFor(view, row);
    const bool candidate =
        view == list && view->model()->index(row, 0).data(Qt::BackgroundRole) == candidateColor;
    return candidate ? Words::candidate + QLatin1Char('\n') + tip : tip;
}

QString rowDescription(const QAbstractItemView *view, int row)
{
    const RowTooltips *tooltips = view ? view->window()->findChild<RowTooltips *>() : nullptr;
    return tooltips ? tooltips->descriptionOf(view, row) : QString();
}

QString tableRowTip(const SuffArr &engine, int round, int row)
{
    const int n = engine.order.size();
    if (row >= n)
        return QString();
    const int position = engine.order[row];
    const QString suffix = Words::suffixAt.arg(position + 1);
    if (round == 0)
        return suffix + Words::sortedByLetter.arg(codeUnitName(engine.text.at(position)));
    const int half = 1 << (round - 1);
    const QVector<int> &classesBefore = engine.newClasses;
    return suffix
        + Words::sortedByPair.arg(QString::number(2 * half), QString::number(classesBefore[position]),
                                  QString::number(classesBefore[(position + half) % n]),
                                  QString::number(half));
}

QString listRowTip(const SuffArr &engine, int row)
{
    if (row >= engine.suffixArray.size())
        return QString();
    const int position = engine.suffixArray[row];
    return Words::suffixAt.arg(position + 1) + Words::suffixArrayEntry.arg(position + 1);
}

QString codeUnitName(QChar unit)
{
    QString name;
    if (unit.isNull())
        name = Words::endOfText;
    else if (unit.isSurrogate())
        name = Words::surrogateHalf;
    else if (unit == QLatin1Char('\t'))
        name = Words::tab;
    else if (unit == QLatin1Char('\n'))
        name = Words::lineFeed;
    else if (unit.category() == QChar::Separator_Space)
        name = Words::blank;
    else if (!unit.isPrint() || unit.isSpace())
        name = Words::invisible;
    else if (unit.isMark()) // alone it would sit on the quote: fonts draw it on a dotted circle
        name = QStringLiteral("'") + QChar(0x25CC) + unit + QStringLiteral("'");
    else
        name = QStringLiteral("'") + unit + QStringLiteral("'");
    name += QLatin1String(" (U+")
        + QString::number(unit.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'))
        + QLatin1Char(')');
    if (unit.isNull())
        name += Words::endOfTextIsLeast;
    return name;
}
