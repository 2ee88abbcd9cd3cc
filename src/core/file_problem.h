// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace ostrelo::core {

/// Why a file cannot be used, in no language: what was found, the file, and the system's own
/// description of the error exactly as the system gave it. What a person reads is made from it
/// in the language in force (`i18n::describe`).
struct FileProblem {
    enum class Cause {
        None,
        /// What the file is could not be checked; `systemText` says why.
        Unchecked,
        Folder,
        Fifo,
        Device,
        Socket,
        NotRegular,
        /// Reading failed; `systemText` says why.
        CannotRead,
        /// This user may not write the file; `systemText` says why.
        MayNotWrite,
        /// Nobody may write the file.
        ReadOnly,
        /// A symbolic link to `other`, whose folder does not exist.
        LinkIntoMissingFolder,
        /// This user may not make files in the folder `other`; `systemText` says why.
        MayNotWriteInFolder,
        /// Opening for writing failed; `systemText` says why.
        CannotOpenForWriting,
        /// Writing (or emptying) failed; `systemText` says why.
        CannotWrite,
        /// The new copy that replaces the file cannot be made; `systemText` says why.
        CannotMakeCopy,
        /// The new copy cannot take the file's place; `systemText` says why.
        CannotReplace,
        /// The bytes are in no text encoding the program reads.
        NotText,
        /// A new recording would go over a file that already holds something.
        NotEmpty,
        /// There is no such file.
        Missing,
    };

    Cause cause = Cause::None;
    std::string path;
    /// The other file or folder the cause names; empty for the others.
    std::string other;
    /// The system's description of the error, as it came; empty where the cause says it all.
    std::string systemText;

    bool empty() const { return cause == Cause::None; }
    bool operator==(const FileProblem &) const = default;

    /// One line for the error reports, which are not translated: the file, the cause's name
    /// and the system's text ("/x/Ostrelo.ini: MayNotWrite (Permission denied)").
    std::string reportText() const;
};

} // namespace ostrelo::core
