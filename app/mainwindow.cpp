#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "answerarea.h"
#include "display.h"
#include "helpbox.h"
#include "keyboardsearch.h"
#include "rowtooltips.h"
#include "sliceitem.h"
#include "suffarr.h"
#include "suffixdelegates.h"
#include "windowscale.h"
#include "words.h"

#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

const QColor candidateColor = QColor::fromRgb(227, 38, 54, 255);
const QColor plainColor = QColor(Qt::white);

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowCloseButtonHint);
    rowDelegate = new SuffixRowDelegate(ui->listWidget);
    ui->listWidget->setItemDelegate(rowDelegate);
    ui->listWidget->setUniformItemSizes(true);
    new KeyboardSearch(ui->listWidget);
    cellDelegate = new SuffixCellDelegate(ui->tableWidget);
    ui->tableWidget->setItemDelegateForColumn(0, cellDelegate);
    answerArea = new AnswerArea(ui->label_ans);
    rowTooltips = new RowTooltips(ui->tableWidget, ui->listWidget);
    new WindowScaler(this, *ui);
    ui->statusBar->setSizeGripEnabled(false); // the scaler fixes the window's size
    makeKeyboardFriendly();

    connect(ui->pushButton, SIGNAL(clicked(bool)), this, SLOT(buildSuffArr()));
    connect(ui->pushButton_2, SIGNAL(clicked(bool)), this, SLOT(searchSuffArr()));
    connect(ui->menuInfo, SIGNAL(aboutToShow()), this, SLOT(infoSlot()));
    connect(ui->pushButton_3, SIGNAL(clicked(bool)), this, SLOT(step()));

    setControlsEnabled(true);
}

MainWindow::~MainWindow()
{
    delete ui;
}

// A lesson can be finished by keyboard alone and read by a screen reader;
// nothing here changes what the window shows.
void MainWindow::makeKeyboardFriendly()
{
    ui->label->setBuddy(ui->lineS);
    ui->label_2->setBuddy(ui->lineT);
    ui->tableWidget->setAccessibleName(Words::tableName);
    ui->listWidget->setAccessibleName(Words::listName);

    // Enter in a field presses its button; a disabled button ignores it.
    connect(ui->lineS, &QLineEdit::returnPressed, ui->pushButton, &QPushButton::click);
    connect(ui->lineT, &QLineEdit::returnPressed, ui->pushButton_2, &QPushButton::click);
    // Enter on a button presses it too, as Space does, though the window is
    // no dialog: after Enter in a field the focus waits on «Шаг».
    for (QPushButton *button : {ui->pushButton, ui->pushButton_2, ui->pushButton_3})
        button->setAutoDefault(true);

    // Tab leaves the table instead of walking its cells, and the table never
    // scrolls sideways, which would cut every suffix at its start while its
    // scroll bar, hidden, offers no way back.
    ui->tableWidget->setTabKeyNavigation(false);
    // Nor can a drag or a double-click on the header push «Классы» out of view.
    ui->tableWidget->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The views show what the algorithm computed: their items cannot be
    // edited, and neither can the table's cells that await their first round.
    ui->tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->listWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QScrollBar *sideways = ui->tableWidget->horizontalScrollBar();
    connect(sideways, &QScrollBar::rangeChanged, sideways, [sideways] { sideways->setRange(0, 0); });
    sideways->setRange(0, 0);

    // The tool bar stays empty where the form puts it.
    ui->mainToolBar->setMovable(false);
    ui->mainToolBar->setFloatable(false);
    ui->mainToolBar->toggleViewAction()->setVisible(false);
}

void MainWindow::setControlsEnabled(bool on)
{
    ui->pushButton->setEnabled(on);
    ui->pushButton_2->setEnabled(on);
    ui->lineS->setEnabled(on);
    ui->lineT->setEnabled(on);
    ui->pushButton_3->setEnabled(!on);
}

namespace {

// Milliseconds that a round before the last works ahead at most, on the
// list and the answer's letters together: what a frame leaves after the
// round's own work, 12 for a text of up to 4,096 code units and up to 20
// for the longest the field takes, whose rounds have a frame twice as long.
int workAheadMs(int textLength, int longest)
{
    const int shortText = 4096;
    return 12 + 8 * qBound(0, textLength - shortText, longest - shortText) / qMax(1, longest - shortText);
}

// The sentinel ends the engine's text and must occur nowhere else, so a text
// or a pattern never keeps a U+0000; one can only arrive by pasting, and it
// cannot be seen in the field anyway. Removes them from the field and
// returns what the field then holds.
QString removeSentinels(QLineEdit *field)
{
    QString text = field->text();
    if (text.contains(QChar(0))) {
        text.remove(QChar(0));
        field->setText(text);
    }
    return text;
}

// Every round must get the text the construction was prepared for, ended
// by the sentinel instead of the display terminator.
QString withSentinel(QString shown)
{
    shown[shown.size() - 1] = QChar(0);
    return shown;
}

// The text of the last completed construction, which the list and the search hold.
QString builtText()
{
    return suffArr.text.left(suffArr.suffixArray.size());
}

} // namespace

