#include "display.h"
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
    void layoutGrowsWithTheFont_data();
    void layoutGrowsWithTheFont();
    void helpBox();
    void closingEndsEventLoopWithZero();
};

// The form's rectangles, in pixels of the design font.
static const QVector<QPair<const char *, QRect>> places = {
    {"lineS", {70, 20, 251, 20}},         {"label", {30, 20, 31, 16}},
    {"label_2", {380, 20, 47, 13}},       {"lineT", {430, 20, 141, 20}},
    {"pushButton", {70, 50, 251, 41}},    {"tableWidget", {70, 110, 251, 192}},
    {"pushButton_2", {430, 50, 141, 41}}, {"pushButton_3", {590, 20, 141, 71}},
    {"label_3", {70, 320, 251, 16}},      {"listWidget", {430, 110, 301, 192}},
    {"label_4", {430, 310, 301, 31}},     {"answerArea", {10, 340, 721, 31}}};

void TestShell::startState()
{
    WindowDriver d;
    QCOMPARE(d.window.windowTitle(), QString("Поиск подстроки с помощью суффиксного массива"));
    const Qt::WindowFlags flags = d.window.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

    QCOMPARE(d.controls(), QString("idle"));
    QVERIFY(d.textField()->text().isEmpty() && d.patternField()->text().isEmpty());
    QCOMPARE(d.table()->rowCount(), 0);
    QCOMPARE(d.list()->count(), 0);
    QCOMPARE(d.table()->horizontalHeaderItem(0)->text(), QString("Суффиксы"));
    QCOMPARE(d.table()->horizontalHeaderItem(1)->text(), QString("Классы"));
    QVERIFY(!d.table()->verticalHeader()->isVisible());
    QCOMPARE(d.window.menuBar()->actions().size(), 1);
    QCOMPARE(d.window.menuBar()->actions().first()->text(), QString("Справка"));
}

void TestShell::layoutGrowsWithTheFont_data()
{
    QTest::addColumn<QFont>("font");
    QTest::newRow("design font, Liberation Sans 8") << QFont("Liberation Sans", 8);
    QTest::newRow("DejaVu Sans 9") << QFont("DejaVu Sans", 9);
    QTest::newRow("Noto Sans 14") << QFont("Noto Sans", 14);
}

// At the design font every widget stands exactly where the form puts it; at
// a larger one every rectangle grows by one factor and every fixed text fits.
void TestShell::layoutGrowsWithTheFont()
{
    QFETCH(QFont, font);
    // The application's font, for the life of the window only.
    struct AppFont
    {
        const QFont before = QApplication::font();
        explicit AppFont(const QFont &font) { QApplication::setFont(font); }
        ~AppFont() { QApplication::setFont(before); }
    } appFont(font);
    QVERIFY2(QFontInfo(font).family() == font.family(), "the font is not installed");
    WindowDriver d;
    QApplication::processEvents();
    const qreal scale = d.window.width() / 764.0;
    const bool tallEnough = d.window.centralWidget()->height() >= d.widget<QWidget>("answerArea")->geometry().bottom() + 1;
    d.window.resize(d.window.size() + QSize(200, 100));

    const auto fits = [&d](const char *name, const QString &text) {
        const QWidget *label = d.widget<QWidget>(name);
        const QFontMetrics metrics(label->font());
        const QStringList lines = text.split('\n');
        for (const QString &line : lines) {
            if (metrics.horizontalAdvance(line) > label->contentsRect().width() + 1)
                return false;
        }
        return lines.size() * metrics.height() <= label->contentsRect().height() + 1;
    };
    QVERIFY(fits("label", "Текст:"));
    QVERIFY(fits("label_2", "Образец:"));
    QVERIFY(fits("label_3", roundMessage(32768)));
    QVERIFY(fits("label_4", searchStepMessage(32767, QChar(0x0428))));
    for (const QPushButton *button : {d.buildButton(), d.findButton(), d.stepButton()})
        QVERIFY(button->sizeHint().width() <= button->width() + 1 && button->sizeHint().height() <= button->height());

    if (QFontInfo(font).family() == "Liberation Sans" && font.pointSize() == 8) {
        QCOMPARE(d.window.size(), QSize(964, 526));
        QCOMPARE(d.table()->columnWidth(0), 124);
        for (const auto &place : places)
            QCOMPARE(d.widget<QWidget>(place.first)->geometry(), place.second);
        return;
    }
    const auto scaled = [scale](const QRect &r) {
        return QRect(QPoint(qRound(r.left() * scale), qRound(r.top() * scale)),
                     QPoint(qRound((r.right() + 1) * scale) - 1, qRound((r.bottom() + 1) * scale) - 1));
    };
    QVERIFY(tallEnough);
    QVERIFY(qAbs(d.table()->columnWidth(0) - 124 * scale) <= 1);
    for (const auto &place : places) {
        const QRect shown = d.widget<QWidget>(place.first)->geometry();
        const QRect expected = scaled(place.second);
        if ((shown.topLeft() - expected.topLeft()).manhattanLength() > 1 || qAbs(shown.width() - expected.width()) > 1
            || qAbs(shown.height() - expected.height()) > 1)
            QFAIL(qPrintable(QString("%1 is not the form's rectangle grown by %2").arg(place.first).arg(scale)));
    }
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
