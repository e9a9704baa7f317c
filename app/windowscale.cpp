#include "windowscale.h"
#include "ui_mainwindow.h"

#include "charwidths.h"
#include "display.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include <algorithm>
#include <cmath>

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

// The fragments of the last round of a text of this length.
int longestFragment(int textLength)
{
    int length = 1;
    while (length < textLength + 1)
        length *= 2;
    return length;
}

int scaled(int length, qreal scale)
{
    return qRound(length * scale);
}

QRect scaled(const QRect &form, qreal scale)
{
    const QPoint topLeft(scaled(form.left(), scale), scaled(form.top(), scale));
    const QPoint bottomRight(scaled(form.left() + form.width(), scale),
                             scaled(form.top() + form.height(), scale));
    return QRect(topLeft, bottomRight - QPoint(1, 1));
}

QFont scaledFont(QFont font, qreal ratio)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * ratio);
    else
        font.setPixelSize(std::max(1, qRound(font.pixelSize() * ratio)));
    return font;
}

// What a window's frame adds to its size: as the desktop drew it once the
// window is shown, and before that as the style would draw a title bar.
QSize frameExtent(const QWidget *window)
{
    if (window->isVisible())
        return window->frameGeometry().size() - window->size();
    const QStyle *style = window->style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    const int titleBar = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return QSize(2 * border, titleBar + 2 * border);
}

// The height of the box as it lays itself out when shown, with its text at
// least as wide as the box is wide: the rule of QMessageBox, which wraps a
// long text at the larger of half the screen and 500 pixels.
int boxHeight(QMessageBox &box, QLabel *text, int width, const QRect &available)
{
    const int softLimit = std::min(available.width() / 2, 500);
    text->setMinimumWidth(0);
    text->setWordWrap(true);
    const int chrome = box.layout()->totalMinimumSize().width() - text->minimumSizeHint().width();
    text->setMinimumWidth(std::max(0, width - chrome));
    return box.layout()->totalHeightForWidth(std::max(softLimit, box.layout()->totalMinimumSize().width()));
}

} // namespace

QRect availableGeometry(const QWidget *widget)
{
#if QT_VERSION >= QT_VERSION_CHECK(5, 14, 0)
    const QScreen *screen = widget->screen();
#else
    const QWindow *handle = widget->windowHandle();
    const QScreen *screen = handle ? handle->screen() : QGuiApplication::primaryScreen();
#endif
    return screen ? screen->availableGeometry() : QRect();
}

void fitWithin(QMessageBox &box, const QRect &available)
{
    auto *text = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (!text)
        return;
    const int room = available.height() - frameExtent(&box).height();
    // Past this width the box would break words anywhere.
    const int widest =
        available.width() <= 1024 ? available.width() : std::min(available.width() - 480, 1000);
    const int step = 20;
    const auto fits = [&](int width) { return boxHeight(box, text, width, available) <= room; };
    const QFont full = box.font();
    for (int tries = 0; tries < 20; ++tries) {
        if (fits(0))
            return;
        // Each layout of the box costs a layout of its text, and the box only
        // gets shorter as its text widens: halve down to the narrowest width,
        // in steps, that fits.
        int wide = widest / step * step;
        if (fits(wide)) {
            for (int narrow = 0; wide - narrow > step;) {
                const int middle = (narrow + wide) / (2 * step) * step;
                (fits(middle) ? wide : narrow) = middle;
            }
            fits(wide);
            return;
        }
        box.setFont(scaledFont(full, std::pow(0.95, tries + 1)));
    }
}

