#pragma once

#include <QString>
#include <cassert>
#include <optional>
#include <utility>

// What an operation that failed gives back: the message for the user. An empty
// message is a failure the user is not told of (a table passed over, a name
// not given), as the window decides which failures stay silent.
struct Failure {
    QString message;
};

// The result of an operation that can fail: its value, or the user's message.
template <typename T> class [[nodiscard]] Outcome {
public:
    Outcome(T value)
        : m_value(std::move(value))
    {
    }
    Outcome(Failure failure)
        : m_error(std::move(failure.message))
    {
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    // The message of a failure; empty after success.
    const QString& error() const { return m_error; }

    // Only after success.
    const T& value() const&
    {
        assert(ok());
        return *m_value;
    }
    T& value() &
    {
        assert(ok());
        return *m_value;
    }
    T&& value() &&
    {
        assert(ok());
        return std::move(*m_value);
    }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }

private:
    std::optional<T> m_value;
    QString m_error;
};

// An operation with nothing to give back but whether it worked.
template <> class [[nodiscard]] Outcome<void> {
public:
    Outcome() = default;
    Outcome(Failure failure)
        : m_failed(true)
        , m_error(std::move(failure.message))
    {
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};
