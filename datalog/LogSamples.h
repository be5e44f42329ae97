#pragma once

#include <QString>
#include <array>

// A data log of 1801 samples; sample 0 is the newest. A value of -1 means the
// supply gave no reading, -2 (exactly) marks the end of the recorded data.
struct LogSamples {
    static constexpr int kCount = 1801;
    static constexpr float kNoReading = -1.0f;
    static constexpr float kEndMark = -2.0f;

    std::array<float, kCount> volts {};
    std::array<float, kCount> amps {};

    // Puts the end mark into sample 0 of both channels: the log holds nothing.
    void markEmpty()
    {
        volts[0] = kEndMark;
        amps[0] = kEndMark;
    }
    static bool isEndMark(float value) { return value == kEndMark; }

    // Ages every sample by one slot (the oldest is dropped) and stores the pair
    // as the newest sample.
    void shiftIn(float newVolts, float newAmps);

    // Records the polling cycle's reading texts as the newest sample.
    void record(const QString& voltReading, const QString& currReading);

    // The sample value of a reading text. An empty text, a text without a number
    // and any negative number are "no reading": a stray "-2" must not end the log.
    static float ReadingValue(const QString& reading);
};
