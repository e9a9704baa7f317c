#ifndef MAINWINDOW_H
#define MAINWINDOW_H

// The window of the lesson: it turns clicks into calls of the suffix-array
// engine and shows what the engine leaves, one round or one pattern letter per
// press of the step button. The engine itself knows nothing of widgets.

#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

QT_BEGIN_NAMESPACE
class Ui_MainWindow;
QT_END_NAMESPACE
class AnswerArea;
class RowTooltips;
class SuffixCellDelegate;
class SuffixRowDelegate;
class SuffixRow;

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
    void setSuffixCell(int row, int position);
    void setCell(int row, int classNumber);
    void colorItems(int first, int last, QColor color);

    void constructionStep();
    void finishConstruction();
    void workAhead(int fragmentLength, int textLength);
    void makeRowsAhead(int parts, int rowCount);
    SuffixRow *takeRow();
    void showOrderAndClasses();
    void searchStep();
    void showAnswer();
    void showFirstCandidateIfNoneInView();
    void makeKeyboardFriendly();
    void giveFocusBack(QWidget *control);
    void announce(const QString &message);

    // The values of mode.
    static constexpr int Idle = 0;
    static constexpr int Constructing = 1;
    static constexpr int Searching = 2;

    Ui_MainWindow *ui;
    // While constructing: the rounds run so far less one, so that 2^iter is
    // the length of the fragments sorted (-1 before the first round).
    // While searching: the pattern letters read so far, which is the index of
    // the letter the next step reads.
    int iter = 0;
    int left = 0;
    int right = 0;
    int mode = Idle;

    // The text being built followed by the display terminator "#". Suffix i
    // of the table is shownText from position i on; the list shows the same
    // suffixes without the "#". Cells and rows share it and copy on demand.
    QString shownText;

    // Rows for the list, made in the rounds before the last: the last round,
    // which alone knows their order, has no time to make one for each suffix
    // of a long text.
    std::vector<std::unique_ptr<SuffixRow>> rowsAhead;

    SuffixCellDelegate *cellDelegate;
    SuffixRowDelegate *rowDelegate;
    AnswerArea *answerArea;
    RowTooltips *rowTooltips;
    // The control whose description tells what the last step showed.
    QPointer<QWidget> announcedTo;
};

#endif // MAINWINDOW_H
