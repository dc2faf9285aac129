// Planning a write: validate the image, place the sections (the resource section grows in
// place, or the tree goes into a new section at the end; when the overlay is kept, the tree
// stays where it is or goes after the overlay), rewrite the headers that refer to what
// moved, and bound the output. All of it before any file is created.

#include <algorithm>
#include <cstring>

#include "image/exe_image.h"
#include "image/exe_image_support.h"
#include "image/exe_image_write_plan.h"
#include "image/image_texts.h"
#include "image/pe_format.h"
#include "support/log.h"

namespace resmelder {

using image_support::Fail;
using image_support::FailForSection;
using image_support::Load32;
using image_support::LogFileName;
using image_support::RoundUp;
using image_support::Store32;

namespace {

bool IsPowerOfTwo(std::uint32_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

constexpr std::uint32_t kMaxFileAlignment = 0x10000;
constexpr std::uint32_t kMaxSectionAlignment = 0x200000;
// The output may be this many times what it is made of, or that plus this many bytes.
constexpr std::uint64_t kMaxOutputGrowthFactor = 16;
constexpr std::uint64_t kMaxOutputGrowth = std::uint64_t{256} << 20;

}  // namespace

bool ExeImage::PlanWrite(WritePlan& plan, const XString& target, LogBase* log) {
    if (!ValidateForWrite(plan, target, log) || !CheckOverlayCanStay(plan, target, log)) {
        return false;
    }
    // Without an overlay there is nothing to keep in place: the usual layout.
    plan.keepOverlay = plan.keepOverlay && OverlaySize() != 0;
    if (!PlaceSections(plan, target, log) || !RewriteHeaders(plan, target, log) ||
        !CheckOutputInProportion(plan, target, log)) {
        return false;
    }
    // The certificate table is kept and moved, but it signed the old contents.
    if (CertificateTableSize() != 0 && log != nullptr) {
        log->LogInfo(image_texts::kSignatureBroken);
    }
    if (plan.newSection && SourceResourceDirectory() != 0 && log != nullptr) {
        log->LogInfo(plan.keepOverlay ? image_texts::kResourcesAfterOverlay
                                      : image_texts::kOldResourcesUnreferenced);
    }
    return true;
}

// The image is one the layout can handle: sane alignments, a section for the tree, and
// every copied section's bytes inside the source.
bool ExeImage::ValidateForWrite(WritePlan& plan, const XString& target, LogBase* log) const {
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
            FailForSection(log, image_texts::kSectionOutsideSource, section.Name(), target);
            return false;
        }
    }
    return true;
}

