#ifndef WINDOWDRIVER_H
#define WINDOWDRIVER_H

// Drives the real window as a user would: finds its widgets by object name,
// enters text as a paste would, clicks buttons, and reads back what is shown.

#include "mainwindow.h"
#include "suffarr.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

class WindowDriver
{
public:
    // The program has one window and one engine per process: each driver
    // starts like a fresh program, with an engine that has built nothing.
    WindowDriver()
    {
        suffArr = SuffArr();
        window.show();
    }

    template<class W>
    W *widget(const char *name)
    {
        W *w = window.findChild<W *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }

    QLineEdit *textField() { return widget<QLineEdit>("lineS"); }
    QLineEdit *patternField() { return widget<QLineEdit>("lineT"); }
    QPushButton *buildButton() { return widget<QPushButton>("pushButton"); }
    QPushButton *findButton() { return widget<QPushButton>("pushButton_2"); }
    QPushButton *stepButton() { return widget<QPushButton>("pushButton_3"); }
    QTableWidget *table() { return widget<QTableWidget>("tableWidget"); }
    QListWidget *list() { return widget<QListWidget>("listWidget"); }
    QString roundMessage() { return widget<QLabel>("label_3")->text(); }
    QString searchMessage() { return widget<QLabel>("label_4")->text(); }
    QString answer() { return widget<QLabel>("label_ans")->text(); }

    static void enter(QLineEdit *field, const QString &text)
    {
        field->selectAll();
        field->insert(text);
    }
    static void click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    void build(const QString &text)
    {
        enter(textField(), text);
        click(buildButton());
    }
    void find(const QString &pattern)
    {
        enter(patternField(), pattern);
        click(findButton());
    }
    void step() { click(stepButton()); }

    // Presses the step button until the window is idle; returns the number of presses.
    int stepToEnd(int limit = 64)
    {
        int presses = 0;
        while (stepButton()->isEnabled() && presses < limit) {
            step();
            ++presses;
        }
        return presses;
    }

    // "idle": text, pattern, build and find usable, step not; "busy": the reverse.
    QString controls()
    {
        const bool inputs[] = {textField()->isEnabled(), patternField()->isEnabled(),
                               buildButton()->isEnabled(), findButton()->isEnabled()};
        const bool stepping = stepButton()->isEnabled();
        if (std::all_of(std::begin(inputs), std::end(inputs), [](bool on) { return on; }) && !stepping)
            return QStringLiteral("idle");
        if (std::none_of(std::begin(inputs), std::end(inputs), [](bool on) { return on; }) && stepping)
            return QStringLiteral("busy");
        return QStringLiteral("mixed");
    }

    QStringList listRows()
    {
        QStringList rows;
        for (int r = 0; r < list()->count(); ++r)
            rows << list()->item(r)->text();
        return rows;
    }

    // One letter per list row: R candidate red, W plain white, - never painted, ? anything else.
    QString rowColors()
    {
        QString colors;
        for (int r = 0; r < list()->count(); ++r) {
            const QVariant background = list()->item(r)->data(Qt::BackgroundRole);
            if (!background.isValid())
                colors += '-';
            else if (background.value<QColor>() == candidateColor)
                colors += 'R';
            else if (background.value<QColor>() == plainColor)
                colors += 'W';
            else
                colors += '?';
        }
        return colors;
    }

    // The 1-based positions listed at the end of the answer.
    QVector<int> answerPositions()
    {
        const QString shown = answer();
        QVector<int> positions;
        const QString tail = shown.mid(shown.lastIndexOf(QLatin1String(": ")) + 2);
        for (QString number : tail.split(QLatin1String(", "), Qt::SkipEmptyParts)) {
            if (number.endsWith(QLatin1Char('.')))
                number.chop(1);
            positions << number.toInt();
        }
        return positions;
    }

    QStringList tableColumn(int column)
    {
        QStringList cells;
        for (int r = 0; r < table()->rowCount(); ++r) {
            const QTableWidgetItem *item = table()->item(r, column);
            cells << (item ? item->text() : QStringLiteral("(none)"));
        }
        return cells;
    }

    MainWindow window;
};

#endif // WINDOWDRIVER_H
