#pragma once
// The file layer: open with a retry on sharing violations, whole-file writes, sizes, and
// positioned reads. Files are read, never mapped: a mapped file that another process cuts
// short kills the reader (SIGBUS) where a read only comes back short. Names are UTF-8
// XStrings; every failure goes to the logger when one is given, and is silent otherwise.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "support/xstring.h"

namespace resmelder {

class LogBase;

/// What a name refers to, asked without opening it (opening a FIFO can block).
enum class FileKind { kMissing, kRegular, kSymbolicLink, kOther };

/// Which file a name or handle refers to: device and inode on POSIX, volume serial number and
/// file index on Windows. Two names with one identity are the same file.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

/// An open file; closed when destroyed.
class File {
  public:
    struct Impl;
    /// Closes the platform's file; defined beside Impl, in the platform's file layer.
    struct ImplDeleter {
        void operator()(Impl* impl) const noexcept;
    };
    using ImplPtr = std::unique_ptr<Impl, ImplDeleter>;

    File();
    explicit File(ImplPtr impl);
    File(File&&) noexcept;
    File& operator=(File&&) noexcept;
    ~File();

    bool IsOpen() const;
    /// Reads up to `buffer.size()` bytes; 0 at the end or on failure.
    std::size_t Read(std::span<std::uint8_t> buffer);
    /// Writes all the bytes; answers how many were written (fewer on failure).
    std::size_t Write(std::span<const std::uint8_t> bytes);
    /// Reads up to `buffer.size()` bytes at `offset`; fewer at the end or on failure.
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const;
    /// Copies `count` bytes from `offset` to `to` at its current position, inside the system
    /// without passing through this process. Answers how many were copied: fewer when this
    /// file ends or the system stops, 0 where it cannot copy between the two files at all
    /// (another file system, an old kernel, Windows); the caller copies the rest itself.
    std::uint64_t CopyRangeTo(std::uint64_t offset, std::uint64_t count, File& to) const;
    bool Seek(std::uint64_t offset);
    std::optional<std::uint64_t> Size() const;
    /// Pushes everything written so far to the device.
    bool Sync();
    std::optional<FileIdentity> Identity() const;
    void Close();
    Impl* NativeImpl() const { return impl_.get(); }

  private:
    ImplPtr impl_;
};

struct FileSizeResult {
    std::uint64_t size = 0;
    bool found = false;
};

struct FileSys {
    /// Read access, shared for reading, existing regular files only.
    static File OpenForRead(const XString& name, LogBase* log);
    /// Write access, not shared, always created anew (an existing file is truncated).
    static File OpenForWrite(const XString& name, LogBase* log);
    static FileSizeResult FileSize(const XString& name, LogBase* log);
    static bool WriteWholeFile(const XString& name, std::span<const std::uint8_t> bytes,
                               LogBase* log);
    /// Whether the file opens for reading; it is closed again.
    static bool FileCanOpen(const XString& name, LogBase* log);

    // What replacing a file atomically needs.
    /// Creates a file that must not exist yet (write access, not shared); silent on failure.
    static File CreateNew(const XString& name);
    /// Whether an existing file could be opened for writing, unshared (with the retry and the
    /// open messages); a missing file answers true.
    static bool CanReplace(const XString& name, LogBase* log);
    /// Renames `from` over `to` in one step (keeping `to`'s permissions where files have them).
    static bool Replace(const XString& from, const XString& to, LogBase* log);
    static bool Remove(const XString& name);
    /// Logs a failed open of `name` with the open messages of the route the name takes.
    static void LogOpenFailure(const XString& name, std::uint32_t osError, LogBase* log);

    /// What `name` is, asked without opening it; `followLinks` false answers kSymbolicLink
    /// for a link itself.
    static FileKind KindOf(const XString& name, bool followLinks);
    /// The identity of the file `name` leads to (links followed); none when it is missing.
    static std::optional<FileIdentity> IdentityOf(const XString& name);
    /// True for a regular file or a missing one (links followed). Anything else (a FIFO, a
    /// device, a folder) is refused with "Not a regular file" and the name: reading it could
    /// block or never end.
    static bool CheckRegularOrMissing(const XString& name, LogBase* log);
    /// The same for a name about to be replaced: a symbolic link is replaced itself and so
    /// passes; a FIFO, a device or a folder is refused, since replacing it would hang or
    /// destroy something that is not a file of ours.
    static bool CheckReplaceable(const XString& name, LogBase* log);
    /// Takes an exclusive lock on `name` into `lock`, so that two edits of one file in place
    /// run one after the other; waits at most `timeoutMs` for another holder to let go. The
    /// lock lasts while `lock` is open. False (logged) on failure or time-out. Where the
    /// system has no such locks (Windows: its share modes refuse a second writer instead)
    /// `lock` stays closed and the answer is true.
    static bool LockForEdit(const XString& name, std::uint32_t timeoutMs, File& lock, LogBase* log);
};

namespace file_test_seam {

/// Runs before every positioned read of any file, with the file and the read's offset, so
/// that a test can cut a file short at a chosen point. None unless a test sets one.
using BeforeRead = void (*)(const File& file, std::uint64_t offset);
void SetBeforeRead(BeforeRead hook);
void RunBeforeRead(const File& file, std::uint64_t offset);

}  // namespace file_test_seam

namespace file_backend {

enum class Mode { kRead, kWriteTruncate, kWriteExisting, kCreateNew };
enum class Route { kNarrow, kWide };

/// Whether the platform has separate wide-character file functions.
bool HasWideRoute();
/// The 8-bit form the narrow route passes to the system (ANSI on Windows, UTF-8 on POSIX).
const std::string& NarrowName(const XString& name);
/// One open attempt; on failure the OS error stays the last error.
File Open(const XString& name, Route route, Mode mode);
bool IsSharingViolation(std::uint32_t osError);
bool Exists(const XString& name);
/// Renames `from` over `to` in one step, through to the disk where the system can say so.
bool Rename(const XString& from, const XString& to);
bool Remove(const XString& name);
FileKind KindOf(const XString& name, bool followLinks);
std::optional<FileIdentity> IdentityOf(const XString& name);
/// Whether files take advisory locks that other processes wait for.
bool HasAdvisoryLocks();
/// An exclusive lock without waiting; false (error kept) when another holds it.
bool TryLockExclusive(File& file);
/// A new file in `target`'s folder that has no name yet; closed where the system cannot.
File CreateUnnamedBeside(const XString& target);
/// Gives an unnamed file the name `name` (which must not exist).
bool NameUnnamed(File& file, const XString& name);
/// Makes the permissions of `newFile` those of the regular file `previous` (when there is
/// one), without the set-user and set-group bits when the owners differ.
bool KeepPermissions(File& newFile, const XString& previous);
/// Makes a rename in the folder of `name` durable.
bool SyncFolderOf(const XString& name);

}  // namespace file_backend

}  // namespace resmelder
