#include "windows/common/NumberListTyping.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>

TNumberListTyping::TNumberListTyping(QComboBox *list) : QObject(list), m_list(list)
{
    list->installEventFilter(this);
}

bool TNumberListTyping::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_list || event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const QString text = key->text();
    if (text.size() != 1 || !text.front().isDigit() ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    const bool continues = m_sinceLastDigit.isValid() &&
                           m_sinceLastDigit.elapsed() < QApplication::keyboardInputInterval();
    m_sinceLastDigit.start();
    m_typed = continues ? m_typed + text : text;
    // A digit that does not continue any number starts a new one.
    if (!ChooseTyped() && m_typed != text) {
        m_typed = text;
        ChooseTyped();
    }
    return true;
}

bool TNumberListTyping::ChooseTyped()
{
    int index = m_list->findText(m_typed, Qt::MatchExactly);
    if (index < 0)
        index = m_list->findText(m_typed, Qt::MatchStartsWith);
    if (index < 0)
        return false;
    m_list->setCurrentIndex(index);
    return true;
}
