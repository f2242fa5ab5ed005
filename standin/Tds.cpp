#include "Tds.h"

#include "Text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace standin {
namespace {

constexpr size_t maxMessageSize = 64u << 20;
constexpr std::uint16_t doneMore = 0x01, doneError = 0x02, doneCount = 0x10, doneAttention = 0x20;
// Turkish_CI_AS: LCID 0x041F, case-insensitive, accent-sensitive.
constexpr unsigned char collation[5] = {0x1F, 0x04, 0xD0, 0x00, 0x00};
const char* const serverName = "KUZSTANDIN";

class Bytes {
public:
    std::string data;
    void u8(std::uint8_t v) { data += static_cast<char>(v); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void u64(std::uint64_t v) {
        u32(static_cast<std::uint32_t>(v));
        u32(static_cast<std::uint32_t>(v >> 32));
    }
    void raw(std::string_view s) { data.append(s); }
    // B_VARCHAR: length in characters as one byte.
    void bVarchar(const std::string& utf8) {
        std::string u = utf8ToUtf16le(utf8);
        if (u.size() > 510)
            u.resize(510);
        u8(static_cast<std::uint8_t>(u.size() / 2));
        raw(u);
    }
    // US_VARCHAR: length in characters as two bytes.
    void usVarchar(const std::string& utf8) {
        std::string u = utf8ToUtf16le(utf8);
        if (u.size() > 131070)
            u.resize(131070);
        u16(static_cast<std::uint16_t>(u.size() / 2));
        raw(u);
    }
};

std::uint16_t readU16(const std::string& s, size_t at) {
    if (at + 2 > s.size())
        throw ProtocolError("truncated field");
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                      (static_cast<unsigned char>(s[at + 1]) << 8));
}

std::uint32_t readU32(const std::string& s, size_t at) {
    return readU16(s, at) | (static_cast<std::uint32_t>(readU16(s, at + 2)) << 16);
}

int decimalLength(int precision) {
    return precision <= 9 ? 5 : precision <= 19 ? 9 : precision <= 28 ? 13 : 17;
}

// The socket with TDS framing. Reads whole messages; writes a message as packets of the
// negotiated size.
class Channel {
public:
    explicit Channel(int fd) : fd_(fd) {}

    // False when the client has closed the connection.
    bool readMessage(std::uint8_t& type, std::string& payload) {
        payload.clear();
        for (;;) {
            unsigned char header[8];
            if (!readExactly(header, 8))
                return payload.empty() ? false : throw ProtocolError("connection lost");
            const size_t length = (static_cast<size_t>(header[2]) << 8) | header[3];
            if (length < 8 || length > 32768)
                throw ProtocolError("bad packet length");
            type = header[0];
            std::string body(length - 8, '\0');
            if (!readExactly(reinterpret_cast<unsigned char*>(body.data()), body.size()))
                throw ProtocolError("truncated packet");
            payload += body;
            if (payload.size() > maxMessageSize)
                throw ProtocolError("message too large");
            if (header[1] & 0x01)
                return true;
        }
    }

    // Whether the client has sent an attention (cancel) while a response is being written.
    bool attentionArrived() {
        if (attention_)
            return true;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
            std::uint8_t type;
            std::string payload;
            if (!readMessage(type, payload))
                throw ProtocolError("connection lost");
            if (type != Attention)
                throw ProtocolError("request while a response is being sent");
            attention_ = true;
        }
        return attention_;
    }
    void clearAttention() { attention_ = false; }

    void sendPacket(std::uint8_t type, std::string_view data, bool last) {
        std::string packet;
        const size_t length = data.size() + 8;
        packet += static_cast<char>(type);
        packet += static_cast<char>(last ? 0x01 : 0x00);
        packet += static_cast<char>(length >> 8);
        packet += static_cast<char>(length & 0xFF);
        packet += '\0';
        packet += '\0';
        packet += static_cast<char>(packetId_++);
        packet += '\0';
        packet.append(data);
        writeAll(packet);
    }