void MainWindow::buildSuffArr()
{
    const QString text = removeSentinels(ui->lineS);
    setControlsEnabled(false);
    ui->label_3->setText(QString());
    ui->listWidget->clear();
    ui->label_4->setText(QString());
    answerArea->clear();
    mode = Constructing;
    iter = -1;
    rowTooltips->forgetRound();
    ui->tableWidget->setColumnCount(2);
    ui->tableWidget->setRowCount(text.size() + 1);
    shownText = withDisplayTerminator(text);
    cellDelegate->setWholeText(shownText);
    rowDelegate->setWidestRow(text);
    answerArea->prepareFor(text);
    ui->pushButton_3->setFocus();
}

void MainWindow::step()
{
    if (mode == Constructing)
        constructionStep();
    else
        searchStep();
}

void MainWindow::constructionStep()
{
    const QString s = withSentinel(shownText);
    suffArr.sortRound(s, iter);
    ++iter;
    const int fragmentLength = 1 << iter;
    ui->label_3->setText(roundMessage(fragmentLength));
    if (fragmentLength >= s.size())
        finishConstruction();
    else if (iter > 0) // the first round fills the whole table
        workAhead(fragmentLength, s.size());
    showOrderAndClasses();
    rowTooltips->showRound(iter);
    announce(ui->label_3->text());
}

void MainWindow::finishConstruction()
{
    suffArr.storeSuffixArray();
    const int length = suffArr.suffixArray.size();
    {
        // The list, empty until now, learns once that it was filled
        // instead of once for each of its rows.
        const QSignalBlocker quiet(ui->listWidget->model());
        for (int position : qAsConst(suffArr.suffixArray)) {
            SuffixRow *row = takeRow();
            row->showSlice(shownText, position, length - position);
            ui->listWidget->addItem(row);
        }
    }
    ui->listWidget->reset();
    rowsAhead.clear();
    mode = Idle;
    setControlsEnabled(true);
    ui->lineT->setFocus(); // a pattern to find comes next
}

// The list measures its widest row when it is filled, in the last round, and
// the first answer lays out the whole text; a long text of many scripts
// takes longer than a frame for either, so each round between the first
// and the last does an equal part of both, within a few milliseconds, and
// makes its part of the list's rows.
void MainWindow::workAhead(int fragmentLength, int textLength)
{
    int roundsBeforeLast = 1;
    for (qint64 length = 2 * qint64(fragmentLength); length < textLength; length *= 2)
        ++roundsBeforeLast;
    // A round that meets much to measure leaves some to the rounds after it;
    // the last one does all that is left. The table's cells that the last
    // round laid out anew, about as many as this round's will be, take their
    // share of the frame first: the first rounds move most rows. What one
    // part leaves of the time, the other may take.
    const int cellsMs = cellDelegate->takeLayOutMs();
    const QDeadlineTimer deadline(
        roundsBeforeLast > 1 ? qMax(0, workAheadMs(textLength, ui->lineS->maxLength()) - cellsMs) : -1);
    rowDelegate->measureAhead(ui->listWidget->font(), roundsBeforeLast, deadline);
    answerArea->layOutAhead(roundsBeforeLast, deadline);
    makeRowsAhead(roundsBeforeLast, textLength);
}

// Makes one of that many equal parts of the rows the list will need.
void MainWindow::makeRowsAhead(int parts, int rowCount)
{
    const int part = (rowCount - int(rowsAhead.size()) + parts - 1) / parts;
    for (int i = 0; i < part; ++i)
        rowsAhead.push_back(std::make_unique<SuffixRow>());
}

// A row made ahead, or a new one where none is left.
SuffixRow *MainWindow::takeRow()
{
    if (rowsAhead.empty())
        return new SuffixRow;
    SuffixRow *row = rowsAhead.back().release();
    rowsAhead.pop_back();
    return row;
}

void MainWindow::showOrderAndClasses()
{
    {
        // One repaint of the table instead of a notification for each of its cells.
        const QSignalBlocker quiet(ui->tableWidget->model());
        for (int i = 0; i < suffArr.classes.size(); ++i) {
            const int position = suffArr.order[i];
            setSuffixCell(i, position);
            setCell(i, suffArr.classes[position]);
        }
    }
    ui->tableWidget->viewport()->update();
}

