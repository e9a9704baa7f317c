#include "oracle.h"
#include "suffarr.h"

#include <QtTest>

// The engine round by round, its suffix arrays and its range narrowing,
// checked on worked examples and against brute force.
class TestEngine : public QObject
{
    Q_OBJECT

private slots:
    void ababRoundByRound_data();
    void ababRoundByRound();
    void initialRound_data();
    void initialRound();
    void suffixArrays_data();
    void suffixArrays();
    void newConstructionKeepsOldResultUntilStored();
    void narrowing_data();
    void narrowing();
    void randomTextsAgainstOracle();
    void randomSearchesAgainstOracle();
};

using Ranges = QVector<QPair<int, int>>;

static QString withSentinel(const QString &text)
{
    return text + QChar(0);
}

// Runs rounds -1 .. lastK; returns how many rounds ran.
static int runRounds(const QString &s, int lastK)
{
    int rounds = 0;
    for (int k = -1; k <= lastK; ++k, ++rounds)
        suffArr.sortRound(s, k);
    return rounds;
}

// A whole construction, as the window runs it: rounds while the fragments are shorter than s.
static int construct(const QString &text)
{
    const QString s = withSentinel(text);
    int k = -1;
    do
        suffArr.sortRound(s, k++);
    while ((1 << k) < s.size());
    suffArr.storeSuffixArray();
    return k + 1;
}

static bool orderFollowsClasses()
{
    QVector<int> seen(suffArr.order.size());
    for (int i = 0; i < suffArr.order.size(); ++i) {
        const int p = suffArr.order[i];
        if (p < 0 || p >= seen.size() || seen[p]++)
            return false;
        if (i > 0 && suffArr.classes[suffArr.order[i - 1]] > suffArr.classes[p])
            return false;
    }
    return true;
}

void TestEngine::ababRoundByRound_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QVector<int>>("classes");
    QTest::addColumn<int>("numClasses");
    QTest::newRow("abab, initial round") << -1 << QVector<int>{1, 2, 1, 2, 0} << 3;
    QTest::newRow("abab, fragments of 2") << 0 << QVector<int>{1, 3, 1, 2, 0} << 4;
    QTest::newRow("abab, fragments of 4") << 1 << QVector<int>{2, 4, 1, 3, 0} << 5;
    QTest::newRow("abab, fragments of 8, nothing changes") << 2 << QVector<int>{2, 4, 1, 3, 0} << 5;
}

// The order inside a class is free after the initial sort; the classes are not.
void TestEngine::ababRoundByRound()
{
    QFETCH(int, k);
    QFETCH(QVector<int>, classes);
    QFETCH(int, numClasses);

    runRounds(withSentinel("abab"), k);
    QCOMPARE(suffArr.classes, classes);
    QCOMPARE(suffArr.numClasses, numClasses);
    QVERIFY(orderFollowsClasses());
    QCOMPARE(suffArr.order.first(), 4);
    QCOMPARE(suffArr.counts, QVector<int>(5, 0));
    if (k >= 1)
        QCOMPARE(suffArr.order, (QVector<int>{4, 2, 0, 3, 1}));
}

void TestEngine::initialRound_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("numClasses");
    QTest::newRow("empty text") << "" << 1;
    QTest::newRow("one letter") << "a" << 2;
    QTest::newRow("one letter repeated") << "aaaa" << 2;
    QTest::newRow("abracadabra") << "abracadabra" << 6;
    QTest::newRow("surrogate halves count apart") << QString::fromUtf8("😀😀") << 3;
}

void TestEngine::initialRound()
{
    QFETCH(QString, text);
    QFETCH(int, numClasses);

    const QString s = withSentinel(text);
    suffArr.sortRound(s, -1);
    const int n = s.size();
    QCOMPARE(suffArr.numClasses, numClasses);
    QCOMPARE(suffArr.text, s);
    QCOMPARE(sortText, s);
    QCOMPARE(suffArr.counts, QVector<int>(n, 0));
    QCOMPARE(suffArr.shiftedOrder.size(), n);
    QCOMPARE(suffArr.newClasses.size(), n);
    QCOMPARE(suffArr.order.size(), n);
    QCOMPARE(suffArr.classes, oracle::fragmentRanks(s, 1));
    QVERIFY(orderFollowsClasses());
}

void TestEngine::suffixArrays_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVector<int>>("expected");
    QTest::addColumn<int>("rounds");
    QTest::newRow("empty text, one round") << "" << QVector<int>{} << 1;
    QTest::newRow("a") << "a" << QVector<int>{0} << 2;
    QTest::newRow("aaa") << "aaa" << QVector<int>{2, 1, 0} << 3;
    QTest::newRow("aaaa") << "aaaa" << QVector<int>{3, 2, 1, 0} << 4;
    QTest::newRow("abab") << "abab" << QVector<int>{2, 0, 3, 1} << 4;
    QTest::newRow("abracadabra") << "abracadabra" << QVector<int>{10, 7, 0, 3, 5, 8, 1, 4, 6, 9, 2} << 5;
    QTest::newRow("mississippi") << "mississippi" << QVector<int>{10, 7, 4, 1, 0, 9, 8, 6, 3, 5, 2} << 5;
    QTest::newRow("upper case before lower") << "aA" << QVector<int>{1, 0} << 3;
    QTest::newRow("Latin before Cyrillic") << "жz" << QVector<int>{1, 0} << 3;
    QTest::newRow("Ё before А") << "АЁ" << QVector<int>{1, 0} << 3;
    QTest::newRow("ё after я") << "ёя" << QVector<int>{1, 0} << 3;
    QTest::newRow("display terminator is a letter") << "a#" << QVector<int>{1, 0} << 3;
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
    QCOMPARE(suffArr.numClasses, text.size() + 1);
    QCOMPARE(suffArr.rankOf.size(), expected.size());
    for (int r = 0; r < expected.size(); ++r)
        QCOMPARE(suffArr.rankOf[expected[r]], r);
}

