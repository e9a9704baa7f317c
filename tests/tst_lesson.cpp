#include "oracle.h"
#include "suffarr.h"
#include "windowdriver.h"

#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QTextDocument>
#include <QTimer>

// The lesson through the real window: building round by round, searching
// letter by letter, the answer, and what each click leaves on screen.
class TestLesson : public QObject
{
    Q_OBJECT

private slots:
    void searchBeforeAnyConstruction();
    void ababRoundByRound();
    void stepsPerLength_data();
    void stepsPerLength();
    void abracadabraSearch();
    void answers_data();
    void answers();
    void secondSearchRepaintsEveryRow();
    void rebuildClearsWhatSearchLeft();
    void shorterRebuildShrinksTable();
    void helpMidConstructionChangesNothing();
    void emptyPatternStartsNoSearch();
    void answerShowsTheBuiltText();
    void sentinelsAreRemoved();
    void randomLessonsAgainstOracle();
};

static QString roundText(int length)
{
    return QString("Отсортировали фрагменты длины %1").arg(length);
}

static QString searchText(int number, const QString &letter)
{
    return QString("Воспользуемся двумя бинпоисками для отсечения\n"
                   "суффиксов, в которых буква №%1 не равна '%2'").arg(number).arg(letter);
}

// What the answer label shows as plain text.
static QString shownText(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

void TestLesson::searchBeforeAnyConstruction()
{
    WindowDriver d;
    d.find("ab");
    QCOMPARE(d.controls(), QString("busy"));
    QCOMPARE(d.stepToEnd(), 2);
    QCOMPARE(d.answer(), QString("Ответ:: "));
    QCOMPARE(d.searchMessage(), searchText(2, "b"));
    QCOMPARE(d.controls(), QString("idle"));
}

void TestLesson::ababRoundByRound()
{
    WindowDriver d;
    d.build("abab");
    QCOMPARE(d.controls(), QString("busy"));
    QCOMPARE(d.table()->rowCount(), 5);
    QCOMPARE(d.table()->columnCount(), 2);
    QVERIFY(d.roundMessage().isEmpty() && d.searchMessage().isEmpty() && d.answer().isEmpty());
    QCOMPARE(d.list()->count(), 0);

    const QStringList classes[] = {{"0", "1", "1", "2", "2"}, {"0", "1", "1", "2", "3"},
                                   {"0", "1", "2", "3", "4"}, {"0", "1", "2", "3", "4"}};
    for (int round = 0; round < 4; ++round) {
        QCOMPARE(d.controls(), QString("busy"));
        d.step();
        QCOMPARE(d.roundMessage(), roundText(1 << round));
        QCOMPARE(d.tableColumn(1), classes[round]);
        QStringList suffixes = d.tableColumn(0);
        std::sort(suffixes.begin() + 1, suffixes.begin() + 3);
        std::sort(suffixes.begin() + 3, suffixes.end());
        QCOMPARE(suffixes, (QStringList{"#", "ab#", "abab#", "b#", "bab#"}));
    }
    QCOMPARE(d.tableColumn(0), (QStringList{"#", "ab#", "abab#", "b#", "bab#"}));
    QCOMPARE(d.listRows(), (QStringList{"ab", "abab", "b", "bab"}));
    QCOMPARE(d.controls(), QString("idle"));
    QCOMPARE(d.roundMessage(), roundText(8));
}

void TestLesson::stepsPerLength_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("steps");
    QTest::newRow("empty text") << "" << 1;
    QTest::newRow("a") << "a" << 2;
    QTest::newRow("aaa") << "aaa" << 3;
    QTest::newRow("4 letters") << "baba" << 4;
    QTest::newRow("7 letters") << "abcabca" << 4;
    QTest::newRow("8 letters") << "zyxwzyxw" << 5;
    QTest::newRow("15 letters") << "abracadabraabra" << 5;
    QTest::newRow("16 letters, Cyrillic") << "абракадабраабраЁ" << 6;
}

void TestLesson::stepsPerLength()
{
    QFETCH(QString, text);
    QFETCH(int, steps);

    WindowDriver d;
    d.build(text);
    for (int i = 0; i < steps; ++i) {
        QCOMPARE(d.controls(), QString("busy"));
        d.step();
        QCOMPARE(d.roundMessage(), roundText(1 << i));
    }
    QCOMPARE(d.controls(), QString("idle"));

    QStringList sorted, classes;
    for (int position : oracle::suffixArray(text))
        sorted << text.mid(position);
    for (int i = 0; i <= text.size(); ++i)
        classes << QString::number(i);
    QCOMPARE(d.listRows(), sorted);
    QCOMPARE(d.tableColumn(1), classes);
    QStringList shown{"#"};
    for (const QString &suffix : qAsConst(sorted))
        shown << suffix + "#";
    QCOMPARE(d.tableColumn(0), shown);
}

