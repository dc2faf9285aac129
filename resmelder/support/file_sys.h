#pragma once
// The file layer: open with a retry on sharing violations, whole-file writes, sizes, and a
// read-only mapping. Names are UTF-8 XStrings; every failure goes to the logger when one is
// given, and is silent otherwise.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "support/xstring.h"

namespace resmelder {

class LogBase;

/// An open file; closed when destroyed.
class File {
  public:
    struct Impl;

    File();
    explicit File(std::unique_ptr<Impl> impl);
    File(File&&) noexcept;
    File& operator=(File&&) noexcept;
    ~File();

    bool IsOpen() const;
    /// Reads up to `buffer.size()` bytes; 0 at the end or on failure.
    std::size_t Read(std::span<std::uint8_t> buffer);
    /// Writes all the bytes; answers how many were written (fewer on failure).
    std::size_t Write(std::span<const std::uint8_t> bytes);
    bool Seek(std::uint64_t offset);
    std::optional<std::uint64_t> Size() const;
    void Close();
    Impl* NativeImpl() const { return impl_.get(); }

  private:
    std::unique_ptr<Impl> impl_;
};

/// A read-only view of a whole file; unmapped when destroyed.
class FileMapping {
  public:
    struct Impl;
    enum class Status { kOk, kMappingFailed, kViewFailed };

    FileMapping();
    FileMapping(FileMapping&&) noexcept;
    FileMapping& operator=(FileMapping&&) noexcept;
    ~FileMapping();

    /// Maps the first `size` bytes of the open file (an empty file cannot be mapped).
    Status Map(const File& file, std::uint64_t size);
    std::span<const std::uint8_t> Bytes() const;
    void Unmap();

  private:
    std::unique_ptr<Impl> impl_;
};

struct FileSizeResult {
    std::uint64_t size = 0;
    bool found = false;
};

struct FileSys {
    /// Read access, shared for reading, existing files only.
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
};

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
bool Rename(const XString& from, const XString& to);
bool Remove(const XString& name);

}  // namespace file_backend

}  // namespace resmelder
