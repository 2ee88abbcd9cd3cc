// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/history_problem.h"

#include "i18n/messages.h"

namespace ostrelo::history {

std::string describe(const HistoryProblem &problem, const i18n::Texts &t) {
    using enum HistoryProblem::Failure;
    using Reason = HistoryProblem::Reason;
    const std::string &reason = problem.reason == Reason::Locked       ? t.TextHistoryLocked
                                : problem.reason == Reason::ReadOnly   ? t.TextHistoryReadOnly
                                : problem.reason == Reason::NotRegular ? t.TextFileNotRegular
                                                                       : problem.systemText;
    const std::string &path = problem.path;
    switch (problem.failure) {
    case None:
        return {};
    case CannotOpen:
        return i18n::fill(t.TextHistoryCannotOpen, {path, reason});
    case NotKept:
        return i18n::fill(t.TextHistoryNotKept, {path, reason});
    case CannotUse:
        return i18n::fill(t.TextHistoryCannotUse, {path, reason});
    case CannotMoveAside:
        return i18n::fill(t.TextHistoryStuck, {path});
    case MovedAside:
        return i18n::fill(t.TextHistoryMovedAside, {path, problem.subject});
    case MadeByNewer:
        return i18n::fill(t.TextHistoryNewer, {path});
    case CannotUpdate:
        return i18n::fill(t.TextHistoryCannotUpdate, {path, reason});
    case CannotBeginSession:
        return i18n::fill(t.TextHistoryCannotBegin, {path, reason});
    case CannotAddLap:
        return i18n::fill(t.TextHistoryCannotAddLap, {path, problem.subject, reason});
    case CannotKeepTank:
        return i18n::fill(t.TextHistoryCannotKeepTank, {path, problem.subject, reason});
    }
    return {};
}

} // namespace ostrelo::history
