#pragma once
// Typing a number into a closed list of numbers: the digits typed in quick succession make one
// number, and the item that reads exactly that number is chosen, else the first that starts
// with it. Qt's own search takes only the item after the current one that starts with the
// typed text, so "3" in a list of 3 to 50 standing at 10 chose 30, and a second "3" 31.

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QComboBox;

class TNumberListTyping : public QObject
{
    Q_OBJECT
public:
    // Watches list's keys; owned by list.
    explicit TNumberListTyping(QComboBox *list);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Chooses the item for the digits typed so far; false when none starts with them.
    bool ChooseTyped();

    QComboBox *m_list;
    QString m_typed;
    QElapsedTimer m_sinceLastDigit;
};