WindowScaler::WindowScaler(QMainWindow *window, const Ui_MainWindow &ui)
    : QObject(window)
    , window(window)
    , ui(ui)
    , formWindowSize(window->size())
    , formColumnWidth(ui.tableWidget->horizontalHeader()->defaultSectionSize())
{
    setObjectName(QStringLiteral("windowScaler"));
    for (QWidget *child : ui.centralWidget->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        form.insert(child, child->geometry());
    fitToScreen();
    window->installEventFilter(this);
    watchResolutionChanges();
}

// The smallest factor by which the form's rectangles must grow (or may
// shrink, below 1) for every caption, button text and the longest messages to
// fit, and for lines of the widgets' fonts to fit where lines of the design
// font do.
qreal WindowScaler::fontScale() const
{
    qreal scale = 0;
    const auto fit = [&](QWidget *widget, int width) {
        scale = std::max({scale, qreal(width) / form.value(widget).width(),
                          qreal(widget->fontMetrics().height()) / designLineHeight});
    };
    fit(ui.label, widestLine(ui.label, ui.label->text()));
    fit(ui.label_2, widestLine(ui.label_2, ui.label_2->text()));
    for (QWidget *button : {ui.pushButton, ui.pushButton_2, ui.pushButton_3})
        fit(button, button->sizeHint().width());
    fit(ui.label_3, widestLine(ui.label_3, roundMessage(longestFragment(ui.lineS->maxLength()))));
    fit(ui.label_4, widestLine(ui.label_4, searchStepMessage(ui.lineT->maxLength(), widestLetter)));
    for (QWidget *field : {ui.lineS, ui.lineT})
        fit(field, 0);
    return scale;
}

void WindowScaler::fitToScreen()
{
    const QRect available = availableGeometry(window);
    if (!available.isEmpty())
        fitWithin(available);
}

void WindowScaler::fitWithin(const QRect &available)
{
    fitting = true;
    window->setFont(QFont()); // the font the desktop gives, to measure afresh
    const QFont desktopFont = window->font();
    const qreal needed = fontScale();
    // The form never shrinks for a small font.
    const qreal wanted = std::max(qreal(1), needed);
    const QSize room = available.size() - frameExtent(window);
    qreal scale = std::min({wanted, qreal(room.width()) / formWindowSize.width(),
                            qreal(room.height()) / formWindowSize.height()});
    // The bars above and below the form keep their own heights, so a first
    // guess may still be too tall; a few smaller tries settle it.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (scale < needed)
            shrinkFontTo(desktopFont, scale, needed);
        scaleForm(scale);
        const QSize size = window->size();
        if (size.width() <= room.width() && size.height() <= room.height())
            break;
        scale *= std::min(qreal(room.width()) / size.width(), qreal(room.height()) / size.height());
    }
    fitting = false;
}

// Makes the window's font smaller than full until every fixed text fits the
// form's rectangles grown by scale, where fontScaleAtFullSize is what full
// would need.
void WindowScaler::shrinkFontTo(const QFont &full, qreal scale, qreal fontScaleAtFullSize)
{
    qreal ratio = scale / fontScaleAtFullSize;
    window->setFont(scaledFont(full, ratio));
    // Widths in whole pixels do not shrink quite in proportion.
    for (int tries = 0; tries < 20 && fontScale() > scale; ++tries) {
        ratio *= 0.97;
        window->setFont(scaledFont(full, ratio));
    }
}

void WindowScaler::scaleForm(qreal scale)
{
    int contentBottom = 0;
    for (auto child = form.cbegin(); child != form.cend(); ++child) {
        child.key()->setGeometry(scaled(child.value(), scale));
        contentBottom = std::max(contentBottom, scaled(child.value().bottom() + 1, scale));
    }
    ui.tableWidget->horizontalHeader()->setDefaultSectionSize(scaled(formColumnWidth, scale));
    // A window of fixed size: a desktop offers neither to resize nor to
    // maximise it, which would leave the form in a corner of a larger window.
    window->setFixedSize(scaled(formWindowSize.width(), scale), scaled(formWindowSize.height(), scale));

    // The design font keeps the form exactly as it is drawn. Otherwise the
    // menu bar, tool bar and status bar may leave the central widget too
    // short for its children, and the window grows by what is missing.
    if (scale == 1)
        return;
    window->layout()->activate();
    const int shortfall = contentBottom - ui.centralWidget->height();
    if (shortfall > 0)
        window->setFixedHeight(window->height() + shortfall);
}

// A desktop may apply a new font or resolution while the program runs; the
// layout then follows from the form's own rectangles again.
bool WindowScaler::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ApplicationFontChange:
    case QEvent::FontChange:
    case QEvent::ScreenChangeInternal:
        if (!fitting)
            QMetaObject::invokeMethod(this, "fitToScreen", Qt::QueuedConnection);
        break;
    case QEvent::Show:
    case QEvent::Move:
        // Only a shown window learns how large the desktop draws its frame.
        if (!fitting && !frameFitsScreen())
            QMetaObject::invokeMethod(this, "fitToScreen", Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool WindowScaler::frameFitsScreen() const
{
    const QRect available = availableGeometry(window);
    const QSize frame = window->frameGeometry().size();
    return available.isEmpty()
        || (frame.width() <= available.width() && frame.height() <= available.height());
}

void WindowScaler::watchResolutionChanges()
{
    const auto watch = [this](QScreen *screen) {
        connect(screen, SIGNAL(logicalDotsPerInchChanged(qreal)), this, SLOT(fitToScreen()));
    };
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, watch);
}
