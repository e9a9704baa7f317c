#include "charwidths.h"

#include <QFontMetricsF>

qreal CharWidths::at(const QString &text, int i, int *length)
{
    uint key = text.at(i).unicode();
    *length = 1;
    if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        key = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
        *length = 2;
    }
    auto found = widths.constFind(key);
    if (found == widths.constEnd())
        found = widths.insert(key, QFontMetricsF(font).horizontalAdvance(text.mid(i, *length)));
    return *found;
}

qreal CharWidths::of(const QString &text)
{
    qreal width = 0;
    int length = 1;
    for (int i = 0; i < text.size(); i += length)
        width += at(text, i, &length);
    return width;
}
