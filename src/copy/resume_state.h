#pragma once

#include "copy/bulk/array_target.h"
#include "copy/loop/key_values.h"
#include "db/connection.h"
#include "sql/dialect.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <mutex>
#include <optional>

namespace tw::copy {

// The state of a resumable run (--resume FILE), kept in two places that
// cannot drift apart:
// - the file names the run, what it copies (so that a run with other
//   tables or options does not take it for its own), the tables that
//   finished, and for each unfinished one the table its rows go into;
// - the last key committed of each unfinished table (or part of one) is a
//   row of the target's resume table, written by the statement that runs
//   right before each commit of the table's rows, in the same transaction
//   (see ResumePoint): a kill between the rows' commit and the record of
//   it cannot happen, as both are one commit.
// A run that finishes every table removes the file and its rows. Safe to
// share between the threads of a run.
class ResumeState {
public:
    // Reads `path`, or starts a new run when there is no such file. Nothing
    // (and `problem` says why) when the file is not a state, or is the state
    // of a run with another `fingerprint`.
    static std::unique_ptr<ResumeState> open(
        const QString& path, const QString& fingerprint, QString* problem);

    QString run() const { return m_run; }
    bool resumed() const { return m_resumed; }
    bool finished(const QString& table) const;
    // The table an unfinished table's rows go into, when a run began it.
    std::optional<QString> into(const QString& table) const;
    // Each writes the file at once; throws DbError when it cannot.
    void begin(const QString& table, const QString& into);
    void finish(const QString& table);
    // Every table finished: the file goes.
    void complete();

private:
    void save();

    QString m_path;
    QString m_fingerprint;
    QString m_run;
    bool m_resumed = false;
    QStringList m_finished;
    QHash<QString, QString> m_into;
    mutable std::mutex m_mutex;
};

// One table's (or part's) last committed key in the target's resume table.
class ResumePoint : public Checkpoint {
public:
    ResumePoint(const sql::Dialect& target, QString run, QString name, KeyColumns key);

    // The resume table made when the target lacks it (`tables`: the target's).
    static void prepare(
        db::Connection& target, const sql::Dialect& dialect, const QStringList& tables);
    // A new start: the row made anew without a key.
    void start(db::Connection& target);
    // The key the last commit recorded; none when no batch committed.
    std::optional<QList<sql::KeyValue>> last(db::Connection& target);
    void beforeCommit(db::Connection& target, const Row& lastRow) override;
    // The table (or part) is done: its row goes.
    void finish(db::Connection& target);
    // The run is done: every row of it goes, and the table with the last row.
    static void finishRun(db::Connection& target, const sql::Dialect& dialect, const QString& run);

private:
    const sql::Dialect& m_dialect;
    QString m_run;
    QString m_name;
    KeyColumns m_key;
};

} // namespace tw::copy
