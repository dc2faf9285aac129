#include "tool/tool_failure.h"

#include <string_view>

#include "image/image_texts.h"

namespace resmelder {
namespace {

enum class Form {
    kNotExecutable,  // FILE is not an executable (REASON)
    kMalformed,      // FILE is not a well-formed executable (REASON)
    kOpen,           // cannot open FILENAME (OS TEXT)
    kNotRegular,     // FILENAME is not a regular file
    kDoing,          // DOING (REASON)
};

struct KnownLine {
    const char* start;  // the log line, or its start when numbered variants exist
    Form form;
    const char* reason;  // null: the log line itself, starting lower-case
};

constexpr KnownLine kKnownLines[] = {
    {"Failed to open file (", Form::kOpen, nullptr},
    {"Failed to get file size", Form::kOpen, nullptr},
    {"Cannot open file, filename is empty.", Form::kDoing, "no file name given"},
    {"Not a regular file", Form::kNotRegular, nullptr},
    {"File is being edited by another process", Form::kDoing,
     "another edit of the file did not finish in time"},
    {"Output file is the input file", Form::kDoing, "the output file is the input file"},
    {"Failed to write complete file", Form::kDoing, "the new file could not be written whole"},
    {"Failed to replace file", Form::kDoing, "the new file could not take the old one's place"},
    {"Source file changed while the new file was written", Form::kDoing,
     "the input changed while the new file was written"},
    {image_texts::kSourceChangedWhileRead, Form::kDoing, "the input changed while it was read"},
    {image_texts::kEmptyFile, Form::kNotExecutable, "it is empty"},
    {image_texts::kNoDosSignature, Form::kNotExecutable, "no DOS signature"},
    {image_texts::kNoNtHeader, Form::kNotExecutable, "no NT header"},
    {image_texts::kBadNtSignature, Form::kNotExecutable, "no PE signature"},
    {image_texts::kBadMagic, Form::kNotExecutable, "neither PE32 nor PE32+"},
    {image_texts::kFileTooLarge, Form::kNotExecutable, "too large for one"},
    {image_texts::kSectionTableOutside, Form::kMalformed, nullptr},
    {image_texts::kSectionPastFileEnd, Form::kMalformed, nullptr},
    {image_texts::kSectionsOverlapInMemory, Form::kMalformed, nullptr},
    {image_texts::kNoTreeForFile, Form::kDoing, "the file has no resource section"},
    {image_texts::kNoTreeForBytes, Form::kDoing, "the file has no resource section"},
    {image_texts::kNameTooLong, Form::kDoing, "a name or type is longer than 499 characters"},
    {tool_texts::kResourceNotFound, Form::kDoing, "no such resource"},
};

const LogEntry2* FirstError(const LogEntry2& entry) {
    if (entry.Kind() == LogEntry2::kError) {
        return &entry;
    }
    for (std::uint32_t i = 0; i < entry.Children().Count(); ++i) {
        if (const LogEntry2* found = FirstError(*entry.Children().Get(i))) {
            return found;
        }
    }
    return nullptr;
}

const LogEntry2* ParentOf(const LogEntry2& root, const LogEntry2& child) {
    for (std::uint32_t i = 0; i < root.Children().Count(); ++i) {
        const LogEntry2* entry = root.Children().Get(i);
        if (entry == &child) {
            return &root;
        }
        if (const LogEntry2* found = ParentOf(*entry, child)) {
            return found;
        }
    }
    return nullptr;
}

// A tagged value logged beside the error (before or after it, in its context).
std::string TagBeside(const LogEntry2* context, std::string_view tag) {
    if (context == nullptr) {
        return {};
    }
    for (std::uint32_t i = 0; i < context->Children().Count(); ++i) {
        const LogEntry2& entry = *context->Children().Get(i);
        if (entry.Kind() == LogEntry2::kTagged && entry.Tag().View() == tag) {
            return std::string(entry.Text().View());
        }
    }
    return {};
}

std::string LowerFirst(std::string_view text) {
    std::string lowered(text);
    // Only a capital followed by a small letter: "NT header ..." keeps its capitals.
    if (lowered.size() > 1 && lowered[0] >= 'A' && lowered[0] <= 'Z' && lowered[1] >= 'a' &&
        lowered[1] <= 'z') {
        lowered[0] = static_cast<char>(lowered[0] - 'A' + 'a');
    }
    return lowered;
}

void CollectMessages(const LogEntry2& entry, std::vector<std::string>& messages) {
    if (entry.Kind() == LogEntry2::kError || entry.Kind() == LogEntry2::kInfo) {
        messages.emplace_back(entry.Text().View());
    }
    for (std::uint32_t i = 0; i < entry.Children().Count(); ++i) {
        CollectMessages(*entry.Children().Get(i), messages);
    }
}

}  // namespace

std::string DescribeFailure(const LogEntry2& root, const std::string& doing,
                            const std::string& file) {
    const LogEntry2* error = FirstError(root);
    if (error == nullptr) {
        return doing;
    }
    const std::string_view text = error->Text().View();
    const LogEntry2* context = ParentOf(root, *error);
    const KnownLine* known = nullptr;
    for (const KnownLine& line : kKnownLines) {
        if (text.substr(0, std::string_view(line.start).size()) == line.start) {
            known = &line;
            break;
        }
    }
    const std::string reason =
        known != nullptr && known->reason != nullptr ? known->reason : LowerFirst(text);
    std::string named = TagBeside(context, "filename");
    if (named.empty()) {
        named = TagBeside(context, "utf8Filename");
    }
    if (named.empty()) {
        named = file;
    }
    switch (known != nullptr ? known->form : Form::kDoing) {
        case Form::kNotExecutable:
            return file + " is not an executable (" + reason + ")";
        case Form::kMalformed:
            return file + " is not a well-formed executable (" + reason + ")";
        case Form::kOpen: {
            const std::string os = TagBeside(context, "osErrorInfo");
            return "cannot open " + named + " (" + (os.empty() ? reason : os) + ")";
        }
        case Form::kNotRegular:
            return doing + " (" + named + " is not a regular file)";
        case Form::kDoing:
            break;
    }
    return doing + " (" + reason + ")";
}

std::vector<std::string> LogMessages(const LogEntry2& root) {
    std::vector<std::string> messages;
    CollectMessages(root, messages);
    return messages;
}

}  // namespace resmelder
