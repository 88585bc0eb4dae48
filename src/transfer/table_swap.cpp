#include "transfer/table_swap.h"

#include "transfer/row_failure.h"

namespace tw::transfer {

SwapResult SwapIn(TableCopy& copy, const QString& targetName, const SideNames& names)
{
    const QStringList renames
        = swapStatements(copy.direction(), targetName, names.copy, names.backup);
    try {
        copy.executeOnTarget(renames.first());
    } catch (...) {
        return { SwapResult::Unchanged, FailureText(std::current_exception()) };
    }
    if (renames.size() > 1) {
        try {
            copy.executeOnTarget(renames[1]);
        } catch (...) {
            const QString message = FailureText(std::current_exception());
            try {
                copy.executeOnTarget(restoreStatement(copy.direction(), targetName, names.backup));
            } catch (...) {
                return { SwapResult::OldAside, message };
            }
            return { SwapResult::Restored, message };
        }
    }
    try {
        copy.dropTarget(names.backup);
    } catch (...) {
        return { SwapResult::BackupLeft, FailureText(std::current_exception()) };
    }
    return {};
}

} // namespace tw::transfer
