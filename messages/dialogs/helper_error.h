#pragma once
// How the helper library reports a failure that must not interrupt its caller: a numbered
// error with a source and a description, left in one record the caller reads afterwards.

#include <cstdint>
#include <string>
#include <string_view>

namespace murmurex::dialogs {

/// A raised error: number 0 means nothing is recorded.
struct HelperError {
    std::int64_t number = 0;
    std::string source;
    std::string description;

    void Clear() {
        number = 0;
        source.clear();
        description.clear();
    }
    void Raise(std::int64_t errorNumber, std::string_view errorSource,
               std::string_view errorDescription) {
        number = errorNumber;
        source.assign(errorSource);
        description.assign(errorDescription);
    }
};

/// The helper library's last-error record for the calling thread (the user-interface thread).
HelperError& LastHelperError();

}  // namespace murmurex::dialogs
