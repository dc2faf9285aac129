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
    // The tree's leaves point into the held source: the tree goes first.
    resources_.reset();
    heldSource_.clear();
    file_.Close();
}

std::unique_ptr<ExeImage> ExeImage::Load(const XString& fileName, LogBase* log) {
    auto image = std::make_unique<ExeImage>(Token{});
    if (!image->Open(fileName, log) || !image->ReadHeaders(log) || !image->ReadSectionTable(log) ||
        !image->ReadResourceTree(log)) {
        return nullptr;
    }
    return image;
}

bool ExeImage::Open(const XString& fileName, LogBase* log) {
    fileName_ = fileName;
    file_ = FileSys::OpenForRead(fileName, log);
    if (!file_.IsOpen()) {
        return false;
    }
    const auto size = file_.Size();
    if (!size || *size > UINT32_MAX) {
        Fail(log, image_texts::kFileTooLarge, fileName);
        return false;
    }
    // An empty file has nothing to read; it is refused with the line it has always had.
    if (*size == 0) {
        Fail(log, image_texts::kEmptyFile, fileName);
        return false;
    }
    sourceSize_ = static_cast<std::uint32_t>(*size);
    return true;
}

// The bytes at `offset`, as many of `size` as the file held when it was opened; none
// (logged) when it holds fewer now.
std::optional<std::vector<std::uint8_t>> ExeImage::ReadSource(std::uint64_t offset,
                                                              std::size_t size, LogBase* log) {
    const std::uint64_t inFile = offset < sourceSize_ ? sourceSize_ - offset : 0;
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(std::min<std::uint64_t>(size, inFile)));
    if (file_.ReadAt(offset, bytes) != bytes.size()) {
        Fail(log, image_texts::kSourceChangedWhileRead, fileName_);
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::span<const std::uint8_t>> ExeImage::HoldSource(std::uint64_t offset,
                                                                  std::size_t size, LogBase* log) {
    if (offset > sourceSize_ || size > sourceSize_ - offset) {
        return std::nullopt;  // the callers ask inside the file's size
    }
    LargeBuffer bytes(size);
    if (file_.ReadAt(offset, bytes.Bytes()) != size) {
        Fail(log, image_texts::kSourceChangedWhileRead, fileName_);
        return std::nullopt;
    }
    heldSource_.push_back(std::move(bytes));
    return heldSource_.back().Bytes();
}

// The DOS header, then the NT headers (signature, file header, optional header), copied.
bool ExeImage::ReadHeaders(LogBase* log) {
    const auto dos = ReadSource(0, pe::kDosHeaderSize, log);
    if (!dos) {
        return false;
    }
    const ByteReader dosReader(*dos);
    if (dosReader.U16(0).value_or(0) != pe::kDosSignature) {
        Fail(log, image_texts::kNoDosSignature, fileName_);
        return false;
    }
    const auto lfanew = dosReader.U32(pe::kLfanewOffset);
    const auto fixed =
        lfanew ? ReadSource(*lfanew, pe::kOptionalHeaderOffset + 2, log) : std::nullopt;
    if (lfanew && !fixed) {
        return false;
    }
    if (!lfanew || fixed->size() != pe::kOptionalHeaderOffset + 2) {
        Fail(log, image_texts::kNoNtHeader, fileName_);
        return false;
    }
    const ByteReader start(*fixed);
    if (*start.U32(0) != pe::kNtSignature) {
        Fail(log, image_texts::kBadNtSignature, fileName_);
        return false;
    }
    const std::uint16_t magic = *start.U16(pe::kOptionalHeaderOffset);
    if (magic != pe::kMagicPe32 && magic != pe::kMagicPe32Plus) {
        Fail(log, image_texts::kBadMagic, fileName_);
        return false;
    }
    pe32Plus_ = magic == pe::kMagicPe32Plus;
    const std::uint16_t optionalSize = *start.U16(pe::kSizeOfOptionalHeaderOffset);
    const std::size_t minimumOptional =
        pe32Plus_ ? pe::kDataDirectoriesPe32Plus : pe::kDataDirectoriesPe32;
    const std::size_t headersSize = pe::kOptionalHeaderOffset + optionalSize;
    auto headers = ReadSource(*lfanew, headersSize, log);
    if (!headers) {
        return false;
    }
    if (optionalSize < minimumOptional || headers->size() != headersSize) {
        Fail(log, image_texts::kNoNtHeader, fileName_);
        return false;
    }
    ntOffset_ = *lfanew;
    std::memcpy(dosHeader_.data(), dos->data(), dos->size());
    ntHeaders_ = std::move(*headers);
    return true;
}

// The section table follows the optional header; the overlay follows the section data that
// lies furthest into the file.
bool ExeImage::ReadSectionTable(LogBase* log) {
    const std::uint16_t count = *ByteReader(ntHeaders_).U16(pe::kNumberOfSectionsOffset);
    const std::size_t tableAt = ntOffset_ + ntHeaders_.size();
    const std::size_t tableSize = std::size_t{count} * pe::kSectionHeaderSize;
    // The slot after the table too: a new section's header may go there.
    const auto table = ReadSource(tableAt, tableSize + pe::kSectionHeaderSize, log);
    if (!table) {
        return false;
    }
    if (table->size() < tableSize) {
        Fail(log, image_texts::kSectionTableOutside, fileName_);
        return false;
    }
    slotAfterTableFree_ = table->size() == tableSize + pe::kSectionHeaderSize &&
                          std::all_of(table->begin() + static_cast<std::ptrdiff_t>(tableSize),
                                      table->end(), [](std::uint8_t b) { return b == 0; });
    std::size_t dataEnd = 0;
    for (std::size_t i = 0; i < count; ++i) {
        auto section = std::make_unique<ExeSection>(std::span<const std::uint8_t>(*table).subspan(
            i * pe::kSectionHeaderSize, pe::kSectionHeaderSize));
        if (section->SizeOfRawData() != 0) {
            dataEnd = std::max<std::size_t>(
                dataEnd, std::size_t{section->PointerToRawData()} + section->SizeOfRawData());
        }
        sections_.Append(std::move(section));
    }
    if (!SectionsAsTheLoaderMapsThem(log)) {
        return false;
    }
    overlayStart_ = std::min<std::size_t>(std::max(dataEnd, tableAt + tableSize), sourceSize_);
    return true;
}

// Without a data directory for resources there is no tree (Resources() answers null). The
// resource section's bytes are read once, from the directory to the section's end; the
// answer is false only when the source changed while it was read.
bool ExeImage::ReadResourceTree(LogBase* log) {
    if (NumberOfDataDirectories() <= pe::kDirResource) {
        return true;
    }
    const std::uint32_t rva = SourceResourceDirectory();
    if (rva == 0) {
        // Nothing to read: entries added go into a section the write creates.
        resources_ = ExeResource::EmptyRoot(*this);
        return true;
    }
    const auto range = MapRva(rva);
    if (!range) {
        return true;
    }
    const auto section = HoldSource(range->offset, range->inFile, log);
    if (!section) {
        return false;
    }
    bool sourceChanged = false;
    resources_ = ExeResource::Build(*this, *section, range->offset, log, sourceChanged);
    return !sourceChanged;
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
    const std::size_t fileSize = sourceSize_;
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

bool ExeImage::SectionsAsTheLoaderMapsThem(LogBase* log) const {
    const std::size_t fileSize = sourceSize_;
    std::vector<const ExeSection*> byAddress;
    for (std::uint32_t i = 0; i < sections_.Count(); ++i) {
        const ExeSection& s = *sections_.Get(i);
        if (s.SizeOfRawData() != 0 &&
            std::uint64_t{s.PointerToRawData()} + s.SizeOfRawData() > fileSize) {
            FailForSection(log, image_texts::kSectionPastFileEnd, s.Name(), fileName_);
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
                           fileName_);
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
