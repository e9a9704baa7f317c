#include "keyboardsearch.h"

#include "suffarr.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>

KeyboardSearch::KeyboardSearch(QListWidget *list)
    : QObject(list)
    , list(list)
{
    list->installEventFilter(this);
}

bool KeyboardSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != list || event->type() != QEvent::KeyPress)
        return false;
    const auto key = static_cast<QKeyEvent *>(event);
    if (!searches(key) || list->count() != suffArr.suffixArray.size())
        return false;
    // A space also selects the current row, as in any Qt view.
    if (key->key() == Qt::Key_Space && list->currentIndex().isValid())
        list->selectionModel()->select(list->currentIndex(), QItemSelectionModel::ClearAndSelect);
    search(key->text());
    return true;
}

// Whether Qt's view would search for the key's text: a key that neither
// moves, edits nor is held with a command modifier. A space searches in a
// list of single selection, whose selection it also makes.
bool KeyboardSearch::searches(const QKeyEvent *key) const
{
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
    case Qt::Key_Select:
    case Qt::Key_F2:
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Back:
        return false;
    case Qt::Key_Space:
        if (list->selectionMode() != QAbstractItemView::SingleSelection)
            return false;
        break;
    default:
        break;
    }
    return !key->text().isEmpty()
        && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        && !(list->editTriggers() & QAbstractItemView::AnyKeyPressed);
}

void KeyboardSearch::search(const QString &letters)
{
    const int rows = list->count();
    if (rows == 0)
        return;
    const QModelIndex current = list->currentIndex();
    int start = current.isValid() ? current.row() : 0;
    bool skipRow = false;
    const bool typing = sinceLastLetter.isValid();
    const qint64 elapsed = typing ? sinceLastLetter.restart() : 0;
    if (!typing)
        sinceLastLetter.start();
    if (letters.isEmpty() || !typing || elapsed > QApplication::keyboardInputInterval()) {
        typed = letters;
        skipRow = current.isValid();
    } else {
        typed += letters;
    }
    // The same letter again goes on to the next row that begins with it.
    if (typed.size() > 1 && typed.count(typed.at(typed.size() - 1)) == typed.size())
        skipRow = true;
    if (skipRow)
        start = start < rows - 1 ? start + 1 : 0;

    int found = firstMatch(0, rows, 0, start);
    if (found < 0)
        found = firstMatch(0, start, 0, 0);
    if (found >= 0)
        list->setCurrentIndex(list->model()->index(found, 0));
}

// The first row from `from` on among the rows [first, last), which begin
// with the same depth code units, and those match the first depth typed
// letters, that begins with every typed letter; -1 if none does. Rows of one
// next code unit are neighbours, and a group matches the next typed letter or
// not as a whole: case is ignored as Qt ignores it, code unit by code unit.
int KeyboardSearch::firstMatch(int first, int last, int depth, int from) const
{
    if (last <= from)
        return -1;
    if (depth == typed.size())
        return qMax(first, from);
    // A row that ends here is shorter than the typed letters; it sorts first.
    if (unitAt(first, depth) < 0)
        ++first;
    if (from > first)
        first = groupEnd(first, last, depth, unitAt(from, depth) - 1);
    while (first < last) {
        const int end = groupEnd(first, last, depth, unitAt(first, depth));
        const int length = depth + 1;
        if (suffArr.text.mid(suffArr.suffixArray[first], length)
                .startsWith(typed.left(length), Qt::CaseInsensitive)) {
            const int found = firstMatch(first, end, length, from);
            if (found >= 0)
                return found;
        }
        first = end;
    }
    return -1;
}

// The code unit at depth in the row's suffix; -1 past its end.
int KeyboardSearch::unitAt(int row, int depth) const
{
    const int position = suffArr.suffixArray[row];
    return depth < suffArr.suffixArray.size() - position ? suffArr.text.at(position + depth).unicode() : -1;
}

// The first row among [first, last), sorted by their code unit at depth, whose unit exceeds unit.
int KeyboardSearch::groupEnd(int first, int last, int depth, int unit) const
{
    while (first < last) {
        const int middle = first + (last - first) / 2;
        if (unitAt(middle, depth) <= unit)
            first = middle + 1;
        else
            last = middle;
    }
    return first;
}
