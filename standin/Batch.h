#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace standin {

// The lexical pieces of a T-SQL batch. Every token keeps its original text, so a statement can
// be written back out with only the pieces that need translating changed.
struct Token {
    enum Kind { Word, QuotedName, String, Number, Variable, Symbol, Space, Comment };
    Kind kind;
    std::string text;  // as written
    std::string value; // QuotedName: the name unquoted; String: the content unquoted
    bool national = false;
    int line = 1;

    bool isWord(std::string_view upperWord) const;
    bool isSymbol(char c) const { return kind == Symbol && text.size() == 1 && text[0] == c; }
    bool significant() const { return kind != Space && kind != Comment; }
};

// Throws SqlError 105 for a string or name left open.
std::vector<Token> tokenize(std::string_view sql);

struct Statement {
    std::vector<Token> tokens; // without the separating semicolon
    int line = 1;

    // The significant tokens, for looking at the statement's shape.
    std::vector<const Token*> words() const;
    std::string text() const;
};

// Splits a batch into statements as SQL Server reads them: at semicolons and where a keyword
// begins a new statement (T-SQL needs no separator between statements). A line holding only
// GO, which only client tools understand, fails the batch as on SQL Server.
std::vector<Statement> splitBatch(const std::vector<Token>& tokens);

} // namespace standin
