#include "mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

// The window as the user first meets it: its widgets, their places, the help box.
class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void widgetPlaces_data();
    void widgetPlaces();
    void startState();
    void tableSettings();
    void menuAndBars();
    void windowFrame();
    void helpBox();
    void closingEndsEventLoopWithZero();
};

template<class W>
static W *child(QWidget &window, const char *name)
{
    W *w = window.findChild<W *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

void TestShell::widgetPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::newRow("text field") << "lineS" << QRect(70, 20, 251, 20) << "";
    QTest::newRow("text caption") << "label" << QRect(30, 20, 31, 16) << "Текст:";
    QTest::newRow("pattern caption") << "label_2" << QRect(380, 20, 47, 13) << "Образец:";
    QTest::newRow("pattern field") << "lineT" << QRect(430, 20, 141, 20) << "";
    QTest::newRow("build button") << "pushButton" << QRect(70, 50, 251, 41)
                                  << "Пересчитать суффиксный массив";
    QTest::newRow("table") << "tableWidget" << QRect(70, 110, 251, 192) << "";
    QTest::newRow("find button") << "pushButton_2" << QRect(430, 50, 141, 41) << "Найти";
    QTest::newRow("step button") << "pushButton_3" << QRect(590, 20, 141, 71) << "Шаг";
    QTest::newRow("round message") << "label_3" << QRect(70, 320, 251, 16) << "";
    QTest::newRow("sorted suffixes") << "listWidget" << QRect(430, 110, 301, 192) << "";
    QTest::newRow("search message") << "label_4" << QRect(430, 310, 301, 31) << "";
    QTest::newRow("answer") << "label_ans" << QRect(10, 340, 721, 31) << "";
}

// Every widget sits at a fixed place in the central widget, even after a resize.
void TestShell::widgetPlaces()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    MainWindow window;
    window.show();
    QWidget *w = window.findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->parentWidget(), window.centralWidget());
    QCOMPARE(w->geometry(), geometry);
    const QVariant shown = w->property("text");
    if (shown.isValid())
        QCOMPARE(shown.toString(), text);

    window.resize(1000, 700);
    QCoreApplication::processEvents();
    QCOMPARE(w->geometry(), geometry);
}

void TestShell::startState()
{
    MainWindow window;
    window.show();
    QCOMPARE(window.windowTitle(), QString("Поиск подстроки с помощью суффиксного массива"));
    QCOMPARE(window.size(), QSize(764, 426));
    QCOMPARE(window.objectName(), QString("MainWindow"));

    QVERIFY(child<QPushButton>(window, "pushButton")->isEnabled());
    QVERIFY(child<QPushButton>(window, "pushButton_2")->isEnabled());
    QVERIFY(!child<QPushButton>(window, "pushButton_3")->isEnabled());
    QVERIFY(child<QLineEdit>(window, "lineS")->isEnabled());
    QVERIFY(child<QLineEdit>(window, "lineT")->isEnabled());
    QVERIFY(child<QLineEdit>(window, "lineS")->text().isEmpty());
    QVERIFY(child<QLineEdit>(window, "lineT")->text().isEmpty());
    QCOMPARE(child<QTableWidget>(window, "tableWidget")->rowCount(), 0);
    QCOMPARE(child<QListWidget>(window, "listWidget")->count(), 0);
    QCOMPARE(child<QLineEdit>(window, "lineS")->maxLength(), 32767);
}

