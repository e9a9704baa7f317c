#ifndef READABLECOLORS_H
#define READABLECOLORS_H

// The window fixes a few colours of its own: the backgrounds of the list's
// rows during a search and the black and red letters of the answer. The
// desktop's palette decides everything else, and may be dark or of high
// contrast, where the palette's light text would vanish on a white row and
// black letters on a dark window. In a light palette the fixed colours stand
// as they are; in any other, whatever is read against them is chosen here.

#include <QColor>

QT_BEGIN_NAMESPACE
class QPalette;
QT_END_NAMESPACE

// The contrast of two colours as the Web Content Accessibility Guidelines
// measure it, from 1 (the same) to 21 (black and white).
qreal contrast(const QColor &a, const QColor &b);

// Whether the palette draws dark text on light ground, as the fixed colours expect.
bool isLight(const QPalette &palette);

// The colour in which the answer draws a letter that its markup gives the
// colour marked: the palette's text for black letters, a red light enough
// for the palette's ground for red ones.
QColor answerLetterColor(const QPalette &palette, const QColor &marked);

#endif // READABLECOLORS_H
