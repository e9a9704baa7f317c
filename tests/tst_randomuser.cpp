#include "oracle.h"
#include "windowdriver.h"


// A user who tries everything: random texts and patterns, typed or pasted,
// clicks on whatever is there, the help menu at any moment. After every
// action the window must agree with a model of what it is doing, and every
// finished construction and search with brute force.
//
// SUFFARR_SEED=<n> runs one seed; a failure names the seed and the action.
class TestRandomUser : public QObject
{
    Q_OBJECT

private slots:
    void clicksEverything_data();
    void clicksEverything();
};

namespace {

class RandomUser
{
public:
    explicit RandomUser(unsigned seed) : source(seed) {}

    // One action; returns what went wrong, or nothing.
    QString act()
    {
        const int choice = source.pick(0, 100);
        if (choice < 15)
            return enter(d.textField(), "text", randomText());
        if (choice < 25)
            return enter(d.patternField(), "pattern", source.pick(0, 8) ? source.patternFor(builtText) : "");
        if (choice < 35)
            return clickBuild();
        if (choice < 45)
            return clickFind();
        if (choice < 47)
            return openHelp();
        return clickStep();
    }

    QString lastAction;

private:
    QString randomText()
    {
        switch (source.pick(0, 40)) {
        case 0: return QString();
        case 1: return source.text(source.pick(4000, 32768)); // a pasted page
        case 2: return source.text(5) + QChar(0) + source.text(5);
        case 3: return QStringLiteral("<b>&amp;</b> \"x\" & y");
        default: return source.text(source.pick(0, 40));
        }
    }

    // Types short plain text key by key, pastes anything else; a disabled field takes nothing.
    QString enter(QLineEdit *field, const char *what, const QString &text)
    {
        lastAction = QStringLiteral("%1 of %2 code units").arg(what).arg(text.size());
        if (!field->isEnabled())
            return check();
        const bool plain = text.size() < 20 && std::all_of(text.begin(), text.end(), [](QChar c) {
            return c.unicode() >= 32 && c.unicode() < 127;
        });
        if (plain && source.pick(0, 2)) {
            field->clear();
            QTest::keyClicks(field, text);
        } else {
            WindowDriver::enter(field, text);
        }
        return check();
    }

    QString clickBuild()
    {
        lastAction = QStringLiteral("build");
        const bool usable = d.buildButton()->isEnabled();
        d.click(d.buildButton());
        if (usable) {
            builtText = d.textField()->text();
            if (builtText.contains(QChar(0)))
                return QStringLiteral("U+0000 left in the text");
            for (stepsLeft = 1; (1 << (stepsLeft - 1)) <= builtText.size(); ++stepsLeft) {}
            searching = false;
        }
        return check();
    }

    QString clickFind()
    {
        lastAction = QStringLiteral("find");
        const bool usable = d.findButton()->isEnabled();
        const QString answerBefore = d.answer();
        d.click(d.findButton());
        if (usable) {
            pattern = d.patternField()->text();
            if (pattern.isEmpty() && d.answer() != answerBefore)
                return QStringLiteral("an empty pattern changed the answer");
            stepsLeft = pattern.size();
            lettersDone = 0;
            searching = true;
            if (!pattern.isEmpty() && d.rowColors() != QString(d.list()->count(), 'R'))
                return QStringLiteral("find did not paint every row");
        }
        return check();
    }

    QString clickStep()
    {
        lastAction = QStringLiteral("step");
        d.click(d.stepButton());
        if (stepsLeft == 0)
            return check();
        --stepsLeft;
        if (searching && d.rowColors() != expectedColors(++lettersDone))
            return QStringLiteral("red rows after letter %1 of '%2'").arg(lettersDone).arg(pattern);
        if (const QString fault = check(); !fault.isEmpty() || stepsLeft > 0)
            return fault;
        return searching ? checkAnswer() : checkConstruction();
    }

    QString openHelp()
    {
        lastAction = QStringLiteral("help");
        return d.openHelp() ? check() : QStringLiteral("no help box");
    }

    QString check()
    {
        const QString expected = stepsLeft > 0 ? QStringLiteral("busy") : QStringLiteral("idle");
        return d.controls() == expected ? QString()
                                        : QStringLiteral("controls %1, expected %2").arg(d.controls(), expected);
    }

    QString checkConstruction()
    {
        sortedPositions = oracle::suffixArray(builtText);
        if (d.list()->count() != sortedPositions.size())
            return QStringLiteral("list has %1 rows").arg(d.list()->count());
        for (int r = 0; r < sortedPositions.size(); ++r)
            if (d.list()->item(r)->text() != QStringView(builtText).mid(sortedPositions[r]))
                return QStringLiteral("list row %1 is wrong").arg(r);
        return QString();
    }

    // Red: the rows whose suffixes begin with the letters read so far.
    QString expectedColors(int letters) const
    {
        const QVector<int> starts = oracle::occurrences(builtText, pattern.left(letters));
        QString colors;
        for (int position : sortedPositions)
            colors += std::binary_search(starts.begin(), starts.end(), position) ? 'R' : 'W';
        return colors;
    }

    QString checkAnswer()
    {
        QVector<int> expected;
        for (int p : oracle::occurrences(builtText, pattern))
            expected << p + 1;
        return d.answerPositions() == expected ? QString() : QStringLiteral("answer lists wrong positions");
    }

    WindowDriver d;
    oracle::TextSource source;
    int stepsLeft = 0;
    bool searching = false;
    int lettersDone = 0;
    QString builtText;
    QString pattern;
    QVector<int> sortedPositions;
};

} // namespace

void TestRandomUser::clicksEverything_data()
{
    QTest::addColumn<unsigned>("seed");
    const QByteArray chosen = qgetenv("SUFFARR_SEED");
    const QList<unsigned> seeds = chosen.isEmpty() ? QList<unsigned>{11, 22, 33} : QList<unsigned>{chosen.toUInt()};
    for (unsigned seed : seeds)
        QTest::newRow(qPrintable(QString("seed %1").arg(seed))) << seed;
}

void TestRandomUser::clicksEverything()
{
    QFETCH(unsigned, seed);
    RandomUser user(seed);
    for (int action = 1; action <= 1500; ++action) {
        if (const QString fault = user.act(); !fault.isEmpty())
            QFAIL(qPrintable(QString("seed %1, action %2 (%3): %4").arg(seed).arg(action).arg(user.lastAction, fault)));
    }
}

QTEST_MAIN(TestRandomUser)
#include "tst_randomuser.moc"