void TestEngine::newConstructionKeepsOldResultUntilStored()
{
    construct("abracadabra");
    const QVector<int> old = suffArr.suffixArray;
    suffArr.sortRound(withSentinel("ab"), -1);
    QCOMPARE(suffArr.order.size(), 3);
    QCOMPARE(suffArr.counts.size(), 3);
    QCOMPARE(suffArr.suffixArray, old);
    suffArr.sortRound(withSentinel("ab"), 0);
    suffArr.sortRound(withSentinel("ab"), 1);
    suffArr.storeSuffixArray();
    QCOMPARE(suffArr.suffixArray, (QVector<int>{0, 1}));
    QCOMPARE(suffArr.rankOf, (QVector<int>{0, 1}));
}

void TestEngine::narrowing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<Ranges>("ranges");
    QTest::newRow("abracadabra / abra: row 'a' reads the sentinel")
        << "abracadabra" << "abra" << Ranges{{0, 5}, {1, 3}, {1, 3}, {1, 3}};
    QTest::newRow("abracadabra / abz: edges cross")
        << "abracadabra" << "abz" << Ranges{{0, 5}, {1, 3}, {11, 3}};
    QTest::newRow("abracadabra / x: left runs to the end")
        << "abracadabra" << "x" << Ranges{{11, 11}};
    QTest::newRow("abracadabra / A: case differs")
        << "abracadabra" << "A" << Ranges{{0, 0}};
    QTest::newRow("ab / abc: pattern longer than the text")
        << "ab" << "abc" << Ranges{{0, 1}, {0, 1}, {2, 1}};
    QTest::newRow("empty text / ab") << "" << "ab" << Ranges{{0, 0}, {0, 0}};
    QTest::newRow("mississippi / issi: overlapping")
        << "mississippi" << "issi" << Ranges{{0, 4}, {2, 4}, {2, 4}, {2, 4}};
    QTest::newRow("ba / axy: a suffix too short is dropped by the right edge")
        << "ba" << "axy" << Ranges{{0, 1}, {2, 1}, {2, 0}};
    QTest::newRow("empty range stays empty") << "abab" << "ca" << Ranges{{4, 4}, {4, 4}};
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

void TestEngine::randomTextsAgainstOracle()
{
    for (unsigned seed = 1; seed <= 150; ++seed) {
        oracle::TextSource source(seed);
        const QString text = source.text(source.pick(0, 301));
        const QString s = withSentinel(text);
        for (int k = -1; k < 0 || (1 << k) < s.size(); ++k) {
            suffArr.sortRound(s, k);
            const QVector<int> ranks = oracle::fragmentRanks(s, k < 0 ? 1 : 2 << k);
            if (suffArr.classes != ranks || !orderFollowsClasses()
                || suffArr.numClasses != *std::max_element(ranks.begin(), ranks.end()) + 1)
                QFAIL(qPrintable(QString("seed %1, round %2: classes or order wrong").arg(seed).arg(k)));
        }
        suffArr.storeSuffixArray();
        if (suffArr.suffixArray != oracle::suffixArray(text))
            QFAIL(qPrintable(QString("seed %1: wrong suffix array").arg(seed)));
    }
}

void TestEngine::randomSearchesAgainstOracle()
{
    for (unsigned seed = 1; seed <= 150; ++seed) {
        oracle::TextSource source(seed);
        const QString text = source.text(source.pick(0, 301));
        construct(text);
        const int rows = suffArr.suffixArray.size();
        for (int trial = 0; trial < 5; ++trial) {
            const QString pattern = source.patternFor(text);
            int left = 0;
            int right = rows;
            for (int k = 0; k < pattern.size(); ++k) {
                suffArr.narrowRange(left, right, pattern, k);
                const QString prefix = pattern.left(k + 1);
                QVector<int> matching;
                for (int r = 0; r < rows; ++r)
                    if (QStringView(text).mid(suffArr.suffixArray[r]).startsWith(prefix))
                        matching << r;
                const bool inBounds = left >= 0 && left <= rows && right >= 0 && right <= rows;
                const bool exact = matching.isEmpty()
                    ? left >= right
                    : left == matching.first() && right == matching.last() + 1
                          && matching.size() == right - left;
                if (!inBounds || !exact)
                    QFAIL(qPrintable(QString("seed %1, pattern '%2', letter %3: range [%4, %5)")
                                         .arg(seed).arg(pattern).arg(k).arg(left).arg(right)));
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
