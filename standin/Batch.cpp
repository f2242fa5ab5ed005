#include "Batch.h"

#include "SqlError.h"
#include "Text.h"

#include <cctype>

namespace standin {

bool Token::isWord(std::string_view upperWord) const {
    return kind == Word && equalsIgnoreCase(text, upperWord);
}

namespace {

bool isWordStart(unsigned char c) {
    return std::isalpha(c) || c == '_' || c == '#' || c >= 0x80;
}
bool isWordChar(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '#' || c == '$' || c == '@' || c >= 0x80;
}

// Reads a quoted piece whose closing quote is written twice inside it.
size_t readQuoted(std::string_view sql, size_t start, char close, std::string& value) {
    size_t i = start + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (i + 1 < sql.size() && sql[i + 1] == close) {
                value += close;
                i += 2;
                continue;
            }
            return i + 1;
        }
        value += sql[i++];
    }
    return std::string_view::npos;
}

SqlError unclosedQuote(const std::string& text, int line) {
    SqlError e(105, "Unclosed quotation mark after the character string '" + text + "'.", 15);
    e.line = line;
    return e;
}

} // namespace

std::vector<Token> tokenize(std::string_view sql) {
    std::vector<Token> tokens;
    int line = 1;
    size_t i = 0;
    while (i < sql.size()) {
        const size_t start = i;
        const unsigned char c = static_cast<unsigned char>(sql[i]);
        Token t{Token::Symbol, {}, {}, false, line};
        if (std::isspace(c)) {
            t.kind = Token::Space;
            while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i])))
                ++i;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            t.kind = Token::Comment;
            while (i < sql.size() && sql[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            t.kind = Token::Comment;
            size_t end = sql.find("*/", i + 2);
            i = end == std::string_view::npos ? sql.size() : end + 2;
        } else if (c == '\'' ||
                   ((c == 'N' || c == 'n') && i + 1 < sql.size() && sql[i + 1] == '\'')) {
            t.kind = Token::String;
            t.national = c != '\'';
            size_t quote = t.national ? i + 1 : i;
            size_t end = readQuoted(sql, quote, '\'', t.value);
            if (end == std::string_view::npos) {
                throw unclosedQuote(t.value, line);
            }
            i = end;
        } else if (c == '[' || c == '"') {
            t.kind = Token::QuotedName;
            size_t end = readQuoted(sql, i, c == '[' ? ']' : '"', t.value);
            if (end == std::string_view::npos) {
                throw unclosedQuote(t.value, line);
            }
            i = end;
        } else if (std::isdigit(c) || (c == '.' && i + 1 < sql.size() &&
                                       std::isdigit(static_cast<unsigned char>(sql[i + 1])))) {
            t.kind = Token::Number;
            while (i < sql.size() &&
                   (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '.' ||
                    ((sql[i] == '+' || sql[i] == '-') && (sql[i - 1] == 'e' || sql[i - 1] == 'E'))))
                ++i;
        } else if (c == '@') {
            t.kind = Token::Variable;
            ++i;
            while (i < sql.size() && isWordChar(static_cast<unsigned char>(sql[i])))
                ++i;
        } else if (isWordStart(c)) {
            t.kind = Token::Word;
            while (i < sql.size() && isWordChar(static_cast<unsigned char>(sql[i])))
                ++i;
        } else {
            // Two-character operators stay together so that they are written back unchanged.
            static const char* const pairs[] = {"<=", ">=", "<>", "!=", "||", "!<", "!>"};
            i += 1;
            for (const char* p : pairs)
                if (sql.substr(start, 2) == p) {
                    i = start + 2;
                    break;
                }
        }
        t.text = std::string(sql.substr(start, i - start));
        for (char ch : t.text)
            if (ch == '\n')
                ++line;
        tokens.push_back(std::move(t));
    }
    return tokens;
}

std::vector<const Token*> Statement::words() const {
    std::vector<const Token*> out;
    for (const Token& t : tokens)
        if (t.significant())
            out.push_back(&t);
    return out;
}

