#include "globaleventfilter.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QTimer>
#include <QtGui/QFocusEvent>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QAbstractSpinBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QToolButton>

namespace {

// The selection waits for the event loop so that it lands after the widget's own focus
// handling (a 0 ms timer is precise by default); the widget is the timer's context, so a deleted widget drops the call.
template <typename Widget>
void scheduleSelectAll(Widget *widget, QFocusEvent *event)
{
    if (event->reason() == Qt::MouseFocusReason)
        return;
    QTimer::singleShot(0, Qt::PreciseTimer, widget, [widget] {
        if (widget->hasFocus())
            widget->selectAll();
    });
}

} // namespace

GlobalEventFilter::GlobalEventFilter(QObject *parent)
    : QObject(parent)
{
}

bool GlobalEventFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (auto *button = qobject_cast<QAbstractButton *>(watched))
            return handleButtonKey(button, static_cast<QKeyEvent *>(event));
        return false;
    case QEvent::FocusIn:
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            scheduleSelectAll(edit, static_cast<QFocusEvent *>(event));
        else if (auto *spin = qobject_cast<QAbstractSpinBox *>(watched))
            scheduleSelectAll(spin, static_cast<QFocusEvent *>(event));
        return false;
    default:
        return false;
    }
}

bool GlobalEventFilter::handleButtonKey(QAbstractButton *button, QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;

    if (qobject_cast<QPushButton *>(button) || qobject_cast<QToolButton *>(button)) {
        button->click();
        return true;
    }

    // Other buttons leave the key to the window's default push button, if it has one.
    QWidget *window = button->window();
    if (!window)
        return false;
    const auto pushButtons = window->findChildren<QPushButton *>(QString(), Qt::FindChildrenRecursively);
    for (QPushButton *candidate : pushButtons) {
        if (candidate->isDefault())
            return false;
    }
    button->click();
    return true;
}

void installGlobalEventFilter()
{
    QCoreApplication *app = QCoreApplication::instance();
    app->installEventFilter(new GlobalEventFilter(app));
}
