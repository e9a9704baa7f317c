#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QMessageBox>

const QColor candidateColor = QColor::fromRgb(227, 38, 54, 255);
const QColor plainColor = QColor(Qt::white);

namespace {

const char helpText[] =
    "Суффиксный массив был разработан <b>Уди Манбером</b> и <b>Джином Майерсом</b>"
    " как более экономная альтернатива суффиксному дереву с точки зрения необходимой памяти."
    " Она часто применяется там, где необходим быстрый поиск подстрок.\n"
    "Суффиксный массив можно построить за O(|s|), где s — текст.\n"
    "Чтобы узнать, встречается ли образец в тексте, используя суффиксный массив,"
    " необходимо взять первый символ образца и бинарным поиском по суффиксному массиву"
    " найти диапазон с суффиксами, начинающимися на такую же букву. Так как все элементы"
    " в полученном диапазоне отсортированы, а первые символы одинаковые, то оставшиеся"
    " после отбрасывания первого символа суффиксы тоже отсортированы. А значит, можно"
    " повторять процедуру сужения диапазона поиска уже по второму, затем третьему и так"
    " далее символу образца до получения либо пустого диапазона, либо успешного"
    " нахождения всех символов образца.\n"
    "Таким образом время работы алгоритма O(|p|log|s|), где s — текст, p — образец.\n"
    "Прочитать подробнее про построение и применения суффиксного массива можно на"
    " <a href=\"https://ru.wikipedia.org/wiki/"
    "%D0%A1%D1%83%D1%84%D1%84%D0%B8%D0%BA%D1%81%D0%BD%D1%8B%D0%B9_"
    "%D0%BC%D0%B0%D1%81%D1%81%D0%B8%D0%B2\">странице Википедии</a>.";

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowCloseButtonHint);

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

void MainWindow::setControlsEnabled(bool on)
{
    ui->pushButton->setEnabled(on);
    ui->pushButton_2->setEnabled(on);
    ui->lineS->setEnabled(on);
    ui->lineT->setEnabled(on);
    ui->pushButton_3->setEnabled(!on);
}

void MainWindow::buildSuffArr()
{
}

void MainWindow::step()
{
}

void MainWindow::searchSuffArr()
{
}

void MainWindow::infoSlot()
{
    QMessageBox box;
    box.setWindowTitle(QString::fromUtf8("Справка"));
    box.setText(QString::fromUtf8(helpText));
    box.setTextFormat(Qt::RichText);
    box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    box.setIcon(QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}
