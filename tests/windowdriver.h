#ifndef WINDOWDRIVER_H
#define WINDOWDRIVER_H

// Drives the real window as a user would: finds its widgets by object name,
// enters text as a paste would, clicks buttons, and reads back what is shown.

#include "mainwindow.h"
#include "suffarr.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
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

    // Opens the menu "Справка" and closes the help box it shows; returns whether it showed one.
    bool openHelp()
    {
        bool shown = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&shown] {
            if (auto box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown = true;
                box->accept();
            }
        });
        closer.start(0);
        QMenu *menu = window.menuBar()->actions().first()->menu();
        menu->popup(QPoint());
        menu->close();
        return shown;
    }

    // Presses the step button until the window is idle; returns the number of presses.
    int stepToEnd()
    {
        int presses = 0;
        for (; stepButton()->isEnabled() && presses < 100; ++presses)
            step();
        return presses;
    }

    // "idle": text, pattern, build and find usable, step not; "busy": the reverse.
    QString controls()
    {
        const int usable = textField()->isEnabled() + patternField()->isEnabled()
            + buildButton()->isEnabled() + findButton()->isEnabled();
        if (usable == 4 && !stepButton()->isEnabled())
            return QStringLiteral("idle");
        if (usable == 0 && stepButton()->isEnabled())
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

    // One letter per list row: R candidate red, W plain white, - anything else.
    QString rowColors()
    {
        QString colors;
        for (int r = 0; r < list()->count(); ++r) {
            const QColor color = list()->item(r)->data(Qt::BackgroundRole).value<QColor>();
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

    // The 1-based positions listed at the end of the answer.
    QVector<int> answerPositions()
    {
        const QString shown = answer();
        QVector<int> positions;
        const QString tail = shown.mid(shown.lastIndexOf(QLatin1String(": ")) + 2);
        for (const QString &number : tail.split(QRegularExpression(QStringLiteral("[,. ]+")),
                                                Qt::SkipEmptyParts))
            positions << number.toInt();
        return positions;
    }

    MainWindow window;
};

#endif // WINDOWDRIVER_H
