// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/file_problem.h"
#include "core/ini_document.h"

#include <string>

namespace ostrelo::core {

/// How an INI file's text is stored in its bytes.
enum class IniEncoding { Utf8, Utf8WithMark, Windows1252, Utf16Le, Utf16Be };

/// An INI file as read: its lines, its encoding, and whether it can be written back.
struct LoadedIni {
    IniDocument document;
    IniEncoding encoding = IniEncoding::Utf8;
    /// Why the file must never be written over: it could not be read or decoded. Empty
    /// otherwise.
    FileProblem problem;
    /// The file was there (a missing file is an empty document without a problem).
    bool exists = false;
};

struct FileContents;

/// Decodes the bytes of an INI file read from `path`, as `loadIni` does. Never fails.
LoadedIni decodeIni(const FileContents &contents, const std::string &path);

/// Reads and decodes the file at `path`: UTF-16 after its byte-order mark, else UTF-8, else
/// Windows-1252; a file with NUL bytes outside UTF-16 is not text. Only a regular file is
/// read, never with an open that can block. Never fails.
LoadedIni loadIni(const std::string &path);

/// The bytes of `text` in `encoding`, with the byte-order mark it calls for.
std::string encodeIni(const std::string &text, IniEncoding encoding);

} // namespace ostrelo::core
