#ifndef KEYBOARDSEARCH_H
#define KEYBOARDSEARCH_H

// Letters typed into the list of sorted suffixes select the next row that
// begins with them, as in any Qt view: letters typed within the keyboard
// input interval add up, the search starts at the current row, or after it
// for a new search or the same letter again, wraps around, and ignores case.
// Qt's own search reads every row's string from the current one on, and a
// string is a copy of a suffix, tens of kilobytes for a long text: this one
// reads only as many code units of each row as were typed.

#include <QElapsedTimer>
#include <QObject>
#include <QString>

QT_BEGIN_NAMESPACE
class QKeyEvent;
class QListWidget;
QT_END_NAMESPACE

class KeyboardSearch : public QObject
{
    Q_OBJECT

public:
    // Searches the list, which must show the suffixes that the engine sorted last.
    explicit KeyboardSearch(QListWidget *list);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool searches(const QKeyEvent *key) const;
    void search(const QString &letters);
    QString beginning(int row, int length) const;

    QListWidget *list;
    QString typed;
    QElapsedTimer sinceLastLetter;
};

#endif // KEYBOARDSEARCH_H
