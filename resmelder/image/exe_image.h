#pragma once
// The in-memory model of one PE executable (PE32 or PE32+): the source stays open, the
// headers, the section table and the resource section's bytes are read into memory, and the
// resource section is regenerated from the tree when a new executable is written. The source
// is read, never mapped: a file cut short by another process meanwhile makes a read come back
// short, which fails with a line, where touching a mapping past its new end kills the
// process (SIGBUS).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/exe_resource.h"
#include "image/pending_output.h"
#include "support/byte_reader.h"
#include "support/ext_ptr_array.h"
#include "support/file_sys.h"
#include "support/large_buffer.h"
#include "support/vantrix_object.h"
#include "support/xstring.h"

namespace resmelder {

class FileSink;
class LogBase;
class ProgressMonitor;

/// Where an RVA's bytes are as the loader maps them: `inFile` bytes from `offset` in the file,
/// then zeros up to `mapped` bytes (the rest of the section's virtual range).
struct MappedRange {
    std::size_t offset = 0;
    std::size_t inFile = 0;
    std::uint64_t mapped = 0;
};

/// A copy of one 40-byte section header.
class ExeSection : public VantrixObject {
  public:
    explicit ExeSection(std::span<const std::uint8_t> header);

    /// The name, at most 8 characters.
    std::string Name() const;
    std::uint32_t VirtualSize() const { return Get(8); }
    std::uint32_t VirtualAddress() const { return Get(12); }
    std::uint32_t SizeOfRawData() const { return Get(16); }
    std::uint32_t PointerToRawData() const { return Get(20); }
    std::uint32_t Characteristics() const { return Get(36); }
    /// The virtual size, or the raw size when the virtual size is 0 (as the loader reads it).
    std::uint32_t Extent() const { return VirtualSize() != 0 ? VirtualSize() : SizeOfRawData(); }
    void SetVirtualSize(std::uint32_t v) { Set(8, v); }
    void SetVirtualAddress(std::uint32_t v) { Set(12, v); }
    void SetSizeOfRawData(std::uint32_t v) { Set(16, v); }
    void SetPointerToRawData(std::uint32_t v) { Set(20, v); }
    void SetCharacteristics(std::uint32_t v) { Set(36, v); }
    const std::array<std::uint8_t, 40>& Bytes() const { return headerBytes_; }

  private:
    std::uint32_t Get(std::size_t at) const;
    void Set(std::size_t at, std::uint32_t v);
    std::array<std::uint8_t, 40> headerBytes_{};
};

/// How a write places what it regenerates.
struct WriteOptions {
    /// Every byte before the source's end stays at its offset, so an overlay that programs
    /// find at a recorded offset keeps working: a tree that outgrows its section goes into a
    /// new section after the overlay. Refused for a file with a certificate table, which must
    /// stay last.
    bool keepOverlay = false;
};

/// What a write did with the overlay, for the caller to tell.
struct WriteOutcome {
    std::uint64_t overlaySize = 0;
    /// How far the overlay moved (negative: towards the start).
    std::int64_t overlayMovedBy = 0;
    /// The file has a certificate table: its overlay moves with the table's directory entry,
    /// and cannot be kept in place.
    bool signedFile = false;
};

class ExeImage : public VantrixObject {
    struct Token {};  // only Load makes images

  public:
    explicit ExeImage(Token) {}
    ExeImage(const ExeImage&) = delete;
    ExeImage& operator=(const ExeImage&) = delete;
    ~ExeImage() override;

    /// Reads the executable; null (with the cause logged) when it is not one or it changed
    /// while it was read.
    static std::unique_ptr<ExeImage> Load(const XString& fileName, LogBase* log);

    /// Writes the new executable to `fileName` through a PendingOutput, which replaces it only
    /// when complete; a failure leaves an existing file as it was.
    bool Write(const XString& fileName, LogBase* log, const WriteOptions& options = {});
    /// The first half of Write: the new executable, complete, in a PendingOutput for
    /// `fileName`. Lets a caller release the source before replacing it (editing in place).
    /// `outcome`, when given, learns what happened to the overlay.
    std::unique_ptr<PendingOutput> WriteBeside(const XString& fileName, LogBase* log,
                                               const WriteOptions& options = {},
                                               WriteOutcome* outcome = nullptr);

    /// The resource tree (empty when the image has no resources), or null when the image's
    /// resource directory cannot be read or it has no data directory for one.
    ExeResource* Resources() const { return resources_.get(); }
    bool AddBytes(std::string_view name, std::span<const std::uint8_t> bytes, LogBase* log);
    bool AddFile(std::string_view name, const XString& fileName, LogBase* log);
    void DeleteNamed(std::string_view name);
    std::optional<FoundResource> FindNamed(std::string_view name, LogBase* log) const;

