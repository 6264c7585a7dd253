#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Modal windows run their own event loop: a test acts on one from a timer that fires inside that loop.

// Runs act on the modal window that is up when the event loop next runs.
inline void OnNextModal(std::function<void(QDialog*)> act)
{
    QTimer::singleShot(0, [act = std::move(act)] {
        auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        act(window);
    });
}

// Waits for the next modal window of type T (it may come up later, after other windows), runs inspect
// on it, sets *seen and closes it.
template <typename T>
void WhenModal(std::function<void(T*)> inspect, bool* seen)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, inspect, seen] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (window == nullptr)
            return;
        timer->stop();
        timer->deleteLater();
        *seen = true;
        inspect(window);
        window->close();
    });
    timer->start();
}

// A child of a window by object name; a test failure when there is none.
template <typename T>
T* In(QWidget* window, const char* name)
{
    T* child = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}
