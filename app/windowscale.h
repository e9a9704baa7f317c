#ifndef WINDOWSCALE_H
#define WINDOWSCALE_H

// The form places every widget at a fixed rectangle, drawn for the design
// font: Liberation Sans 8 pt at 96 dpi, the metrics of Arial. With a larger
// font every rectangle, the table's columns and the window grow by one
// factor, so that the fixed texts fit and the proportions hold. Where that
// would make the window larger than its screen, the factor stops where the
// window fits and the window's font shrinks by the same ratio instead.

#include <QHash>
#include <QObject>
#include <QRect>

QT_BEGIN_NAMESPACE
class QFont;
class QMainWindow;
class QMessageBox;
class QWidget;
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
    void watchResolutionChanges();

    QMainWindow *window;
    const Ui_MainWindow &ui;
    QHash<QWidget *, QRect> form;
    QSize formWindowSize;
    int formColumnWidth;
    bool fitting = false;
};

// A message box wraps a long text at half the screen's width, and with a
// large font it runs below the screen. This widens its text as far as the
// box allows, then shrinks its font, until the whole box fits available.
void fitWithin(QMessageBox &box, const QRect &available);

// The screen's area free for windows where the widget is, or would be shown.
QRect availableGeometry(const QWidget *widget);

#endif // WINDOWSCALE_H
