#include "display.h"

#include "characters.h"
#include "words.h"

#include <QStringList>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <functional>

namespace {

// Up to this length every letter of the answer gets a font element of its
// own. A longer text gets one element per run of letters of one colour,
// which looks the same and reads much faster: a rich-text label reads its
// elements one by one, and one per letter of the longest text would keep the
// window busy for several frames.
const int elementPerLetterUpTo = 4096;

// What the text field shows as a blank: control characters, line and
// paragraph separators and the object placeholder. The answer is one line,
// so the next-line control is a blank there too.
bool shownAsBlank(QChar c)
{
    return (c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x85 || c == QChar::LineSeparator
        || c == QChar::ParagraphSeparator || c == QChar::ObjectReplacementCharacter;
}

// What the answer shows as a blank: a blank, what the text field shows as
// one, and the two characters that a rich text's document takes for the
// start and the end of a frame, where it would start a new line.
bool blankInAnswer(QChar c)
{
    return c == QLatin1Char(' ') || shownAsBlank(c) || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1;
}

// Rich text must show every character of the text as itself: markup is
// escaped, and white space, which rich text folds into single spaces or
// turns into line breaks, keeps its width.
QString escaped(QChar c)
{
    if (blankInAnswer(c))
        return QStringLiteral("&nbsp;");
    if (c.isSpace())
        return QLatin1String("<span style=\"white-space:pre\">") + c + QLatin1String("</span>");
    return QString(c).toHtmlEscaped();
}

// Which letters of the text are red: the first letter of each occurrence
// and the rest of the character the user sees there, the other half of a
// surrogate pair, marks, an emoji sequence, so that no glyph is torn apart
// into two colours.
QVector<bool> redLetters(const QString &text, const std::function<bool(int)> &startsOccurrence)
{
    QVector<bool> red(text.size(), false);
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    for (int i = 0; i < text.size(); ++i) {
        if (!startsOccurrence(i))
            continue;
        clusters.setPosition(i + 1);
        const int clusterEnd = clusters.isAtBoundary() ? i + 1 : clusters.toNextBoundary();
        std::fill(red.begin() + i, red.begin() + clusterEnd, true);
    }
    return red;
}

} // namespace

QString helpText()
{
    return QString::fromUtf8(
        "Суффиксный массив был разработан <b>Уди Манбером</b> и <b>Джином Майерсом</b>"
        " как более экономная альтернатива суффиксному дереву с точки зрения необходимой памяти."
        " Она часто применяется там, где необходим быстрый поиск подстрок.\n"
        "Суффиксный массив можно построить за O(|s|), где s — текст.\n"
        "Чтобы узнать, встречается ли образец в тексте, используя суффиксный массив,"
        " необходимо взять первый символ образца и бинарным поиском по суффиксному массиву"
        " найти диапазон с суффиксами, начинающимися на такую же букву. Так как все элементы"
        " в полученном диапазоне отсортированы, а первые символы одинаковые, то оставшиеся"
        " после отбрасывания первого символа суффиксы тоже отсортированы. А значит, можно"
        " повторять процедуру сужения диапазона поиска уже по второму, затем третьему и так"
        " далее символу образца до получения либо пустого диапазона, либо успешного"
        " нахождения всех символов образца.\n"
        "Таким образом время работы алгоритма O(|p|log|s|), где s — текст, p — образец.\n"
        "Прочитать подробнее про построение и применения суффиксного массива можно на"
        " <a href=\"https://ru.wikipedia.org/wiki/"
        "%D0%A1%D1%83%D1%84%D1%84%D0%B8%D0%BA%D1%81%D0%BD%D1%8B%D0%B9_"
        "%D0%BC%D0%B0%D1%81%D1%81%D0%B8%D0%B2\">странице Википедии</a>.");
}

QString withDisplayTerminator(const QString &text)
{
    return text + QLatin1Char('#');
}

QString shownOnOneLine(QString text)
{
    std::replace_if(text.begin(), text.end(), shownAsBlank, QLatin1Char(' '));
    return text;
}

QString roundMessage(int fragmentLength)
{
    return Words::roundDone.arg(fragmentLength);
}

QString searchStepMessage(int letterNumber, const QString &letter)
{
    return Words::searchStep.arg(QString::number(letterNumber), letter);
}

QString characterAt(const QString &text, int i)
{
    if (i > 0 && text.at(i).isLowSurrogate() && text.at(i - 1).isHighSurrogate())
        --i;
    int length;
    codePointAt(text, i, &length);
    return text.mid(i, length);
}

QString answerLetters(QString text)
{
    std::replace_if(text.begin(), text.end(), blankInAnswer, QChar::Nbsp);
    return text;
}

Answer composeAnswer(const QString &text, const QVector<int> &rankOf, int left, int right)
{
    const auto startsOccurrence = [&](int i) { return left <= rankOf[i] && rankOf[i] < right; };
    const bool elementPerLetter = text.size() <= elementPerLetterUpTo;
    const QLatin1String close("</font>");

    Answer answer{Words::answerHeading, QString(), answerLetters(text), redLetters(text, startsOccurrence),
                  QString()};
    QStringList positions;
    for (int i = 0, end; i < text.size(); i = end) {
        const bool red = answer.red[i];
        const QLatin1String open(red ? "<font color=\"red\">" : "<font color=\"black\">");
        if (!elementPerLetter)
            answer.html += open;
        for (end = i; end < text.size() && answer.red[end] == red; ++end) {
            const QString letter = escaped(text.at(end));
            answer.html += elementPerLetter ? open + letter + close : letter;
            if (startsOccurrence(end))
                positions << QString::number(end + 1);
        }
        if (!elementPerLetter)
            answer.html += close;
    }
    answer.positions = QLatin1String(": ") + positions.join(QLatin1String(", "));
    if (!positions.isEmpty())
        answer.positions += QLatin1Char('.');
    answer.plain = Words::answerHeading + shownOnOneLine(text) + answer.positions;
    // After right-to-left letters the positions would run right to left
    // with them and show before the text's last word; a left-to-right mark,
    // which takes no room, keeps them after the text.
    if (mayReorder(text))
        answer.positions.prepend(QChar(0x200E));
    answer.html += answer.positions;
    return answer;
}
