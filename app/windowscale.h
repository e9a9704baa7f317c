#ifndef WINDOWSCALE_H
#define WINDOWSCALE_H

// The form places every widget at a fixed rectangle, drawn for the design
// font: Liberation Sans 8 pt at 96 dpi, the metrics of Arial. With a larger
// font every rectangle, the table's columns and the window grow by one
// factor, so that the fixed texts fit and the proportions hold. Where that
// would make the window larger than its screen, the factor stops where the
// window fits and the window's font shrinks by the same ratio instead.

#include <QFont>
#include <QHash>
#include <QObject>
#include <QRect>

QT_BEGIN_NAMESPACE
class QMainWindow;
class QWidget;
class QWindow;
class Ui_MainWindow;
QT_END_NAMESPACE

class WindowScaler : public QObject
{
    Q_OBJECT

public:
    // Keeps the form's rectangles as the layout form left them and fits the
    // window to its fonts and its screen; fits it anew whenever the fonts or
    // the screen's resolution change.
    WindowScaler(QMainWindow *window, const Ui_MainWindow &ui);

    // Lays the window out for its fonts, the whole window, its frame included,
    // within available.
    void fitWithin(const QRect &available);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void fitToScreen();

private:
    qreal fontScale() const;
    void shrinkFontTo(const QFont &full, qreal scale, qreal fontScaleAtFullSize);
    void scaleForm(qreal scale);
    bool frameFitsScreen() const;
    void watchScreenChanges();
    void watchResolutionChanges();

    QMainWindow *window;
    const Ui_MainWindow &ui;
    QHash<QWidget *, QRect> form;
    QSize formWindowSize;
    int formColumnWidth;
    bool fitting = false;
    QWindow *watchedWindow = nullptr;
};

// The font, larger or smaller by ratio, in points or in pixels as it is set.
QFont scaledFont(QFont font, qreal ratio);

// What a window's frame adds to its size: as the desktop drew it once the
// window is shown, and before that as the style would draw a title bar.
QSize frameExtent(const QWidget *window);

// The screen's area free for windows where the widget is, or would be shown.
QRect availableGeometry(const QWidget *widget);

#endif // WINDOWSCALE_H
