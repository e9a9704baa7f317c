#include "display.h"

namespace {

// Rich text must show every character of the text as itself.
void appendEscaped(QString &html, QChar c)
{
    switch (c.unicode()) {
    case '<': html += QLatin1String("&lt;"); break;
    case '>': html += QLatin1String("&gt;"); break;
    case '&': html += QLatin1String("&amp;"); break;
    case '"': html += QLatin1String("&quot;"); break;
    default: html += c;
    }
}

} // namespace

QList<QString> suffixDisplayStrings(const QString &text)
{
    QList<QString> suffixes;
    suffixes.append(QStringLiteral("#"));
    for (int i = text.size() - 1; i >= 0; --i)
        suffixes.prepend(QString(suffixes.first()).insert(0, text.at(i)));
    return suffixes;
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
    Answer answer;
    answer.html = QString::fromUtf8("Ответ:");
    for (int i = 0; i < text.size(); ++i) {
        const bool occurrence = left <= rankOf[i] && rankOf[i] < right;
        answer.html += occurrence ? QLatin1String("<font color=\"red\">")
                                  : QLatin1String("<font color=\"black\">");
        appendEscaped(answer.html, text.at(i));
        answer.html += QLatin1String("</font>");
        if (occurrence)
            answer.positions.append(i + 1);
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
