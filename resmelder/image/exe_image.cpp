#include "image/exe_image.h"

#include <algorithm>
#include <cstring>

#include "image/image_texts.h"
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
// The output may be this many times what it is made of, or that plus this many bytes.
constexpr std::uint64_t kMaxOutputGrowthFactor = 16;
constexpr std::uint64_t kMaxOutputGrowth = std::uint64_t{256} << 20;

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
        Fail(log, image_texts::kFileTooLarge, fileName);
        return nullptr;
    }
    image->sourceSize_ = static_cast<std::uint32_t>(*size);
    switch (image->mapping_.Map(image->file_, *size)) {
        case FileMapping::Status::kOk:
            break;
        case FileMapping::Status::kMappingFailed:
            Fail(log, image_texts::kMappingFailed, fileName);
            return nullptr;
        case FileMapping::Status::kViewFailed:
            Fail(log, image_texts::kViewFailed, fileName);
            return nullptr;
    }
    const ByteReader src = image->Source();
    if (src.U16(0).value_or(0) != pe::kDosSignature) {
        Fail(log, image_texts::kNoDosSignature, fileName);
        return nullptr;
    }
    const auto lfanew = src.U32(pe::kLfanewOffset);
    if (!lfanew || !src.Has(*lfanew, pe::kOptionalHeaderOffset + 2)) {
        Fail(log, image_texts::kNoNtHeader, fileName);
        return nullptr;
    }
    const std::size_t nt = *lfanew;
    if (*src.U32(nt) != pe::kNtSignature) {
        Fail(log, image_texts::kBadNtSignature, fileName);
        return nullptr;
    }
    const std::uint16_t magic = *src.U16(nt + pe::kOptionalHeaderOffset);
    if (magic != pe::kMagicPe32 && magic != pe::kMagicPe32Plus) {
        Fail(log, image_texts::kBadMagic, fileName);
        return nullptr;
    }
    image->pe32Plus_ = magic == pe::kMagicPe32Plus;
    const std::uint16_t optionalSize = *src.U16(nt + pe::kSizeOfOptionalHeaderOffset);
    const std::size_t minimumOptional =
        image->pe32Plus_ ? pe::kDataDirectoriesPe32Plus : pe::kDataDirectoriesPe32;
    const auto headers = src.Bytes(nt, pe::kOptionalHeaderOffset + optionalSize);
    if (optionalSize < minimumOptional || !headers) {
        Fail(log, image_texts::kNoNtHeader, fileName);
        return nullptr;
    }
    image->ntOffset_ = static_cast<std::uint32_t>(nt);
    std::memcpy(image->dosHeader_.data(), src.All().data(),
                std::min<std::size_t>(pe::kDosHeaderSize, src.Size()));
    image->ntHeaders_.assign(headers->begin(), headers->end());

    const std::uint16_t count = *src.U16(nt + pe::kNumberOfSectionsOffset);
    const std::size_t tableAt = nt + pe::kOptionalHeaderOffset + optionalSize;
    if (!src.Has(tableAt, std::size_t{count} * pe::kSectionHeaderSize)) {
        Fail(log, image_texts::kSectionTableOutside, fileName);
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
    if (!image->SectionsAsTheLoaderMapsThem(fileName, log)) {
        return nullptr;
    }
    // The overlay follows the section data that lies furthest into the file.
    image->overlayStart_ = std::min<std::size_t>(
        std::max(dataEnd, tableAt + std::size_t{count} * pe::kSectionHeaderSize), src.Size());

    if (image->NumberOfDataDirectories() > pe::kDirResource) {
        const std::size_t dir = image->DataDirectoriesOffset() + pe::kDirResource * 8;
        const std::uint32_t rva = Load32(image->ntHeaders_, dir);
        if (rva == 0) {
            // Nothing to read: entries added go into a section the write creates.
            image->resources_ = ExeResource::EmptyRoot(*image);
        } else if (const auto range = image->MapRva(rva)) {
            image->resources_ =
                ExeResource::Build(*image, range->offset, range->offset + range->inFile, log);
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

std::optional<MappedRange> ExeImage::MapRva(std::uint32_t rva) const {
    const std::size_t fileSize = Source().Size();
    std::uint32_t firstSection = UINT32_MAX;
    for (std::uint32_t i = 0; i < sections_.Count(); ++i) {
        const ExeSection& s = *sections_.Get(i);
        firstSection = std::min(firstSection, s.VirtualAddress());
        if (s.VirtualAddress() <= rva && rva - s.VirtualAddress() < s.Extent()) {
            const std::uint32_t delta = rva - s.VirtualAddress();
            MappedRange range;
            range.mapped = s.Extent() - delta;
            const std::uint64_t offset = std::uint64_t{s.PointerToRawData()} + delta;
            const std::uint64_t raw = s.SizeOfRawData() > delta ? s.SizeOfRawData() - delta : 0;
            if (offset < fileSize) {
                range.offset = static_cast<std::size_t>(offset);
                range.inFile = static_cast<std::size_t>(
                    std::min<std::uint64_t>({raw, range.mapped, fileSize - offset}));
            }
            return range;
        }
    }
    // Below the first section the loader maps the headers, straight from the file.
    const std::uint32_t headers =
        Load32(ntHeaders_, pe::kOptionalHeaderOffset + pe::kSizeOfHeadersOffset);
    if (rva < headers && rva < firstSection) {
        MappedRange range;
        range.mapped = headers - rva;
        if (rva < fileSize) {
            range.offset = rva;
            range.inFile = std::min<std::size_t>(range.mapped, fileSize - rva);
        }
        return range;
    }
    return std::nullopt;
}

bool ExeImage::SectionsAsTheLoaderMapsThem(const XString& fileName, LogBase* log) const {
    const std::size_t fileSize = Source().Size();
    std::vector<const ExeSection*> byAddress;
    for (std::uint32_t i = 0; i < sections_.Count(); ++i) {
        const ExeSection& s = *sections_.Get(i);
        if (s.SizeOfRawData() != 0 &&
            std::uint64_t{s.PointerToRawData()} + s.SizeOfRawData() > fileSize) {
            if (log != nullptr) {
                log->LogError(image_texts::kSectionPastFileEnd);
                log->LogData("section_name", s.Name().c_str());
                LogFileName(log, fileName);
            }
            return false;
        }
        if (s.Extent() != 0) {
            byAddress.push_back(&s);
        }
    }
    // Overlapping sections would be written so that no reader could read them back.
    std::sort(byAddress.begin(), byAddress.end(), [](const ExeSection* a, const ExeSection* b) {
        return a->VirtualAddress() < b->VirtualAddress();
    });
    for (std::size_t i = 1; i < byAddress.size(); ++i) {
        const ExeSection& previous = *byAddress[i - 1];
        if (std::uint64_t{previous.VirtualAddress()} + previous.Extent() >
            byAddress[i]->VirtualAddress()) {
            if (log != nullptr) {
                log->LogError(image_texts::kSectionsOverlapInMemory);
                log->LogData("section_name", byAddress[i]->Name().c_str());
                LogFileName(log, fileName);
            }
            return false;
        }
    }
    return true;
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
            log->LogError(image_texts::kNoTreeForBytes);
        }
        return false;
    }
    if (bytes.size() > UINT32_MAX) {
        if (log != nullptr) {
            log->LogError(image_texts::kDataTooLarge);
        }
        return false;
    }
    return resources_->AddBytes(name, bytes, log);
}

bool ExeImage::AddFile(std::string_view name, const XString& fileName, LogBase* log) {
    if (!resources_) {
        if (log != nullptr) {
            log->LogError(image_texts::kNoTreeForFile);
        }
        return false;
    }
    return resources_->AddFile(name, fileName, log);
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
    // The tree goes into a section appended after the last one (index resourceIndex, one past
    // the source's table); every source section stays where it is.
    bool newSection = false;
    std::uint32_t resourcePadTo = 0;  // the tree's bytes are padded to a multiple of this
    ResourceLayout layout;
    std::uint64_t resourceSize = 0;
    std::vector<ExeSection> sections;  // the laid-out headers
    std::vector<std::uint8_t> ntHeaders;
    std::uint64_t overlayAt = 0;
    bool recomputeChecksum = false;
};

bool ExeImage::PlanWrite(WritePlan& plan, const XString& target, LogBase* log) {
    if (!ValidateForWrite(plan, target, log) || !PlaceSections(plan, target, log) ||
        !RewriteHeaders(plan, target, log) || !CheckOutputInProportion(plan, target, log)) {
        return false;
    }
    // The certificate table is kept and moved, but it signed the old contents.
    if (CertificateTableSize() != 0 && log != nullptr) {
        log->LogInfo(image_texts::kSignatureBroken);
    }
    if (plan.newSection && SourceResourceDirectory() != 0 && log != nullptr) {
        log->LogInfo(image_texts::kOldResourcesUnreferenced);
    }
    return true;
}

// The image is one the layout can handle: sane alignments, a section for the tree, and
// every copied section's bytes inside the source.
bool ExeImage::ValidateForWrite(WritePlan& plan, const XString& target, LogBase* log) {
    const std::size_t optional = pe::kOptionalHeaderOffset;
    plan.fileAlignment = Load32(ntHeaders_, optional + pe::kFileAlignmentOffset);
    plan.sectionAlignment = Load32(ntHeaders_, optional + pe::kSectionAlignmentOffset);
    const std::uint32_t count = sections_.Count();
    if (count == 0) {
        Fail(log, image_texts::kNoSections, target);
        return false;
    }
    // Alignments outside what loaders accept would also make the padding absurdly large.
    if (!IsPowerOfTwo(plan.fileAlignment) || !IsPowerOfTwo(plan.sectionAlignment) ||
        plan.fileAlignment > kMaxFileAlignment || plan.sectionAlignment > kMaxSectionAlignment ||
        plan.sectionAlignment < plan.fileAlignment) {
        Fail(log, image_texts::kBadAlignment, target);
        return false;
    }
    // The tree is regenerated in the .rsrc section that holds the resource directory (an image
    // edited before may also keep an older, unreferenced one), else in the first .rsrc.
    const std::uint32_t directory = SourceResourceDirectory();
    int holdsDirectory = -1;
    for (std::uint32_t i = 0; i < count; ++i) {
        const ExeSection& section = *sections_.Get(i);
        plan.sections.push_back(section);
        if (section.Name() != ".rsrc") {
            continue;
        }
        if (plan.resourceIndex < 0) {
            plan.resourceIndex = static_cast<int>(i);
        }
        if (holdsDirectory < 0 && directory != 0 && section.VirtualAddress() <= directory &&
            directory - section.VirtualAddress() < section.Extent()) {
            holdsDirectory = static_cast<int>(i);
        }
    }
    if (holdsDirectory >= 0) {
        plan.resourceIndex = holdsDirectory;
    }
    if (!resources_) {
        plan.resourceIndex = -1;  // nothing to regenerate: every section is copied as it is
    }
    // Copied sections must lie in the source: a pointer far past its end would otherwise
    // turn into gigabytes of zeros. The section before a moved resource section counts even
    // without raw data, since its end is where the packing starts.
    for (std::uint32_t i = 0; i < count; ++i) {
        const ExeSection& section = *sections_.Get(i);
        const bool startsPacking =
            plan.resourceIndex >= 2 && static_cast<int>(i) == plan.resourceIndex - 1;
        if (static_cast<int>(i) != plan.resourceIndex &&
            (section.SizeOfRawData() != 0 || startsPacking) &&
            std::uint64_t{section.PointerToRawData()} + section.SizeOfRawData() > sourceSize_) {
            if (log != nullptr) {
                log->LogError(image_texts::kSectionOutsideSource);
                log->LogData("section_name", section.Name().c_str());
                LogFileName(log, target);
            }
            return false;
        }
    }
    return true;
}

// Lays out the regenerated tree and places the sections. The .rsrc section grows in place
// when it can; where it cannot (a section that must keep its address follows it, it is one of
// the first two and too small, or there is none) the tree goes into a new section at the end.
bool ExeImage::PlaceSections(WritePlan& plan, const XString& target, LogBase* log) {
    if (!resources_) {
        return true;
    }
    plan.layout = resources_->Plan();
    if (plan.layout.overfull) {
        LogOverfullDirectory(*plan.layout.overfull, log);
        LogFileName(log, target);
        return false;
    }
    if (plan.layout.leaves.empty() && SourceResourceDirectory() == 0) {
        plan.resourceIndex = -1;  // no resources before and none now: copied as it is
        return true;
    }
    plan.resourceSize = RoundUp(plan.layout.size, 8);
    if (plan.resourceSize > 0x7FFF0000u) {
        Fail(log, image_texts::kResourceSectionTooLarge, target);
        return false;
    }
    if (plan.resourceIndex >= 0) {
        switch (GrowInPlace(plan, target, log)) {
            case Placement::kPlaced:
                return true;
            case Placement::kFailed:
                return false;
            case Placement::kBlocked:
                break;
        }
        // Undo the trial: every source section keeps its place.
        for (std::uint32_t i = 0; i < sections_.Count(); ++i) {
            plan.sections[i] = *sections_.Get(i);
        }
    }
    return AppendResourceSection(plan, target, log);
}

ExeImage::Placement ExeImage::GrowInPlace(WritePlan& plan, const XString& target, LogBase* log) {
    const auto treeSize = static_cast<std::uint32_t>(plan.resourceSize);
    const auto resourceAt = static_cast<std::size_t>(plan.resourceIndex);
    if (resourceAt < 2) {
        // The first two sections never move: the tree must fit where the section is.
        ExeSection& resource = plan.sections[resourceAt];
        std::uint64_t room = resource.SizeOfRawData();
        for (const ExeSection& other : plan.sections) {
            if (other.VirtualAddress() > resource.VirtualAddress()) {
                room = std::min<std::uint64_t>(room,
                                               other.VirtualAddress() - resource.VirtualAddress());
            }
        }
        if (treeSize > room) {
            return Placement::kBlocked;
        }
        resource.SetVirtualSize(treeSize);
        plan.resourcePadTo = resource.SizeOfRawData();
        return Placement::kPlaced;
    }
    const std::uint64_t fileAlignment = plan.fileAlignment;
    const std::uint64_t sectionAlignment = plan.sectionAlignment;
    const ExeSection& before = plan.sections[resourceAt - 1];
    std::uint64_t rawAt =
        RoundUp(std::uint64_t{before.PointerToRawData()} + before.SizeOfRawData(), fileAlignment);
    std::uint64_t virtualAt =
        RoundUp(std::uint64_t{before.VirtualAddress()} + before.Extent(), sectionAlignment);
    for (std::size_t i = resourceAt; i < plan.sections.size(); ++i) {
        ExeSection& section = plan.sections[i];
        if (i == resourceAt) {
            section.SetVirtualSize(treeSize);
            section.SetSizeOfRawData(
                static_cast<std::uint32_t>(RoundUp(treeSize, sectionAlignment)));
        }
        const std::uint64_t extent = section.Extent();
        if (rawAt + section.SizeOfRawData() > UINT32_MAX || virtualAt + extent > UINT32_MAX) {
            Fail(log, image_texts::kImageTooLarge, target);
            return Placement::kFailed;
        }
        if (section.SizeOfRawData() != 0) {
            section.SetPointerToRawData(static_cast<std::uint32_t>(rawAt));
        }
        const ExeSection& old = *sections_.Get(static_cast<std::uint32_t>(i));
        section.SetVirtualAddress(static_cast<std::uint32_t>(virtualAt));
        const bool movable = section.Name() == ".reloc" ||
                             (section.Characteristics() & pe::kScnMemDiscardable) != 0 ||
                             i == resourceAt;
        if (virtualAt != old.VirtualAddress() && !movable) {
            return Placement::kBlocked;
        }
        rawAt = RoundUp(rawAt + section.SizeOfRawData(), fileAlignment);
        virtualAt = RoundUp(virtualAt + extent, sectionAlignment);
    }
    plan.resourcePadTo = plan.sectionAlignment;
    return Placement::kPlaced;
}

// A new section after the last one, in address and in file, holds the tree. Its header goes
// after the source's section table, in bytes the headers already reserve and nothing uses.
bool ExeImage::AppendResourceSection(WritePlan& plan, const XString& target, LogBase* log) {
    const std::uint32_t count = sections_.Count();
    const std::size_t optional = pe::kOptionalHeaderOffset;
    const std::uint64_t headerAt = std::uint64_t{ntOffset_} + ntHeaders_.size() +
                                   std::uint64_t{count} * pe::kSectionHeaderSize;
    const std::uint64_t headerEnd = headerAt + pe::kSectionHeaderSize;
    const std::uint32_t sizeOfHeaders = Load32(ntHeaders_, optional + pe::kSizeOfHeadersOffset);
    std::uint64_t firstData = UINT64_MAX;
    std::uint64_t dataEnd = 0;
    std::uint64_t virtualEnd = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const ExeSection& section = *sections_.Get(i);
        if (section.SizeOfRawData() != 0) {
            firstData = std::min<std::uint64_t>(firstData, section.PointerToRawData());
            dataEnd = std::max(dataEnd,
                               std::uint64_t{section.PointerToRawData()} + section.SizeOfRawData());
        }
        virtualEnd =
            std::max(virtualEnd, std::uint64_t{section.VirtualAddress()} + section.Extent());
    }
    const auto slot = Source().Bytes(static_cast<std::size_t>(headerAt), pe::kSectionHeaderSize);
    const bool slotFree =
        slot && std::all_of(slot->begin(), slot->end(), [](std::uint8_t b) { return b == 0; });
    if (count >= 0xFFFF || headerEnd > sizeOfHeaders || headerEnd > firstData || !slotFree) {
        if (log != nullptr) {
            log->LogError(image_texts::kNoHeaderRoom);
            log->LogDataLong("sizeOfHeaders", static_cast<std::int32_t>(sizeOfHeaders));
            LogFileName(log, target);
        }
        return false;
    }
    const std::uint64_t treeSize = plan.resourceSize;
    const std::uint64_t rawSize = RoundUp(treeSize, plan.fileAlignment);
    const std::uint64_t rawAt =
        RoundUp(std::max<std::uint64_t>(dataEnd, sizeOfHeaders), plan.fileAlignment);
    const std::uint64_t virtualAt =
        RoundUp(std::max<std::uint64_t>(virtualEnd, sizeOfHeaders), plan.sectionAlignment);
    if (rawAt + rawSize > UINT32_MAX ||
        RoundUp(virtualAt + treeSize, plan.sectionAlignment) > UINT32_MAX) {
        Fail(log, image_texts::kImageTooLarge, target);
        return false;
    }
    std::array<std::uint8_t, pe::kSectionHeaderSize> header{};
    std::memcpy(header.data(), ".rsrc", 5);
    ExeSection section(header);
    section.SetVirtualSize(static_cast<std::uint32_t>(treeSize));
    section.SetVirtualAddress(static_cast<std::uint32_t>(virtualAt));
    section.SetSizeOfRawData(static_cast<std::uint32_t>(rawSize));
    section.SetPointerToRawData(static_cast<std::uint32_t>(rawAt));
    section.SetCharacteristics(pe::kScnInitializedData | pe::kScnMemRead);
    plan.sections.push_back(section);
    plan.resourceIndex = static_cast<int>(count);
    plan.newSection = true;
    plan.resourcePadTo = static_cast<std::uint32_t>(rawSize);
    return true;
}

