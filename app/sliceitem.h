#ifndef SLICEITEM_H
#define SLICEITEM_H

// The table's suffix cells and the list's rows each show the rest of the
// built text from some position on. A string of its own for every row would
// cost memory quadratic in the text, so an item keeps the bounds of its
// stretch and the whole text, which QString shares by reference count, and
// makes its string when asked for. Every string it hands out owns its
// characters, so a copy that Qt takes (the copy key, a cell's editor,
// accessibility) stays valid and unchanged for as long as Qt keeps it.

#include <QListWidgetItem>
#include <QTableWidgetItem>
#include <QVariant>

template<class Item>
class SliceItem : public Item
{
public:
    SliceItem() = default;
    SliceItem(const QString &source, int from, int length) { showSlice(source, from, length); }

    // Shows source[from, from + length). Unlike setData, this tells no view
    // that the item changed, so that a round can rewrite every cell without
    // a notification each: the caller repaints the view afterwards.
    void showSlice(const QString &source, int from, int length)
    {
        if (edited) {
            edited = false;
            Item::setData(Qt::DisplayRole, QVariant());
        }
        text = source;
        start = from;
        size = length;
    }

    QVariant data(int role) const override
    {
        if (!edited && (role == Qt::DisplayRole || role == Qt::EditRole))
            return text.mid(start, size);
        return Item::data(role);
    }

    // What a user types into a cell is shown instead, until showSlice.
    void setData(int role, const QVariant &value) override
    {
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            edited = true;
            text.clear();
        }
        Item::setData(role, value);
    }

private:
    QString text;
    int start = 0;
    int size = 0;
    bool edited = false;
};

using SuffixCell = SliceItem<QTableWidgetItem>;
using SuffixRow = SliceItem<QListWidgetItem>;

#endif // SLICEITEM_H
