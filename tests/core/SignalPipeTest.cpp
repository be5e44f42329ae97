#include "core/SignalPipe.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>

// Signals reach the event loop in the order they came; a second pipe is refused
// rather than stealing the first one's handler; once the pipe is gone a signal
// has its default action again (the program ends instead of waiting forever).
TEST(SignalPipe, DeliversSignalsOnTheLoopAndRestoresTheDefault)
{
    auto pipe = std::make_unique<SignalPipe>(QList { SIGUSR1, SIGUSR2 });
    ASSERT_TRUE(pipe->isValid());
    EXPECT_FALSE(SignalPipe({ SIGUSR1 }).isValid());

    QSignalSpy received(pipe.get(), &SignalPipe::received);
    ASSERT_EQ(std::raise(SIGUSR2), 0);
    ASSERT_EQ(std::raise(SIGUSR1), 0);
    EXPECT_TRUE(received.wait(5000));
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received[0][0].toInt(), SIGUSR2);
    EXPECT_EQ(received[1][0].toInt(), SIGUSR1);

    pipe.reset();
    for (const int number : { SIGUSR1, SIGUSR2 }) {
        struct sigaction now { };
        ASSERT_EQ(::sigaction(number, nullptr, &now), 0);
        EXPECT_EQ(now.sa_handler, SIG_DFL) << number;
    }
}