void MainWindow::setSuffixCell(int row, int position)
{
    auto *cell = dynamic_cast<SuffixCell *>(ui->tableWidget->item(row, 0));
    if (!cell) {
        // A cell without an item yet, or with one that a screen reader wrote.
        cell = new SuffixCell;
        ui->tableWidget->setItem(row, 0, cell);
    }
    cell->showSlice(shownText, position, shownText.size() - position);
}

void MainWindow::setCell(int row, int classNumber)
{
    auto *cell = dynamic_cast<ClassCell *>(ui->tableWidget->item(row, 1));
    if (!cell) {
        cell = new ClassCell;
        ui->tableWidget->setItem(row, 1, cell);
    }
    cell->showClass(classNumber);
}

void MainWindow::searchSuffArr()
{
    // An empty pattern has no letter to step over, so the search would never end.
    if (removeSentinels(ui->lineT).isEmpty())
        return;
    setControlsEnabled(false);
    answerArea->clear();
    mode = Searching;
    iter = 0;
    left = 0;
    right = suffArr.suffixArray.size();
    colorItems(0, right, candidateColor);
    ui->pushButton_3->setFocus();
}

void MainWindow::searchStep()
{
    colorItems(left, right, plainColor);
    const QString pattern = ui->lineT->text();
    suffArr.narrowRange(left, right, pattern, iter);
    ui->label_4->setText(searchStepMessage(iter + 1, characterAt(pattern, iter)));
    colorItems(left, right, candidateColor);
    showFirstCandidateIfNoneInView();
    ++iter;
    if (iter == pattern.size())
        showAnswer();
    else
        announce(ui->label_4->text());
}

// The list stays where the user scrolled it while any candidate row is in view.
void MainWindow::showFirstCandidateIfNoneInView()
{
    QListWidget *list = ui->listWidget;
    if (left >= right)
        return;
    const int top = list->visualItemRect(list->item(left)).top();
    const int bottom = list->visualItemRect(list->item(right - 1)).bottom();
    if (bottom >= 0 && top < list->viewport()->height())
        return;
    QScrollBar *sideways = list->horizontalScrollBar();
    const int offset = sideways->value();
    list->scrollToItem(list->item(left), QAbstractItemView::PositionAtTop);
    sideways->setValue(offset);
}

void MainWindow::showAnswer()
{
    const Answer answer = composeAnswer(builtText(), suffArr.rankOf, left, right);
    answerArea->setAnswer(answer);
    mode = Idle;
    setControlsEnabled(true);
    ui->lineT->setFocus(); // another pattern, perhaps
    announce(ui->label_4->text() + QLatin1Char('\n') + answer.plain);
}

// A screen reader speaks what changes where the keyboard is, not in a label
// elsewhere: what a step showed becomes the description of the control that
// has the focus after it, until the next step.
void MainWindow::announce(const QString &message)
{
    QWidget *focus = QApplication::focusWidget();
    if (announcedTo && announcedTo != focus)
        announcedTo->setAccessibleDescription(QString());
    announcedTo = focus && focus->window() == this ? focus : nullptr;
    if (announcedTo)
        announcedTo->setAccessibleDescription(message);
}

// Every row of the list is one that the last round of a construction put there.
void MainWindow::colorItems(int first, int last, QColor color)
{
    for (int row = first; row < last; ++row)
        static_cast<SuffixRow *>(ui->listWidget->item(row))->showBackground(color);
    if (first < last)
        ui->listWidget->viewport()->update();
}

void MainWindow::infoSlot()
{
    QMessageBox box;
    box.setWindowTitle(Words::helpTitle);
    box.setText(helpText());
    box.setTextFormat(Qt::RichText);
    box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    box.setIcon(QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    fitHelpBox(box, availableGeometry(this));
    const QPointer<QWidget> lessonFocus = ui->centralWidget->focusWidget();
    box.exec();
    // The menu shows once the box is closed and this slot has returned, empty
    // and out of sight, yet it would take every key: it closes again as soon
    // as it stands, and the keyboard goes back to the lesson.
    QTimer::singleShot(0, ui->menuInfo, [this, lessonFocus] {
        ui->menuInfo->hide();
        activateWindow();
        giveFocusBack(lessonFocus);
    });
}

// The focus returns to the control that had it, or goes on where Tab would
// take it should that control be disabled now.
void MainWindow::giveFocusBack(QWidget *control)
{
    QWidget *const start = control ? control : ui->lineS;
    QWidget *next = start;
    while (!next->isEnabled() || !(next->focusPolicy() & Qt::TabFocus)) {
        next = next->nextInFocusChain();
        if (next == start)
            return;
    }
    next->setFocus(Qt::OtherFocusReason);
}
