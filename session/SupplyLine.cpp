#include "session/SupplyLine.h"

#include "device/DeviceLink.h"
#include "session/TimerSource.h"

SupplyLine::SupplyLine(DeviceLink& link, TimerSource& timers, QObject* parent)
    : QObject(parent)
    , m_link(link)
    , m_timer(timers.create([this] { timedOut(); }))
{
}

SupplyLine::~SupplyLine() = default;

void SupplyLine::exchange(const QString& command, const QString& parameter, ReplyHandler done)
{
    queue({ Kind::Exchange, command, parameter, 0, std::move(done), {}, 0 });
}

void SupplyLine::pause(double seconds)
{
    queue({ Kind::Pause, {}, {}, m_link.delayMs(seconds), {}, {}, 0 });
}

void SupplyLine::step(std::function<void()> run)
{
    queue({ Kind::Step, {}, {}, 0, {}, std::move(run), 0 });
}

void SupplyLine::stepLast(std::function<void()> run)
{
    queue({ Kind::Step, {}, {}, 0, {}, std::move(run), 0 }, true);
}

void SupplyLine::dropQueued()
{
    const std::optional<quint64> running
        = m_current ? std::optional(m_current->sequence) : std::nullopt;
    std::erase_if(m_queue, [&](const Job& job) { return job.sequence != running; });
    if (m_insertAt)
        m_insertAt = std::min(*m_insertAt, m_queue.size());
}

void SupplyLine::queue(Job job, bool last)
{
    if (m_insertAt && !last) {
        job.sequence = m_current->sequence;
        m_queue.insert(
            m_queue.begin() + static_cast<std::ptrdiff_t>((*m_insertAt)++), std::move(job));
        return;
    }
    job.sequence = ++m_sequences;
    m_queue.push_back(std::move(job));
    next();
}

void SupplyLine::next()
{
    while (!m_current && !m_queue.empty()) {
        m_current = std::move(m_queue.front());
        m_queue.pop_front();
        switch (m_current->kind) {
        case Kind::Exchange:
            m_link.startExchange(m_current->command, m_current->parameter);
            m_timer->start(m_link.waitMsFor(m_current->command));
            return;
        case Kind::Pause:
            if (m_current->ms > 0) {
                m_timer->start(m_current->ms);
                return;
            }
            break;
        case Kind::Step:
            runInside(m_current->run);
            break;
        }
        m_current.reset();
    }
    if (isIdle())
        Q_EMIT idle();
}

void SupplyLine::timedOut()
{
    if (!m_current)
        return;
    if (m_current->kind == Kind::Exchange) {
        const QString reply = m_link.finishExchange();
        if (m_current->done)
            runInside([&] { m_current->done(reply); });
    }
    m_current.reset();
    next();
}

void SupplyLine::runInside(const std::function<void()>& code)
{
    if (!code)
        return;
    const std::optional<std::size_t> outer = m_insertAt;
    m_insertAt = 0;
    code();
    m_insertAt = outer;
}
