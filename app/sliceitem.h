#ifndef SLICEITEM_H
#define SLICEITEM_H

// The items of the table and of the list show what the algorithm computed: a
// user can select and copy them but not edit them, and a screen reader reads
// the row's tooltip as the item's description.
//
// The table's suffix cells and the list's rows each show the rest of the
// built text from some position on. A string of its own for every row would
// cost memory quadratic in the text, so such an item keeps the bounds of its
// stretch and the whole text, which QString shares by reference count, and
// makes its string when asked for. Every string it hands out owns its
// characters, so a copy that Qt takes (the copy key, accessibility) stays
// valid and unchanged for as long as Qt keeps it.

#include "rowtooltips.h"

#include <QColor>
#include <QListWidget>
#include <QTableWidget>
#include <QVariant>

template<class Item>
class ResultItem : public Item
{
public:
    ResultItem() { Item::setFlags(Item::flags() & ~Qt::ItemIsEditable); }

    QVariant data(int role) const override
    {
        if (role == Qt::AccessibleDescriptionRole)
            return rowDescription(view(), row());
        return Item::data(role);
    }

private:
    const QAbstractItemView *view() const;
    int row() const;
};

template<>
inline const QAbstractItemView *ResultItem<QTableWidgetItem>::view() const
{
    return tableWidget();
}

template<>
inline int ResultItem<QTableWidgetItem>::row() const
{
    return QTableWidgetItem::row();
}

template<>
inline const QAbstractItemView *ResultItem<QListWidgetItem>::view() const
{
    return listWidget();
}

template<>
inline int ResultItem<QListWidgetItem>::row() const
{
    return listWidget() ? listWidget()->row(this) : -1;
}

template<class Item>
class SliceItem : public ResultItem<Item>
{
public:
    SliceItem() = default;
    SliceItem(const QString &source, int from, int length) { showSlice(source, from, length); }

    // Shows source[from, from + length). Unlike setData, this tells no view
    // that the item changed, so that a round can rewrite every cell without
    // a notification each: the caller repaints the view afterwards.
    void showSlice(const QString &source, int from, int length)
    {
        text = source;
        start = from;
        size = length;
    }

    QVariant data(int role) const override
    {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return text.mid(start, size);
        return ResultItem<Item>::data(role);
    }

private:
    QString text;
    int start = 0;
    int size = 0;
};

// A class cell keeps its class as a number and writes it out when asked: a
// round rewrites every cell of the table, and a string of its own in each
// would cost an allocation per cell and round.
class ClassCell : public ResultItem<QTableWidgetItem>
{
public:
    // Like showSlice, this tells no view that the cell changed.
    void showClass(int value) { classNumber = value; }

    QVariant data(int role) const override
    {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return QString::number(classNumber);
        return ResultItem<QTableWidgetItem>::data(role);
    }

private:
    int classNumber = 0;
};

using SuffixCell = SliceItem<QTableWidgetItem>;

// A row of the list keeps its background as a colour of its own: a search
// paints every row at its start, and data of their own for each of a long
// text's rows would cost an allocation per row and a notice to the view each.
class SuffixRow : public SliceItem<QListWidgetItem>
{
public:
    using SliceItem<QListWidgetItem>::SliceItem;

    // Like showSlice, this tells no view that the row changed.
    void showBackground(QColor colour) { background = colour; }

    QVariant data(int role) const override
    {
        if (role == Qt::BackgroundRole && background.isValid())
            return background;
        return SliceItem<QListWidgetItem>::data(role);
    }

private:
    QColor background;
};

#endif // SLICEITEM_H
