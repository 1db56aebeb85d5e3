#pragma once

#include <QString>

// A new password for the `user` command: from the terminal without echo, typed twice, or as the first
// line of standard input when that is not a terminal. Never from an argument or the environment, which
// other users of the machine can read.
namespace PasswordPrompt {

constexpr int MinLength = 8;

// Throws Exception when nothing usable was given.
QString readNew(const QString& login);

} // namespace PasswordPrompt
