#include "oracle.h"
#include "windowdriver.h"

#include <QClipboard>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextCursor>
#include <QTextDocument>

// Long texts: what the table and the list draw, how far the list scrolls,
// and the longest text a user can enter, built and searched to the end.
class TestLongText : public QObject
{
    Q_OBJECT

private slots:
    void drawnAsQtDrawsIt_data();
    void drawnAsQtDrawsIt();
    void listScrollsToTheEndOfTheLongestRow();
    void oldCellsStayReadableUntilTheFirstRound();
    void copiesOutliveTheText();
    void editedCellsMakeWayForTheNextRound();
    void answerMarksEachOccurrenceStart_data();
    void answerMarksEachOccurrenceStart();
    void longestTextAgainstOracle();
};

static QString letters(int length, const QString &alphabet, unsigned seed)
{
    oracle::TextSource source(seed);
    QString text;
    while (text.size() < length)
        text += alphabet.at(source.pick(0, alphabet.size()));
    return text;
}

void TestLongText::drawnAsQtDrawsIt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("letters") << letters(700, "abcdefghijklmnopqrstuvwxyz", 1) << "a";
    QTest::newRow("words wrap in cells") << letters(700, "abc  ", 2) << "b";
    QTest::newRow("Cyrillic and surrogate pairs")
        << letters(700, QString::fromUtf8("жЁя😀"), 3) << QString::fromUtf8("ж");
    QTest::newRow("rows longer than a run Qt shapes at once")
        << letters(6000, "AVWTYavwtyeo.,", 8) << "a";
}

// The table and the list look exactly as with Qt's standard delegate, which
// lays out every string in full.
void TestLongText::drawnAsQtDrawsIt()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);

    WindowDriver d;
    d.build(text);
    d.stepToEnd();
    d.find(pattern);
    d.step();
    d.list()->selectionModel()->select(d.list()->model()->index(3, 0), QItemSelectionModel::Select);
    QCoreApplication::processEvents();
    QScrollBar *bar = d.list()->horizontalScrollBar();
    const QVector<int> offsets{0, bar->maximum() / 3, bar->maximum() / 2 + 1, bar->maximum() * 3 / 4,
                               bar->maximum()};
    const QImage table = d.table()->grab().toImage();
    QVector<QImage> list;
    for (int offset : offsets) {
        bar->setValue(offset);
        list << d.list()->viewport()->grab().toImage();
    }

    d.table()->setItemDelegateForColumn(0, nullptr);
    d.list()->setItemDelegate(new QStyledItemDelegate(d.list()));
    d.list()->setUniformItemSizes(false);
    QCoreApplication::processEvents();
    QCOMPARE(d.table()->grab().toImage(), table);
    for (int i = 0; i < offsets.size(); ++i) {
        bar->setValue(offsets[i]);
        if (d.list()->viewport()->grab().toImage() != list[i])
            QFAIL(qPrintable(QString("list scrolled to %1 of %2").arg(offsets[i]).arg(bar->maximum())));
    }
}

void TestLongText::listScrollsToTheEndOfTheLongestRow()
{
    WindowDriver d;
    const QString text = letters(3000, "abcdefghijklmnopqrstuvwxyz", 4);
    d.build(text);
    d.stepToEnd();
    QCoreApplication::processEvents();
    QScrollBar *bar = d.list()->horizontalScrollBar();
    const int reach = bar->maximum() + d.list()->viewport()->width();
    QVERIFY(reach >= d.list()->fontMetrics().horizontalAdvance(text));

    d.build("abc");
    d.stepToEnd();
    QCoreApplication::processEvents();
    QCOMPARE(bar->maximum(), 0);
}

// A rebuild keeps the earlier table cells on screen until its first round.
void TestLongText::oldCellsStayReadableUntilTheFirstRound()
{
    WindowDriver d;
    const QString first = letters(2000, "ab", 5);
    d.build(first);
    d.stepToEnd();
    const QStringList before = d.tableColumn(0);
    d.build("ba");
    d.table()->grab();
    QCOMPARE(d.tableColumn(0), before.mid(0, 3));
    d.step();
    QCOMPARE(d.tableColumn(0), (QStringList{"#", "a#", "ba#"}));
    d.table()->grab();
}

