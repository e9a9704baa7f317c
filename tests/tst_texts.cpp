#include "display.h"
#include "oracle.h"
#include "rowtooltips.h"
#include "words.h"

#include <QtTest>

// What the window writes, computed without a window: the answer with its
// markup, the names of code units and the tooltips of the rows, which must
// tell the classes that brute force finds.
class TestTexts : public QObject
{
    Q_OBJECT

private slots:
    void answer_data();
    void answer();
    void codeUnitNames_data();
    void codeUnitNames();
    void rowTipsTellWhatSortedEachRow_data();
    void rowTipsTellWhatSortedEachRow();
};

// One font element for each letter, already escaped, in the colour.
static QString elements(const QString &color, const QStringList &letters)
{
    QString html;
    for (const QString &letter : letters)
        html += QStringLiteral("<font color=\"%1\">%2</font>").arg(color, letter);
    return html;
}

static QString black(const QString &letters)
{
    return elements("black", letters.split(QString(), Qt::SkipEmptyParts));
}

static QString red(const QString &letters)
{
    return elements("red", letters.split(QString(), Qt::SkipEmptyParts));
}

void TestTexts::answer_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("html");  // after the heading
    QTest::addColumn<QString>("plain"); // after the heading
    QTest::newRow("aaa / aa") << "aaa"
                              << "aa" << red("aa") + black("a") + ": 1, 2."
                              << "aaa: 1, 2.";
    QTest::newRow("abracadabra / abra")
        << "abracadabra"
        << "abra" << red("a") + black("bracad") + red("a") + black("bra") + ": 1, 8."
        << "abracadabra: 1, 8.";
    QTest::newRow("not found: no position, no full stop") << "abracadabra"
                                                          << "x" << black("abracadabra") + ": "
                                                          << "abracadabra: ";
    QTest::newRow("empty text") << ""
                                << "a"
                                << ": "
                                << ": ";
    QTest::newRow("markup and quotes escaped") << "<b>&\""
                                               << "&"
                                               << elements("black", {"&lt;", "b", "&gt;"})
            + elements("red", {"&amp;"}) + elements("black", {"&quot;"}) + ": 4."
                                               << "<b>&\": 4.";
    QTest::newRow("white space keeps its width; controls and separators show as blanks")
        << "a \tb\n\u2028"
        << "b"
        << elements("black", {"a", "&nbsp;", "<span style=\"white-space:pre\">\t</span>"}) + red("b")
            + elements("black", {"&nbsp;", "&nbsp;"}) + ": 4."
        << "a \tb  : 4.";
    QTest::newRow("a mark red with its letter")
        << QString::fromUtf8("e\u0301😀e") << "e"
        << red(QString::fromUtf8("e\u0301")) + black(QString::fromUtf8("😀")) + red("e") + ": 1, 5."
        << QString::fromUtf8("e\u0301😀e: 1, 5.");
    QTest::newRow("positions kept after right-to-left letters")
        << QString::fromUtf8("שלום") << QString::fromUtf8("ל")
        << elements("black", {QString::fromUtf8("ש")}) + red(QString::fromUtf8("ל"))
            + elements("black", {QString::fromUtf8("ו"), QString::fromUtf8("ם")})
            + QString::fromUtf8("\u200E: 2.")
        << QString::fromUtf8("שלום: 2.");
    QTest::newRow("both halves of a surrogate pair red")
        << QString::fromUtf8("e😀e") << QString::fromUtf8("😀")
        << black("e") + red(QString::fromUtf8("😀")) + black("e") + ": 2." << QString::fromUtf8("e😀e: 2.");
    QTest::newRow("4096 letters: still an element each")
        << QString(4095, 'b') + "a"
        << "a" << black(QString(4095, 'b')) + red("a") + ": 4096." << QString(4095, 'b') + "a: 4096.";
    QTest::newRow("4097 letters: one element per run of a colour")
        << QString(4096, 'b') + "a"
        << "a" << elements("black", {QString(4096, 'b')}) + red("a") + ": 4097."
        << QString(4096, 'b') + "a: 4097.";
}

