// Loading an executable, and the questions about its layout that the tree and the writer ask.
// Writing is in exe_image_write.cpp.

#include <algorithm>
#include <cstring>

#include "image/exe_image.h"
#include "image/exe_image_support.h"
#include "image/image_texts.h"
#include "image/pe_format.h"
#include "support/log.h"

namespace resmelder {

using image_support::Fail;
using image_support::FailForSection;
using image_support::Load32;

ExeSection::ExeSection(std::span<const std::uint8_t> header) {
    std::memcpy(headerBytes_.data(), header.data(), std::min(header.size(), headerBytes_.size()));
}

std::string ExeSection::Name() const {
    const auto* begin = reinterpret_cast<const char*>(headerBytes_.data());
    return std::string(begin, strnlen(begin, 8));
}

std::uint32_t ExeSection::Get(std::size_t at) const {
    std::uint32_t v = 0;
    std::memcpy(&v, headerBytes_.data() + at, 4);
    return v;
}

void ExeSection::Set(std::size_t at, std::uint32_t v) {
    std::memcpy(headerBytes_.data() + at, &v, 4);
}

ExeImage::~ExeImage() {
    // The tree's leaves point into the view: the tree goes first.
    resources_.reset();
    mapping_.Unmap();
    file_.Close();
}

std::unique_ptr<ExeImage> ExeImage::Load(const XString& fileName, LogBase* log) {
    auto image = std::make_unique<ExeImage>(Token{});
    if (!image->OpenAndMap(fileName, log) || !image->ReadHeaders(fileName, log) ||
        !image->ReadSectionTable(fileName, log)) {
        return nullptr;
    }
    image->ReadResourceTree(log);
    return image;
}

bool ExeImage::OpenAndMap(const XString& fileName, LogBase* log) {
    file_ = FileSys::OpenForRead(fileName, log);
    if (!file_.IsOpen()) {
        return false;
    }
    const auto size = file_.Size();
    if (!size || *size > UINT32_MAX) {
        Fail(log, image_texts::kFileTooLarge, fileName);
        return false;
    }
    sourceSize_ = static_cast<std::uint32_t>(*size);
    switch (mapping_.Map(file_, *size)) {
        case FileMapping::Status::kOk:
            return true;
        case FileMapping::Status::kMappingFailed:
            Fail(log, image_texts::kMappingFailed, fileName);
            return false;
        case FileMapping::Status::kViewFailed:
            Fail(log, image_texts::kViewFailed, fileName);
            return false;
    }
    return false;
}

// The DOS header, then the NT headers (signature, file header, optional header), copied.
bool ExeImage::ReadHeaders(const XString& fileName, LogBase* log) {
    const ByteReader src = Source();
    if (src.U16(0).value_or(0) != pe::kDosSignature) {
        Fail(log, image_texts::kNoDosSignature, fileName);
        return false;
    }
    const auto lfanew = src.U32(pe::kLfanewOffset);
    if (!lfanew || !src.Has(*lfanew, pe::kOptionalHeaderOffset + 2)) {
        Fail(log, image_texts::kNoNtHeader, fileName);
        return false;
    }
    const std::size_t nt = *lfanew;
    if (*src.U32(nt) != pe::kNtSignature) {
        Fail(log, image_texts::kBadNtSignature, fileName);
        return false;
    }
    const std::uint16_t magic = *src.U16(nt + pe::kOptionalHeaderOffset);
    if (magic != pe::kMagicPe32 && magic != pe::kMagicPe32Plus) {
        Fail(log, image_texts::kBadMagic, fileName);
        return false;
    }
    pe32Plus_ = magic == pe::kMagicPe32Plus;
    const std::uint16_t optionalSize = *src.U16(nt + pe::kSizeOfOptionalHeaderOffset);
    const std::size_t minimumOptional =
        pe32Plus_ ? pe::kDataDirectoriesPe32Plus : pe::kDataDirectoriesPe32;
    const auto headers = src.Bytes(nt, pe::kOptionalHeaderOffset + optionalSize);
    if (optionalSize < minimumOptional || !headers) {
        Fail(log, image_texts::kNoNtHeader, fileName);
        return false;
    }
    ntOffset_ = static_cast<std::uint32_t>(nt);
    std::memcpy(dosHeader_.data(), src.All().data(),
                std::min<std::size_t>(pe::kDosHeaderSize, src.Size()));
    ntHeaders_.assign(headers->begin(), headers->end());
    return true;
}

// The section table follows the optional header; the overlay follows the section data that
// lies furthest into the file.
bool ExeImage::ReadSectionTable(const XString& fileName, LogBase* log) {
    const ByteReader src = Source();
    const std::uint16_t count = *ByteReader(ntHeaders_).U16(pe::kNumberOfSectionsOffset);
    const std::size_t tableAt = ntOffset_ + ntHeaders_.size();
    if (!src.Has(tableAt, std::size_t{count} * pe::kSectionHeaderSize)) {
        Fail(log, image_texts::kSectionTableOutside, fileName);
        return false;
    }
    std::size_t dataEnd = 0;
    for (std::size_t i = 0; i < count; ++i) {
        auto section = std::make_unique<ExeSection>(
            *src.Bytes(tableAt + i * pe::kSectionHeaderSize, pe::kSectionHeaderSize));
        if (section->SizeOfRawData() != 0) {
            dataEnd = std::max<std::size_t>(
                dataEnd, std::size_t{section->PointerToRawData()} + section->SizeOfRawData());
        }
        sections_.Append(std::move(section));
    }
    if (!SectionsAsTheLoaderMapsThem(fileName, log)) {
        return false;
    }
    overlayStart_ = std::min<std::size_t>(
        std::max(dataEnd, tableAt + std::size_t{count} * pe::kSectionHeaderSize), src.Size());
    return true;
}

// Without a data directory for resources there is no tree (Resources() answers null).
void ExeImage::ReadResourceTree(LogBase* log) {
    if (NumberOfDataDirectories() <= pe::kDirResource) {
        return;
    }
    const std::uint32_t rva = SourceResourceDirectory();
    if (rva == 0) {
        // Nothing to read: entries added go into a section the write creates.
        resources_ = ExeResource::EmptyRoot(*this);
    } else if (const auto range = MapRva(rva)) {
        resources_ = ExeResource::Build(*this, range->offset, range->offset + range->inFile, log);
    }
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
            // No more than the file's size_t bytes after rva, so the result fits.
            range.inFile =
                static_cast<std::size_t>(std::min<std::uint64_t>(range.mapped, fileSize - rva));
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
            FailForSection(log, image_texts::kSectionPastFileEnd, s.Name(), fileName);
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
            FailForSection(log, image_texts::kSectionsOverlapInMemory, byAddress[i]->Name(),
                           fileName);
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

std::uint32_t ExeImage::SourceResourceDirectory() const {
    if (NumberOfDataDirectories() <= pe::kDirResource) {
        return 0;
    }
    return Load32(ntHeaders_, DataDirectoriesOffset() + pe::kDirResource * 8);
}

std::uint32_t ExeImage::CertificateTableSize() const {
    if (NumberOfDataDirectories() <= pe::kDirCertificate) {
        return 0;
    }
    const std::size_t at = DataDirectoriesOffset() + pe::kDirCertificate * 8;
    return Load32(ntHeaders_, at) != 0 ? Load32(ntHeaders_, at + 4) : 0;
}

bool ExeImage::AddBytes(std::string_view name, std::span<const std::uint8_t> bytes, LogBase* log) {
    if (!resources_) {
        if (log != nullptr) {
            log->LogError(image_texts::kNoTreeForBytes);
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

}  // namespace resmelder
