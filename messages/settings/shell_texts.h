#pragma once
// The settings window's and tray menu's own texts, exactly as the user sees them.

namespace murmurex::shell_texts {

inline constexpr char kCaption[] = "Murmurex - Settings";
/// The application title: the title of every message box.
inline constexpr char kAppTitle[] = "Murmurex";
inline constexpr char kTipClickForMenu[] = "Click for menu options.";
inline constexpr char kTipOn[] = "Subliminal Message are ON.";
inline constexpr char kTipOff[] = "Subliminal Message are OFF.";
inline constexpr char kFirstRunHint[] =
    "To view help click the 'Help' tab at the top of this window.";
inline constexpr char kExitQuestion[] = "Are you sure you wish to exit the application?";

// Tray menu.
inline constexpr char kMenuPopUp[] = "YouShouldNotSeeMe";
inline constexpr char kMenuSettings[] = "Settings";
inline constexpr char kMenuStart[] = "Start";
inline constexpr char kMenuStop[] = "Stop";
inline constexpr char kMenuExit[] = "Exit Application";

// Tabs.
inline constexpr char kTabMessages[] = "Messages";
inline constexpr char kTabHelp[] = "Help";
inline constexpr char kTabAbout[] = "About";

// Page files beside the program.
inline constexpr char kHelpFile[] = "Help.rtf";
inline constexpr char kAboutFile[] = "About.rtf";

// Messages page.
inline constexpr char kLabel1[] = "Select Your Categories";
inline constexpr char kLabel2[] = "Add/Edit Subliminal Phrases";
inline constexpr char kTipCategories[] =
    "This is the list of subliminal message categories. Check the ones who want to view.";
inline constexpr char kTipEditCat[] = "You can enter or edit subliminal message categories here";
inline constexpr char kTipPhrases[] =
    "List is the list of subliminal messages for the selected category.";
inline constexpr char kTipEditWord[] =
    "To add a subliminal message first select a category and then type in a new message and "
    "click 'Add'";
inline constexpr char kAdd[] = "Add";
inline constexpr char kEdit[] = "Edit";
inline constexpr char kDelete[] = "Delete";
inline constexpr char kExit[] = "E&xit";
inline constexpr char kStart[] = "&Start";
inline constexpr char kStop[] = "Stop";
inline constexpr char kTipStop[] = "Click this button to stop the subliminal messages";

// Timing, font and colour.
inline constexpr char kFrameTimes[] = "Times and Duration";
inline constexpr char kFrameFont[] = "Font";
// The wheels' labels: "Duration: " & n & " Millisecond(s)", "Frequency: " & n & " Second(s)".
inline constexpr char kDurationBefore[] = "Duration: ";
inline constexpr char kDurationAfter[] = " Millisecond(s)";
inline constexpr char kFrequencyBefore[] = "Frequency: ";
inline constexpr char kFrequencyAfter[] = " Second(s)";
inline constexpr char kEditFont[] = "Edit Font";
inline constexpr char kTipColour[] = "Select the font color here";
inline constexpr char kPreview[] = "Font Preview";
inline constexpr char kTipPreview[] =
    "This is a preview of how the subliminal message will look on a dark and light background";

}  // namespace murmurex::shell_texts
