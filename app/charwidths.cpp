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

qreal CharWidths::single(uint codePoint)
{
    auto found = singles.constFind(codePoint);
    if (found == singles.constEnd())
        found = singles.insert(codePoint, textAdvance(font, QString::fromUcs4(&codePoint, 1)));
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
            const uint both[] = {previous, codePoint};
            found = pairs.insert(key, textAdvance(font, QString::fromUcs4(both, 2))
                                          - single(previous) - width);
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