    size_t packetSize = 4096;

private:
    bool readExactly(unsigned char* buffer, size_t size) {
        size_t got = 0;
        while (got < size) {
            ssize_t n = ::recv(fd_, buffer + got, size - got, 0);
            if (n == 0)
                return false;
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            got += static_cast<size_t>(n);
        }
        return true;
    }

    void writeAll(std::string_view data) {
        while (!data.empty()) {
            ssize_t n = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throw ProtocolError("connection lost");
            }
            data.remove_prefix(static_cast<size_t>(n));
        }
    }

    int fd_;
    std::uint8_t packetId_ = 1;
    bool attention_ = false;
};

// Writes one response as a token stream. Full packets go out as the stream grows, so a large
// result never sits in memory; the statement's DONE is held back so that the last one can be
// sent without its "more" bit.
class Response : public ResultSink {
public:
    explicit Response(Channel& channel) : channel_(channel) {}

    void columns(const std::vector<Column>& columns) override {
        beginToken();
        columns_ = columns;
        Bytes b;
        b.u8(0x81);
        b.u16(static_cast<std::uint16_t>(columns.size()));
        for (const Column& c : columns) {
            b.u32(0);      // user type
            b.u16(0x0009); // nullable, updatable unknown
            typeInfo(b, c.type);
            b.bVarchar(c.name);
        }
        append(b);
    }

    bool row(const std::vector<Value>& values) override {
        if (channel_.attentionArrived())
            return false;
        beginToken();
        Bytes b;
        b.u8(0xD1);
        for (size_t i = 0; i < values.size(); ++i)
            value(b, columns_[i].type, values[i]);
        append(b);
        return true;
    }

    void done(bool hasCount, std::int64_t count) override {
        beginToken();
        held_ = Done{static_cast<std::uint16_t>(hasCount ? doneCount : 0),
                     static_cast<std::uint16_t>(columns_.empty() ? 0 : 0xC1),
                     static_cast<std::uint64_t>(count)};
        columns_.clear();
    }

    void error(const SqlError& e) override {
        beginToken();
        message(0xAA, e.number, e.state, e.severity, e.what(), e.line);
        held_ = Done{doneError, 0, 0};
        columns_.clear();
    }

    void info(int number, const std::string& text) override {
        beginToken();
        message(0xAB, number, 1, 0, text, 1);
    }

    void databaseChanged(const std::string& from, const std::string& to) override {
        beginToken();
        Bytes b;
        Bytes v;
        v.u8(1);
        v.bVarchar(to);
        v.bVarchar(from);
        b.u8(0xE3);
        b.u16(static_cast<std::uint16_t>(v.data.size()));
        b.raw(v.data);
        append(b);
    }

    bool cancelled() override { return channel_.attentionArrived(); }

    // Ends the response: the last DONE, or the acknowledgement of an attention.
    void finish() {
        Done last = held_.value_or(Done{0, 0, 0});
        held_.reset();
        if (channel_.attentionArrived()) {
            last = Done{doneAttention, 0, 0};
            channel_.clearAttention();
        }
        writeDone(last);
        channel_.sendPacket(TabularResult, pending_, true);
        pending_.clear();
    }

    void raw(const Bytes& b) { append(b); }

private:
    struct Done {
        std::uint16_t status, command;
        std::uint64_t count;
    };

    void beginToken() {
        if (held_) {
            Done d = *held_;
            held_.reset();
            d.status |= doneMore;
            writeDone(d);
        }
    }

    void writeDone(const Done& d) {
        Bytes b;
        b.u8(0xFD);
        b.u16(d.status);
        b.u16(d.command);
        b.u64(d.count);
        append(b);
    }

    void message(std::uint8_t token, int number, int state, int severity, const std::string& text,
                 int line) {
        Bytes v;
        v.u32(static_cast<std::uint32_t>(number));
        v.u8(static_cast<std::uint8_t>(state));
        v.u8(static_cast<std::uint8_t>(severity));
        v.usVarchar(text);
        v.bVarchar(serverName);
        v.bVarchar("");
        v.u32(static_cast<std::uint32_t>(line));
        Bytes b;
        b.u8(token);
        b.u16(static_cast<std::uint16_t>(v.data.size()));
        b.raw(v.data);
        append(b);
    }

