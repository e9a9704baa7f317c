#ifndef WINDOWSCALE_H
#define WINDOWSCALE_H

// The form places every widget at a fixed rectangle, drawn for the design
// font: Liberation Sans 8 pt at 96 dpi, the metrics of Arial. With a larger
// font every rectangle, the table's columns and the window grow by one
// factor, so that the fixed texts fit and the proportions hold.

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QMainWindow;
QT_END_NAMESPACE
class Ui_MainWindow;

// The smallest factor, never below 1, by which the form's rectangles must grow
// for every caption, button text and the longest messages to fit, and for
// lines of the widgets' fonts to fit where lines of the design font do.
qreal fontScale(const Ui_MainWindow &ui);

// Grows every child of the central widget, the table's columns and the window
// by scale, each edge rounded. The window grows further when its menu bar,
// tool bar and status bar leave the central widget too short for its children.
void scaleWindow(QMainWindow *window, const Ui_MainWindow &ui, qreal scale);

#endif // WINDOWSCALE_H
