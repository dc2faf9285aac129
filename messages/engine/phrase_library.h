#pragma once
// The phrase library on disk: one category file "<name>.lst" per category in the "Lists"
// folder beside the program, and the selection file "_._" recording the category ticks.
// Every operation reads the files it needs afresh; nothing is cached between calls.
//
// The functions work on CheckList models that the settings window's two list boxes mirror.
// Ticks set while loading are set on the model directly; they are never user toggles, so
// the window layer saves only on real clicks.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "check_list.h"
#include "phrase_pool.h"

namespace murmurex {

/// The selection file and the folder of category files, beside the program.
inline constexpr std::string_view kSelectionFileName = "_._";
inline constexpr std::string_view kListsFolder = "Lists";

/// Writes a whole file, replacing it; true on success. The default replaces atomically.
using FileWriter = std::function<bool(const std::filesystem::path& path, std::string_view bytes)>;

/// Lets pending window messages run once (the window layer supplies it; may be empty).
using MessagePump = std::function<void()>;

/// The default FileWriter: ReplaceFileAtomically.
bool WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

/// The text (UTF-8) of a library file, read whole and decoded as DecodeTextFile says; nothing
/// when ReadWholeFile gives nothing.
std::optional<std::string> ReadTextFile(const std::filesystem::path& path);

/// The selection file beside the program.
std::filesystem::path SelectionFilePath(const std::filesystem::path& appPath);

/// The category file of `category`; empty when the name is not a plain file name (it could
/// reach outside the "Lists" folder) or the code page cannot express it.
std::filesystem::path CategoryFilePath(const std::filesystem::path& appPath,
                                       std::string_view category);

/// Clears `list` and adds the name, without extension, of every ordinary file with
/// `extension` in the folder `folder` under `appPath`, in directory order. A missing folder
/// leaves the list empty. Names that are not plain file names are left out.
void FillComboWithFiles(CheckList& list, const std::filesystem::path& appPath,
                        std::string_view folder, std::string_view extension);

/// Ticks the categories the selection file names with flag "1" and unticks those with
/// another digit, stopping at the first line that does not start with a digit. A missing
/// file changes nothing.
void LoadCategorySelection(CheckList& categories, const std::filesystem::path& appPath);

/// Writes the selection file from `categories` (one flagged line per entry, encoded as
/// EncodeTextFile says), in up to 101
/// attempts, letting `pump` run before each. The lines are built after the pump, so a tick
/// changed meanwhile is written, never overwritten by an older state. The highlighted entry
/// is restored afterwards. An empty list leaves the file alone (true). False when every
/// attempt failed; the old file is then whole.
bool SaveCategorySelection(CheckList& categories, const std::filesystem::path& appPath,
                           const MessagePump& pump, const FileWriter& write = WriteWholeFile);

/// Sets the tick of the first entry whose text equals `name` without regard to case.
void TickCategory(CheckList& list, std::string_view name, bool ticked);

enum class PhraseLoad {
    kLoaded,      ///< The file was read (it may have held no line).
    kNoFile,      ///< No category selected, or it has no file yet: the list may be filled.
    kUnreadable,  ///< The file exists but could not be read (locked, too large): the list is
                  ///< empty, and saving over the file would lose its phrases.
};

/// What a click on the category list does: clears `phrases` and fills it from the file of
/// the highlighted category, line i ticking entry i when its flag is "1". A line without a
/// "0"/"1" flag comes in whole and unticked; an empty line as an empty unticked entry.
PhraseLoad LoadPhrases(const CheckList& categories, CheckList& phrases,
                       const std::filesystem::path& appPath);

/// Writes the file of the highlighted category from `phrases` (encoded as EncodeTextFile
/// says); an empty list deletes the file instead. False (nothing changed on disk) when no plain
/// category is highlighted, a text holds a CR LF, or the write or delete fails.
bool SavePhrases(const CheckList& categories, const CheckList& phrases,
                 const std::filesystem::path& appPath, const FileWriter& write = WriteWholeFile);

/// The pool of every phrase of every ticked category, in selection-file order, first
/// occurrence kept. Categories whose file is missing, unreadable or blank, or whose name is
/// not a plain file name, contribute nothing. Empty phrases never enter the pool.
PhrasePool BuildPhrasePool(const std::filesystem::path& appPath);

}  // namespace murmurex