    static void typeInfo(Bytes& b, const ColumnType& t) {
        switch (t.type) {
        case SqlType::Int:
            b.u8(0x26);
            b.u8(4);
            break;
        case SqlType::BigInt:
            b.u8(0x26);
            b.u8(8);
            break;
        case SqlType::Bit:
            b.u8(0x68);
            b.u8(1);
            break;
        case SqlType::Float:
            b.u8(0x6D);
            b.u8(8);
            break;
        case SqlType::Decimal:
            b.u8(0x6A);
            b.u8(static_cast<std::uint8_t>(decimalLength(t.precision)));
            b.u8(static_cast<std::uint8_t>(t.precision));
            b.u8(static_cast<std::uint8_t>(t.scale));
            break;
        case SqlType::DateTime:
            b.u8(0x6F);
            b.u8(8);
            break;
        case SqlType::NVarChar:
            b.u8(0xE7);
            b.u16(t.maxLength < 0 ? 0xFFFF : static_cast<std::uint16_t>(t.maxLength * 2));
            b.raw(std::string_view(reinterpret_cast<const char*>(collation), 5));
            break;
        case SqlType::VarBinary:
            b.u8(0xA5);
            b.u16(t.maxLength < 0 ? 0xFFFF : static_cast<std::uint16_t>(t.maxLength));
            break;
        }
    }

    // Long values of a MAX type go as one partially length-prefixed chunk.
    static void plp(Bytes& b, const std::string* data) {
        if (!data) {
            b.u64(~std::uint64_t{0});
            return;
        }
        b.u64(data->size());
        if (!data->empty()) {
            b.u32(static_cast<std::uint32_t>(data->size()));
            b.raw(*data);
        }
        b.u32(0);
    }

    static void value(Bytes& b, const ColumnType& t, const Value& v) {
        const bool null = std::holds_alternative<std::monostate>(v);
        switch (t.type) {
        case SqlType::Int:
        case SqlType::BigInt:
        case SqlType::Bit: {
            const int size = t.type == SqlType::Int ? 4 : t.type == SqlType::BigInt ? 8 : 1;
            if (null) {
                b.u8(0);
                break;
            }
            std::int64_t n = std::get<std::int64_t>(v);
            b.u8(static_cast<std::uint8_t>(size));
            if (size == 1)
                b.u8(n != 0);
            else if (size == 4)
                b.u32(static_cast<std::uint32_t>(n));
            else
                b.u64(static_cast<std::uint64_t>(n));
            break;
        }
        case SqlType::Float: {
            if (null) {
                b.u8(0);
                break;
            }
            double d = std::get<double>(v);
            std::uint64_t bits;
            std::memcpy(&bits, &d, 8);
            b.u8(8);
            b.u64(bits);
            break;
        }
        case SqlType::Decimal: {
            Int128 scaled = 0;
            if (null || !toScaledDecimal(v, t.scale, scaled)) {
                b.u8(0);
                break;
            }
            const int length = decimalLength(t.precision);
            b.u8(static_cast<std::uint8_t>(length));
            b.u8(scaled < 0 ? 0 : 1);
            UInt128 magnitude =
                scaled < 0 ? static_cast<UInt128>(-scaled) : static_cast<UInt128>(scaled);
            for (int k = 0; k < length - 1; ++k) {
                b.u8(static_cast<std::uint8_t>(magnitude & 0xFF));
                magnitude >>= 8;
            }
            break;
        }
        case SqlType::DateTime: {
            std::int32_t days;
            std::uint32_t ticks;
            if (null || !parseDateTime(std::get<std::string>(v), days, ticks)) {
                b.u8(0);
                break;
            }
            b.u8(8);
            b.u32(static_cast<std::uint32_t>(days));
            b.u32(ticks);
            break;
        }
        case SqlType::NVarChar: {
            if (null) {
                if (t.maxLength < 0)
                    plp(b, nullptr);
                else
                    b.u16(0xFFFF);
                break;
            }
            std::string u = utf8ToUtf16le(std::get<std::string>(v));
            if (t.maxLength < 0) {
                plp(b, &u);
                break;
            }
            // A value longer than its column (SQLite does not enforce lengths) is cut to it.
            if (u.size() > static_cast<size_t>(t.maxLength) * 2)
                u.resize(static_cast<size_t>(t.maxLength) * 2);
            b.u16(static_cast<std::uint16_t>(u.size()));
            b.raw(u);
            break;
        }
        case SqlType::VarBinary: {
            const std::string* data = null ? nullptr : &std::get<Blob>(v).bytes;
            if (t.maxLength < 0) {
                plp(b, data);
                break;
            }
            if (!data) {
                b.u16(0xFFFF);
                break;
            }
            std::string cut = data->substr(0, static_cast<size_t>(t.maxLength));
            b.u16(static_cast<std::uint16_t>(cut.size()));
            b.raw(cut);
            break;
        }
        }
    }

