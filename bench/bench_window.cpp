// Times every click of a whole lesson on the real window, offscreen, as a
// user would make them: set the text, build, step to the end, set a pattern
// of six letters taken from the text, find, step to the end. Then, with the
// answer shown, the list scrolled to its far right and back, letters typed
// into the list, the list scrolled sideways while a row of it has the focus,
// and the answer strip scrolled to its end and back. Before a button is
// pressed it gets the focus, as a mouse click gives it, and the focus goes on
// from there as the window moves it. An action counts until the window is
// idle and painted: the action, the events it posted, and a grab of the whole
// window. Prints one line per text length, the interactions after the lesson
// as the median of their repetitions; asserts nothing.
//
//   bench_window [--font FAMILY,POINTS] [--text KIND] [--clock cpu]
//       every length, each in a process of its own
//   bench_window [--font FAMILY,POINTS] [--text KIND] [--clock cpu] --length N
//       one length, in this process
//
// The font, when given, is the application's, as a desktop would set it; the
// window grows with it. --clock cpu counts the processor time of the process
// instead of the time on the wall, which on a machine shared with other work
// is steadier. KIND is what the random letters a to z hold besides:
// "plain" nothing (the default), "tab" one tab, "hebrew" one Hebrew letter,
// "arabic" one Arabic letter, each in the middle of the text.

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
#include <random>
#include <vector>

namespace {

bool cpuClock = false;

// Milliseconds on the chosen clock.
double now()
{
    timespec time;
    clock_gettime(cpuClock ? CLOCK_PROCESS_CPUTIME_ID : CLOCK_MONOTONIC, &time);
    return time.tv_sec * 1e3 + time.tv_nsec / 1e6;
}

QString randomText(int length, const QString &kind)
{
    std::mt19937 random(2026);
    std::uniform_int_distribution<int> letter('a', 'z');
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(letter(random));
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
        QCoreApplication::processEvents();
        window.grab();
        return now() - start;
    }

    double setAndClick(const char *field, const QString &text, const char *button)
    {
        widget<QLineEdit>(field)->setText(text);
        return click(button);
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
    double typed(const QString &letters)
    {
        std::vector<double> times;
        for (QChar letter : letters) {
            times.push_back(timed([letter] {
                QWidget *focus = QApplication::focusWidget();
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, letter);
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, letter);
                QApplication::sendEvent(focus, &press);
                QApplication::sendEvent(focus, &release);
            }));
        }
        return median(times);
    }

    MainWindow window;
};

void runOneLength(int length, const QString &kind)
{
    const QString text = randomText(length, kind);
    Lesson lesson;
    const double build = lesson.setAndClick("lineS", text, "pushButton");
    const std::vector<double> construction = lesson.stepToEnd();
    const double find = lesson.setAndClick("lineT", text.mid(length / 3, 6), "pushButton_2");
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

    std::printf("%7d %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %9.0f\n", length, build,
                *std::max_element(construction.begin(), construction.end()), median(construction),
                construction.back(), find, *std::max_element(search.begin(), search.end()), farRight, typing,
                focusScroll, answerEnd, peakRssMb());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QStringList options; // passed on to the process of each length
    QString kind = QStringLiteral("plain");
    int length = -1;
    while (args.size() >= 2) {
        const QString name = args.takeFirst();
        const QString value = args.takeFirst();
        if (name == QLatin1String("--font")) {
            const QStringList font = value.split(QLatin1Char(','));
            QApplication::setFont(QFont(font.value(0), font.value(1).toInt()));
        } else if (name == QLatin1String("--text")) {
            kind = value;
        } else if (name == QLatin1String("--clock")) {
            cpuClock = value == QLatin1String("cpu");
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
        runOneLength(length, kind);
        return 0;
    }
    std::printf("text: %s, clock: %s; far right to answer: medians of repetitions\n", qPrintable(kind),
                cpuClock ? "processor" : "wall");
    std::printf("%7s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s\n", "length", "build", "step max",
                "step med", "last", "find", "search", "far right", "typed", "focused", "answer", "peak");
    std::printf("%7s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s\n", "", "ms", "ms", "ms", "ms", "ms",
                "max ms", "and back", "letter", "scroll", "to end", "MB");
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