std::uint32_t ExeImage::SourceResourceDirectory() const {
    if (NumberOfDataDirectories() <= pe::kDirResource) {
        return 0;
    }
    return Load32(ntHeaders_, DataDirectoriesOffset() + pe::kDirResource * 8);
}

// The headers that refer to what moved: size of image, data directories, the symbol table,
// the checksum; and where the overlay goes.
bool ExeImage::RewriteHeaders(WritePlan& plan, const XString& target, LogBase* log) {
    const std::size_t optional = pe::kOptionalHeaderOffset;
    const std::uint64_t sectionAlignment = plan.sectionAlignment;
    const std::uint32_t count = sections_.Count();
    plan.ntHeaders = ntHeaders_;
    if (plan.newSection) {
        const auto added = plan.sections.back().SizeOfRawData();
        const auto sections = static_cast<std::uint16_t>(plan.sections.size());
        std::memcpy(plan.ntHeaders.data() + pe::kNumberOfSectionsOffset, &sections, 2);
        const std::uint64_t initialized =
            std::uint64_t{Load32(plan.ntHeaders, optional + pe::kSizeOfInitializedDataOffset)} +
            added;
        Store32(plan.ntHeaders, optional + pe::kSizeOfInitializedDataOffset,
                static_cast<std::uint32_t>(std::min<std::uint64_t>(initialized, UINT32_MAX)));
    }
    std::uint64_t imageEnd = 0;
    std::uint64_t dataEnd = 0;
    std::uint64_t firstData = UINT64_MAX;
    for (const ExeSection& section : plan.sections) {
        imageEnd = std::max(
            imageEnd,
            RoundUp(std::uint64_t{section.VirtualAddress()} + section.Extent(), sectionAlignment));
        if (section.SizeOfRawData() != 0) {
            dataEnd = std::max(dataEnd,
                               std::uint64_t{section.PointerToRawData()} + section.SizeOfRawData());
            firstData = std::min<std::uint64_t>(firstData, section.PointerToRawData());
        }
    }
    // Size of image is the end rounded up to the section alignment: that must fit too.
    if (imageEnd > UINT32_MAX) {
        Fail(log, image_texts::kImageTooLarge, target);
        return false;
    }
    const std::size_t tableEnd =
        ntOffset_ + ntHeaders_.size() + plan.sections.size() * pe::kSectionHeaderSize;
    if (firstData != UINT64_MAX && firstData < tableEnd) {
        Fail(log, image_texts::kTableOverlapsData, target);
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
    const std::size_t directories = DataDirectoriesOffset();
    for (std::uint32_t d = 0; d < NumberOfDataDirectories(); ++d) {
        const std::size_t at = directories + d * 8;
        const std::uint32_t value = Load32(plan.ntHeaders, at);
        if (d == pe::kDirResource && plan.resourceIndex >= 0) {
            Store32(plan.ntHeaders, at,
                    plan.sections[static_cast<std::size_t>(plan.resourceIndex)].VirtualAddress());
            Store32(plan.ntHeaders, at + 4, static_cast<std::uint32_t>(plan.resourceSize));
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

// The output may not grow out of proportion to what it is made of (the source and the bytes
// added to it): leaves sharing one data entry, or a section claiming a huge size, would
// otherwise turn kilobytes into gigabytes. Decided before any file is created.
bool ExeImage::CheckOutputInProportion(const WritePlan& plan, const XString& target, LogBase* log) {
    const std::uint64_t input = std::uint64_t{sourceSize_} + plan.layout.addedBytes;
    const std::uint64_t allowed =
        std::max(kMaxOutputGrowthFactor * input, input + kMaxOutputGrowth);
    const std::uint64_t output = plan.overlayAt + Overlay().size();
    if (output <= allowed) {
        return true;
    }
    if (log != nullptr) {
        log->LogError(image_texts::kOutputOutOfProportion);
        log->LogData("outputBytes", std::to_string(output).c_str());
        log->LogData("allowedBytes", std::to_string(allowed).c_str());
        LogFileName(log, target);
    }
    return false;
}

std::uint32_t ExeImage::CertificateTableSize() const {
    if (NumberOfDataDirectories() <= pe::kDirCertificate) {
        return 0;
    }
    const std::size_t at = DataDirectoriesOffset() + pe::kDirCertificate * 8;
    return Load32(ntHeaders_, at) != 0 ? Load32(ntHeaders_, at + 4) : 0;
}

bool ExeImage::WriteTo(File& file, const WritePlan& plan, const XString& target, LogBase* log) {
    const ByteReader src = Source();
    const auto count = static_cast<std::uint32_t>(plan.sections.size());
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
            ok = resources_->Serialize(plan.layout, out, plan.resourcePadTo, s.VirtualAddress(),
                                       &progress, log);
        } else if (ok) {
            // Checked in the plan: the section's bytes lie inside the source.
            const ExeSection& old = *sections_.Get(i);
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