void TestShell::tableSettings()
{
    MainWindow window;
    window.show();
    auto table = child<QTableWidget>(window, "tableWidget");
    QCOMPARE(table->columnCount(), 2);
    QCOMPARE(table->horizontalHeaderItem(0)->text(), QString("Суффиксы"));
    QCOMPARE(table->horizontalHeaderItem(1)->text(), QString("Классы"));
    QCOMPARE(table->horizontalHeader()->defaultSectionSize(), 124);
    QCOMPARE(table->columnWidth(0), 124);
    QCOMPARE(table->columnWidth(1), 124);
    QVERIFY(table->horizontalHeader()->isVisible());
    QVERIFY(!table->verticalHeader()->isVisible());
    QCOMPARE(table->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(table->showGrid());
    QVERIFY(table->isCornerButtonEnabled());
}

void TestShell::menuAndBars()
{
    MainWindow window;
    window.show();
    QMenuBar *bar = window.menuBar();
    QCOMPARE(bar->objectName(), QString("menuBar"));
    QCOMPARE(bar->actions().size(), 1);
    QCOMPARE(bar->actions().first()->text(), QString("Справка"));
    auto menu = child<QMenu>(window, "menuInfo");
    QCOMPARE(bar->actions().first(), menu->menuAction());
    QVERIFY(menu->actions().isEmpty());

    auto toolBar = child<QToolBar>(window, "mainToolBar");
    QCOMPARE(window.toolBarArea(toolBar), Qt::TopToolBarArea);
    QVERIFY(toolBar->actions().isEmpty());
    QCOMPARE(window.statusBar()->objectName(), QString("statusBar"));
    QVERIFY(window.statusBar()->currentMessage().isEmpty());
}

void TestShell::windowFrame()
{
    MainWindow window;
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags.testFlag(Qt::Window));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
}

// Opening the "Справка" menu shows the help box; what it shows is read while it is open.
void TestShell::helpBox()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QString title, text;
    Qt::TextFormat format = Qt::AutoText;
    Qt::TextInteractionFlags interaction;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QPushButton *defaultButton = nullptr;
    QAbstractButton *okButton = nullptr;
    bool seen = false;
    QTimer closer;
    closer.setInterval(0);
    connect(&closer, &QTimer::timeout, [&] {
        auto box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = true;
        title = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        interaction = box->textInteractionFlags();
        icon = box->icon();
        buttons = box->standardButtons();
        defaultButton = box->defaultButton();
        okButton = box->button(QMessageBox::Ok);
        closer.stop();
        QTest::keyClick(box, Qt::Key_Return);
    });
    closer.start();

    QMenuBar *bar = window.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(bar->actions().first()).center());
    QTRY_VERIFY(seen);
    child<QMenu>(window, "menuInfo")->close();

    QCOMPARE(title, QString("Справка"));
    QCOMPARE(format, Qt::RichText);
    QCOMPARE(interaction, Qt::TextBrowserInteraction);
    QCOMPARE(icon, QMessageBox::Information);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(static_cast<QAbstractButton *>(defaultButton), okButton);

    const QStringList paragraphs = text.split('\n');
    QCOMPARE(paragraphs.size(), 5);
    QVERIFY(paragraphs[0].startsWith("Суффиксный массив был разработан <b>"));
    QCOMPARE(paragraphs[0].count("<b>"), 2);
    QVERIFY(paragraphs[0].endsWith(" как более экономная альтернатива суффиксному дереву с точки"
                                   " зрения необходимой памяти. Она часто применяется там, где"
                                   " необходим быстрый поиск подстрок."));
    QCOMPARE(paragraphs[1], QString("Суффиксный массив можно построить за O(|s|), где s — текст."));
    QVERIFY(paragraphs[2].startsWith("Чтобы узнать, встречается ли образец в тексте,"));
    QVERIFY(paragraphs[2].endsWith("либо успешного нахождения всех символов образца."));
    QCOMPARE(paragraphs[3], QString("Таким образом время работы алгоритма O(|p|log|s|),"
                                    " где s — текст, p — образец."));
    QVERIFY(paragraphs[4].startsWith("Прочитать подробнее про построение и применения"
                                     " суффиксного массива можно на <a href=\"https://"));
    QVERIFY(paragraphs[4].endsWith("</a>."));
}

void TestShell::closingEndsEventLoopWithZero()
{
    MainWindow window;
    window.show();
    QTimer::singleShot(0, &window, &QWidget::close);
    QCOMPARE(QApplication::exec(), 0);
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
