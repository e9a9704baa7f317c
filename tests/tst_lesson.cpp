#include "oracle.h"
#include "windowdriver.h"

#include <QTextDocument>

// The lesson through the real window: the texts, numbers and colours that
// each click of a construction and of a search leaves on screen.
class TestLesson : public QObject
{
    Q_OBJECT

private slots:
    void ababRoundByRound();
    void stepsPerLength_data();
    void stepsPerLength();
    void abracadabraSearch();
    void answers_data();
    void answers();
    void searchBeforeAnyConstruction();
    void laterSearchesAndRebuilds();
    void helpMidConstructionChangesNothing();
    void emptyPatternStartsNoSearch();
    void answerShowsTheBuiltText();
    void sentinelsAreRemoved();
};

static QString roundText(int length)
{
    return QString("Отсортировали фрагменты длины %1").arg(length);
}

static QString shownText(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

void TestLesson::ababRoundByRound()
{
    WindowDriver d;
    d.build("abab");
    QCOMPARE(d.table()->rowCount(), 5);
    QCOMPARE(d.table()->columnCount(), 2);
    const QStringList classes[] = {{"0", "1", "1", "2", "2"}, {"0", "1", "1", "2", "3"},
                                   {"0", "1", "2", "3", "4"}, {"0", "1", "2", "3", "4"}};
    for (int round = 0; round < 4; ++round) {
        QCOMPARE(d.controls(), QString("busy"));
        d.step();
        QCOMPARE(d.roundMessage(), roundText(1 << round));
        QCOMPARE(d.tableColumn(1), classes[round]);
        // Inside one class the order after the first round is free.
        QStringList suffixes = d.tableColumn(0);
        std::sort(suffixes.begin() + 1, suffixes.begin() + 3);
        std::sort(suffixes.begin() + 3, suffixes.end());
        QCOMPARE(suffixes, (QStringList{"#", "ab#", "abab#", "b#", "bab#"}));
    }
    QCOMPARE(d.tableColumn(0), (QStringList{"#", "ab#", "abab#", "b#", "bab#"}));
    QCOMPARE(d.listRows(), (QStringList{"ab", "abab", "b", "bab"}));
    QCOMPARE(d.controls(), QString("idle"));
}

void TestLesson::stepsPerLength_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("steps");
    QTest::newRow("empty text") << "" << 1;
    QTest::newRow("a") << "a" << 2;
    QTest::newRow("aaa") << "aaa" << 3;
    QTest::newRow("7 letters") << "abcabca" << 4;
    QTest::newRow("8 letters") << "zyxwzyxw" << 5;
    QTest::newRow("16 letters, Cyrillic") << "абракадабраабраЁ" << 6;
}

void TestLesson::stepsPerLength()
{
    QFETCH(QString, text);
    QFETCH(int, steps);
    WindowDriver d;
    d.build(text);
    QVERIFY(d.roundMessage().isEmpty() && d.list()->count() == 0);
    for (int i = 0; i < steps; ++i) {
        QCOMPARE(d.controls(), QString("busy"));
        d.step();
        QCOMPARE(d.roundMessage(), roundText(1 << i));
    }
    QCOMPARE(d.controls(), QString("idle"));

    QStringList rows, cells{"#"}, classes{"0"};
    for (int position : oracle::suffixArray(text)) {
        rows << text.mid(position);
        cells << rows.last() + "#";
        classes << QString::number(classes.size());
    }
    QCOMPARE(d.listRows(), rows);
    QCOMPARE(d.tableColumn(0), cells);
    QCOMPARE(d.tableColumn(1), classes);
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
        QCOMPARE(d.searchMessage(), QString("Воспользуемся двумя бинпоисками для отсечения\n"
                                            "суффиксов, в которых буква №%1 не равна '%2'")
                                        .arg(i + 1).arg(QString("abra").at(i)));
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
    QTest::addColumn<QString>("answer"); // as shown, the markup read as rich text
    QTest::addColumn<QString>("markup"); // checked where given
    QTest::newRow("aaa / aa") << "aaa" << "aa" << "aaa: 1, 2."
        << "Ответ:<font color=\"red\">a</font><font color=\"red\">a</font><font color=\"black\">a</font>: 1, 2.";
    QTest::newRow("overlapping") << "mississippi" << "issi" << "mississippi: 2, 5." << "";
    QTest::newRow("not found") << "abracadabra" << "x" << "abracadabra: " << "";
    QTest::newRow("pattern longer than the text") << "ab" << "abc" << "ab: "
        << "Ответ:<font color=\"black\">a</font><font color=\"black\">b</font>: ";
    QTest::newRow("case differs") << "abracadabra" << "A" << "abracadabra: " << "";
    QTest::newRow("empty text built") << "" << "a" << ": " << "Ответ:: ";
    QTest::newRow("markup in the text") << "a<b>c" << "b" << "a<b>c: 3."
        << "Ответ:<font color=\"black\">a</font><font color=\"black\">&lt;</font><font color=\"red\">b</font>"
           "<font color=\"black\">&gt;</font><font color=\"black\">c</font>: 3.";
    QTest::newRow("ampersand and quotes") << "x & \"y\"" << "&" << "x & \"y\": 3." << "";
    QTest::newRow("white space keeps its width") << "a  \tb\n" << "b" << "a  \tb : 5."
        << "Ответ:<font color=\"black\">a</font><font color=\"black\">&nbsp;</font>"
           "<font color=\"black\">&nbsp;</font><font color=\"black\"><span style=\"white-space:pre\">\t</span></font>"
           "<font color=\"red\">b</font><font color=\"black\">&nbsp;</font>: 5.";
    QTest::newRow("Cyrillic") << "ёжик и ёлка" << "ё" << "ёжик и ёлка: 1, 8." << "";
}

void TestLesson::answers()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, answer);
    QFETCH(QString, markup);
    WindowDriver d;
    d.build(text);
    d.stepToEnd();
    d.find(pattern);
    QCOMPARE(d.stepToEnd(), pattern.size());
    QCOMPARE(d.controls(), QString("idle"));
    QCOMPARE(shownText(d.answer()), "Ответ:" + answer);
    if (!markup.isEmpty())
        QCOMPARE(d.answer(), markup);
}

void TestLesson::searchBeforeAnyConstruction()
{
    WindowDriver d;
    d.find("ab");
    QCOMPARE(d.controls(), QString("busy"));
    QCOMPARE(d.stepToEnd(), 2);
    QCOMPARE(d.answer(), QString("Ответ:: "));
}

// A new search repaints every row; a rebuild clears what a search left.
void TestLesson::laterSearchesAndRebuilds()
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
    d.build("abab");
    QVERIFY(d.roundMessage().isEmpty() && d.searchMessage().isEmpty() && d.answer().isEmpty());
    QCOMPARE(d.list()->count(), 0);
}

void TestLesson::helpMidConstructionChangesNothing()
{
    WindowDriver d;
    d.build("abab");
    d.step();
    const QStringList suffixes = d.tableColumn(0);
    QVERIFY(d.openHelp());
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

QTEST_MAIN(TestLesson)
#include "tst_lesson.moc"
