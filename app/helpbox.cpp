#include "helpbox.h"

#include "windowscale.h"

#include <QLabel>
#include <QLayout>
#include <QMessageBox>

#include <algorithm>
#include <cmath>

namespace {

// How QMessageBox sizes its text when it lays itself out (qmessagebox.cpp,
// QMessageBoxPrivate::updateSize): it wraps a long text at the larger of
// half the screen and softLimit pixels, and lets the box grow up to the
// screen's width on a screen at most smallScreen wide, elsewhere up to that
// width less screenMargin, and no wider than hardLimit; past that width it
// would break words anywhere.
const int softLimit = 500;
const int smallScreen = 1024;
const int screenMargin = 480;
const int hardLimit = 1000;

// The text's width is tried in steps of so many pixels; where no width fits,
// the font shrinks by the ratio, at most so many times.
const int widthStep = 20;
const qreal fontShrinkStep = 0.95;
const int fontShrinkTries = 20;

// The label that shows the box's text: found by what it shows, since the box
// names it only privately.
QLabel *textLabel(const QMessageBox &box)
{
    const auto labels = box.findChildren<QLabel *>();
    const auto found = std::find_if(labels.cbegin(), labels.cend(),
                                    [&box](const QLabel *label) { return label->text() == box.text(); });
    return found == labels.cend() ? nullptr : *found;
}

// The height of the box as it lays itself out when shown, with its text at
// least as wide as the box is wide.
int boxHeight(QMessageBox &box, QLabel *text, int width, const QRect &available)
{
    const int wrapAt = std::min(available.width() / 2, softLimit);
    text->setMinimumWidth(0);
    text->setWordWrap(true);
    const int chrome = box.layout()->totalMinimumSize().width() - text->minimumSizeHint().width();
    text->setMinimumWidth(std::max(0, width - chrome));
    return box.layout()->totalHeightForWidth(std::max(wrapAt, box.layout()->totalMinimumSize().width()));
}

} // namespace

void fitHelpBox(QMessageBox &box, const QRect &available)
{
    QLabel *text = textLabel(box);
    if (!text)
        return;
    const int room = available.height() - frameExtent(&box).height();
    const int widest = available.width() <= smallScreen
        ? available.width()
        : std::min(available.width() - screenMargin, hardLimit);
    const auto fits = [&](int width) { return boxHeight(box, text, width, available) <= room; };
    const QFont full = box.font();
    for (int tries = 0; tries < fontShrinkTries; ++tries) {
        if (fits(0))
            return;
        // Each layout of the box costs a layout of its text, and the box only
        // gets shorter as its text widens: halve down to the narrowest width,
        // in steps, that fits.
        int wide = widest / widthStep * widthStep;
        if (fits(wide)) {
            for (int narrow = 0; wide - narrow > widthStep;) {
                const int middle = (narrow + wide) / (2 * widthStep) * widthStep;
                (fits(middle) ? wide : narrow) = middle;
            }
            fits(wide);
            return;
        }
        box.setFont(scaledFont(full, std::pow(fontShrinkStep, tries + 1)));
    }
}
