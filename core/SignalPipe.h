#pragma once

#include <QList>
#include <QObject>

#include <memory>

class QSocketNotifier;

// Turns POSIX signals into a Qt signal on the event loop. The handler only
// writes the signal number into a pipe; everything else happens in the loop.
// One at a time per process; the signals get their default action back when
// it goes.
class SignalPipe : public QObject {
    Q_OBJECT

public:
    explicit SignalPipe(const QList<int>& signalNumbers, QObject* parent = nullptr);
    ~SignalPipe() override;

    bool isValid() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void drain();

    QList<int> m_signalNumbers;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
