#ifndef MAINWINDOW_H
#define MAINWINDOW_H

// The window of the lesson: it turns clicks into calls of the suffix-array
// engine and shows what the engine leaves, one round or one pattern letter per
// press of the step button. The engine itself knows nothing of widgets.

#include <QColor>
#include <QList>
#include <QMainWindow>
#include <QString>

QT_BEGIN_NAMESPACE
class Ui_MainWindow;
QT_END_NAMESPACE
class SuffixRowDelegate;

// Background of the list rows that are still candidates during a search.
extern const QColor candidateColor;
// Background of the list rows outside the candidate range.
extern const QColor plainColor;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void buildSuffArr();
    void step();
    void searchSuffArr();
    void infoSlot();

private:
    void setControlsEnabled(bool on);
    void setCell(int row, int column, const QString &text);
    void colorItems(int first, int last, QColor color);

    void constructionStep();
    void finishConstruction();
    void showOrderAndClasses();
    void searchStep();
    void showAnswer();

    Ui_MainWindow *ui;
    int iter = 0;
    int left = 0;
    int right = 0;
    int mode = 0; // 0 idle, 1 construction under way, 2 search under way
    QList<QString> suffixes;

    // The characters that suffixes, the table and the list read in place.
    QString shownText;
    // The characters of the construction before, kept until the first round
    // of this one has rewritten every table cell that still reads them.
    QString retiredShownText;

    SuffixRowDelegate *rowDelegate;
};

#endif // MAINWINDOW_H
