#include "charwidths.h"

#include <QFontMetricsF>

qreal textAdvance(const QFont &font, const QString &text)
{
#if QT_VERSION >= QT_VERSION_CHECK(5, 11, 0)
    return QFontMetricsF(font).horizontalAdvance(text);
#else
    return QFontMetricsF(font).width(text);
#endif
}

namespace {

QString &appendCodePoint(QString &text, uint codePoint)
{
    if (QChar::requiresSurrogates(codePoint))
        return text.append(QChar(QChar::highSurrogate(codePoint))).append(QChar(QChar::lowSurrogate(codePoint)));
    return text.append(QChar(codePoint));
}

} // namespace

qreal CharWidths::single(uint codePoint)
{
    auto found = singles.constFind(codePoint);
    if (found == singles.constEnd()) {
        QString character;
        found = singles.insert(codePoint, textAdvance(font, appendCodePoint(character, codePoint)));
    }
    return *found;
}

qreal CharWidths::next(const QString &text, int &i, uint &previous)
{
    uint codePoint = text.at(i).unicode();
    int length = 1;
    if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        codePoint = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
        length = 2;
    }
    qreal width = single(codePoint);
    if (previous != 0) {
        const quint64 key = quint64(previous) << 32 | codePoint;
        auto found = pairs.constFind(key);
        if (found == pairs.constEnd()) {
            QString both;
            appendCodePoint(appendCodePoint(both, previous), codePoint);
            found = pairs.insert(key, textAdvance(font, both) - single(previous) - width);
        }
        width += *found;
    }
    previous = codePoint;
    i += length;
    return width;
}

qreal CharWidths::of(const QString &text)
{
    qreal width = 0;
    uint previous = 0;
    for (int i = 0; i < text.size();)
        width += next(text, i, previous);
    return width;
}
