#pragma once
// The process-wide holder of what a failing COM method reports: the interface GUID and the
// source text.

#include <array>
#include <cstdint>
#include <string_view>

#include "support/string_buffer.h"
#include "support/vantrix_object.h"

namespace resmelder {

class RichErrorInfo : public VantrixObject {
  public:
    RichErrorInfo(const std::array<std::uint8_t, 16>& guid, std::string_view source)
        : guid_(guid), source_(source) {}

    const std::array<std::uint8_t, 16>& Guid() const { return guid_; }
    const StringBuffer& Source() const { return source_; }

  private:
    std::array<std::uint8_t, 16> guid_;
    StringBuffer source_;
};

}  // namespace resmelder
