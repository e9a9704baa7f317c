#include "display.h"

namespace {

// Up to this length every letter of the answer gets a font element of its
// own. A longer text gets one element per run of letters of one colour,
// which looks the same: a rich-text label parses some microseconds per
// element, and the answer must show within a frame.
const int elementPerLetterUpTo = 1000;

// What the text field shows as a blank: control characters, line and
// paragraph separators and the object placeholder. The answer is one line,
// so the next-line control is a blank there too.
bool shownAsBlank(QChar c)
{
    return (c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x85
        || c == QChar::LineSeparator || c == QChar::ParagraphSeparator
        || c == QChar::ObjectReplacementCharacter;
}

// Rich text must show every character of the text as itself: markup is
// escaped, and white space, which rich text folds into single spaces or
// turns into line breaks, keeps its width.
void appendEscaped(QString &html, QChar c)
{
    switch (c.unicode()) {
    case '<': html += QLatin1String("&lt;"); break;
    case '>': html += QLatin1String("&gt;"); break;
    case '&': html += QLatin1String("&amp;"); break;
    case '"': html += QLatin1String("&quot;"); break;
    case ' ': html += QLatin1String("&nbsp;"); break;
    default:
        if (shownAsBlank(c))
            html += QLatin1String("&nbsp;");
        else if (c.isSpace())
            html += QLatin1String("<span style=\"white-space:pre\">") + c + QLatin1String("</span>");
        else
            html += c;
    }
}

} // namespace

QString displayText(const QString &text)
{
    return text + QLatin1Char('#');
}

QString roundMessage(int fragmentLength)
{
    return QString::fromUtf8("Отсортировали фрагменты длины ") + QString::number(fragmentLength);
}

QString searchStepMessage(int letterNumber, QChar letter)
{
    return QString::fromUtf8("Воспользуемся двумя бинпоисками для отсечения\n"
                             "суффиксов, в которых буква №")
        + QString::number(letterNumber) + QString::fromUtf8(" не равна '") + letter + QLatin1Char('\'');
}

Answer composeAnswer(const QString &text, const QVector<int> &rankOf, int left, int right)
{
    const auto startsOccurrence = [&](int i) { return left <= rankOf[i] && rankOf[i] < right; };
    const bool elementPerLetter = text.size() <= elementPerLetterUpTo;

    Answer answer;
    answer.html = QString::fromUtf8("Ответ:");
    for (int i = 0, end; i < text.size(); i = end) {
        const bool red = startsOccurrence(i);
        end = i + 1;
        while (!elementPerLetter && end < text.size() && startsOccurrence(end) == red)
            ++end;
        answer.html += red ? QLatin1String("<font color=\"red\">")
                           : QLatin1String("<font color=\"black\">");
        for (int j = i; j < end; ++j) {
            appendEscaped(answer.html, text.at(j));
            if (red)
                answer.positions.append(j + 1);
        }
        answer.html += QLatin1String("</font>");
    }
    answer.html += QLatin1String(": ");
    for (int position : qAsConst(answer.positions))
        answer.html += QString::number(position) + QLatin1String(", ");
    if (!answer.positions.isEmpty()) {
        answer.html.chop(2);
        answer.html += QLatin1Char('.');
    }
    return answer;
}
