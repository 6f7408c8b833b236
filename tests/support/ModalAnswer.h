#pragma once
// Answers a modal window that a call under test is about to run: polls the event loop until a
// modal window of kind T is active and hands it to the answer, once.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <functional>

template <class T> void AnswerModal(std::function<void(T *)> answer)
{
    auto *poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto *window = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        answer(window);
    });
    poll->start();
}
