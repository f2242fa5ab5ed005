#pragma once

#include <stdexcept>
#include <string>

namespace kuz {

// A failure of the database layer: the message is what the user reads (the server's own text,
// without the driver's "[vendor][driver]" prefixes, or the data layer's own message).
struct DbError : std::runtime_error {
    explicit DbError(const std::string& message, std::string sqlState = {}, long nativeError = 0)
        : std::runtime_error(message), sqlState(std::move(sqlState)), nativeError(nativeError) {}

    std::string sqlState;
    long nativeError;
};

} // namespace kuz