    /// Which file the image was read from (the source stays open while the image lives).
    std::optional<FileIdentity> SourceIdentity() const { return file_.Identity(); }
    /// The source's size when it was opened.
    std::uint64_t SourceSize() const { return sourceSize_; }
    /// The copied NT headers: signature, file header, optional header.
    ByteReader NtHeaders() const { return ByteReader(ntHeaders_); }
    /// Reads `size` bytes of the source at `offset` (inside its size) and keeps them while
    /// the image lives, so that the tree's leaves can point into them. None, with a line in
    /// the log, when the file has become shorter than it was.
    std::optional<std::span<const std::uint8_t>> HoldSource(std::uint64_t offset, std::size_t size,
                                                            LogBase* log);
    /// The file offset of an RVA, through the section that holds it.
    std::optional<std::size_t> RvaToOffset(std::uint32_t rva) const;
    /// The bytes at an RVA as the loader maps them: from the headers below the first section,
    /// from a section's raw data, zeros past it; none outside every section.
    std::optional<MappedRange> MapRva(std::uint32_t rva) const;
    /// The same, relative to the first section whose name begins with ".rsrc".
    std::optional<std::size_t> RvaToOffsetInResourceSection(std::uint32_t rva) const;

    bool IsPe32Plus() const { return pe32Plus_; }
    const ExtPtrArray<ExeSection>& Sections() const { return sections_; }
    /// Where the bytes after the last section's data begin in the source, and how many.
    std::uint64_t OverlayOffset() const { return overlayStart_; }
    std::uint64_t OverlaySize() const { return sourceSize_ - overlayStart_; }
    std::uint32_t NtHeadersOffset() const { return ntOffset_; }

  private:
    // Loading (exe_image.cpp).
    bool Open(const XString& fileName, LogBase* log);
    std::optional<std::vector<std::uint8_t>> ReadSource(std::uint64_t offset, std::size_t size,
                                                        LogBase* log);
    bool ReadHeaders(LogBase* log);
    bool ReadSectionTable(LogBase* log);
    bool SectionsAsTheLoaderMapsThem(LogBase* log) const;
    bool ReadResourceTree(LogBase* log);
    std::size_t DataDirectoriesOffset() const;
    std::uint32_t NumberOfDataDirectories() const;
    /// The resource directory's address as the source's headers give it (0: none).
    std::uint32_t SourceResourceDirectory() const;
    std::uint32_t CertificateTableSize() const;

    // Planning a write (exe_image_plan.cpp).
    struct WritePlan;
    enum class Placement { kPlaced, kBlocked, kFailed };
    bool PlanWrite(WritePlan& plan, const XString& target, LogBase* log);
    bool ValidateForWrite(WritePlan& plan, const XString& target, LogBase* log) const;
    bool CheckOverlayCanStay(const WritePlan& plan, const XString& target, LogBase* log) const;
    bool PlaceSections(WritePlan& plan, const XString& target, LogBase* log);
    Placement PlaceResourceSection(WritePlan& plan, const XString& target, LogBase* log) const;
    Placement FitWhereItIs(WritePlan& plan) const;
    Placement GrowInPlace(WritePlan& plan, const XString& target, LogBase* log) const;
    bool AppendResourceSection(WritePlan& plan, const XString& target, LogBase* log) const;
    bool RewriteHeaders(WritePlan& plan, const XString& target, LogBase* log) const;
    void CountNewSection(WritePlan& plan) const;
    bool SizeImageAndPlaceOverlay(WritePlan& plan, const XString& target, LogBase* log) const;
    std::uint64_t OutputOffset(const WritePlan& plan, std::uint64_t sourceOffset) const;
    void RedirectDataDirectories(WritePlan& plan) const;
    bool CheckOutputInProportion(const WritePlan& plan, const XString& target, LogBase* log) const;

    // Writing what was planned (exe_image_write.cpp).
    bool WriteTo(File& file, const WritePlan& plan, const XString& target, LogBase* log);
    bool ComposeHeaders(const WritePlan& plan, std::vector<std::uint8_t>& head,
                        const XString& target, LogBase* log) const;
    bool WriteHeaders(FileSink& out, const WritePlan& plan, const XString& target,
                      LogBase* log) const;
    bool WriteBody(FileSink& out, const WritePlan& plan, ProgressMonitor& progress,
                   const XString& target, LogBase* log);
    bool FillGapBefore(FileSink& out, std::uint64_t sectionAt, bool firstSection) const;
    bool WriteSectionData(FileSink& out, const WritePlan& plan, std::uint32_t index,
                          ProgressMonitor& progress, LogBase* log);
    bool WriteOverlay(FileSink& out, const WritePlan& plan, const XString& target,
                      LogBase* log) const;
    bool PatchChecksum(FileSink& out, const XString& target, LogBase* log) const;

    XString fileName_;
    std::uint32_t sourceSize_ = 0;
    File file_;
    // The parts of the source read at load that the tree's leaves point into.
    std::vector<LargeBuffer> heldSource_;
    std::uint32_t ntOffset_ = 0;
    std::size_t overlayStart_ = 0;
    bool slotAfterTableFree_ = false;  // the 40 bytes after the section table are zeros
    std::array<std::uint8_t, 64> dosHeader_{};
    std::vector<std::uint8_t> ntHeaders_;  // signature, file header, optional header
    bool pe32Plus_ = false;
    ExtPtrArray<ExeSection> sections_;
    std::unique_ptr<ExeResource> resources_;
};

}  // namespace resmelder
