#pragma once
// Answers a modal window that a call under test is about to run: polls the event loop until a
// modal window of kind T is active and hands it to the answer, once. The poll belongs to the
// application, so an answer that is never needed is freed with it rather than leaked.

#include "windows/common/ConfirmationWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

template <class T> void AnswerModal(std::function<void(T *)> answer)
{
    auto *poll = new QTimer(QCoreApplication::instance());
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

// Answers every modal window of kind T that opens while it lives, counting them: for calls that
// show several, or must show none (a test waiting on a window nobody closes would hang instead
// of failing).
template <class T> class TModalAnswerer
{
public:
    explicit TModalAnswerer(std::function<void(T *)> answer)
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this, answer] {
            if (auto *window = qobject_cast<T *>(QApplication::activeModalWidget())) {
                ++m_count;
                answer(window);
            }
        });
        m_poll.start(5);
    }
    int Count() const { return m_count; }

private:
    QTimer m_poll;
    int m_count = 0;
};

// Answers the next confirmation with Yes or No, after `seen` has looked at it as shown.
inline void AnswerNextQuestion(bool yes, std::function<void(TConfirmationWindow *)> seen = {})
{
    AnswerModal<TConfirmationWindow>([yes, seen](TConfirmationWindow *question) {
        if (seen)
            seen(question);
        QTest::mouseClick(yes ? question->m_yesButton : question->m_noButton, Qt::LeftButton);
    });
}

// Accepts the next message box after `seen` has looked at it as shown.
inline void AcceptNextMessageBox(std::function<void(QMessageBox *)> seen)
{
    AnswerModal<QMessageBox>([seen](QMessageBox *box) {
        seen(box);
        box->accept();
    });
}