    void append(const Bytes& b) {
        pending_ += b.data;
        const size_t payload = channel_.packetSize - 8;
        while (pending_.size() > payload) {
            channel_.sendPacket(TabularResult, std::string_view(pending_).substr(0, payload),
                                false);
            pending_.erase(0, payload);
        }
    }

    Channel& channel_;
    std::string pending_;
    std::vector<Column> columns_;
    std::optional<Done> held_;
};

std::string preLoginResponse() {
    // VERSION, ENCRYPTION (not supported), INSTOPT, THREADID, MARS, terminator.
    struct Option {
        std::uint8_t token;
        std::string data;
    };
    const Option options[] = {
        {0x00, std::string("\x10\x00\x03\xE8\x00\x00", 6)},
        {0x01, std::string("\x02", 1)},
        {0x02, std::string("\x00", 1)},
        {0x03, std::string()},
        {0x04, std::string("\x00", 1)},
    };
    const size_t headerSize = std::size(options) * 5 + 1;
    std::string header, data;
    for (const Option& o : options) {
        const size_t offset = headerSize + data.size();
        header += static_cast<char>(o.token);
        header += static_cast<char>(offset >> 8);
        header += static_cast<char>(offset & 0xFF);
        header += static_cast<char>(o.data.size() >> 8);
        header += static_cast<char>(o.data.size() & 0xFF);
        data += o.data;
    }
    header += '\xFF';
    return header + data;
}

Bytes envChange(std::uint8_t type, const std::string& to, const std::string& from) {
    Bytes v;
    v.u8(type);
    v.bVarchar(to);
    v.bVarchar(from);
    Bytes b;
    b.u8(0xE3);
    b.u16(static_cast<std::uint16_t>(v.data.size()));
    b.raw(v.data);
    return b;
}

std::string escapeForLog(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

} // namespace

LoginRecord parseLogin7(const std::string& payload) {
    if (payload.size() < 94)
        throw ProtocolError("login record too short");
    auto field = [&](size_t at, bool password = false) {
        const size_t offset = readU16(payload, at);
        const size_t chars = readU16(payload, at + 2);
        if (offset + chars * 2 > payload.size())
            throw ProtocolError("login field out of range");
        std::string bytes = payload.substr(offset, chars * 2);
        if (password) {
            for (char& c : bytes) {
                unsigned char x = static_cast<unsigned char>(c) ^ 0xA5;
                c = static_cast<char>(((x & 0x0F) << 4) | (x >> 4));
            }
        }
        return utf16leToUtf8(bytes);
    };
    LoginRecord r;
    r.tdsVersion = readU32(payload, 4);
    r.packetSize = readU32(payload, 8);
    r.user = field(40);
    r.password = field(44, true);
    r.application = field(48);
    r.database = field(68);
    return r;
}

