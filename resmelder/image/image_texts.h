#pragma once
// The log lines of the image model and its resource tree, in one place.

namespace resmelder::image_texts {

// Loading.
constexpr const char* kFileTooLarge = "File is too large to be an executable image";
// An empty file: the line the mapping of it gave when files were mapped.
constexpr const char* kEmptyFile = "Failed to create file mapping";
constexpr const char* kSourceChangedWhileRead = "Source file changed while it was read";
constexpr const char* kNoDosSignature = "Failed to find DOS signature";
constexpr const char* kNoNtHeader = "Failed to find NT header";
constexpr const char* kBadNtSignature = "NT header signature is not \"PE\"";
constexpr const char* kBadMagic = "Optional header magic is neither PE32 nor PE32+";
constexpr const char* kSectionTableOutside = "Section table lies outside the file";
constexpr const char* kSectionPastFileEnd = "Section data reaches past the end of the file";
constexpr const char* kSectionsOverlapInMemory = "Sections overlap in memory";

// Reading the resource tree.
constexpr const char* kRootDirectoryOutside = "Resource directory lies outside the file";
constexpr const char* kEntriesPastEnd = "Resource directory entries run past the end of the file";
constexpr const char* kEntriesPastSection =
    "Resource directory claims more entries than its section holds; count cut";
constexpr const char* kEntryOutOfPlace =
    "Resource entry is not where its kind belongs; entry moved";
constexpr const char* kNameOutside = "Resource name lies outside the file; entry skipped";
constexpr const char* kNestedTooDeeply = "Resource directories nested too deeply; branch ended";
constexpr const char* kRefersBack =
    "Resource directory refers back to a directory already read; branch ended";
constexpr const char* kDirectoryOutside = "Resource directory lies outside the file; entry skipped";
constexpr const char* kDataEntryOutside =
    "Resource data entry lies outside the file; entry skipped";
constexpr const char* kDataOutside = "Resource data lies outside the file; leaf kept without data";
constexpr const char* kMoreSkipped = "More malformed resource entries were skipped";
constexpr const char* kTreeBudgetSpent =
    "Resource tree holds more entries than its section has room for; reading stopped";

// Editing the tree.
constexpr const char* kNoTreeForFile = "Resources pointer is NULL (1)";
constexpr const char* kNoTreeForBytes = "Resources pointer is NULL (3)";
constexpr const char* kDataTooLarge = "Resource data is too large";
constexpr const char* kNameTooLong = "Resource name is too long";
constexpr const char* kTypeNotDirectory =
    "The resource type for new entries is not a directory; nothing added";
constexpr const char* kTypeFull = "The resource type for new entries is full; nothing added";
constexpr const char* kNotFound = "Failed to find named resource";
constexpr const char* kNameNotDirectory =
    "The resource name holds data instead of languages; nothing added";
constexpr const char* kRootFull = "The resource tree has no room for another type; nothing added";
constexpr const char* kNameFull =
    "The resource name has no room for another language; nothing added";

// Writing.
constexpr const char* kNoSections = "Cannot write an image without sections";
constexpr const char* kBadAlignment = "Invalid file or section alignment in the image";
constexpr const char* kSectionOutsideSource = "Section data lies outside the source file";
constexpr const char* kResourceSectionTooLarge = "The resource section would be too large";
constexpr const char* kImageTooLarge = "The laid-out image would be too large";
constexpr const char* kNoHeaderRoom =
    "No room in the headers for another section header; the resources cannot be written";
constexpr const char* kOldResourcesUnreferenced =
    "The resource section cannot grow where it is: the resources were written to a new section "
    "at the end, and the old section's bytes stay in the file, unreferenced";
constexpr const char* kResourcesAfterOverlay =
    "The overlay stays in place: the resources were written to a new section after it, and the "
    "old section's bytes stay in the file, unreferenced";
constexpr const char* kTableOverlapsData = "The section table overlaps section data";
constexpr const char* kOutputOutOfProportion =
    "The new executable would be out of proportion to its source; nothing written";
constexpr const char* kOverlayOfSignedFile =
    "The file has a certificate table, which must stay at its end: the overlay cannot be kept "
    "in place; nothing written";
constexpr const char* kSignatureBroken =
    "the file's signature no longer matches its contents; sign it again";
constexpr const char* kTooManyNamed = "Too many named resource entries in one directory";
constexpr const char* kTooManyNumeric = "Too many numeric resource entries in one directory";
constexpr const char* kResourceFileShort =
    "Resource file ended early; the rest of its entry is zeros";

// String tables.
constexpr const char* kStringBlockCutShort =
    "String block ends before its sixteen strings do; read up to its end";
constexpr const char* kStringTooLong = "The string is longer than 65535 UTF-16 units";
constexpr const char* kStringBlockFromFile =
    "The string block is read from a file when written; its strings cannot be edited";

// Writing the new file, part by part.
constexpr const char* kSourceChanged = "Source file changed while the new file was written";
constexpr const char* kDosHeaderNotWritten = "Failed to write DOS header";
constexpr const char* kSignatureNotWritten = "Failed to write Signature";
constexpr const char* kFileHeaderNotWritten = "Failed to write file header";
constexpr const char* kOptionalHeaderNotWritten = "Failed to write optional header";
constexpr const char* kSectionHeaderNotWritten = "Failed to write section header";
constexpr const char* kSectionsOverlapInFile = "Sections overlap in the file";
constexpr const char* kSectionDataNotWritten = "Failed to write section data";
constexpr const char* kOverlayNotWritten = "Failed to write overlay";
constexpr const char* kChecksumNotWritten = "Failed to write checksum";

}  // namespace resmelder::image_texts
