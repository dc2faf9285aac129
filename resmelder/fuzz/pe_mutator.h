#pragma once
// Structure-aware mutations of a PE file: each one finds its place by parsing the seed's
// headers and resource directories (with a small bounded parser of its own, independent of
// the one under test) and writes one kind of hostile structure there. The same kind with the
// same seed number always gives the same bytes.
//
// New structures are written inside the seed's own resource section (over its existing
// directories and data), never appended, so that a reader that keeps to the section still
// meets them.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace resmelder::fuzz {

enum class Mutation {
    kDirectoryCount32767,           // one directory claims 32,767 entries of one kind
    kSubdirectoriesToRoot,          // a type directory's entries all lead back to the root
    kSubdirectoriesToParent,        // a name directory's entries all lead back to its parent
    kRootEntriesShareSubdirectory,  // 32,767 root entries all lead to one subdirectory
    kOverlappingDirectories,        // a directory header 8 bytes into an entry array
    kSharedLongName,                // up to 65,535 entries share one 65,535-character name
    kSharedDataEntry,               // many leaves share one data entry: 2 GB copied out
    kRootLeafRcdata,                // the root's RT_RCDATA entry (id 10) is a leaf
    kRawSizeHuge,                   // the resource section's raw size is 0x7FFFFFFF
    kEarlyResourceSectionHuge,      // the same, with the resource section moved to position 1
    kRawSizePastEnd,                // the resource section's raw data runs past the file end
    kVirtualSizeOverRaw,            // raw data cut short of the virtual size, data behind it
    kOverlappingVirtualRanges,      // a section's virtual range starts inside the one before
    kDataInHeaders,                 // one leaf's data RVA lies in the headers
    kCodeAfterResources,            // the section after .rsrc becomes code, which cannot move
    kResourceDirectoryCleared,      // the resource directory entry is 0: no resources at all
    kNoHeaderRoom,                  // code after .rsrc, and the headers end at the section table
};

/// Every kind, in declaration order.
std::span<const Mutation> AllMutations();
/// The kind's name, lower case with hyphens: "directory-count-32767".
std::string_view MutationName(Mutation kind);
std::optional<Mutation> MutationFromName(std::string_view name);

/// What a sound reader must make of one leaf of a mutant, found by its numeric path
/// (type, name, language).
struct LeafExpectation {
    std::vector<std::uint16_t> path;
    std::vector<std::uint8_t> bytes;
    /// True: the leaf must hold exactly `bytes`. False: it must not hold them (they lie
    /// outside what the section provides, so reading them is reading the wrong bytes).
    bool mustEqual = true;
};

struct Mutant {
    std::vector<std::uint8_t> bytes;
    std::optional<LeafExpectation> leaf;
};

/// Applies `kind` to `seed`; `seedNumber` picks among the places the kind could go. Empty
/// when the seed has no such place (no resource section, too few directories, no room).
std::optional<Mutant> Mutate(std::span<const std::uint8_t> seed, Mutation kind,
                             std::uint32_t seedNumber);

}  // namespace resmelder::fuzz
