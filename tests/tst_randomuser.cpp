#include "oracle.h"
#include "windowdriver.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

// A user who tries everything: random texts and patterns, typed or pasted,
// clicks on whatever is there, the help menu at any moment. After every
// action the window must agree with a model of what it should be doing, and
// every finished construction and search with brute force.
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

enum class Doing { Nothing, Building, Searching };

class RandomUser
{
public:
    explicit RandomUser(unsigned seed) : source(seed) {}

    // Runs one action; returns what went wrong, or an empty string.
    QString act()
    {
        const int choice = source.pick(0, 100);
        if (choice < 15)
            return enterText();
        if (choice < 25)
            return enterPattern();
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

    QString enterText()
    {
        const QString text = randomText();
        lastAction = QStringLiteral("text of %1 code units").arg(text.size());
        if (d.textField()->isEnabled())
            typeOrPaste(d.textField(), text);
        return check();
    }

    QString enterPattern()
    {
        const QString pattern = source.pick(0, 8) == 0 ? QString() : source.patternFor(builtText);
        lastAction = QStringLiteral("pattern '%1'").arg(pattern);
        if (d.patternField()->isEnabled())
            typeOrPaste(d.patternField(), pattern);
        return check();
    }

    void typeOrPaste(QLineEdit *field, const QString &text)
    {
        const bool ascii = std::all_of(text.begin(), text.end(),
                                       [](QChar c) { return c.unicode() >= 32 && c.unicode() < 127; });
        if (ascii && text.size() < 20 && source.pick(0, 2) == 0) {
            field->clear();
            QTest::keyClicks(field, text);
        } else {
            WindowDriver::enter(field, text);
        }
    }

    QString clickBuild()
    {
        lastAction = QStringLiteral("build");
        const bool enabled = d.buildButton()->isEnabled();
        d.click(d.buildButton());
        if (enabled) {
            builtText = d.textField()->text();
            if (builtText.contains(QChar(0)))
                return QStringLiteral("U+0000 left in the text");
            doing = Doing::Building;
            stepsLeft = 1;
            while ((1 << (stepsLeft - 1)) < builtText.size() + 1)
                ++stepsLeft;
        }
        return check();
    }

    QString clickFind()
    {
        lastAction = QStringLiteral("find");
        const bool enabled = d.findButton()->isEnabled();
        const QString answerBefore = d.answer();
        d.click(d.findButton());
        if (enabled) {
            pattern = d.patternField()->text();
            if (pattern.isEmpty())
                return d.answer() == answerBefore ? check() : QStringLiteral("empty pattern changed the answer");
            doing = Doing::Searching;
            stepsLeft = pattern.size();
            lettersDone = 0;
            if (d.rowColors() != QString(d.list()->count(), 'R'))
                return QStringLiteral("find did not paint every row");
        }
        return check();
    }

    QString clickStep()
    {
        lastAction = QStringLiteral("step");
        d.click(d.stepButton());
        if (doing == Doing::Nothing)
            return check();
        --stepsLeft;
        if (doing == Doing::Searching) {
            ++lettersDone;
            if (d.rowColors() != expectedColors())
                return QStringLiteral("red rows after letter %1 of '%2' are %3").arg(lettersDone).arg(pattern, d.rowColors());
        }
        if (stepsLeft > 0)
            return check();
        const Doing finished = std::exchange(doing, Doing::Nothing);
        if (const QString fault = check(); !fault.isEmpty())
            return fault;
        return finished == Doing::Building ? checkConstruction() : checkAnswer();
    }

    QString openHelp()
    {
        lastAction = QStringLiteral("help");
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (auto box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->accept();
        });
        closer.start(0);
        QMenu *menu = d.window.menuBar()->actions().first()->menu();
        menu->popup(QPoint());
        menu->close();
        return check();
    }

    QString check()
    {
        const QString expected = doing == Doing::Nothing ? QStringLiteral("idle") : QStringLiteral("busy");
        if (d.controls() != expected)
            return QStringLiteral("controls are %1, expected %2").arg(d.controls(), expected);
        return QString();
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

    QString expectedColors() const
    {
        const QString prefix = pattern.left(lettersDone);
        QString colors;
        for (int position : sortedPositions)
            colors += QStringView(builtText).mid(position).startsWith(prefix) ? 'R' : 'W';
        return colors;
    }

    QString checkAnswer()
    {
        QVector<int> expected;
        for (int p : oracle::occurrences(builtText, pattern))
            expected << p + 1;
        if (d.answerPositions() != expected)
            return QStringLiteral("answer for '%1' lists wrong positions").arg(pattern);
        return QString();
    }

    WindowDriver d;
    oracle::TextSource source;
    Doing doing = Doing::Nothing;
    int stepsLeft = 0;
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
    if (!chosen.isEmpty()) {
        QTest::newRow(chosen.constData()) << chosen.toUInt();
        return;
    }
    for (unsigned seed : {11u, 22u, 33u})
        QTest::newRow(qPrintable(QString("seed %1").arg(seed))) << seed;
}

void TestRandomUser::clicksEverything()
{
    QFETCH(unsigned, seed);
    RandomUser user(seed);
    for (int action = 1; action <= 1500; ++action) {
        const QString fault = user.act();
        if (!fault.isEmpty())
            QFAIL(qPrintable(QString("seed %1, action %2 (%3): %4")
                                 .arg(seed).arg(action).arg(user.lastAction, fault)));
    }
}

QTEST_MAIN(TestRandomUser)
#include "tst_randomuser.moc"
