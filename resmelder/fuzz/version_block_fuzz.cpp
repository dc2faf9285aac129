#include "fuzz/version_block_fuzz.h"

#include <cstdlib>
#include <span>

#include "image/version_block.h"

namespace resmelder {

bool FuzzVersionBlockInput(const std::uint8_t* data, std::size_t size) {
    auto block = VersionBlock::Parse(std::span<const std::uint8_t>(data, size));
    if (!block) {
        return false;
    }
    (void)block->StringTables();
    (void)block->Translations();
    VersionEdits edits;
    edits.fileVersion = VersionNumber::Parse("1.2.3.4");
    edits.strings = {{u"CompanyName", u"Fuzz é"}, {u"comments", u""}};
    ApplyVersionEdits(*block, edits);
    const auto written = block->Serialize();
    if (!written) {
        return true;  // grown past the 16-bit lengths: refused, as it must be
    }
    // What is written reads back, writes again to the same bytes, and answers the same.
    const auto reread = VersionBlock::Parse(*written);
    if (!reread || reread->Serialize() != written ||
        reread->String(VersionBlock::kDefaultLanguage, VersionBlock::kDefaultCodePage,
                       u"companyname") != block->String(VersionBlock::kDefaultLanguage,
                                                        VersionBlock::kDefaultCodePage,
                                                        u"CompanyName")) {
        std::abort();
    }
    return true;
}

}  // namespace resmelder
