#pragma once
// Whole-file access for the phrase library. Reading is bounded; writing replaces a file in
// one step so that a failure at any point leaves the old file whole. Names of categories are
// UTF-8 text; turning them into paths (and directory entries back into names) is the
// platform's business: UTF-16 on Windows, the bytes as they are elsewhere.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace murmurex {

/// Files larger than this are treated as unreadable rather than loaded.
inline constexpr std::uintmax_t kMaxReadableFileSize = std::uintmax_t{64} * 1024 * 1024;

/// The bytes of an ordinary file, or nothing when it is missing, not an ordinary file,
/// locked, larger than kMaxReadableFileSize or fails to read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

/// Called before each chunk of the temporary file is written, with the bytes written so far;
/// answering false makes that write fail. Lets tests break a replace midway.
using WriteProbe = std::function<bool(std::size_t written)>;

/// Replaces `path` with exactly `bytes`: writes a temporary file in the same folder, flushes
/// it and renames it over the target. Refuses a read-only target. On any failure the
/// temporary file is removed and the old file (if any) is left byte for byte.
bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                           const WriteProbe& probe = {});

/// Moves the ordinary file `source` onto `target` in one step, replacing a target that exists;
/// refuses a target that is read-only or not an ordinary file. On failure both files stay
/// as they were.
bool MoveFileOver(const std::filesystem::path& source, const std::filesystem::path& target);

/// Creates `path` as an empty file, never opening or replacing one that exists (a hidden
/// file, another program's file). True when this call created it.
bool CreateNewEmptyFile(const std::filesystem::path& path);

/// Renames the ordinary file `source` to `target` in one step without ever replacing another
/// file; `target` may differ from `source` in case only. On failure both stay as they were.
bool RenameFileNoReplace(const std::filesystem::path& source, const std::filesystem::path& target);

/// True when `path` names an existing ordinary file.
bool IsExistingFile(const std::filesystem::path& path);

/// Deletes the file at `path`; refuses a read-only file. True when it is gone.
bool DeleteFileAt(const std::filesystem::path& path);

/// `name` (UTF-8) as a path component; nothing when it is no well-formed UTF-8.
std::optional<std::filesystem::path> PathFromText(std::string_view name);

/// The names (UTF-8) of the ordinary files in `folder` whose extension is `extension` (no dot;
/// compared as the platform compares file names), in the order the directory listing
/// returns them.
/// Names no text can hold (a lone surrogate) are left out. A missing folder gives no names.
std::vector<std::string> ListFileNames(const std::filesystem::path& folder,
                                       std::string_view extension);

}  // namespace murmurex
