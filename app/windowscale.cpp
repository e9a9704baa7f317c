#include "windowscale.h"
#include "ui_mainwindow.h"

#include "charwidths.h"
#include "display.h"

#include <QLayout>

#include <algorithm>

namespace {

// The height of a line of the design font, in pixels.
const int designLineHeight = 13;

// The widest line of text in the widget's font, in whole pixels as the form
// measures its rectangles.
int widestLine(const QWidget *widget, const QString &text)
{
    int widest = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, qRound(textAdvance(widget->font(), line)));
    return widest;
}

int scaled(int length, qreal scale)
{
    return qRound(length * scale);
}

} // namespace

qreal fontScale(const Ui_MainWindow &ui)
{
    qreal scale = 1;
    const auto fit = [&scale](const QWidget *widget, int width) {
        scale = std::max({scale, qreal(width) / widget->width(),
                          qreal(widget->fontMetrics().height()) / designLineHeight});
    };
    fit(ui.label, widestLine(ui.label, ui.label->text()));
    fit(ui.label_2, widestLine(ui.label_2, ui.label_2->text()));
    for (const QWidget *button : {ui.pushButton, ui.pushButton_2, ui.pushButton_3})
        fit(button, button->sizeHint().width());
    fit(ui.label_3, widestLine(ui.label_3, roundMessage(1 << 15)));
    fit(ui.label_4, widestLine(ui.label_4, searchStepMessage(32767, QChar(0x0428))));
    for (const QWidget *field : {ui.lineS, ui.lineT})
        fit(field, 0);
    return scale;
}

void scaleWindow(QMainWindow *window, const Ui_MainWindow &ui, qreal scale)
{
    // The design font keeps the form as it is.
    if (scale == 1)
        return;
    int contentBottom = 0;
    for (QWidget *child : ui.centralWidget->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        const QRect form = child->geometry();
        const QPoint topLeft(scaled(form.left(), scale), scaled(form.top(), scale));
        const QPoint bottomRight(scaled(form.left() + form.width(), scale), scaled(form.top() + form.height(), scale));
        child->setGeometry(QRect(topLeft, bottomRight - QPoint(1, 1)));
        contentBottom = std::max(contentBottom, bottomRight.y());
    }
    QHeaderView *columns = ui.tableWidget->horizontalHeader();
    columns->setDefaultSectionSize(scaled(columns->defaultSectionSize(), scale));
    window->resize(scaled(window->width(), scale), scaled(window->height(), scale));

    window->layout()->activate();
    const int shortfall = contentBottom - ui.centralWidget->height();
    if (shortfall > 0)
        window->resize(window->width(), window->height() + shortfall);
}
