// Times every click of a whole lesson on the real window, offscreen, as a
// user would make them: paste the text, delete a letter in its middle and
// type it again, build, step to the end, set a pattern of six letters
// taken from the text, or the one given, find, step to the end. Then, with
// the answer shown, the list scrolled to its far right and back, letters typed
// into the list, the list scrolled sideways while a row of it has the focus,
// and the answer strip scrolled to its end and back. Before a button is
// pressed it gets the focus, as a mouse click gives it, and the focus goes on
// from there as the window moves it. An action counts until the window is
// idle and painted: the action and the events it posted, among them the
// painting of what it changed, as on a screen, where the widgets it left
// alone are not painted again. Prints one line per text length, the
// interactions after the lesson as the median of their repetitions; asserts
// nothing.
//
//   bench_window [--font FAMILY,POINTS] [--text KIND] [--pattern TEXT] [--clock cpu] [--paint all]
//       every length, each in a process of its own
//   bench_window [--font FAMILY,POINTS] [--text KIND] [--pattern TEXT] [--clock cpu] [--paint all]
//       --length N
//       one length, in this process
//
// The font, when given, is the application's, as a desktop would set it; the
// window grows with it. --clock cpu counts the processor time of the process
// instead of the time on the wall, which on a machine shared with other work
// is steadier. --paint all adds to every action a grab of the whole window,
// every widget painted anew: the text field too, which lays out and draws
// all of a long text. KIND is the text: letters a to z with "plain" nothing else
// (the default), "tab" one tab, "hebrew" one Hebrew letter, "arabic" one
// Arabic letter in the middle; or, in other writing systems, "emoji" (ZWJ
// sequences, skin tones, flags, a few letters), "hebrew-words" (with
// numbers), "arabic-words", "cjk" (Han and kana), "devanagari" (syllables,
// conjuncts among them), "thai" (with marks), "combining" (Latin letters
// with combining accents), "zalgo" (Latin letters under stacks of up to 30
// of them) and "mixed" (words of eight scripts, spaces, tabs);
// or "alternating", "ab" again and again, whose pattern occurs at every
// other letter, so that the answer changes colour at every letter; or
// "words", words of letters a to z, and "table", Latin and Cyrillic words
// and numbers, a tab after each, as pasted from a spreadsheet. The pattern,
// when given, is searched for instead of six letters of the text: a blank,
// say, which starts a colour in every word of the answer.

#include "hugepages.h"
#include "mainwindow.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>
#include <vector>

