#pragma once

#include <QtCore/QObject>

class QAbstractButton;
class QKeyEvent;

// Application-wide filter: Return/Enter clicks the button that has the key, and line edits
// and spin boxes select their text when they gain the focus other than by the mouse.
class GlobalEventFilter : public QObject
{
public:
    explicit GlobalEventFilter(QObject *parent);

    bool eventFilter(QObject *watched, QEvent *event) override;

    static bool handleButtonKey(QAbstractButton *button, QKeyEvent *event);
};

// Creates one more filter owned by the application object and installs it there.
void installGlobalEventFilter();
