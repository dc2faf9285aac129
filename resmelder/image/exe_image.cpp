#include "image/exe_image.h"

#include <algorithm>
#include <cstring>

#include "image/output_sink.h"
#include "image/pe_format.h"
#include "support/log.h"
#include "support/progress_monitor.h"
#include "support/string_buffer.h"

namespace resmelder {
namespace {

std::uint64_t RoundUp(std::uint64_t v, std::uint64_t alignment) {
    return (v + alignment - 1) / alignment * alignment;
}

bool IsPowerOfTwo(std::uint32_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

constexpr std::uint32_t kMaxFileAlignment = 0x10000;
constexpr std::uint32_t kMaxSectionAlignment = 0x200000;

std::uint32_t Load32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

void Store32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
    std::memcpy(bytes.data() + at, &v, 4);
}

void LogFileName(LogBase* log, const XString& name) {
    if (log != nullptr) {
        log->LogData("filename", name.Utf8().c_str());
    }
}

void Fail(LogBase* log, const char* text, const XString& name) {
    if (log != nullptr) {
        log->LogError(text);
        LogFileName(log, name);
    }
}

bool CheckFileBackedEntries(const ExeResource* node, LogBase* log) {
    if (node == nullptr) {
        return true;
    }
    if (!node->IsDirectory()) {
        return !node->IsFileBacked() || FileSys::CheckRegularOrMissing(node->FileName(), log);
    }
    for (const auto* list : {&node->NamedChildren(), &node->NumericChildren()}) {
        for (std::uint32_t i = 0; i < list->Count(); ++i) {
            if (!CheckFileBackedEntries(list->Get(i), log)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

ExeSection::ExeSection(std::span<const std::uint8_t> header) {
    std::memcpy(raw_.data(), header.data(), std::min(header.size(), raw_.size()));
}

std::string ExeSection::Name() const {
    const auto* begin = reinterpret_cast<const char*>(raw_.data());
    return std::string(begin, strnlen(begin, 8));
}

std::uint32_t ExeSection::Get(std::size_t at) const {
    std::uint32_t v = 0;
    std::memcpy(&v, raw_.data() + at, 4);
    return v;
}

void ExeSection::Set(std::size_t at, std::uint32_t v) {
    std::memcpy(raw_.data() + at, &v, 4);
}

ExeImage::~ExeImage() {
    // The tree's leaves point into the view: the tree goes first.
    resources_.reset();
    mapping_.Unmap();
    file_.Close();
}

std::unique_ptr<ExeImage> ExeImage::Load(const XString& fileName, LogBase* log) {
    auto image = std::make_unique<ExeImage>(Token{});
    image->file_ = FileSys::OpenForRead(fileName, log);
    if (!image->file_.IsOpen()) {
        return nullptr;
    }
    const auto size = image->file_.Size();
    if (!size || *size > UINT32_MAX) {
        Fail(log, "File is too large to be an executable image", fileName);
        return nullptr;
    }
    image->sourceSize_ = static_cast<std::uint32_t>(*size);
    switch (image->mapping_.Map(image->file_, *size)) {
        case FileMapping::Status::kOk:
            break;
        case FileMapping::Status::kMappingFailed:
            Fail(log, "Failed to create file mapping", fileName);
            return nullptr;
        case FileMapping::Status::kViewFailed:
            Fail(log, "Failed to map view of file", fileName);
            return nullptr;
    }
    const ByteReader src = image->Source();
    if (src.U16(0).value_or(0) != pe::kDosSignature) {
        Fail(log, "Failed to find DOS signature", fileName);
        return nullptr;
    }
    const auto lfanew = src.U32(pe::kLfanewOffset);
    if (!lfanew || !src.Has(*lfanew, pe::kOptionalHeaderOffset + 2)) {
        Fail(log, "Failed to find NT header", fileName);
        return nullptr;
    }
    const std::size_t nt = *lfanew;
    if (*src.U32(nt) != pe::kNtSignature) {
        Fail(log, "NT header signature is not \"PE\"", fileName);
        return nullptr;
    }
    const std::uint16_t magic = *src.U16(nt + pe::kOptionalHeaderOffset);
    if (magic != pe::kMagicPe32 && magic != pe::kMagicPe32Plus) {
        Fail(log, "Optional header magic is neither PE32 nor PE32+", fileName);
        return nullptr;
    }
    image->pe32Plus_ = magic == pe::kMagicPe32Plus;
    const std::uint16_t optionalSize = *src.U16(nt + pe::kSizeOfOptionalHeaderOffset);
    const std::size_t minimumOptional =
        image->pe32Plus_ ? pe::kDataDirectoriesPe32Plus : pe::kDataDirectoriesPe32;
    const auto headers = src.Bytes(nt, pe::kOptionalHeaderOffset + optionalSize);
    if (optionalSize < minimumOptional || !headers) {
        Fail(log, "Failed to find NT header", fileName);
        return nullptr;
    }
    image->ntOffset_ = static_cast<std::uint32_t>(nt);
    std::memcpy(image->dosHeader_.data(), src.All().data(),
                std::min<std::size_t>(pe::kDosHeaderSize, src.Size()));
    image->ntHeaders_.assign(headers->begin(), headers->end());

    const std::uint16_t count = *src.U16(nt + pe::kNumberOfSectionsOffset);
    const std::size_t tableAt = nt + pe::kOptionalHeaderOffset + optionalSize;
    if (!src.Has(tableAt, std::size_t{count} * pe::kSectionHeaderSize)) {
        Fail(log, "Section table lies outside the file", fileName);
        return nullptr;
    }
    std::size_t dataEnd = 0;
    for (std::size_t i = 0; i < count; ++i) {
        auto section = std::make_unique<ExeSection>(
            *src.Bytes(tableAt + i * pe::kSectionHeaderSize, pe::kSectionHeaderSize));
        if (section->SizeOfRawData() != 0) {
            dataEnd = std::max<std::size_t>(
                dataEnd, std::size_t{section->PointerToRawData()} + section->SizeOfRawData());
        }
        image->sections_.Append(std::move(section));
    }
    // The overlay follows the section data that lies furthest into the file.
    image->overlayStart_ = std::min<std::size_t>(
        std::max(dataEnd, tableAt + std::size_t{count} * pe::kSectionHeaderSize), src.Size());

    if (image->NumberOfDataDirectories() > pe::kDirResource) {
        const std::size_t dir = image->DataDirectoriesOffset() + pe::kDirResource * 8;
        const std::uint32_t rva = Load32(image->ntHeaders_, dir);
        if (rva != 0) {
            if (const auto offset = image->RvaToOffset(rva)) {
                image->resources_ = ExeResource::Build(*image, *offset, log);
            }
        }
    }
    return image;
}

std::size_t ExeImage::DataDirectoriesOffset() const {
    return pe::kOptionalHeaderOffset +
           (pe32Plus_ ? pe::kDataDirectoriesPe32Plus : pe::kDataDirectoriesPe32);
}

std::uint32_t ExeImage::NumberOfDataDirectories() const {
    const std::size_t countAt =
        pe::kOptionalHeaderOffset +
        (pe32Plus_ ? pe::kNumberOfRvaAndSizesPe32Plus : pe::kNumberOfRvaAndSizesPe32);
    const std::uint32_t declared = Load32(ntHeaders_, countAt);
    const auto room = static_cast<std::uint32_t>((ntHeaders_.size() - DataDirectoriesOffset()) / 8);
    return std::min(declared, room);
}

std::optional<std::size_t> ExeImage::RvaToOffset(std::uint32_t rva) const {
    for (std::uint32_t i = 0; i < sections_.Count(); ++i) {
        const ExeSection& s = *sections_.Get(i);
        if (s.VirtualAddress() <= rva && rva - s.VirtualAddress() < s.Extent()) {
            return std::size_t{s.PointerToRawData()} + (rva - s.VirtualAddress());
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> ExeImage::RvaToOffsetInResourceSection(std::uint32_t rva) const {
    for (std::uint32_t i = 0; i < sections_.Count(); ++i) {
        const ExeSection& s = *sections_.Get(i);
        if (s.Name().rfind(".rsrc", 0) == 0) {
            if (rva < s.VirtualAddress()) {
                return std::nullopt;
            }
            return std::size_t{s.PointerToRawData()} + (rva - s.VirtualAddress());
        }
    }
    return std::nullopt;
}

std::span<const std::uint8_t> ExeImage::Overlay() const {
    return Source().All().subspan(overlayStart_);
}

bool ExeImage::AddBytes(std::string_view name, std::span<const std::uint8_t> bytes, LogBase* log) {
    if (!resources_) {
        if (log != nullptr) {
            log->LogError("Resources pointer is NULL (3)");
        }
        return false;
    }
    if (bytes.size() > UINT32_MAX) {
        if (log != nullptr) {
            log->LogError("Resource data is too large");
        }
        return false;
    }
    return resources_->AddBytes(this, name, bytes);
}

bool ExeImage::AddFile(std::string_view name, const XString& fileName, LogBase* log) {
    if (!resources_) {
        if (log != nullptr) {
            log->LogError("Resources pointer is NULL (1)");
        }
        return false;
    }
    return resources_->AddFile(this, name, fileName);
}

void ExeImage::DeleteNamed(std::string_view name) {
    if (resources_) {
        resources_->DeleteNamed(name);
    }
}

std::optional<FoundResource> ExeImage::FindNamed(std::string_view name, LogBase* log) const {
    if (!resources_) {
        return std::nullopt;
    }
    return resources_->FindNamed(name, log);
}

// Everything a write decides before the first byte goes out.
struct ExeImage::WritePlan {
    std::uint32_t fileAlignment = 0;
    std::uint32_t sectionAlignment = 0;
    int resourceIndex = -1;  // the section regenerated from the tree, or -1
    ResourceLayout layout;
    std::uint64_t resourceSize = 0;
    std::vector<ExeSection> sections;  // the laid-out headers
    std::vector<std::uint8_t> ntHeaders;
    std::uint64_t overlayAt = 0;
    bool recomputeChecksum = false;
};

bool ExeImage::PlanWrite(WritePlan& plan, const XString& target, LogBase* log) {
    const std::size_t optional = pe::kOptionalHeaderOffset;
    plan.fileAlignment = Load32(ntHeaders_, optional + pe::kFileAlignmentOffset);
    plan.sectionAlignment = Load32(ntHeaders_, optional + pe::kSectionAlignmentOffset);
    const std::uint32_t count = sections_.Count();
    if (count < 2) {
        Fail(log, "Cannot write an image with fewer than two sections", target);
        return false;
    }
    // Alignments outside what loaders accept would also make the padding absurdly large.
    if (!IsPowerOfTwo(plan.fileAlignment) || !IsPowerOfTwo(plan.sectionAlignment) ||
        plan.fileAlignment > kMaxFileAlignment || plan.sectionAlignment > kMaxSectionAlignment ||
        plan.sectionAlignment < plan.fileAlignment) {
        Fail(log, "Invalid file or section alignment in the image", target);
        return false;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        plan.sections.push_back(*sections_.Get(i));
        if (plan.resourceIndex < 0 && sections_.Get(i)->Name() == ".rsrc") {
            plan.resourceIndex = static_cast<int>(i);
        }
    }
    if (resources_ && plan.resourceIndex < 0) {
        Fail(log, "The image has resources but no section named .rsrc to write them to", target);
        return false;
    }
    if (!resources_) {
        plan.resourceIndex = -1;  // nothing to regenerate: every section is copied as it is
    }
    // Copied sections must lie in the source: a pointer far past its end would otherwise
    // turn into gigabytes of zeros. The section before a moved resource section counts even
    // without raw data, since its end is where the packing starts.
    for (std::uint32_t i = 0; i < count; ++i) {
        const ExeSection& s = *sections_.Get(i);
        const bool startsPacking =
            plan.resourceIndex >= 2 && static_cast<int>(i) == plan.resourceIndex - 1;
        if (static_cast<int>(i) != plan.resourceIndex &&
            (s.SizeOfRawData() != 0 || startsPacking) &&
            std::uint64_t{s.PointerToRawData()} + s.SizeOfRawData() > sourceSize_) {
            if (log != nullptr) {
                log->LogError("Section data lies outside the source file");
                log->LogData("section_name", s.Name().c_str());
                LogFileName(log, target);
            }
            return false;
        }
    }
    const std::uint64_t F = plan.fileAlignment;
    const std::uint64_t S = plan.sectionAlignment;
    if (plan.resourceIndex >= 0) {
        plan.layout = resources_->Plan();
        if (plan.layout.overfull) {
            LogOverfullDirectory(*plan.layout.overfull, log);
            LogFileName(log, target);
            return false;
        }
        plan.resourceSize = RoundUp(plan.layout.size, 8);
        if (plan.resourceSize > 0x7FFF0000u) {
            Fail(log, "The resource section would be too large", target);
            return false;
        }
    }
    const auto L = static_cast<std::uint32_t>(plan.resourceSize);
    const int r = plan.resourceIndex;
    if (r >= 0 && r < 2) {
        // The first two sections never move: the tree must fit where the section is.
        ExeSection& s = plan.sections[static_cast<std::size_t>(r)];
        std::uint64_t room = s.SizeOfRawData();
        for (const ExeSection& other : plan.sections) {
            if (other.VirtualAddress() > s.VirtualAddress()) {
                room = std::min<std::uint64_t>(room, other.VirtualAddress() - s.VirtualAddress());
            }
        }
        if (L > room) {
            Fail(log, "The resource section is one of the first two sections and cannot grow",
                 target);
            return false;
        }
        s.SetVirtualSize(L);
    } else if (r >= 2) {
        // Sections before the resource section stay; from it on, sections are packed anew.
        const ExeSection& before = plan.sections[static_cast<std::size_t>(r - 1)];
        std::uint64_t R =
            RoundUp(std::uint64_t{before.PointerToRawData()} + before.SizeOfRawData(), F);
        std::uint64_t V = RoundUp(std::uint64_t{before.VirtualAddress()} + before.Extent(), S);
        for (std::size_t i = static_cast<std::size_t>(r); i < count; ++i) {
            ExeSection& s = plan.sections[i];
            if (static_cast<int>(i) == r) {
                s.SetVirtualSize(L);
                s.SetSizeOfRawData(static_cast<std::uint32_t>(RoundUp(L, S)));
            }
            const std::uint64_t extent = s.Extent();
            if (R + s.SizeOfRawData() > UINT32_MAX || V + extent > UINT32_MAX) {
                Fail(log, "The laid-out image would be too large", target);
                return false;
            }
            if (s.SizeOfRawData() != 0) {
                s.SetPointerToRawData(static_cast<std::uint32_t>(R));
            }
            const ExeSection& old = *sections_.Get(static_cast<std::uint32_t>(i));
            s.SetVirtualAddress(static_cast<std::uint32_t>(V));
            const bool movable = s.Name() == ".reloc" ||
                                 (s.Characteristics() & pe::kScnMemDiscardable) != 0 ||
                                 static_cast<int>(i) == r;
            if (V != old.VirtualAddress() && !movable) {
                if (log != nullptr) {
                    log->LogError(
                        "Cannot move a section that code or data may refer to by address");
                    log->LogData("section_name", s.Name().c_str());
                    LogFileName(log, target);
                }
                return false;
            }
            R = RoundUp(R + s.SizeOfRawData(), F);
            V = RoundUp(V + extent, S);
        }
    }

    // Headers that refer to what moved.
    plan.ntHeaders = ntHeaders_;
    std::uint64_t imageEnd = 0;
    std::uint64_t dataEnd = 0;
    std::uint64_t firstData = UINT64_MAX;
    for (const ExeSection& s : plan.sections) {
        imageEnd = std::max(imageEnd, RoundUp(std::uint64_t{s.VirtualAddress()} + s.Extent(), S));
        if (s.SizeOfRawData() != 0) {
            dataEnd = std::max(dataEnd, std::uint64_t{s.PointerToRawData()} + s.SizeOfRawData());
            firstData = std::min<std::uint64_t>(firstData, s.PointerToRawData());
        }
    }
    // Size of image is the end rounded up to the section alignment: that must fit too.
    if (imageEnd > UINT32_MAX) {
        Fail(log, "The laid-out image would be too large", target);
        return false;
    }
    const std::size_t tableEnd = ntOffset_ + ntHeaders_.size() + count * pe::kSectionHeaderSize;
    if (firstData != UINT64_MAX && firstData < tableEnd) {
        Fail(log, "The section table overlaps section data", target);
        return false;
    }
    plan.overlayAt =
        std::max<std::uint64_t>(dataEnd, std::min<std::uint64_t>(overlayStart_, firstData));
    Store32(plan.ntHeaders, optional + pe::kSizeOfImageOffset,
            static_cast<std::uint32_t>(imageEnd));

    // Maps a file offset of the source to the output, for headers holding file offsets.
    auto mapOffset = [&](std::uint64_t offset) -> std::uint64_t {
        if (offset >= overlayStart_) {
            return plan.overlayAt + (offset - overlayStart_);
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            const ExeSection& old = *sections_.Get(i);
            if (static_cast<int>(i) != plan.resourceIndex && old.PointerToRawData() <= offset &&
                offset - old.PointerToRawData() < old.SizeOfRawData()) {
                return plan.sections[i].PointerToRawData() + (offset - old.PointerToRawData());
            }
        }
        return offset;
    };
    const std::size_t dirs = DataDirectoriesOffset();
    for (std::uint32_t d = 0; d < NumberOfDataDirectories(); ++d) {
        const std::size_t at = dirs + d * 8;
        const std::uint32_t value = Load32(plan.ntHeaders, at);
        if (d == pe::kDirResource && plan.resourceIndex >= 0) {
            Store32(plan.ntHeaders, at,
                    plan.sections[static_cast<std::size_t>(plan.resourceIndex)].VirtualAddress());
            Store32(plan.ntHeaders, at + 4, L);
        } else if (d == pe::kDirCertificate) {
            if (value != 0) {
                Store32(plan.ntHeaders, at, static_cast<std::uint32_t>(mapOffset(value)));
            }
        } else if (value != 0) {
            for (std::uint32_t i = 0; i < count; ++i) {
                const ExeSection& old = *sections_.Get(i);
                if (old.VirtualAddress() <= value && value - old.VirtualAddress() < old.Extent()) {
                    Store32(plan.ntHeaders, at,
                            plan.sections[i].VirtualAddress() + (value - old.VirtualAddress()));
                    break;
                }
            }
        }
    }
    const std::uint32_t symbols = Load32(plan.ntHeaders, pe::kPointerToSymbolTableOffset);
    if (symbols != 0) {
        Store32(plan.ntHeaders, pe::kPointerToSymbolTableOffset,
                static_cast<std::uint32_t>(mapOffset(symbols)));
    }
    plan.recomputeChecksum = Load32(plan.ntHeaders, optional + pe::kCheckSumOffset) != 0;
    if (plan.recomputeChecksum) {
        Store32(plan.ntHeaders, optional + pe::kCheckSumOffset, 0);
    }
    return true;
}

bool ExeImage::WriteTo(File& file, const WritePlan& plan, const XString& target, LogBase* log) {
    const ByteReader src = Source();
    const std::uint32_t count = sections_.Count();
    FileSink out(file, MappedSource{&file_, mapping_.Bytes()}, log);
    ProgressMonitor progress(plan.overlayAt + Overlay().size(), nullptr);

    // Headers: the source's bytes up to the section table's end, with the new values.
    const std::size_t tableAt = ntOffset_ + ntHeaders_.size();
    std::vector<std::uint8_t> head(tableAt + count * pe::kSectionHeaderSize, 0);
    // Read from the file, not the view: see FileSink.
    const std::size_t headFromSource = std::min(head.size(), src.Size());
    if (file_.ReadAt(0, {head.data(), headFromSource}) != headFromSource) {
        Fail(log, "Source file changed while the new file was written", target);
        return false;
    }
    std::memcpy(head.data(), dosHeader_.data(), std::min<std::size_t>(ntOffset_, 64));
    std::memcpy(head.data() + ntOffset_, plan.ntHeaders.data(), plan.ntHeaders.size());
    for (std::uint32_t i = 0; i < count; ++i) {
        std::memcpy(head.data() + tableAt + i * pe::kSectionHeaderSize,
                    plan.sections[i].Bytes().data(), pe::kSectionHeaderSize);
    }
    struct Part {
        std::size_t end;
        const char* failure;
    };
    const std::size_t optionalAt = ntOffset_ + pe::kOptionalHeaderOffset;
    const Part parts[] = {{std::min<std::size_t>(64, ntOffset_), "Failed to write DOS header"},
                          {ntOffset_, "Failed to write DOS header"},
                          {ntOffset_ + 4, "Failed to write Signature"},
                          {optionalAt, "Failed to write file header"},
                          {tableAt, "Failed to write optional header"},
                          {head.size(), "Failed to write section header"}};
    // Each part is flushed as it ends, so a short write is reported for the part it cut.
    std::size_t written = 0;
    for (const Part& part : parts) {
        if (part.end > written) {
            if (!out.Write({head.data() + written, part.end - written}) || !out.Flush()) {
                Fail(log, part.failure, target);
                return false;
            }
            written = part.end;
        }
    }

    // Then every section's bytes in file order; gaps keep the source's bytes before the
    // first section and are zeros elsewhere.
    std::vector<std::uint32_t> order;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (plan.sections[i].SizeOfRawData() != 0) {
            order.push_back(i);
        }
    }
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return plan.sections[a].PointerToRawData() < plan.sections[b].PointerToRawData();
    });
    bool firstSection = true;
    for (const std::uint32_t i : order) {
        const ExeSection& s = plan.sections[i];
        const ExeSection& old = *sections_.Get(i);
        const std::uint64_t at = s.PointerToRawData();
        if (at < out.Position()) {
            if (log != nullptr) {
                log->LogError("Sections overlap in the file");
                log->LogData("section_name", s.Name().c_str());
                LogFileName(log, target);
            }
            return false;
        }
        bool ok = true;
        if (firstSection && at > out.Position()) {
            // The bytes between the section table and the first section (padding, or data
            // some tools keep there) come from the source.
            const std::size_t from = static_cast<std::size_t>(out.Position());
            const std::size_t have =
                from < src.Size() ? std::min<std::size_t>(at - from, src.Size() - from) : 0;
            ok = out.Write(src.All().subspan(from, have)) && out.Fill(0, at - from - have);
        } else {
            ok = out.Fill(0, at - out.Position());
        }
        firstSection = false;
        if (ok && static_cast<int>(i) == plan.resourceIndex) {
            const std::uint32_t padTo = i >= 2 ? plan.sectionAlignment : s.SizeOfRawData();
            // In place (positions 0 and 1) the padding fills the section's own raw size.
            ok = resources_->Serialize(plan.layout, out, padTo, s.VirtualAddress(), &progress, log);
        } else if (ok) {
            // Checked in the plan: the section's bytes lie inside the source.
            ok = out.Write(src.All().subspan(old.PointerToRawData(), old.SizeOfRawData()));
            progress.Consumed(old.SizeOfRawData());
        }
        if (!ok || !out.Flush()) {
            if (log != nullptr) {
                log->LogError("Failed to write section data");
                log->LogData("section_name", s.Name().c_str());
                LogFileName(log, target);
            }
            return false;
        }
    }

    const auto overlay = Overlay();
    if (!out.Fill(0, plan.overlayAt - std::min(plan.overlayAt, out.Position())) ||
        !out.Write(overlay) || !out.Flush()) {
        Fail(log, "Failed to write overlay", target);
        return false;
    }
    progress.Finish();
    if (plan.recomputeChecksum) {
        std::uint8_t sum[4];
        StoreU32(sum, out.Checksum());
        if (!out.Patch(optionalAt + pe::kCheckSumOffset, sum)) {
            Fail(log, "Failed to write checksum", target);
            return false;
        }
    }
    return true;
}

std::unique_ptr<PendingOutput> ExeImage::WriteBeside(const XString& fileName, LogBase* log) {
    if (fileName.IsEmpty()) {
        return nullptr;
    }
    // Everything that can refuse the write is decided before any file is created. A data
    // file that became a FIFO or a device since it was added would block the write or never
    // end.
    WritePlan plan;
    if (!CheckFileBackedEntries(resources_.get(), log) || !PlanWrite(plan, fileName, log)) {
        return nullptr;
    }
    auto pending = PendingOutput::Create(fileName, log);
    if (!pending || !WriteTo(pending->Output(), plan, fileName, log)) {
        return nullptr;
    }
    return pending;
}

bool ExeImage::Write(const XString& fileName, LogBase* log) {
    auto pending = WriteBeside(fileName, log);
    return pending && pending->Commit(log);
}

}  // namespace resmelder
