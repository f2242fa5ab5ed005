#include "BatchLedger.h"

#include <QRegularExpression>

namespace kuz {

namespace {

QString seconds(double s) {
    return QString::number(s, 'f', 2) + QStringLiteral(" s");
}

QString oneLine(QString text) {
    static const QRegularExpression breaks(QStringLiteral("\\s*[\r\n]+\\s*"));
    return text.replace(breaks, QStringLiteral(" ")).trimmed();
}

// The arguments without an option and its value, in any of the forms the parser takes.
QStringList without(const QStringList& arguments, const QString& name, bool hasValue) {
    const QString dashed = QStringLiteral("--") + name, single = QStringLiteral("-") + name;
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool matches = a == dashed || a == single;
        if (matches) {
            if (hasValue)
                ++i;
            continue;
        }
        if (hasValue && (a.startsWith(dashed + u'=') || a.startsWith(single + u'=')))
            continue;
        kept << a;
    }
    return kept;
}

} // namespace

QString resultLine(const DatabaseResult& r, qsizetype nameWidth) {
    const QString name = r.database.leftJustified(nameWidth);
    switch (r.outcome) {
    case Outcome::Ok: {
        QString line = name + QStringLiteral("  ok      ") + seconds(r.seconds).rightJustified(9);
        if (!r.workbooks.isEmpty())
            line += QStringLiteral("  wrote ") + r.workbooks.join(QStringLiteral(", "));
        else if (r.rowsAffected >= 0)
            line += QStringLiteral("  %1 %2 affected")
                        .arg(r.rowsAffected)
                        .arg(r.rowsAffected == 1 ? u"row" : u"rows");
        return line;
    }
    case Outcome::Failed:
        return name + QStringLiteral("  failed  ") + seconds(r.seconds).rightJustified(9) +
               QStringLiteral("  ") + oneLine(r.message);
    case Outcome::NotReached:
    case Outcome::Pending:
        break;
    }
    return name + QStringLiteral("  not reached");
}

QString summaryLine(const std::vector<DatabaseResult>& results, double s) {
    int ok = 0, failed = 0, notReached = 0;
    for (const DatabaseResult& r : results) {
        if (r.outcome == Outcome::Ok)
            ++ok;
        else if (r.outcome == Outcome::Failed)
            ++failed;
        else
            ++notReached;
    }
    QString line = QStringLiteral("%1 %2: %3 ok, %4 failed")
                       .arg(results.size())
                       .arg(results.size() == 1 ? u"database" : u"databases")
                       .arg(ok)
                       .arg(failed);
    if (notReached > 0)
        line += QStringLiteral(", %1 not reached").arg(notReached);
    return line + QStringLiteral(" (") + seconds(s) + u')';
}

QStringList unfinished(const std::vector<DatabaseResult>& results) {
    QStringList names;
    for (const DatabaseResult& r : results)
        if (r.outcome != Outcome::Ok)
            names << r.database;
    return names;
}

QString shellQuoted(const QString& argument) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:=,+@%-]+$"));
    if (plain.match(argument).hasMatch())
        return argument;
    QString quoted = argument;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QString resumeCommand(const QString& program, const QStringList& arguments,
                      const std::vector<DatabaseResult>& results) {
    const QStringList left = unfinished(results);
    QStringList args = without(arguments, QStringLiteral("from"), true);
    if (left.isEmpty())
        return {};
    // Is what is left the whole tail of the targets from the first unfinished one?
    qsizetype first = 0;
    while (results[static_cast<size_t>(first)].outcome == Outcome::Ok)
        ++first;
    const bool tail = left.size() == static_cast<qsizetype>(results.size()) - first;
    if (tail) {
        args << QStringLiteral("--from") << left.first();
    } else {
        args = without(args, QStringLiteral("pattern"), true);
        args = without(args, QStringLiteral("databases"), true);
        args = without(args, QStringLiteral("masters"), false);
        args << QStringLiteral("--databases") << left.join(u',');
    }
    QStringList words{shellQuoted(program)};
    for (const QString& a : args)
        words << shellQuoted(a);
    return words.join(u' ');
}

} // namespace kuz
