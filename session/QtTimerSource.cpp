#include "session/QtTimerSource.h"

#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

class QtLineTimer : public LineTimer {
public:
    explicit QtLineTimer(std::function<void()> timeout)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(timeout));
    }
    void start(qint64 ms) override
    {
        m_timer.start(static_cast<int>(std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max())));
    }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

} // namespace

std::unique_ptr<LineTimer> QtTimerSource::create(std::function<void()> timeout)
{
    return std::make_unique<QtLineTimer>(std::move(timeout));
}
