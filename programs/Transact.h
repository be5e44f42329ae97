#pragma once

#include <QString>
#include <functional>

// One serial transaction as the window's link performs it: command word and
// parameter text in, the whole reply out ("" when nothing came). The caller's
// function also keeps the window's last-reply text.
using Transact = std::function<QString(const QString& command, const QString& parameter)>;
