#pragma once

#include <QList>
#include <QObject>

#include <memory>

class QSocketNotifier;

// Turns POSIX signals into a Qt signal on the event loop. The handler only
// writes the signal number into a pipe; everything else happens in the loop.
// One relay at a time per process.
class SignalRelay : public QObject {
    Q_OBJECT
public:
    explicit SignalRelay(const QList<int>& signalNumbers, QObject* parent = nullptr);
    ~SignalRelay() override;

    bool isValid() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void drain();

    QList<int> m_signalNumbers;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
