#pragma once
// Offsets and constants of the PE format that the image model reads or writes.

#include <cstdint>

namespace resmelder::pe {

constexpr std::uint16_t kDosSignature = 0x5A4D;     // "MZ"
constexpr std::uint32_t kNtSignature = 0x00004550;  // "PE\0\0"
constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kLfanewOffset = 60;

// Relative to the NT headers.
constexpr std::size_t kFileHeaderOffset = 4;
constexpr std::size_t kNumberOfSectionsOffset = 6;
constexpr std::size_t kPointerToSymbolTableOffset = 12;
constexpr std::size_t kSizeOfOptionalHeaderOffset = 20;
constexpr std::size_t kOptionalHeaderOffset = 24;

// Relative to the optional header; the same for PE32 and PE32+ unless named.
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::size_t kSizeOfInitializedDataOffset = 8;
constexpr std::size_t kSectionAlignmentOffset = 32;
constexpr std::size_t kFileAlignmentOffset = 36;
constexpr std::size_t kSizeOfImageOffset = 56;
constexpr std::size_t kSizeOfHeadersOffset = 60;
constexpr std::size_t kCheckSumOffset = 64;
constexpr std::size_t kNumberOfRvaAndSizesPe32 = 92;
constexpr std::size_t kNumberOfRvaAndSizesPe32Plus = 108;
constexpr std::size_t kDataDirectoriesPe32 = 96;
constexpr std::size_t kDataDirectoriesPe32Plus = 112;

constexpr std::uint32_t kDirCertificate = 4;  // the one entry holding a file offset
constexpr std::uint32_t kDirResource = 2;

constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint32_t kScnMemDiscardable = 0x02000000;
constexpr std::uint32_t kScnInitializedData = 0x00000040;
constexpr std::uint32_t kScnMemRead = 0x40000000;

// Resource directory format.
constexpr std::size_t kResourceDirectorySize = 16;
constexpr std::size_t kResourceEntrySize = 8;
constexpr std::size_t kResourceDataEntrySize = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint16_t kRtRcdata = 10;
constexpr std::uint16_t kAddedLanguage = 1;

}  // namespace resmelder::pe
