#pragma once

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

class DeviceLink;
class LineTimer;
class TimerSource;

// The serial line as a queue of jobs, run one at a time: an exchange (the line
// is written, a single-shot timer runs the exchange's full wait, then the reply
// is read and the port closed), a pause, or a step of code. Nothing waits
// inside a job; the next job starts from the timer, so nothing can run in the
// middle of an exchange.
//
// A job queued while a job of the line runs (from a reply handler or a step)
// belongs to that job's sequence and goes ahead of everything queued before:
// the commands of a sequence are never split by other requests, and a step
// decides the next command when its turn comes, from what is known by then.
class SupplyLine : public QObject {
    Q_OBJECT

public:
    using ReplyHandler = std::function<void(const QString& reply)>;

    SupplyLine(DeviceLink& link, TimerSource& timers, QObject* parent = nullptr);
    ~SupplyLine() override;

    void exchange(const QString& command, const QString& parameter, ReplyHandler done = {});
    // A pause between the commands of a sequence, on the link's timing.
    void pause(double seconds);
    void step(std::function<void()> run);
    // A step after everything queued, as a sequence of its own even when queued
    // from inside a job: the session's end.
    void stepLast(std::function<void()> run);

    // Drops every job not yet started, except those of the sequence in progress.
    void dropQueued();
    bool isIdle() const { return !m_current && m_queue.empty(); }
    DeviceLink& link() { return m_link; }

Q_SIGNALS:
    void idle();

private:
    enum class Kind { Exchange, Pause, Step };
    struct Job {
        Kind kind = Kind::Step;
        QString command;
        QString parameter;
        qint64 ms = 0;
        ReplyHandler done;
        std::function<void()> run;
        quint64 sequence = 0;
    };

    void queue(Job job, bool last = false);
    void next();
    void timedOut();
    // Runs a job's code; what it queues goes to the front, in order.
    void runInside(const std::function<void()>& code);

    DeviceLink& m_link;
    std::unique_ptr<LineTimer> m_timer;
    std::deque<Job> m_queue;
    std::optional<Job> m_current;
    quint64 m_sequences = 0;
    std::optional<std::size_t> m_insertAt;
};
