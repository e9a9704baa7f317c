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

    // Qt's view searches from the start row on and wraps around; a row
    // matches when it begins with the typed letters, case ignored as Qt
    // ignores it.
    for (int i = 0; i < rows; ++i) {
        const int row = (start + i) % rows;
        if (beginning(row, typed.size()).startsWith(typed, Qt::CaseInsensitive)) {
            list->setCurrentIndex(list->model()->index(row, 0));
            return;
        }
    }
}

// The first length code units of the row's suffix, or all of it if shorter.
QString KeyboardSearch::beginning(int row, int length) const
{
    const int position = suffArr.suffixArray[row];
    return suffArr.text.mid(position, qMin(length, suffArr.suffixArray.size() - position));
}
