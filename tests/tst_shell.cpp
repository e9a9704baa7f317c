#include "windowdriver.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

// The window as the user first meets it, and the help box.
class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void startState();
    void helpBox();
    void closingEndsEventLoopWithZero();
};

void TestShell::startState()
{
    WindowDriver d;
    QCOMPARE(d.window.windowTitle(), QString("Поиск подстроки с помощью суффиксного массива"));
    QCOMPARE(d.window.size(), QSize(764, 426));
    const Qt::WindowFlags flags = d.window.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

    const QVector<QPair<const char *, QRect>> places = {
        {"lineS", {70, 20, 251, 20}},         {"label", {30, 20, 31, 16}},
        {"label_2", {380, 20, 47, 13}},       {"lineT", {430, 20, 141, 20}},
        {"pushButton", {70, 50, 251, 41}},    {"tableWidget", {70, 110, 251, 192}},
        {"pushButton_2", {430, 50, 141, 41}}, {"pushButton_3", {590, 20, 141, 71}},
        {"label_3", {70, 320, 251, 16}},      {"listWidget", {430, 110, 301, 192}},
        {"label_4", {430, 310, 301, 31}},     {"answerArea", {10, 340, 721, 31}}};
    d.window.resize(1000, 700);
    for (const auto &place : places)
        QCOMPARE(d.widget<QWidget>(place.first)->geometry(), place.second);

    QCOMPARE(d.controls(), QString("idle"));
    QVERIFY(d.textField()->text().isEmpty() && d.patternField()->text().isEmpty());
    QCOMPARE(d.table()->rowCount(), 0);
    QCOMPARE(d.list()->count(), 0);
    QCOMPARE(d.table()->horizontalHeaderItem(0)->text(), QString("Суффиксы"));
    QCOMPARE(d.table()->horizontalHeaderItem(1)->text(), QString("Классы"));
    QCOMPARE(d.table()->columnWidth(1), 124);
    QVERIFY(!d.table()->verticalHeader()->isVisible());
    QCOMPARE(d.window.menuBar()->actions().size(), 1);
    QCOMPARE(d.window.menuBar()->actions().first()->text(), QString("Справка"));
}

// Opening the menu "Справка" shows the help box; it is read while it is open.
void TestShell::helpBox()
{
    WindowDriver d;
    QString title, text;
    Qt::TextFormat format = Qt::AutoText;
    Qt::TextInteractionFlags interaction;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QAbstractButton *> buttons;
    bool okIsDefault = false;
    QTimer reader;
    connect(&reader, &QTimer::timeout, [&] {
        if (auto box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            text = box->text();
            format = box->textFormat();
            interaction = box->textInteractionFlags();
            icon = box->icon();
            buttons = box->buttons();
            okIsDefault = box->defaultButton() == box->button(QMessageBox::Ok);
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    reader.start(0);
    QMenuBar *bar = d.window.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions().first()).center());
    QTRY_VERIFY(!title.isEmpty());
    bar->actions().first()->menu()->close();

    QCOMPARE(title, QString("Справка"));
    QCOMPARE(format, Qt::RichText);
    QCOMPARE(interaction, Qt::TextBrowserInteraction);
    QCOMPARE(icon, QMessageBox::Information);
    QCOMPARE(buttons.size(), 1);
    QVERIFY(okIsDefault);
    const QStringList paragraphs = text.split('\n');
    QCOMPARE(paragraphs.size(), 5);
    QVERIFY(paragraphs[0].startsWith("Суффиксный массив был разработан <b>"));
    QVERIFY(paragraphs[0].endsWith("где необходим быстрый поиск подстрок."));
    QCOMPARE(paragraphs[1], QString("Суффиксный массив можно построить за O(|s|), где s — текст."));
    QVERIFY(paragraphs[2].endsWith("либо успешного нахождения всех символов образца."));
    QCOMPARE(paragraphs[3], QString("Таким образом время работы алгоритма O(|p|log|s|),"
                                    " где s — текст, p — образец."));
    QVERIFY(paragraphs[4].contains("суффиксного массива можно на <a href=\"https://"));
    QVERIFY(paragraphs[4].endsWith("</a>."));
}

void TestShell::closingEndsEventLoopWithZero()
{
    WindowDriver d;
    QTimer::singleShot(0, &d.window, &QWidget::close);
    QCOMPARE(QApplication::exec(), 0);
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
