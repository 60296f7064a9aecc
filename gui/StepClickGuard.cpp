#include "gui/StepClickGuard.hpp"

#include <QAbstractButton>
#include <QEvent>
#include <QWidget>

#include <algorithm>

StepClickGuard::StepClickGuard(QWidget& window, std::initializer_list<QAbstractButton*> buttons)
    : QObject(&window), window_(window), buttons_(buttons)
{
    window_.installEventFilter(this);
    for (QAbstractButton* button : buttons_)
        button->installEventFilter(this);
}

void StepClickGuard::stepChanged()
{
    shown_ = false;
    window_.update(); // the whole window repaints, so the paint that ends the wait comes
}

bool StepClickGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &window_) {
        if (event->type() == QEvent::Paint)
            shown_ = true;
        return false;
    }
    if (std::find(buttons_.begin(), buttons_.end(), watched) == buttons_.end())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::MouseButtonPress:
        return !shown_;
    default:
        return false;
    }
}