// The certificate table must stay the last thing in the file and its signature covers the
// rest, so a signed file cannot keep its overlay by putting a section after it.
bool ExeImage::CheckOverlayCanStay(const WritePlan& plan, const XString& target,
                                   LogBase* log) const {
    if (plan.keepOverlay && CertificateTableSize() != 0) {
        Fail(log, image_texts::kOverlayOfSignedFile, target);
        return false;
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
        switch (PlaceResourceSection(plan, target, log)) {
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

ExeImage::Placement ExeImage::PlaceResourceSection(WritePlan& plan, const XString& target,
                                                   LogBase* log) const {
    // The first two sections never move; a kept overlay moves if anything before it grows.
    if (plan.keepOverlay || plan.resourceIndex < 2) {
        return FitWhereItIs(plan);
    }
    return GrowInPlace(plan, target, log);
}

// The tree takes the resource section's place as it is: no bigger than its raw data, and not
// reaching into the next section's addresses.
ExeImage::Placement ExeImage::FitWhereItIs(WritePlan& plan) const {
    const auto treeSize = static_cast<std::uint32_t>(plan.resourceSize);
    ExeSection& resource = plan.sections[static_cast<std::size_t>(plan.resourceIndex)];
    std::uint64_t room = resource.SizeOfRawData();
    for (const ExeSection& other : plan.sections) {
        if (other.VirtualAddress() > resource.VirtualAddress()) {
            room =
                std::min<std::uint64_t>(room, other.VirtualAddress() - resource.VirtualAddress());
        }
    }
    if (treeSize > room) {
        return Placement::kBlocked;
    }
    resource.SetVirtualSize(treeSize);
    plan.resourcePadTo = resource.SizeOfRawData();
    return Placement::kPlaced;
}

// The resource section takes the tree's size and the sections after it move along, as long
// as each that must keep its address (code and data that other sections refer to) does.
ExeImage::Placement ExeImage::GrowInPlace(WritePlan& plan, const XString& target,
                                          LogBase* log) const {
    const auto treeSize = static_cast<std::uint32_t>(plan.resourceSize);
    const auto resourceAt = static_cast<std::size_t>(plan.resourceIndex);
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

// A new section after the last one, in address and in file (after the overlay when it is
// kept), holds the tree. Its header goes after the source's section table, in bytes the
// headers already reserve and nothing uses.
bool ExeImage::AppendResourceSection(WritePlan& plan, const XString& target, LogBase* log) const {
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
    if (count >= 0xFFFF || headerEnd > sizeOfHeaders || headerEnd > firstData ||
        !slotAfterTableFree_) {
        if (log != nullptr) {
            log->LogError(image_texts::kNoHeaderRoom);
            log->LogDataLong("sizeOfHeaders", static_cast<std::int32_t>(sizeOfHeaders));
            LogFileName(log, target);
        }
        return false;
    }
    const std::uint64_t treeSize = plan.resourceSize;
    const std::uint64_t rawSize = RoundUp(treeSize, plan.fileAlignment);
    const std::uint64_t keptEnd = plan.keepOverlay ? sourceSize_ : 0;
    const std::uint64_t rawAt =
        RoundUp(std::max<std::uint64_t>({dataEnd, sizeOfHeaders, keptEnd}), plan.fileAlignment);
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

// The headers that refer to what moved: size of image, data directories, the symbol table,
// the checksum; and where the overlay goes.
bool ExeImage::RewriteHeaders(WritePlan& plan, const XString& target, LogBase* log) const {
    plan.ntHeaders = ntHeaders_;
    if (plan.newSection) {
        CountNewSection(plan);
    }
    if (!SizeImageAndPlaceOverlay(plan, target, log)) {
        return false;
    }
    RedirectDataDirectories(plan);
    const std::uint32_t symbols = Load32(plan.ntHeaders, pe::kPointerToSymbolTableOffset);
    if (symbols != 0) {
        Store32(plan.ntHeaders, pe::kPointerToSymbolTableOffset,
                static_cast<std::uint32_t>(OutputOffset(plan, symbols)));
    }
    const std::size_t checksumAt = pe::kOptionalHeaderOffset + pe::kCheckSumOffset;
    plan.recomputeChecksum = Load32(plan.ntHeaders, checksumAt) != 0;
    if (plan.recomputeChecksum) {
        Store32(plan.ntHeaders, checksumAt, 0);
    }
    return true;
}

// The appended section counts in the file header and in the size of initialized data.
void ExeImage::CountNewSection(WritePlan& plan) const {
    const std::size_t initializedAt = pe::kOptionalHeaderOffset + pe::kSizeOfInitializedDataOffset;
    const auto sections = static_cast<std::uint16_t>(plan.sections.size());
    std::memcpy(plan.ntHeaders.data() + pe::kNumberOfSectionsOffset, &sections, 2);
    const std::uint64_t initialized =
        std::uint64_t{Load32(plan.ntHeaders, initializedAt)} + plan.sections.back().SizeOfRawData();
    Store32(plan.ntHeaders, initializedAt,
            static_cast<std::uint32_t>(std::min<std::uint64_t>(initialized, UINT32_MAX)));
}

// Size of image from the laid-out sections; the overlay goes after the last section data,
// unless it is kept where it was.
bool ExeImage::SizeImageAndPlaceOverlay(WritePlan& plan, const XString& target,
                                        LogBase* log) const {
    std::uint64_t imageEnd = 0;
    std::uint64_t dataEnd = 0;
    std::uint64_t firstData = UINT64_MAX;
    for (const ExeSection& section : plan.sections) {
        imageEnd =
            std::max(imageEnd, RoundUp(std::uint64_t{section.VirtualAddress()} + section.Extent(),
                                       plan.sectionAlignment));
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
    // A kept overlay stays where it was; nothing before it moved, and what is new follows it.
    plan.overlayAt =
        plan.keepOverlay
            ? overlayStart_
            : std::max<std::uint64_t>(dataEnd, std::min<std::uint64_t>(overlayStart_, firstData));
    plan.outputSize = std::max(dataEnd, plan.overlayAt + OverlaySize());
    Store32(plan.ntHeaders, pe::kOptionalHeaderOffset + pe::kSizeOfImageOffset,
            static_cast<std::uint32_t>(imageEnd));
    return true;
}

// Maps a file offset of the source to the output, for headers holding file offsets.
std::uint64_t ExeImage::OutputOffset(const WritePlan& plan, std::uint64_t sourceOffset) const {
    if (sourceOffset >= overlayStart_) {
        return plan.overlayAt + (sourceOffset - overlayStart_);
    }
    for (std::uint32_t i = 0; i < sections_.Count(); ++i) {
        const ExeSection& old = *sections_.Get(i);
        if (static_cast<int>(i) != plan.resourceIndex && old.PointerToRawData() <= sourceOffset &&
            sourceOffset - old.PointerToRawData() < old.SizeOfRawData()) {
            return plan.sections[i].PointerToRawData() + (sourceOffset - old.PointerToRawData());
        }
    }
    return sourceOffset;
}

// The resource directory names the regenerated tree; the certificate table (a file offset)
// follows the file; every other directory follows the section that holds it.
void ExeImage::RedirectDataDirectories(WritePlan& plan) const {
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
                Store32(plan.ntHeaders, at, static_cast<std::uint32_t>(OutputOffset(plan, value)));
            }
        } else if (value != 0) {
            for (std::uint32_t i = 0; i < sections_.Count(); ++i) {
                const ExeSection& old = *sections_.Get(i);
                if (old.VirtualAddress() <= value && value - old.VirtualAddress() < old.Extent()) {
                    Store32(plan.ntHeaders, at,
                            plan.sections[i].VirtualAddress() + (value - old.VirtualAddress()));
                    break;
                }
            }
        }
    }
}

// The output may not grow out of proportion to what it is made of (the source and the bytes
// added to it): leaves sharing one data entry, or a section claiming a huge size, would
// otherwise turn kilobytes into gigabytes. Decided before any file is created.
bool ExeImage::CheckOutputInProportion(const WritePlan& plan, const XString& target,
                                       LogBase* log) const {
    const std::uint64_t input = std::uint64_t{sourceSize_} + plan.layout.addedBytes;
    const std::uint64_t allowed =
        std::max(kMaxOutputGrowthFactor * input, input + kMaxOutputGrowth);
    const std::uint64_t output = plan.outputSize;
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

}  // namespace resmelder
