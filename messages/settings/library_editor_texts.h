#pragma once
// The Messages page's message-box texts, exactly as the user sees them.

namespace murmurex::library_editor_texts {

inline constexpr char kEnterCategory[] = "Please enter a category name you want to create.";
inline constexpr char kCategoryExists[] = "A category with that name already exists!";
inline constexpr char kUnusableCategoryName[] =
    "That name cannot be used for a category. Please choose another name.";
inline constexpr char kCreateError[] =
    "There was an error creating the category. A file with that name may already exist.";
inline constexpr char kRenameError[] =
    "There was an error renaming the category. Please try again later.";
inline constexpr char kSelectCategoryToEdit[] =
    "Please select a category name before clicking 'Edit'.";
inline constexpr char kSelectCategoryToDelete[] = "Please select a category you wish to delete.";
inline constexpr char kDeleteCategoryQuestion[] = "Are you sure you wish to delete this category?";
inline constexpr char kRemoveError[] = "There was an error trying to remove this category.";

inline constexpr char kEnterPhrase[] = "Please enter a phrase you want to add to this category.";
inline constexpr char kSelectCategoryForPhrase[] =
    "Please select a category before adding a phrase.";
inline constexpr char kPhraseExists[] = "That phrase is already in this category!";
inline constexpr char kSelectPhraseToEdit[] = "Please select a subliminal message to edit.";
inline constexpr char kSelectPhraseToDelete[] =
    "Please select a subliminal message you wish to delete.";

}  // namespace murmurex::library_editor_texts
