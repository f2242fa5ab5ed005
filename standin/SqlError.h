#pragma once

#include <stdexcept>
#include <string>

namespace standin {

// An error as SQL Server reports it: its number, severity and state travel to the client in
// an ERROR token with the message.
struct SqlError : std::runtime_error {
    SqlError(int number, const std::string& message, int severity = 16, int state = 1)
        : std::runtime_error(message), number(number), severity(severity), state(state) {}

    int number;
    int severity;
    int state;
    int line = 1;
};

inline SqlError syntaxErrorNear(const std::string& token) {
    return SqlError(102, "Incorrect syntax near '" + token + "'.", 15);
}

} // namespace standin
