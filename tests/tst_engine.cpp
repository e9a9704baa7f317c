#include "oracle.h"

#include <QtTest>

QString engineFault(const uint8_t *data, size_t size);

using Ranges = QVector<QPair<int, int>>;

// Every round and every search step of the fuzz target's seeds (the worked
// examples and what libFuzzer found) against the library, and its classes against
// brute force; and where each edge of the candidate range lands, letter by
// letter, in the worked examples, above all when the range empties.
class TestEngine : public QObject
{
    Q_OBJECT

private slots:
    void fuzzSeeds_data();
    void fuzzSeeds();
    void narrowing_data();
    void narrowing();
};

void TestEngine::fuzzSeeds_data()
{
    QTest::addColumn<QByteArray>("input");
    for (QDirIterator seeds(QFINDTESTDATA("fuzz/corpus"), QDir::Files); seeds.hasNext();) {
        QFile seed(seeds.next());
        QVERIFY(seed.open(QIODevice::ReadOnly));
        QTest::newRow(qPrintable(QFileInfo(seed).fileName())) << seed.readAll();
    }
}

void TestEngine::fuzzSeeds()
{
    QFETCH(QByteArray, input);
    QCOMPARE(engineFault(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size())),
             QString());
    const QString s = suffArr.text; // the seed's text and the sentinel
    const QVector<int> rows = oracle::suffixArray(s);
    for (int length = 1; length < 2 * s.size(); length *= 2)
        QCOMPARE(oracle::roundClasses(rows, oracle::commonPrefixes(s, rows), length),
                 oracle::fragmentRanks(s, length));
}

void TestEngine::narrowing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<Ranges>("ranges");
    QTest::newRow("abracadabra / abra: row 'a' reads the sentinel")
        << "abracadabra"
        << "abra" << Ranges{{0, 5}, {1, 3}, {1, 3}, {1, 3}};
    QTest::newRow("abracadabra / abz: edges cross") << "abracadabra"
                                                    << "abz" << Ranges{{0, 5}, {1, 3}, {11, 3}};
    QTest::newRow("abracadabra / x") << "abracadabra"
                                     << "x" << Ranges{{11, 11}};
    QTest::newRow("abracadabra / A: case differs") << "abracadabra"
                                                   << "A" << Ranges{{0, 0}};
    QTest::newRow("ab / abc: longer than the text") << "ab"
                                                    << "abc" << Ranges{{0, 1}, {0, 1}, {2, 1}};
    QTest::newRow("ba / axy: a short suffix is dropped") << "ba"
                                                         << "axy" << Ranges{{0, 1}, {2, 1}, {2, 0}};
    QTest::newRow("empty text") << ""
                                << "ab" << Ranges{{0, 0}, {0, 0}};
}

void TestEngine::narrowing()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(Ranges, ranges);
    QCOMPARE(oracle::constructionFault(text), QString());
    int left = 0;
    int right = suffArr.suffixArray.size();
    for (int k = 0; k < ranges.size(); ++k) {
        suffArr.narrowRange(left, right, pattern, k);
        QCOMPARE(qMakePair(left, right), ranges[k]);
    }
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
