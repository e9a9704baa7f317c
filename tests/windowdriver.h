#ifndef WINDOWDRIVER_H
#define WINDOWDRIVER_H

// Drives the real window as a user would: finds its widgets by object name,
// enters text as a paste would, clicks buttons, and reads back what is shown.

#include "display.h"
#include "mainwindow.h"
#include "oracle.h"
#include "suffarr.h"
#include "words.h"

#include <QtTest>
#include <QtWidgets>

struct WindowDriver
{
    // One window and one engine per process, as in the program: each driver
    // starts with an engine that has built nothing.
    WindowDriver()
    {
        suffArr = SuffArr();
        window.show();
    }

    // A widget the window lacks fails the test, which goes on with a stand-in
    // so that the rest of the suite still runs.
    template<class W = QWidget>
    W *widget(const char *name)
    {
        if (W *w = window.findChild<W *>(QString::fromLatin1(name)))
            return w;
        QTest::qFail(qPrintable(QStringLiteral("the window has no %1").arg(QLatin1String(name))), __FILE__,
                     __LINE__);
        return new W(&standIns);
    }
    QLineEdit *textField() { return widget<QLineEdit>("lineS"); }
    QLineEdit *patternField() { return widget<QLineEdit>("lineT"); }
    QPushButton *button(const char *name) { return widget<QPushButton>(name); }
    QTableWidget *table() { return widget<QTableWidget>("tableWidget"); }
    QListWidget *list() { return widget<QListWidget>("listWidget"); }
    QAbstractScrollArea *answerArea() { return widget<QAbstractScrollArea>("answerArea"); }
    QString text(const char *label) { return widget<QLabel>(label)->text(); }

    // Active, as a desktop makes the window the user works in.
    bool activate()
    {
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    static void enter(QLineEdit *field, const QString &text)
    {
        field->selectAll();
        field->insert(text);
    }
    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void step() { click("pushButton_3"); }
    void build(const QString &text)
    {
        enter(textField(), text);
        click("pushButton");
    }
    void find(const QString &pattern)
    {
        enter(patternField(), pattern);
        click("pushButton_2");
    }
    // Presses the step button until the window is idle; returns the number of presses.
    int stepToEnd()
    {
        int presses = 0;
        for (; button("pushButton_3")->isEnabled() && presses < 100; ++presses)
            step();
        return presses;
    }

    // "idle": text, pattern, build and find usable, step not; "busy": step
    // usable alone; else the controls that are usable.
    QString controls()
    {
        const QStringList inputs{"lineS", "lineT", "pushButton", "pushButton_2"};
        QStringList usable;
        for (const QString &name : inputs + QStringList{"pushButton_3"})
            if (widget(qPrintable(name))->isEnabled())
                usable << name;
        return usable == inputs                     ? "idle"
            : usable == QStringList{"pushButton_3"} ? "busy"
                                                    : "usable: " + usable.join(", ");
    }
    // One letter per list row: R candidate, W plain, - anything else.
    QString rowColors()
    {
        QString colors;
        for (int r = 0; r < list()->count(); ++r) {
            const QVariant color = list()->item(r)->data(Qt::BackgroundRole);
            colors += color == candidateColor ? 'R' : color == plainColor ? 'W' : '-';
        }
        return colors;
    }
    QStringList tableColumn(int column)
    {
        QStringList cells;
        for (int r = 0; r < table()->rowCount(); ++r)
            cells << (table()->item(r, column) ? table()->item(r, column)->text() : QString());
        return cells;
    }

    MainWindow window;
    QWidget standIns;
};

// A key pressed where the desktop sends it: to the widget with the focus.
inline void press(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

// The answer for the pattern in the text, its occurrences found by brute force.
inline Answer answerFor(const QString &text, const QString &pattern)
{
    const oracle::Matches found = oracle::matches(text, pattern);
    return composeAnswer(text, found.rankOf, found.left, found.right);
}

// Equal but for rounding where glyphs overlap, which depends on the order they are drawn in.
inline bool alike(const QImage &a, const QImage &b)
{
    for (int y = 0; y < a.height() && a.size() == b.size(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (qAbs(qRed(a.pixel(x, y)) - qRed(b.pixel(x, y)))
                    + qAbs(qGreen(a.pixel(x, y)) - qGreen(b.pixel(x, y)))
                > 2)
                return false;
    return a.size() == b.size();
}

// Where the answer strip, scrolled to its start, middle and end, or to every
// page of it, shows other than a bare label with the answer would show
// there; empty when nowhere.
inline QString answerDrawnOtherwise(WindowDriver &d, bool everyPage = false)
{
    auto label = d.widget<QLabel>("label_ans");
    QWidget *view = d.answerArea()->viewport();
    QScrollBar *bar = d.answerArea()->horizontalScrollBar();
    QLabel bare(label->text());
    bare.setFont(label->font());
    bare.resize(label->size());
    QVector<int> offsets{0, bar->maximum() / 2 + 1, bar->maximum()};
    for (int offset = view->width(); everyPage && offset < bar->maximum(); offset += view->width())
        offsets << offset;
    for (int offset : offsets) {
        bar->setValue(offset);
        if (!alike(view->grab().toImage(), bare.grab(QRect(QPoint(bar->value(), 0), view->size())).toImage()))
            return QStringLiteral("scrolled to %1").arg(offset);
    }
    return QString();
}

// What is wrong with the answer on screen, if anything: it must be the
// answer for the pattern in the text built, drawn as a bare label with it
// would draw it, and scroll as far as its end.
inline QString answerFault(WindowDriver &d, const QString &built, const QString &pattern,
                           bool everyPage = false)
{
    auto label = d.widget<QLabel>("label_ans");
    QScrollBar *bar = d.answerArea()->horizontalScrollBar();
    if (label->text() != answerFor(built, pattern).html)
        return "another answer: " + label->text().left(300);
    const int width = label->sizeHint().width(), room = d.answerArea()->viewport()->width();
    if (bar->maximum() != qMax(0, width - room) || label->width() != qMax(width, room))
        return QStringLiteral("a label %1 wide scrolls to %2").arg(label->width()).arg(bar->maximum());
    return answerDrawnOtherwise(d, everyPage);
}

#endif // WINDOWDRIVER_H
