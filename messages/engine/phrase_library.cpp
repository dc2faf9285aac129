#include "phrase_library.h"

#include <optional>
#include <string>
#include <vector>

#include "file_access.h"
#include "phrase_format.h"
#include "text_file_encoding.h"
#include "unicode_text.h"

namespace murmurex {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kCategoryExtension = ".lst";
constexpr int kSelectionWriteAttempts = 101;

bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

}  // namespace

bool WriteWholeFile(const fs::path& path, std::string_view bytes) {
    return ReplaceFileAtomically(path, bytes);
}

std::optional<std::string> ReadTextFile(const fs::path& path) {
    std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) {
        return std::nullopt;
    }
    return DecodeTextFile(std::move(*bytes));
}

fs::path SelectionFilePath(const fs::path& appPath) {
    return appPath / fs::path(std::string(kSelectionFileName));
}

fs::path CategoryFilePath(const fs::path& appPath, std::string_view category) {
    if (!IsPlainFileName(category)) {
        return {};
    }
    std::optional<fs::path> file =
        PathFromText(std::string(category) + std::string(kCategoryExtension));
    if (!file) {
        return {};
    }
    return appPath / fs::path(std::string(kListsFolder)) / *file;
}

void FillComboWithFiles(CheckList& list, const fs::path& appPath, std::string_view folder,
                        std::string_view extension) {
    list.Clear();
    const std::optional<fs::path> folderName = PathFromText(folder);
    if (!folderName) {
        return;
    }
    for (const std::string& file : ListFileNames(appPath / *folderName, extension)) {
        // Strip "." + extension. A name that is not plain (possible on some file systems)
        // could never be saved back or named safely in the selection file.
        std::string name = file.substr(0, file.size() - extension.size() - 1);
        if (IsPlainFileName(name)) {
            list.AddItem(std::move(name));
        }
    }
}

void LoadCategorySelection(CheckList& categories, const fs::path& appPath) {
    const std::optional<std::string> text = ReadTextFile(SelectionFilePath(appPath));
    if (!text) {
        return;
    }
    for (std::string_view line : SplitCrLf(*text)) {
        if (line.empty() || !IsDigit(line.front())) {
            break;
        }
        TickCategory(categories, line.substr(1), line.front() == '1');
    }
}

bool SaveCategorySelection(CheckList& categories, const fs::path& appPath, const MessagePump& pump,
                           const FileWriter& write) {
    if (categories.IsEmpty()) {
        return true;
    }
    const int remembered = categories.ListIndex();
    const fs::path path = SelectionFilePath(appPath);
    bool saved = false;
    for (int attempt = 0; attempt < kSelectionWriteAttempts && !saved; ++attempt) {
        if (pump) {
            pump();
        }
        // Built after the pump: a handler that ran inside it may have changed a tick.
        std::optional<std::string> lines = FormatFlaggedLines(categories);
        if (categories.IsEmpty() || !lines) {
            break;
        }
        saved = write(path, EncodeTextFile(std::move(*lines)));
    }
    categories.SetListIndex(remembered);
    return saved;
}

void TickCategory(CheckList& list, std::string_view name, bool ticked) {
    for (int i = 0; i < list.ListCount(); ++i) {
        if (TextEqualNoCase(list.List(i), name)) {
            list.SetTicked(i, ticked);
            return;
        }
    }
}

PhraseLoad LoadPhrases(const CheckList& categories, CheckList& phrases, const fs::path& appPath) {
    phrases.Clear();
    const fs::path path = CategoryFilePath(appPath, categories.Text());
    if (path.empty() || !IsExistingFile(path)) {
        return PhraseLoad::kNoFile;
    }
    const std::optional<std::string> text = ReadTextFile(path);
    if (!text) {
        return PhraseLoad::kUnreadable;
    }
    for (std::string_view line : SplitCrLf(*text)) {
        CheckEntry entry = ParsePhraseLine(line);
        phrases.AddItem(std::move(entry.text));
        phrases.SetTicked(phrases.ListCount() - 1, entry.ticked);
    }
    return PhraseLoad::kLoaded;
}

bool SavePhrases(const CheckList& categories, const CheckList& phrases, const fs::path& appPath,
                 const FileWriter& write) {
    const fs::path path = CategoryFilePath(appPath, categories.Text());
    if (path.empty()) {
        return false;
    }
    if (phrases.IsEmpty()) {
        // A category whose last phrase goes loses its file.
        return DeleteFileAt(path);
    }
    std::optional<std::string> lines = FormatFlaggedLines(phrases);
    return lines && write(path, EncodeTextFile(std::move(*lines)));
}

PhrasePool BuildPhrasePool(const fs::path& appPath) {
    PhrasePool pool;
    const std::optional<std::string> selection = ReadTextFile(SelectionFilePath(appPath));
    if (!selection) {
        return pool;
    }
    for (std::string_view line : SplitCrLf(*selection)) {
        if (line.empty() || !IsDigit(line.front()) || line.front() == '0') {
            continue;
        }
        const fs::path path = CategoryFilePath(appPath, line.substr(1));
        if (path.empty()) {
            continue;
        }
        const std::optional<std::string> text = ReadTextFile(path);
        if (!text || IsBlank(*text)) {
            continue;
        }
        std::vector<std::string_view> phrases = SplitCrLf(*text);
        for (std::string_view& phrase : phrases) {
            phrase = PhraseTextOf(phrase);
        }
        AppendAllUnique(pool, phrases);
    }
    return pool;
}

}  // namespace murmurex