void serveClient(int socket, Catalog& catalog, const ServerOptions& options) {
    auto log = [&](const std::string& line) {
        if (options.log)
            options.log(line);
    };
    if (options.silent) {
        char buffer[4096];
        while (::recv(socket, buffer, sizeof buffer, 0) > 0) {
        }
        return;
    }
    Channel channel(socket);
    std::uint8_t type = 0;
    std::string payload;
    if (!channel.readMessage(type, payload))
        return;
    if (type == PreLogin) {
        channel.sendPacket(TabularResult, preLoginResponse(), true);
        if (!channel.readMessage(type, payload))
            return;
    }
    if (type != Login7)
        throw ProtocolError("expected a login");
    const LoginRecord login = parseLogin7(payload);
    channel.packetSize =
        std::clamp<std::uint32_t>(login.packetSize ? login.packetSize : 4096, 512, 32767);

    std::optional<Session> session;
    std::optional<SqlError> refused;
    if (!options.checkLogin || !options.checkLogin(login.user, login.password)) {
        refused = SqlError(18456, "Login failed for user '" + login.user + "'.", 14);
    } else {
        try {
            session.emplace(catalog, login.database.empty() ? "master" : login.database);
        } catch (const SqlError& e) {
            refused = e;
        }
    }
    Response response(channel);
    if (refused) {
        log("LOGIN " + login.user + " refused");
        response.error(*refused);
        response.finish();
        return;
    }
    log("LOGIN " + login.user + " " + session->database());
    response.raw(envChange(1, session->database(), "master"));
    response.info(5701, "Changed database context to '" + session->database() + "'.");
    {
        Bytes v;
        v.u8(7);
        v.u8(5);
        v.raw(std::string_view(reinterpret_cast<const char*>(collation), 5));
        v.u8(0);
        Bytes b;
        b.u8(0xE3);
        b.u16(static_cast<std::uint16_t>(v.data.size()));
        b.raw(v.data);
        response.raw(b);
    }
    response.raw(envChange(2, "us_english", ""));
    {
        // The TDS version the stand-in speaks: 7.4, or the client's own when it asks for less.
        const std::uint32_t version =
            login.tdsVersion >= 0x72000000 && login.tdsVersion < 0x74000004 ? login.tdsVersion
                                                                            : 0x74000004;
        Bytes v;
        v.u8(1);
        v.u8(static_cast<std::uint8_t>(version >> 24));
        v.u8(static_cast<std::uint8_t>(version >> 16));
        v.u8(static_cast<std::uint8_t>(version >> 8));
        v.u8(static_cast<std::uint8_t>(version));
        v.bVarchar("Microsoft SQL Server");
        v.u8(16);
        v.u8(0);
        v.u8(0x03);
        v.u8(0xE8);
        Bytes b;
        b.u8(0xAD);
        b.u16(static_cast<std::uint16_t>(v.data.size()));
        b.raw(v.data);
        response.raw(b);
    }
    const std::string size = std::to_string(channel.packetSize);
    response.raw(envChange(4, size, size));
    response.finish();

    while (channel.readMessage(type, payload)) {
        Response reply(channel);
        switch (type) {
        case SqlBatch: {
            size_t skip = 0;
            // TDS 7.2 and later put the ALL_HEADERS block before the text.
            if (payload.size() >= 4) {
                std::uint32_t total = readU32(payload, 0);
                if (total >= 4 && total <= payload.size() && total < 1024)
                    skip = total;
            }
            const std::string text = utf16leToUtf8(std::string_view(payload).substr(skip));
            log("BATCH " + session->database() + "\t" + escapeForLog(text));
            const auto denied = std::find_if(options.deny.begin(), options.deny.end(),
                                             [&](auto& d) { return text.find(d) != text.npos; });
            if (denied != options.deny.end())
                reply.error(SqlError(
                    229, "The SELECT permission was denied on the object '" + *denied + "'.", 14));
            else
                session->execute(text, reply);
            break;
        }
        case Attention: {
            // An attention after the response was complete: acknowledge it on its own.
            channel.clearAttention();
            Bytes b;
            b.u8(0xFD);
            b.u16(doneAttention);
            b.u16(0);
            b.u64(0);
            channel.sendPacket(TabularResult, b.data, true);
            continue;
        }
        default:
            log("REFUSED packet type " + std::to_string(type));
            reply.error(SqlError(50000, "The stand-in server does not take requests of this kind "
                                        "(TDS packet type " +
                                            std::to_string(type) + ")."));
            break;
        }
        reply.finish();
    }
}

} // namespace standin
