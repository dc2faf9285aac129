#pragma once
// The plan of one write, shared by the two halves of writing: exe_image_plan.cpp makes it,
// exe_image_write.cpp follows it.

#include <cstdint>
#include <vector>

#include "image/exe_image.h"

namespace resmelder {

// Everything a write decides before the first byte goes out.
struct ExeImage::WritePlan {
    // Every byte before the source's end stays where it is (the overlay with it); a grown
    // tree goes into a new section after the source's end.
    bool keepOverlay = false;
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
    std::uint64_t outputSize = 0;  // where the last section's data or the overlay ends
    bool recomputeChecksum = false;
};

}  // namespace resmelder