// The answer shows the text with the first letter of every occurrence in
// red, then their 1-based positions in text order.
void TestTexts::answer()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, html);
    QFETCH(QString, plain);
    const oracle::Matches found = oracle::matches(text, pattern);
    const Answer answer = composeAnswer(text, found.rankOf, found.left, found.right);
    QCOMPARE(answer.html, Words::answerHeading + html);
    QCOMPARE(answer.plain, Words::answerHeading + plain);
}

void TestTexts::codeUnitNames_data()
{
    QTest::addColumn<QChar>("unit");
    QTest::addColumn<QString>("name");
    QTest::newRow("end of the text") << QChar(0) << Words::endOfText + " (U+0000)" + Words::endOfTextIsLeast;
    QTest::newRow("the letter #") << QChar('#') << "'#' (U+0023)";
    QTest::newRow("Cyrillic") << QChar(0x0436) << "'ж' (U+0436)";
    QTest::newRow("blank") << QChar(' ') << Words::blank + " (U+0020)";
    QTest::newRow("tab") << QChar('\t') << Words::tab + " (U+0009)";
    QTest::newRow("line feed") << QChar('\n') << Words::lineFeed + " (U+000A)";
    QTest::newRow("carriage return") << QChar('\r') << Words::invisible + " (U+000D)";
    QTest::newRow("zero-width space") << QChar(0x200B) << Words::invisible + " (U+200B)";
    QTest::newRow("high surrogate") << QChar(0xD83D) << Words::surrogateHalf + " (U+D83D)";
    QTest::newRow("a mark, on a dotted circle") << QChar(0x0301) << "'\u25CC\u0301' (U+0301)";
}

// Every code unit is told apart from any other in words and as U+XXXX.
void TestTexts::codeUnitNames()
{
    QFETCH(QChar, unit);
    QFETCH(QString, name);
    QCOMPARE(codeUnitName(unit), name);
}

void TestTexts::rowTipsTellWhatSortedEachRow_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("abracadabra") << "abracadabra";
    QTest::newRow("empty text") << "";
    QTest::newRow("blank, tab, line feed, surrogates, a mark") << "a b\t#\n\U0001F600e\u0301\u200B";
    QTest::newRow("random") << oracle::TextSource(7).text(300);
}

// A table row tells where its suffix starts and what the round sorted it by:
// its letter, then the classes of its halves from the round before, as brute
// force finds them. A list row tells its entry in the suffix array.
void TestTexts::rowTipsTellWhatSortedEachRow()
{
    QFETCH(QString, text);
    const QString s = text + QChar(0);
    const int n = s.size();
    for (int round = 0; round == 0 || 1 << (round - 1) < n; ++round) {
        suffArr.sortRound(s, round - 1);
        const int half = 1 << qMax(0, round - 1);
        const QVector<int> before = oracle::fragmentRanks(s, half);
        for (int row = 0; row < n; ++row) {
            const int p = suffArr.order[row];
            const QString why = round == 0
                ? Words::sortedByLetter.arg(codeUnitName(s[p]))
                : Words::sortedByPair.arg(QString::number(2 * half), QString::number(before[p]),
                                          QString::number(before[(p + half) % n]), QString::number(half));
            QCOMPARE(tableRowTip(suffArr, round, row), Words::suffixAt.arg(p + 1) + why);
        }
        QCOMPARE(tableRowTip(suffArr, round, n), QString());
    }
    suffArr.storeSuffixArray();
    const QVector<int> rows = oracle::suffixArray(text);
    for (int row = 0; row < rows.size(); ++row)
        QCOMPARE(listRowTip(suffArr, row),
                 Words::suffixAt.arg(rows[row] + 1) + Words::suffixArrayEntry.arg(rows[row] + 1));
    QCOMPARE(listRowTip(suffArr, rows.size()), QString());
}

QTEST_GUILESS_MAIN(TestTexts)
#include "tst_texts.moc"
