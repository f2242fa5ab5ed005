#include "TableList.h"

#include "DatabaseList.h"

#include <QSet>

namespace kuz {
namespace {

// Words that T-SQL reserves; as a table name they need brackets.
const QSet<QString>& reservedWords() {
    static const QSet<QString> words = {
        u"ADD"_qs,        u"ALL"_qs,         u"ALTER"_qs,   u"AND"_qs,        u"ANY"_qs,
        u"AS"_qs,         u"ASC"_qs,         u"BACKUP"_qs,  u"BEGIN"_qs,      u"BETWEEN"_qs,
        u"BREAK"_qs,      u"BROWSE"_qs,      u"BULK"_qs,    u"BY"_qs,         u"CASCADE"_qs,
        u"CASE"_qs,       u"CHECK"_qs,       u"CLOSE"_qs,   u"COLUMN"_qs,     u"COMMIT"_qs,
        u"CONSTRAINT"_qs, u"CONTINUE"_qs,    u"CREATE"_qs,  u"CROSS"_qs,      u"CURRENT"_qs,
        u"CURSOR"_qs,     u"DATABASE"_qs,    u"DECLARE"_qs, u"DEFAULT"_qs,    u"DELETE"_qs,
        u"DESC"_qs,       u"DISTINCT"_qs,    u"DROP"_qs,    u"ELSE"_qs,       u"END"_qs,
        u"EXEC"_qs,       u"EXECUTE"_qs,     u"EXISTS"_qs,  u"FETCH"_qs,      u"FILE"_qs,
        u"FOR"_qs,        u"FOREIGN"_qs,     u"FROM"_qs,    u"FULL"_qs,       u"FUNCTION"_qs,
        u"GO"_qs,         u"GOTO"_qs,        u"GRANT"_qs,   u"GROUP"_qs,      u"HAVING"_qs,
        u"IDENTITY"_qs,   u"IF"_qs,          u"IN"_qs,      u"INDEX"_qs,      u"INNER"_qs,
        u"INSERT"_qs,     u"INTO"_qs,        u"IS"_qs,      u"JOIN"_qs,       u"KEY"_qs,
        u"LEFT"_qs,       u"LIKE"_qs,        u"NOT"_qs,     u"NULL"_qs,       u"OF"_qs,
        u"OFF"_qs,        u"ON"_qs,          u"OPEN"_qs,    u"OR"_qs,         u"ORDER"_qs,
        u"OUTER"_qs,      u"PERCENT"_qs,     u"PLAN"_qs,    u"PRIMARY"_qs,    u"PRINT"_qs,
        u"PROC"_qs,       u"PROCEDURE"_qs,   u"PUBLIC"_qs,  u"REFERENCES"_qs, u"RETURN"_qs,
        u"RIGHT"_qs,      u"ROLLBACK"_qs,    u"RULE"_qs,    u"SCHEMA"_qs,     u"SELECT"_qs,
        u"SET"_qs,        u"TABLE"_qs,       u"THEN"_qs,    u"TO"_qs,         u"TOP"_qs,
        u"TRAN"_qs,       u"TRANSACTION"_qs, u"TRIGGER"_qs, u"TRUNCATE"_qs,   u"UNION"_qs,
        u"UNIQUE"_qs,     u"UPDATE"_qs,      u"USE"_qs,     u"USER"_qs,       u"VALUES"_qs,
        u"VIEW"_qs,       u"WHEN"_qs,        u"WHERE"_qs,   u"WHILE"_qs,      u"WITH"_qs};
    return words;
}

} // namespace

QString tableListStatement(const QString& filter) {
    return QStringLiteral("select name from sys.tables Where name Like '") +
           sqlLiteralText(filter) + QStringLiteral("%'");
}

bool isRegularIdentifier(const QString& name) {
    if (name.isEmpty() || name.size() > 128 || reservedWords().contains(name.toUpper()))
        return false;
    const QChar first = name[0];
    if (!first.isLetter() && first != u'_' && first != u'@' && first != u'#')
        return false;
    for (const QChar c : name)
        if (!c.isLetterOrNumber() && c != u'_' && c != u'@' && c != u'#' && c != u'$')
            return false;
    return true;
}

QString selectAllLine(const QString& table) {
    if (table.isEmpty() || isRegularIdentifier(table))
        return QStringLiteral("SELECT * FROM ") + table + u' ';
    QString quoted = table;
    quoted.replace(u']', QStringLiteral("]]"));
    return QStringLiteral("SELECT * FROM [") + quoted + QStringLiteral("] ");
}

} // namespace kuz