void TestLesson::abracadabraSearch()
{
    WindowDriver d;
    d.build("abracadabra");
    d.stepToEnd();
    d.find("abra");
    QCOMPARE(d.controls(), QString("busy"));
    QCOMPARE(d.rowColors(), QString("RRRRRRRRRRR"));

    const QString colors[] = {"RRRRRWWWWWW", "WRRWWWWWWWW", "WRRWWWWWWWW", "WRRWWWWWWWW"};
    for (int i = 0; i < 4; ++i) {
        QVERIFY(d.answer().isEmpty());
        d.step();
        QCOMPARE(d.searchMessage(), searchText(i + 1, QString("abra").at(i)));
        QCOMPARE(d.rowColors(), colors[i]);
    }
    QCOMPARE(d.controls(), QString("idle"));
    QString expected = "Ответ:";
    for (int i = 0; i < 11; ++i)
        expected += QString("<font color=\"%1\">%2</font>")
                        .arg(i == 0 || i == 7 ? "red" : "black").arg(QString("abracadabra").at(i));
    QCOMPARE(d.answer(), expected + ": 1, 8.");
}

void TestLesson::answers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QVector<int>>("positions");
    QTest::addColumn<QString>("answer"); // checked in full where given

    QTest::newRow("aaa / aa") << "aaa" << "aa" << QVector<int>{1, 2}
        << "Ответ:<font color=\"red\">a</font><font color=\"red\">a</font>"
           "<font color=\"black\">a</font>: 1, 2.";
    QTest::newRow("mississippi / issi: overlapping") << "mississippi" << "issi" << QVector<int>{2, 5} << "";
    QTest::newRow("not found") << "abracadabra" << "x" << QVector<int>{} << "";
    QTest::newRow("pattern longer than the text") << "ab" << "abc" << QVector<int>{}
        << "Ответ:<font color=\"black\">a</font><font color=\"black\">b</font>: ";
    QTest::newRow("case differs") << "abracadabra" << "A" << QVector<int>{} << "";
    QTest::newRow("empty text built") << "" << "a" << QVector<int>{} << "Ответ:: ";
    QTest::newRow("markup in the text") << "a<b>c" << "b" << QVector<int>{3}
        << "Ответ:<font color=\"black\">a</font><font color=\"black\">&lt;</font>"
           "<font color=\"red\">b</font><font color=\"black\">&gt;</font>"
           "<font color=\"black\">c</font>: 3.";
    QTest::newRow("ampersand and quotes") << "x & \"y\"" << "&" << QVector<int>{3} << "";
    QTest::newRow("Cyrillic") << "ёжик и ёлка" << "ё" << QVector<int>{1, 8} << "";
}

void TestLesson::answers()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QVector<int>, positions);
    QFETCH(QString, answer);

    WindowDriver d;
    d.build(text);
    d.stepToEnd();
    d.find(pattern);
    QCOMPARE(d.stepToEnd(), pattern.size());
    QCOMPARE(d.controls(), QString("idle"));
    if (!answer.isEmpty())
        QCOMPARE(d.answer(), answer);
    QCOMPARE(d.answerPositions(), positions);
    QStringList numbers;
    for (int p : positions)
        numbers << QString::number(p);
    const QString tail = ": " + (positions.isEmpty() ? QString() : numbers.join(", ") + ".");
    if (!text.isEmpty())
        QCOMPARE(shownText(d.answer()), "Ответ:" + text + tail);
}

void TestLesson::secondSearchRepaintsEveryRow()
{
    WindowDriver d;
    d.build("abracadabra");
    d.stepToEnd();
    d.find("abra");
    d.stepToEnd();
    d.find("c");
    QCOMPARE(d.rowColors(), QString("RRRRRRRRRRR"));
    QVERIFY(d.answer().isEmpty());
    d.stepToEnd();
    QCOMPARE(d.rowColors(), QString("WWWWWWWRWWW"));
}

void TestLesson::rebuildClearsWhatSearchLeft()
{
    WindowDriver d;
    d.build("abracadabra");
    d.stepToEnd();
    d.find("ab");
    d.stepToEnd();
    d.build("abab");
    QVERIFY(d.roundMessage().isEmpty() && d.searchMessage().isEmpty() && d.answer().isEmpty());
    QCOMPARE(d.list()->count(), 0);
    QCOMPARE(d.controls(), QString("busy"));
}

