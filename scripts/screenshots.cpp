// Renders the real window at four moments of a lesson: idle after start,
// mid-construction, mid-search and with the answer, as PNG files in the given
// folder, on whatever platform Qt runs (screenshots.sh uses xcb on Xvfb).
//
//   screenshots [--font FAMILY,POINTS] FOLDER [TEXT PATTERN]
//
// The font, when given, is the application's, as a desktop would set it.
// TEXT may be "random:N" for N pseudo-random letters a-z.

#include "mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>

#include <cstdio>

namespace {

QString sampleText(const QString &argument)
{
    if (!argument.startsWith(QLatin1String("random:")))
        return argument;
    QRandomGenerator random(7);
    QString text;
    for (int n = argument.mid(7).toInt(); n > 0; --n)
        text += QChar('a' + int(random.bounded(26)));
    return text;
}

// A user's clicks come one at a time, each after the window has caught up
// with the one before.
void click(MainWindow &window, const char *button)
{
    window.findChild<QPushButton *>(QLatin1String(button))->click();
    QCoreApplication::processEvents();
}

void save(MainWindow &window, const QDir &folder, const char *name)
{
    QCoreApplication::processEvents();
    const QString path = folder.filePath(QLatin1String(name));
    if (!window.grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() > 2 && args[1] == QLatin1String("--font")) {
        const QStringList font = args[2].split(QLatin1Char(','));
        QApplication::setFont(QFont(font.value(0), font.value(1).toInt()));
        args.erase(args.begin() + 1, args.begin() + 3);
    }
    if (args.size() != 2 && args.size() != 4) {
        std::fprintf(stderr, "usage: screenshots [--font FAMILY,POINTS] FOLDER [TEXT PATTERN]\n");
        return 2;
    }
    const QDir folder(args[1]);
    const QString text = args.size() == 4 ? sampleText(args[2]) : QStringLiteral("abracadabra");
    const QString pattern = args.size() == 4 ? args[3] : QStringLiteral("abra");

    MainWindow window;
    window.show();
    save(window, folder, "idle.png");

    window.findChild<QLineEdit *>(QStringLiteral("lineS"))->setText(text);
    click(window, "pushButton");
    click(window, "pushButton_3");
    click(window, "pushButton_3");
    save(window, folder, "construction.png");

    while (window.findChild<QPushButton *>(QStringLiteral("pushButton_3"))->isEnabled())
        click(window, "pushButton_3");
    window.findChild<QLineEdit *>(QStringLiteral("lineT"))->setText(pattern);
    click(window, "pushButton_2");
    click(window, "pushButton_3");
    save(window, folder, "search.png");

    while (window.findChild<QPushButton *>(QStringLiteral("pushButton_3"))->isEnabled())
        click(window, "pushButton_3");
    save(window, folder, "answer.png");
    return 0;
}