std::string Statement::text() const {
    std::string out;
    for (const Token& t : tokens)
        out += t.text;
    return out;
}

namespace {

bool startsStatement(const Token& t) {
    static const char* const keywords[] = {"SELECT", "INSERT",  "UPDATE",  "DELETE",   "USE",
                                           "CREATE", "DROP",    "ALTER",   "SET",      "WAITFOR",
                                           "PRINT",  "BEGIN",   "COMMIT",  "ROLLBACK", "DECLARE",
                                           "EXEC",   "EXECUTE", "TRUNCATE"};
    if (t.kind != Token::Word)
        return false;
    for (const char* k : keywords)
        if (t.isWord(k))
            return true;
    return false;
}

// A line that holds only GO (the client tools' batch separator), with an optional count.
bool isGoLine(const std::vector<Token>& tokens, size_t i) {
    if (!tokens[i].isWord("GO"))
        return false;
    auto lineBreakBefore = [&] {
        for (size_t k = i; k-- > 0;) {
            if (tokens[k].kind != Token::Space)
                return tokens[k].kind == Token::Comment && tokens[k].text.rfind("--", 0) == 0;
            if (tokens[k].text.find('\n') != std::string::npos)
                return true;
        }
        return true;
    };
    auto lineBreakAfter = [&] {
        for (size_t k = i + 1; k < tokens.size(); ++k) {
            if (tokens[k].kind == Token::Number && tokens[k].text.find('\n') == std::string::npos)
                continue;
            if (tokens[k].kind == Token::Comment && tokens[k].text.rfind("--", 0) == 0)
                return true;
            if (tokens[k].kind != Token::Space)
                return false;
            if (tokens[k].text.find('\n') != std::string::npos)
                return true;
        }
        return true;
    };
    return lineBreakBefore() && lineBreakAfter();
}

} // namespace

std::vector<Statement> splitBatch(const std::vector<Token>& tokens) {
    std::vector<Statement> statements;
    Statement current;
    int depth = 0;
    const Token* previous = nullptr; // the last significant token of the current statement
    const Token* first = nullptr;    // the first significant token of the current statement
    bool seenSelect = false, seenSet = false;

    auto finish = [&] {
        bool any = false;
        for (const Token& t : current.tokens)
            any = any || t.significant();
        if (any)
            statements.push_back(std::move(current));
        current = Statement{};
        depth = 0;
        previous = first = nullptr;
        seenSelect = seenSet = false;
    };

    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (isGoLine(tokens, i)) {
            SqlError e = syntaxErrorNear("GO");
            e.line = t.line;
            throw e;
        }
        if (t.isSymbol(';') && depth == 0) {
            finish();
            continue;
        }
        if (t.significant() && depth == 0 && first && startsStatement(t)) {
            bool continues = false;
            if (t.isWord("SELECT")) {
                continues =
                    (previous && (previous->isWord("UNION") || previous->isWord("ALL") ||
                                  previous->isWord("EXCEPT") || previous->isWord("INTERSECT") ||
                                  previous->isWord("AS"))) ||
                    (first->isWord("INSERT") && !seenSelect);
            } else if (t.isWord("SET")) {
                continues = first->isWord("UPDATE") && !seenSet;
            } else if (t.isWord("DELETE") || t.isWord("UPDATE")) {
                continues = previous && (previous->isWord("ON") || previous->isWord("FOR"));
            }
            if (!continues)
                finish();
        }
        if (t.significant()) {
            if (current.tokens.empty() || !first)
                current.line = t.line;
            if (!first)
                first = &t;
            if (t.isSymbol('('))
                ++depth;
            else if (t.isSymbol(')') && depth > 0)
                --depth;
            if (t.isWord("SELECT"))
                seenSelect = true;
            if (t.isWord("SET"))
                seenSet = true;
            previous = &t;
        }
        if (first)
            current.tokens.push_back(t);
    }
    finish();
    return statements;
}

} // namespace standin
