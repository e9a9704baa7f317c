// Times every click of a whole lesson on the real window, offscreen, as a
// user would make them: set the text, build, step to the end, set a pattern
// of six letters taken from the text, find, step to the end. A click counts
// until the window is idle and painted: the click, the events it posted, and
// a grab of the whole window. Prints one line per text length; asserts nothing.
//
//   bench_window [--font FAMILY,POINTS]             every length, each in a process of its own
//   bench_window [--font FAMILY,POINTS] --length N  one length, in this process
//
// The font, when given, is the application's, as a desktop would set it; the
// window grows with it.

#include "mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

QString randomText(int length)
{
    std::mt19937 random(2026);
    std::uniform_int_distribution<int> letter('a', 'z');
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(letter(random));
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

class Lesson
{
public:
    // A user meets a window that is already painted.
    Lesson()
    {
        window.show();
        window.grab();
    }

    double setAndClick(const char *field, const QString &text, const char *button)
    {
        window.findChild<QLineEdit *>(QLatin1String(field))->setText(text);
        return click(button);
    }

    double click(const char *button)
    {
        QElapsedTimer clock;
        clock.start();
        window.findChild<QPushButton *>(QLatin1String(button))->click();
        QCoreApplication::processEvents();
        window.grab();
        return clock.nsecsElapsed() / 1e6;
    }

    std::vector<double> stepToEnd()
    {
        std::vector<double> steps;
        while (window.findChild<QPushButton *>(QStringLiteral("pushButton_3"))->isEnabled())
            steps.push_back(click("pushButton_3"));
        return steps;
    }

private:
    MainWindow window;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void runOneLength(int length)
{
    const QString text = randomText(length);
    Lesson lesson;
    const double build = lesson.setAndClick("lineS", text, "pushButton");
    const std::vector<double> construction = lesson.stepToEnd();
    const double find = lesson.setAndClick("lineT", text.mid(length / 3, 6), "pushButton_2");
    const std::vector<double> search = lesson.stepToEnd();
    std::printf("%7d %9.1f %11.1f %11.1f %9.1f %8.1f %12.1f %9.0f\n", length, build,
                *std::max_element(construction.begin(), construction.end()), median(construction),
                construction.back(), find, *std::max_element(search.begin(), search.end()),
                peakRssMb());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    QStringList fontOption;
    if (args.size() > 2 && args[1] == QLatin1String("--font")) {
        fontOption = args.mid(1, 2);
        const QStringList font = args[2].split(QLatin1Char(','));
        QApplication::setFont(QFont(font.value(0), font.value(1).toInt()));
        args.erase(args.begin() + 1, args.begin() + 3);
    }
    if (args.size() == 3 && args[1] == QLatin1String("--length")) {
        runOneLength(args[2].toInt());
        return 0;
    }
    std::printf("%7s %9s %11s %11s %9s %8s %12s %9s\n", "length", "build ms", "step max ms",
                "step med ms", "last ms", "find ms", "search max ms", "peak MB");
    std::fflush(stdout);
    for (int length : {100, 1000, 4000, 32767}) {
        QProcess one;
        one.setProcessChannelMode(QProcess::ForwardedChannels);
        one.start(app.applicationFilePath(), fontOption + QStringList{QStringLiteral("--length"), QString::number(length)});
        one.waitForFinished(-1);
    }
    return 0;
}
