#pragma once
// Requests to end the process that come as signals (SIGTERM, SIGHUP when the terminal or session
// goes, SIGINT), delivered as a Qt signal on the main thread, so that what must be kept is
// written before the process ends instead of being cut off.
//
// One object at a time takes the signals; destroying it gives them back their default handling.

#include <QObject>

class QSocketNotifier;

class TEndRequests : public QObject
{
    Q_OBJECT

public:
    explicit TEndRequests(QObject *parent = nullptr);
    ~TEndRequests() override;

signals:
    void EndRequested(int signalNumber);

private:
    void SignalArrived();

    QSocketNotifier *m_notifier = nullptr;
};
