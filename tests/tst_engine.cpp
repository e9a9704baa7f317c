#include "oracle.h"
#include "suffarr.h"

#include <QtTest>

// The engine round by round, its suffix arrays and its range narrowing,
// on worked examples and against brute force.
class TestEngine : public QObject
{
    Q_OBJECT

private slots:
    void ababRounds_data();
    void ababRounds();
    void suffixArrays_data();
    void suffixArrays();
    void narrowing_data();
    void narrowing();
    void randomTextsAgainstOracle();
};

using Ranges = QVector<QPair<int, int>>;

// A whole construction as the window runs it; returns the number of rounds.
static int construct(const QString &text)
{
    const QString s = text + QChar(0);
    int k = -1;
    do
        suffArr.sortRound(s, k++);
    while ((1 << k) < s.size());
    suffArr.storeSuffixArray();
    return k + 1;
}

void TestEngine::ababRounds_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QVector<int>>("classes");
    QTest::newRow("abab, initial round") << -1 << QVector<int>{1, 2, 1, 2, 0};
    QTest::newRow("abab, fragments of 2") << 0 << QVector<int>{1, 3, 1, 2, 0};
    QTest::newRow("abab, fragments of 4") << 1 << QVector<int>{2, 4, 1, 3, 0};
    QTest::newRow("abab, fragments of 8 change nothing") << 2 << QVector<int>{2, 4, 1, 3, 0};
}

void TestEngine::ababRounds()
{
    QFETCH(int, k);
    QFETCH(QVector<int>, classes);
    const QString s = QString("abab") + QChar(0);
    for (int round = -1; round <= k; ++round)
        suffArr.sortRound(s, round);
    QCOMPARE(suffArr.classes, classes);
    QCOMPARE(oracle::roundFault(oracle::sortedShifts(s), 1 << (k + 1)), QString());
}

void TestEngine::suffixArrays_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVector<int>>("expected");
    QTest::addColumn<int>("rounds");
    QTest::newRow("empty text, one round") << "" << QVector<int>{} << 1;
    QTest::newRow("a") << "a" << QVector<int>{0} << 2;
    QTest::newRow("aaaa") << "aaaa" << QVector<int>{3, 2, 1, 0} << 4;
    QTest::newRow("abab") << "abab" << QVector<int>{2, 0, 3, 1} << 4;
    QTest::newRow("abracadabra") << "abracadabra" << QVector<int>{10, 7, 0, 3, 5, 8, 1, 4, 6, 9, 2} << 5;
    QTest::newRow("upper case before lower") << "aA" << QVector<int>{1, 0} << 3;
    QTest::newRow("Latin before Cyrillic") << "жz" << QVector<int>{1, 0} << 3;
    QTest::newRow("Ё before А") << "АЁ" << QVector<int>{1, 0} << 3;
    QTest::newRow("ё after я") << "ёя" << QVector<int>{1, 0} << 3;
    // U+1F600 is D83D DE00: each half sorts by its own value, above 'a' and below U+FFFD.
    QTest::newRow("surrogate halves") << QString::fromUtf8("😀a") << QVector<int>{2, 0, 1} << 3;
    QTest::newRow("surrogates below U+FFFD") << QString::fromUtf8("\uFFFD😀") << QVector<int>{1, 2, 0} << 3;
}

void TestEngine::suffixArrays()
{
    QFETCH(QString, text);
    QFETCH(QVector<int>, expected);
    QFETCH(int, rounds);
    QCOMPARE(construct(text), rounds);
    QCOMPARE(suffArr.suffixArray, expected);
    for (int r = 0; r < expected.size(); ++r)
        QCOMPARE(suffArr.rankOf[expected[r]], r);
}

void TestEngine::narrowing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<Ranges>("ranges");
    QTest::newRow("abracadabra / abra: row 'a' reads the sentinel")
        << "abracadabra" << "abra" << Ranges{{0, 5}, {1, 3}, {1, 3}, {1, 3}};
    QTest::newRow("abracadabra / abz: edges cross") << "abracadabra" << "abz" << Ranges{{0, 5}, {1, 3}, {11, 3}};
    QTest::newRow("abracadabra / x") << "abracadabra" << "x" << Ranges{{11, 11}};
    QTest::newRow("abracadabra / A: case differs") << "abracadabra" << "A" << Ranges{{0, 0}};
    QTest::newRow("ab / abc: longer than the text") << "ab" << "abc" << Ranges{{0, 1}, {0, 1}, {2, 1}};
    QTest::newRow("ba / axy: a short suffix is dropped") << "ba" << "axy" << Ranges{{0, 1}, {2, 1}, {2, 0}};
    QTest::newRow("empty text") << "" << "ab" << Ranges{{0, 0}, {0, 0}};
}

void TestEngine::narrowing()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(Ranges, ranges);
    construct(text);
    int left = 0;
    int right = suffArr.suffixArray.size();
    for (int k = 0; k < ranges.size(); ++k) {
        suffArr.narrowRange(left, right, pattern, k);
        QCOMPARE(qMakePair(left, right), ranges[k]);
    }
}

// Every round, the suffix array and every search step of random texts and patterns.
void TestEngine::randomTextsAgainstOracle()
{
    for (unsigned seed = 1; seed <= 150; ++seed) {
        oracle::TextSource source(seed);
        const QString text = source.text(source.pick(0, 301));
        QString fault = oracle::constructionFault(text);
        for (int trial = 0; trial < 5 && fault.isEmpty(); ++trial) {
            const QString pattern = source.patternFor(text);
            fault = oracle::searchFault(text, pattern);
            if (!fault.isEmpty())
                fault = QString("pattern '%1', %2").arg(pattern, fault);
        }
        if (!fault.isEmpty())
            QFAIL(qPrintable(QString("seed %1: %2").arg(seed).arg(fault)));
    }
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
