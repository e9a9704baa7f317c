#ifndef WORDS_H
#define WORDS_H

// The program's own words, each written once. The window, its tooltips and
// the tests take them from here, so a reworded text changes in one place.
// A %n marks where a number or a name goes, filled in with QString::arg.

#include <QString>

namespace Words {

// The messages of the two labels under the views.
inline const QString roundDone = QStringLiteral("Отсортировали фрагменты длины %1");
inline const QString searchStep = QStringLiteral("Воспользуемся двумя бинпоисками для отсечения\n"
                                                 "суффиксов, в которых буква №%1 не равна '%2'");

// The answer: the heading, the text, then the positions of the occurrences.
inline const QString answerHeading = QStringLiteral("Ответ:");

// The tooltips of the rows: where the suffix starts, then why it sits there.
inline const QString suffixAt = QStringLiteral("Суффикс с позиции %1.\n");
inline const QString sortedByLetter = QStringLiteral("Его фрагмент длины 1 встал сюда по своей букве: %1.");
inline const QString sortedByPair =
    QStringLiteral("Его фрагмент длины %1 встал сюда по паре классов (%2, %3):\n"
                   "классам его половин длины %4 на прошлом шаге.");
inline const QString suffixArrayEntry = QStringLiteral("В суффиксном массиве здесь стоит %1.");
// What a screen reader hears first of a list row while a search keeps it red.
inline const QString candidate = QStringLiteral("кандидат");

// A code unit in a tooltip: its name, then U+XXXX.
inline const QString endOfText = QStringLiteral("конец текста '#'");
inline const QString endOfTextIsLeast = QStringLiteral(", он меньше любой буквы");
inline const QString surrogateHalf = QStringLiteral("половина суррогатной пары");
inline const QString tab = QStringLiteral("табуляция");
inline const QString lineFeed = QStringLiteral("перевод строки");
inline const QString blank = QStringLiteral("пробел");
inline const QString invisible = QStringLiteral("невидимый знак");

// What a screen reader calls the views, and the help box's title.
inline const QString tableName = QStringLiteral("Суффиксы и их классы");
inline const QString listName = QStringLiteral("Отсортированные суффиксы");
inline const QString answerName = QStringLiteral("Ответ");
inline const QString helpTitle = QStringLiteral("Справка");

} // namespace Words

#endif // WORDS_H
