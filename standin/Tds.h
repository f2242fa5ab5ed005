#pragma once

#include "Engine.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin {

// TDS packet types (MS-TDS 2.2.3.1.1).
enum PacketType : std::uint8_t {
    SqlBatch = 0x01,
    Rpc = 0x03,
    TabularResult = 0x04,
    Attention = 0x06,
    TransactionManager = 0x0E,
    Login7 = 0x10,
    PreLogin = 0x12,
};

// A fault in what the client sent: the connection ends, nothing else is harmed.
struct ProtocolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ServerOptions {
    std::function<bool(const std::string& user, const std::string& password)> checkLogin;
    std::function<void(const std::string& line)> log; // empty: no log
    bool silent = false;                              // accept, never answer
    // A batch holding one of these texts is refused as a permission error, for tests of what
    // a client does when a statement it relies on fails.
    std::vector<std::string> deny;
};

// Serves one client on a connected socket until it goes away: pre-login, login, then SQL
// batches and attention requests.
void serveClient(int socket, Catalog& catalog, const ServerOptions& options);

// The login record's fields the stand-in reads.
struct LoginRecord {
    std::uint32_t tdsVersion = 0;
    std::uint32_t packetSize = 4096;
    std::string user, password, database, application;
};
LoginRecord parseLogin7(const std::string& payload);

} // namespace standin