void TestLesson::shorterRebuildShrinksTable()
{
    WindowDriver d;
    d.build("abracadabra");
    d.stepToEnd();
    const QStringList old = d.tableColumn(0);
    d.build("ab");
    QCOMPARE(d.table()->rowCount(), 3);
    QCOMPARE(d.tableColumn(0), old.mid(0, 3));
    d.step();
    QCOMPARE(d.tableColumn(0), (QStringList{"#", "ab#", "b#"}));
}

void TestLesson::helpMidConstructionChangesNothing()
{
    WindowDriver d;
    d.build("abab");
    d.step();
    const QStringList suffixes = d.tableColumn(0);
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        if (auto box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->accept();
    });
    closer.start(0);
    d.window.menuBar()->actions().first()->menu()->popup(QPoint());
    QTRY_VERIFY(!QApplication::activeModalWidget());
    d.window.menuBar()->actions().first()->menu()->close();

    QCOMPARE(d.controls(), QString("busy"));
    QCOMPARE(d.roundMessage(), roundText(1));
    QCOMPARE(d.tableColumn(0), suffixes);
    QCOMPARE(d.stepToEnd(), 3);
    QCOMPARE(d.listRows(), (QStringList{"ab", "abab", "b", "bab"}));
}

void TestLesson::emptyPatternStartsNoSearch()
{
    WindowDriver d;
    d.build("abab");
    d.stepToEnd();
    d.find("b");
    d.stepToEnd();
    const QString answer = d.answer();
    const QString colors = d.rowColors();
    d.find("");
    QCOMPARE(d.controls(), QString("idle"));
    QCOMPARE(d.answer(), answer);
    QCOMPARE(d.rowColors(), colors);
}

// The list and the search hold the text that was built, whatever the field shows now.
void TestLesson::answerShowsTheBuiltText()
{
    WindowDriver d;
    d.build("abracadabra");
    d.stepToEnd();
    WindowDriver::enter(d.textField(), "a much longer text that was never built");
    d.find("abra");
    d.stepToEnd();
    QCOMPARE(shownText(d.answer()), QString("Ответ:abracadabra: 1, 8."));
}

void TestLesson::sentinelsAreRemoved()
{
    WindowDriver d;
    d.build(QString("ab") + QChar(0) + "ab" + QChar(0));
    QCOMPARE(d.textField()->text(), QString("abab"));
    d.stepToEnd();
    QCOMPARE(d.listRows(), (QStringList{"ab", "abab", "b", "bab"}));
    d.find(QString("b") + QChar(0));
    QCOMPARE(d.patternField()->text(), QString("b"));
    QCOMPARE(d.stepToEnd(), 1);
    QCOMPARE(d.answerPositions(), (QVector<int>{2, 4}));
}

void TestLesson::randomLessonsAgainstOracle()
{
    WindowDriver d;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        oracle::TextSource source(seed);
        const QString text = source.text(source.pick(0, 60));
        d.build(text);
        d.stepToEnd();
        const QVector<int> sa = oracle::suffixArray(text);
        QStringList sorted;
        for (int position : sa)
            sorted << text.mid(position);
        if (d.listRows() != sorted || d.tableColumn(1).last() != QString::number(text.size()))
            QFAIL(qPrintable(QString("seed %1: wrong construction").arg(seed)));

        for (int trial = 0; trial < 3; ++trial) {
            const QString pattern = source.patternFor(text);
            d.find(pattern);
            for (int k = 0; k < pattern.size(); ++k) {
                d.step();
                QString expected;
                for (int position : sa)
                    expected += QStringView(text).mid(position).startsWith(pattern.left(k + 1)) ? 'R' : 'W';
                if (d.rowColors() != expected)
                    QFAIL(qPrintable(QString("seed %1, pattern '%2', letter %3: rows %4, expected %5")
                                         .arg(seed).arg(pattern).arg(k).arg(d.rowColors(), expected)));
            }
            QVector<int> positions;
            for (int p : oracle::occurrences(text, pattern))
                positions << p + 1;
            if (d.controls() != "idle" || d.answerPositions() != positions)
                QFAIL(qPrintable(QString("seed %1, pattern '%2': wrong answer").arg(seed).arg(pattern)));
        }
    }
}

QTEST_MAIN(TestLesson)
#include "tst_lesson.moc"