// What Qt copies out of the list and the table stays what was copied, through
// rebuilds that replace every row and cell.
void TestLongText::copiesOutliveTheText()
{
    WindowDriver d;
    const QString text = letters(600, "abc", 9);
    const QVector<int> sorted = oracle::suffixArray(text);
    d.build(text);
    d.stepToEnd();
    d.list()->setCurrentRow(sorted.size() - 1);
    QTest::keySequence(d.list(), QKeySequence::Copy);
    const QString row = QGuiApplication::clipboard()->text();
    d.table()->setCurrentCell(3, 0);
    QTest::keySequence(d.table(), QKeySequence::Copy);

    for (const QString &next : {letters(900, "xy", 10), QString("zz")}) {
        d.build(next);
        d.stepToEnd();
    }
    QCOMPARE(row, text.mid(sorted.last()));
    const QString cell = text.mid(sorted[2]) + "#";
    QCOMPARE(QGuiApplication::clipboard()->text(), cell);
    d.patternField()->clear();
    d.patternField()->paste();
    QCOMPARE(d.patternField()->text(), cell);
}

// A cell the user edits shows the edit until the next round writes it.
void TestLongText::editedCellsMakeWayForTheNextRound()
{
    WindowDriver d;
    d.build(letters(400, "ab", 11));
    d.stepToEnd();
    d.table()->editItem(d.table()->item(2, 0));
    auto editor = d.table()->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), d.table()->item(2, 0)->text());
    editor->setText("edited");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(d.table()->item(2, 0)->text(), QString("edited"));

    d.build("ba");
    QCOMPARE(d.table()->item(2, 0)->text(), QString("edited"));
    d.step();
    QCOMPARE(d.tableColumn(0), (QStringList{"#", "a#", "ba#"}));

    // Editing a new row's cell before the first round gives it a plain item.
    d.stepToEnd();
    d.build("abcdefgh");
    d.table()->model()->setData(d.table()->model()->index(8, 0), "typed");
    d.stepToEnd();
    QCOMPARE(d.tableColumn(0).last(), QString("h#"));
}

void TestLongText::answerMarksEachOccurrenceStart_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("a letter to an element") << 300;
    QTest::newRow("runs of letters share elements") << 2000;
}

// Whatever markup the answer uses, exactly the first letters of the
// occurrences show in red, the text shows as itself, and the answer can be
// scrolled to its end.
void TestLongText::answerMarksEachOccurrenceStart()
{
    QFETCH(int, length);
    const QString text = letters(length, "ab<&", 7);
    WindowDriver d;
    d.build(text);
    d.stepToEnd();
    d.find("a<");
    d.stepToEnd();

    auto label = d.widget<QLabel>("label_ans");
    auto area = d.widget<QAbstractScrollArea>("answerArea");
    QCOMPARE(label->width(), label->sizeHint().width());
    QCOMPARE(area->horizontalScrollBar()->maximum(), label->width() - area->viewport()->width());
    QTextDocument shown;
    shown.setHtml(d.answer());
    QVERIFY(shown.toPlainText().startsWith("Ответ:" + text + ": "));
    const QVector<int> starts = oracle::occurrences(text, "a<");
    QVERIFY(!starts.isEmpty());
    QTextCursor cursor(&shown);
    for (int i = 0; i < text.size(); ++i) {
        cursor.setPosition(6 + i + 1);
        const bool red = cursor.charFormat().foreground().color() == QColor("red");
        if (red != starts.contains(i))
            QFAIL(qPrintable(QString("letter %1 is %2").arg(i).arg(red ? "red" : "black")));
    }
}

// The longest text a user can enter, built and searched to the end.
void TestLongText::longestTextAgainstOracle()
{
    WindowDriver d;
    QCOMPARE(d.textField()->maxLength(), 32767);
    const QString text = letters(40000, "abcdefghijklmnopqrstuvwxyz", 6);
    d.build(text);
    QCOMPARE(d.textField()->text().size(), 32767);
    const QString built = text.left(32767);
    QCOMPARE(d.stepToEnd(), 16);

    const QVector<int> sa = oracle::suffixArray(built);
    QCOMPARE(d.list()->count(), sa.size());
    for (int r = 0; r < sa.size(); ++r)
        if (d.list()->item(r)->text() != QStringView(built).mid(sa[r]))
            QFAIL(qPrintable(QString("row %1 is not the suffix at %2").arg(r).arg(sa[r])));
    QCOMPARE(d.tableColumn(1).last(), QString("32767"));

    const QString pattern = built.mid(20000, 3);
    d.find(pattern);
    QCOMPARE(d.stepToEnd(), 3);
    QVector<int> expected;
    for (int p : oracle::occurrences(built, pattern))
        expected << p + 1;
    QVERIFY(!expected.isEmpty());
    QCOMPARE(d.answerPositions(), expected);
    QCOMPARE(d.rowColors().count('R'), expected.size());
}

QTEST_MAIN(TestLongText)
#include "tst_longtext.moc"
