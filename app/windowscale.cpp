#include "windowscale.h"
#include "ui_mainwindow.h"

#include "charwidths.h"
#include "display.h"

#include <QApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

// The height of a line of the design font, in pixels.
const int designLineHeight = 13;
// Where the window's font must shrink, widths in whole pixels do not shrink
// quite in proportion: the font shrinks by this ratio until the texts fit,
// at most this many times.
const qreal fontShrinkStep = 0.97;
const int fontShrinkTries = 20;
// The bars above and below the form keep their own heights, so the first
// guess of a factor may leave the window too tall: it is tried again, this
// many times at most, smaller by what is missing.
const int fitAttempts = 4;

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

} // namespace

QFont scaledFont(QFont font, qreal ratio)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * ratio);
    else
        font.setPixelSize(std::max(1, qRound(font.pixelSize() * ratio)));
    return font;
}

QSize frameExtent(const QWidget *window)
{
    if (window->isVisible())
        return window->frameGeometry().size() - window->size();
    const QStyle *style = window->style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    const int titleBar = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return QSize(2 * border, titleBar + 2 * border);
}

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
    for (int attempt = 0; attempt < fitAttempts; ++attempt) {
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
    for (int tries = 0; tries < fontShrinkTries && fontScale() > scale; ++tries) {
        ratio *= fontShrinkStep;
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
        if (!fitting)
            QMetaObject::invokeMethod(this, &WindowScaler::fitToScreen, Qt::QueuedConnection);
        break;
    case QEvent::Show:
        watchScreenChanges();
        Q_FALLTHROUGH();
    case QEvent::Move:
        // Only a shown window learns how large the desktop draws its frame.
        if (!fitting && !frameFitsScreen())
            QMetaObject::invokeMethod(this, &WindowScaler::fitToScreen, Qt::QueuedConnection);
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

// The window moved to another screen, whose size and resolution may differ.
void WindowScaler::watchScreenChanges()
{
    QWindow *handle = window->windowHandle();
    if (handle && !watchedWindow) {
        watchedWindow = handle;
        connect(handle, &QWindow::screenChanged, this, &WindowScaler::fitToScreen, Qt::QueuedConnection);
    }
}

void WindowScaler::watchResolutionChanges()
{
    const auto watch = [this](QScreen *screen) {
        connect(screen, &QScreen::logicalDotsPerInchChanged, this, &WindowScaler::fitToScreen);
    };
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, watch);
}
