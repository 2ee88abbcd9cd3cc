// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "i18n/texts.h"

#include <string>

namespace ostrelo::history {

/// What went wrong with the lap history, in no language: what could not be done, the file,
/// what the failure names and why, SQLite's own text as it came.
struct HistoryProblem {
    enum class Failure {
        None,
        CannotOpen,
        NotKept,
        CannotUse,
        CannotMoveAside,
        MovedAside,
        MadeByNewer,
        CannotUpdate,
        CannotBeginSession,
        CannotAddLap,
        CannotKeepTank,
    };
    /// `NotRegular`: the file is a symbolic link, or anything else but a regular file.
    enum class Reason { System, Locked, ReadOnly, NotRegular };

    Failure failure = Failure::None;
    std::string path;
    /// The lap, the car, or where the damaged file went, for the failures that name one.
    std::string subject;
    Reason reason = Reason::System;
    /// SQLite's own text, for `Reason::System`.
    std::string systemText;

    bool empty() const { return failure == Failure::None; }
    bool operator==(const HistoryProblem &) const = default;
};

/// `problem` for a person, in the language of `texts`; empty when there is none.
std::string describe(const HistoryProblem &problem, const i18n::Texts &texts);

} // namespace ostrelo::history
