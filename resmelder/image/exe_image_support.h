#pragma once
// What the image's two halves (loading and writing) share: header words read and written in
// the copied headers, and failures logged with the file they concern.

#include <cstdint>
#include <cstring>
#include <vector>

#include "support/log.h"
#include "support/xstring.h"

namespace resmelder::image_support {

inline std::uint64_t RoundUp(std::uint64_t v, std::uint64_t alignment) {
    return (v + alignment - 1) / alignment * alignment;
}

// The callers have checked that the copied headers hold the word.
inline std::uint32_t Load32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

inline void Store32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
    std::memcpy(bytes.data() + at, &v, 4);
}

inline void LogFileName(LogBase* log, const XString& name) {
    if (log != nullptr) {
        log->LogData("filename", name.Utf8().c_str());
    }
}

inline void Fail(LogBase* log, const char* text, const XString& name) {
    if (log != nullptr) {
        log->LogError(text);
        LogFileName(log, name);
    }
}

/// A failure about one section: the text, the section's name and the file.
inline void FailForSection(LogBase* log, const char* text, const std::string& section,
                           const XString& name) {
    if (log != nullptr) {
        log->LogError(text);
        log->LogData("section_name", section.c_str());
        LogFileName(log, name);
    }
}

}  // namespace resmelder::image_support
