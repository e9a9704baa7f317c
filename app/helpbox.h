#ifndef HELPBOX_H
#define HELPBOX_H

// A message box wraps a long text at half the screen's width, and with a
// large font it runs below the screen. The help box is fitted to the screen
// before it shows: its text widens as far as the box allows, then its font
// shrinks, until the whole box fits.

#include <QRect>

QT_BEGIN_NAMESPACE
class QMessageBox;
QT_END_NAMESPACE

// Fits the box, its text set, and its frame within available.
void fitHelpBox(QMessageBox &box, const QRect &available);

#endif // HELPBOX_H
