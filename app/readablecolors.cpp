#include "readablecolors.h"

#include <QPalette>

#include <cmath>

namespace {

// Glyphs are antialiased, so their thin strokes read fainter than their
// colour: a colour chosen here aims at the contrast wanted for text, 4.5,
// which keeps red marks above 3 once drawn.
const qreal textContrast = 4.5;

qreal linear(qreal channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

qreal luminance(const QColor &color)
{
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}

// The colour mixed towards white, in steps, until it reads on ground.
QColor lightenedUntilReadable(QColor color, const QColor &ground)
{
    for (int step = 0; step < 16 && contrast(color, ground) < textContrast; ++step)
        color = QColor::fromRgbF((color.redF() * 3 + 1) / 4, (color.greenF() * 3 + 1) / 4,
                                 (color.blueF() * 3 + 1) / 4);
    return color;
}

} // namespace

qreal contrast(const QColor &a, const QColor &b)
{
    const qreal la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

bool isLight(const QPalette &palette)
{
    return luminance(palette.color(QPalette::Base)) > luminance(palette.color(QPalette::Text))
        && luminance(palette.color(QPalette::Window)) > luminance(palette.color(QPalette::WindowText));
}

QColor answerLetterColor(const QPalette &palette, const QColor &marked)
{
    if (isLight(palette))
        return marked;
    const QColor ground = palette.color(QPalette::Window);
    if (contrast(marked, ground) >= textContrast)
        return marked;
    return lightenedUntilReadable(marked == QColor(Qt::black) ? palette.color(QPalette::WindowText) : marked,
                                  ground);
}
