#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace tw::compare {

// One difference between a source table and its copy.
struct Difference {
    enum class Kind {
        Changed, // a row of both sides whose value in `column` differs
        OnlyInSource, // a row the target lacks
        OnlyInTarget, // a row the source lacks
    };
    Kind kind = Kind::Changed;
    QJsonObject key; // the key's columns and values; empty for whole rows
    QString column; // Changed: the column
    QJsonValue source; // Changed: the value of each side (null for NULL,
    QJsonValue target; // binary data as hex)
    QJsonObject row; // OnlyIn...: the row's values by column
    QString reason;

    QString kindName() const; // "changed", "onlyInSource", "onlyInTarget"
};

// How the comparison of one table came out.
struct Comparison {
    enum Result {
        Same, // the same rows, values alike or changed as the mapping declares
        Differ, // rows only on one side, or values changed otherwise
        Failed, // not compared: the message says why
        Stopped,
    };
    QString table; // the source's name
    QString target; // the target's
    Result result = Failed;
    // The columns rows are matched by, and whose they are; none: rows are
    // matched whole, duplicates counted.
    QStringList key;
    QString keyOrigin;
    qint64 sourceRows = 0;
    qint64 targetRows = 0;
    qint64 onlyInSource = 0;
    qint64 onlyInTarget = 0;
    qint64 changedRows = 0; // rows of both sides with a value changed otherwise
    qint64 changedValues = 0;
    // Values changed as the mapping declares, by its rule's name.
    QList<QPair<QString, qint64>> declared;
    double seconds = 0;
    QString message;

    QString resultName() const; // "same", "differ", "failed", "stopped"
    double rowsPerSecond() const
    {
        return seconds > 0 ? double(std::max(sourceRows, targetRows)) / seconds : 0;
    }
};

// What a table's comparison tells as it goes.
class ComparisonObserver {
public:
    virtual ~ComparisonObserver() = default;
    // The rows of the source in all, -1 when not known before the end.
    virtual void begin(const QString& table, qint64 total) = 0;
    virtual void rows(qint64 done) = 0;
    // Whether the next difference is wanted whole; counted it is either way.
    virtual bool wantsDifference() = 0;
    virtual void difference(const QString& table, const Difference& difference) = 0;
};

} // namespace tw::compare