namespace {

bool cpuClock = false;
bool allPainted = false;

// Milliseconds on the chosen clock.
double now()
{
    timespec time;
    clock_gettime(cpuClock ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_MONOTONIC, &time);
    return time.tv_sec * 1e3 + time.tv_nsec / 1e6;
}

// A code point picked from [first, last].
uint pick(std::mt19937 &random, uint first, uint last)
{
    return std::uniform_int_distribution<uint>(first, last)(random);
}

QString &append(QString &text, uint codePoint)
{
    if (QChar::requiresSurrogates(codePoint))
        return text.append(QChar(QChar::highSurrogate(codePoint)))
            .append(QChar(QChar::lowSurrogate(codePoint)));
    return text.append(QChar(codePoint));
}

// A word of a few letters from [first, last].
QString word(std::mt19937 &random, uint first, uint last)
{
    QString letters;
    for (uint n = pick(random, 2, 7); n > 0; --n)
        append(letters, pick(random, first, last));
    return letters;
}

// One unit of a text of the kind: a word, a syllable or a symbol, with what follows it.
QString textUnit(std::mt19937 &random, const QString &kind)
{
    // Faces, a skin tone, ZWJ families, a flag sequence, regional flags, a
    // variation selector, and a few letters.
    static const QStringList emoji =
        QString::fromUtf8(
            "😀|👍🏽|👨‍👩‍👧|🏳️‍🌈|🇫🇷|🇯🇵|❤️|🧑🏿‍💻|a|b |🙂")
            .split(QLatin1Char('|'));
    QString unit;
    if (kind == QLatin1String("emoji"))
        return emoji.at(int(pick(random, 0, uint(emoji.size() - 1))));
    if (kind == QLatin1String("hebrew-words"))
        return (pick(random, 0, 3) ? word(random, 0x05D0, 0x05EA) : QString::number(pick(random, 1, 2026)))
            + QLatin1Char(' ');
    if (kind == QLatin1String("arabic-words"))
        return word(random, 0x0627, 0x064A) + QLatin1Char(' ');
    if (kind == QLatin1String("cjk"))
        return append(unit, pick(random, 0, 2) ? pick(random, 0x4E00, 0x9FFF) : pick(random, 0x3041, 0x3096));
    if (kind == QLatin1String("devanagari")) {
        append(unit, pick(random, 0x0915, 0x0939));
        if (pick(random, 0, 3) == 0)
            append(append(unit, 0x094D), pick(random, 0x0915, 0x0939)); // a conjunct
        if (pick(random, 0, 1))
            append(unit, pick(random, 0x093E, 0x094C)); // a vowel sign
        return pick(random, 0, 4) ? unit : unit + QLatin1Char(' ');
    }
    if (kind == QLatin1String("thai")) {
        append(unit, pick(random, 0x0E01, 0x0E2E));
        if (pick(random, 0, 2) == 0)
            append(unit, pick(random, 0x0E34, 0x0E3A));
        if (pick(random, 0, 3) == 0)
            append(unit, pick(random, 0x0E48, 0x0E4B)); // a tone mark
        return unit;
    }
    if (kind == QLatin1String("combining")) {
        append(unit, pick(random, 'a', 'z'));
        for (uint marks = pick(random, 0, 2); marks > 0; --marks)
            append(unit, pick(random, 0x0300, 0x036F));
        return unit;
    }
    if (kind == QLatin1String("zalgo")) {
        append(unit, pick(random, 'a', 'z'));
        for (uint marks = pick(random, 0, 30); marks > 0; --marks)
            append(unit, pick(random, 0x0300, 0x036F));
        return unit;
    }
    if (kind == QLatin1String("alternating"))
        return QStringLiteral("ab");
    if (kind == QLatin1String("words"))
        return word(random, 'a', 'z') + QLatin1Char(' ');
    if (kind == QLatin1String("table")) {
        const uint field = pick(random, 0, 3);
        return (field == 0       ? word(random, 'a', 'z')
                    : field == 1 ? word(random, 0x0430, 0x044F)
                                 : QString::number(pick(random, 0, 99999)))
            + QLatin1Char('\t');
    }
    if (kind == QLatin1String("mixed")) {
        static const std::vector<std::pair<uint, uint>> scripts = {
            {'a', 'z'},       {0x0430, 0x044F}, {0x03B1, 0x03C9}, {0x05D0, 0x05EA},
            {0x0627, 0x064A}, {0x0915, 0x0939}, {0x4E00, 0x9FFF}, {0x0E01, 0x0E2E}};
        const auto [first, last] = scripts.at(pick(random, 0, uint(scripts.size() - 1)));
        return word(random, first, last) + (pick(random, 0, 15) ? QLatin1Char(' ') : QLatin1Char('\t'));
    }
    return append(unit, pick(random, 'a', 'z'));
}

// Random text of the kind, length code units long: letters a to z, "tab",
// "hebrew" or "arabic" with one such character in the middle, or words,
// syllables or symbols of one writing system or of several ("mixed").
QString randomText(int length, const QString &kind)
{
    std::mt19937 random(2026);
    QString text;
    while (text.size() < length)
        text += textUnit(random, kind);
    text.truncate(length);
    if (!text.isEmpty() && text.at(text.size() - 1).isHighSurrogate())
        text[text.size() - 1] = QLatin1Char('a');
    const QChar inserted = kind == QLatin1String("tab") ? QChar('\t')
        : kind == QLatin1String("hebrew")               ? QChar(0x05E9)
        : kind == QLatin1String("arabic")               ? QChar(0x0628)
                                                        : QChar();
    if (!inserted.isNull() && length > 0)
        text[length / 2] = inserted;
    return text;
}

// The process's peak resident memory in MB.
double peakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class Lesson
{
public:
    // A user meets a window that is already painted, and works in it.
    Lesson()
    {
        window.show();
        window.activateWindow();
        QCoreApplication::processEvents();
        window.grab();
    }

    template<class W>
    W *widget(const char *name)
    {
        return window.findChild<W *>(QLatin1String(name));
    }

    // The time an action takes until the window is idle and painted.
    double timed(const std::function<void()> &action)
    {
        const double start = now();
        action();
        // Until nothing is left: what the action posted may post more, as a
        // view's delayed layout posts its painting.
        QCoreApplication::processEvents(QEventLoop::AllEvents, std::numeric_limits<int>::max());
        if (allPainted)
            window.grab();
        return now() - start;
    }

    // The field shows the text, laid out by Qt's own line edit.
    double paste(const char *field, const QString &text)
    {
        return timed([this, field, &text] { widget<QLineEdit>(field)->setText(text); });
    }

    double click(const char *name)
    {
        QPushButton *button = widget<QPushButton>(name);
        button->setFocus(Qt::MouseFocusReason);
        return timed([button] { button->click(); });
    }

    std::vector<double> stepToEnd()
    {
        std::vector<double> steps;
        while (widget<QPushButton>("pushButton_3")->isEnabled())
            steps.push_back(click("pushButton_3"));
        return steps;
    }

    // Each repetition sets the bar to each value in turn; the median over all.
    double scrolled(QScrollBar *bar, const std::vector<int> &values, int repetitions = 3)
    {
        std::vector<double> times;
        for (int i = 0; i < repetitions; ++i)
            for (int value : values)
                times.push_back(timed([bar, value] { bar->setValue(value); }));
        return median(times);
    }

    // Keys go where the focus is.
    double pressed(int key, const QString &text = QString())
    {
        return timed([key, &text] {
            QWidget *focus = QApplication::focusWidget();
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
            QApplication::sendEvent(focus, &press);
            QApplication::sendEvent(focus, &release);
        });
    }

    double typed(const QString &letters)
    {
        std::vector<double> times;
        for (QChar letter : letters)
            times.push_back(pressed(Qt::Key_unknown, letter));
        return median(times);
    }

    // A letter of the field's text deleted and typed again, in the middle,
    // where the field has to show the text anew; the slower of the two.
    double edited(const char *field)
    {
        QLineEdit *edit = widget<QLineEdit>(field);
        edit->setFocus(Qt::MouseFocusReason);
        const QString text = edit->text();
        int middle = text.size() / 2;
        while (middle < text.size() && !text.at(middle).isLetter())
            ++middle;
        if (middle >= text.size())
            return 0;
        edit->setCursorPosition(middle + 1);
        const double deleted = pressed(Qt::Key_Backspace);
        return std::max(deleted, pressed(Qt::Key_unknown, text.at(middle)));
    }

    MainWindow window;
};

void runOneLength(int length, const QString &kind, const QString &pattern)
{
    const QString text = randomText(length, kind);
    Lesson lesson;
    const double paste = lesson.paste("lineS", text);
    const double edit = lesson.edited("lineS");
    const double build = lesson.click("pushButton");
    const std::vector<double> construction = lesson.stepToEnd();
    lesson.paste("lineT", pattern.isNull() ? text.mid(length / 3, 6) : pattern);
    const double find = lesson.click("pushButton_2");
    const std::vector<double> search = lesson.stepToEnd();

    auto list = lesson.widget<QListWidget>("listWidget");
    QScrollBar *listBar = list->horizontalScrollBar();
    const double farRight = lesson.scrolled(listBar, {listBar->maximum(), 0});
    // A click on a row gives the list the focus; letters typed then search
    // from that row, some found, one nowhere in the text.
    list->setFocus(Qt::MouseFocusReason);
    list->setCurrentRow(0);
    const double typing = lesson.typed(QStringLiteral("qzkm#"));
    const double focusScroll = lesson.scrolled(listBar, {listBar->maximum() / 2, listBar->maximum() / 3});
    QScrollBar *answerBar = lesson.widget<QAbstractScrollArea>("answerArea")->horizontalScrollBar();
    const double answerEnd = lesson.scrolled(answerBar, {answerBar->maximum(), 0});

    std::printf("%7d %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.0f\n", length,
                paste, edit, build, *std::max_element(construction.begin(), construction.end()),
                median(construction), construction.back(), find,
                *std::max_element(search.begin(), search.end()), farRight, typing, focusScroll, answerEnd,
                peakRssMb());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    prepareHeapForHugePages(); // as the program does
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QStringList options; // passed on to the process of each length
    QString kind = QStringLiteral("plain");
    QString pattern;
    int length = -1;
    while (args.size() >= 2) {
        const QString name = args.takeFirst();
        const QString value = args.takeFirst();
        if (name == QLatin1String("--font")) {
            const QStringList font = value.split(QLatin1Char(','));
            QApplication::setFont(QFont(font.value(0), font.value(1).toInt()));
        } else if (name == QLatin1String("--text")) {
            kind = value;
        } else if (name == QLatin1String("--pattern")) {
            pattern = value;
        } else if (name == QLatin1String("--clock")) {
            cpuClock = value == QLatin1String("cpu");
        } else if (name == QLatin1String("--paint")) {
            allPainted = value == QLatin1String("all");
        } else if (name == QLatin1String("--length")) {
            length = value.toInt();
            continue;
        } else {
            std::fprintf(stderr, "unknown option %s\n", qPrintable(name));
            return 1;
        }
        options << name << value;
    }
    if (length >= 0) {
        runOneLength(length, kind, pattern);
        return 0;
    }
    std::printf("text: %s, clock: %s, painted: %s; far right to answer: medians of repetitions\n",
                qPrintable(kind), cpuClock ? "processor" : "wall", allPainted ? "all" : "what changed");
    std::printf("%7s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s\n", "length", "paste", "edit",
                "build", "step max", "step med", "last", "find", "search", "far right", "typed", "focused",
                "answer", "peak");
    std::printf("%7s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s\n", "", "text ms", "letter ms", "ms",
                "ms", "ms", "ms", "ms", "max ms", "and back", "letter", "scroll", "to end", "MB");
    std::fflush(stdout);
    for (int each : {100, 1000, 4000, 32767}) {
        QProcess one;
        one.setProcessChannelMode(QProcess::ForwardedChannels);
        one.start(app.applicationFilePath(),
                  options + QStringList{QStringLiteral("--length"), QString::number(each)});
        one.waitForFinished(-1);
    }
    return 0;
}
