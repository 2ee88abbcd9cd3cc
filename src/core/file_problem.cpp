// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_problem.h"

#include <string_view>

namespace ostrelo::core {
namespace {

std::string_view causeName(FileProblem::Cause cause) {
    using enum FileProblem::Cause;
    switch (cause) {
    case None:
        return "None";
    case Unchecked:
        return "Unchecked";
    case Folder:
        return "Folder";
    case Fifo:
        return "Fifo";
    case Device:
        return "Device";
    case Socket:
        return "Socket";
    case NotRegular:
        return "NotRegular";
    case CannotRead:
        return "CannotRead";
    case MayNotWrite:
        return "MayNotWrite";
    case ReadOnly:
        return "ReadOnly";
    case LinkIntoMissingFolder:
        return "LinkIntoMissingFolder";
    case MayNotWriteInFolder:
        return "MayNotWriteInFolder";
    case CannotOpenForWriting:
        return "CannotOpenForWriting";
    case CannotWrite:
        return "CannotWrite";
    case CannotMakeCopy:
        return "CannotMakeCopy";
    case CannotReplace:
        return "CannotReplace";
    case NotText:
        return "NotText";
    case NotEmpty:
        return "NotEmpty";
    case Missing:
        return "Missing";
    }
    return "?";
}

} // namespace

std::string FileProblem::reportText() const {
    std::string text = path + ": " + std::string(causeName(cause));
    if (!other.empty()) {
        text += ' ' + other;
    }
    if (!systemText.empty()) {
        text += " (" + systemText + ')';
    }
    return text;
}

} // namespace ostrelo::core
