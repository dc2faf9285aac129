// The print dialog, file titles and dialog templates against the platform's own dialogs.
// Wine has no printer unless one is set up, so the print dialog can only be checked for the
// failure it reports then; the template comes from this test program's own resources.
#include <windows.h>
// After windows.h, which it needs.
#include <cderr.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "common_dialog_win.h"
#include "helper_error.h"

namespace murmurex::dialogs {
namespace {

constexpr std::int32_t kReturnDefault = 0x400;

// Answers every dialog box the test's thread shows (the dialog itself, or the platform's word
// that no printer is installed) with one button.
class BoxAnswerer {
  public:
    explicit BoxAnswerer(int button)
        : dialogThread_(::GetCurrentThreadId()), button_(button), thread_([this] {
              while (!done_) {
                  ::EnumThreadWindows(
                      dialogThread_,
                      [](HWND window, LPARAM data) -> BOOL {
                          char name[16] = {};
                          ::GetClassNameA(window, name, sizeof name);
                          if (std::strcmp(name, "#32770") == 0 && ::IsWindowVisible(window)) {
                              char title[128] = {};
                              ::GetWindowTextA(window, title, sizeof title);
                              auto* self = reinterpret_cast<BoxAnswerer*>(data);
                              std::printf("answering \"%s\"\n", title);
                              ::PostMessageA(window, WM_COMMAND, self->button_, 0);
                              ++self->answered_;
                          }
                          return TRUE;
                      },
                      reinterpret_cast<LPARAM>(this));
                  ::Sleep(100);
              }
          }) {}
    ~BoxAnswerer() { Stop(); }
    /// Stops answering; how many times a box was answered.
    int Stop() {
        done_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        return answered_;
    }

  private:
    DWORD dialogThread_;
    int button_;
    std::atomic<bool> done_{false};
    std::atomic<int> answered_{0};
    std::thread thread_;
};

TEST(PrintDialogWin, WithoutAPrinterTheFailureRuleRaisesTheExtendedError) {
    // The worker on its own: the platform's extended error, not a cancel.
    GCommonDialog worker;
    GCommonDialog::PrintRequest request;
    request.flags = kReturnDefault;
    EXPECT_FALSE(worker.VBPrintDlg(request, nullptr, false, nullptr));
    EXPECT_EQ(worker.APIReturn(), 0);
    const std::int64_t extended = worker.ExtendedError();
    EXPECT_EQ(extended, PDERR_NODEFAULTPRN);
    EXPECT_EQ(request.printerName, "");

    cCommonDialog dialog("Messages");
    dialog.flags = kReturnDefault;
    dialog.Copies = 2;
    EXPECT_FALSE(dialog.ShowPrinter());
    EXPECT_EQ(LastHelperError().number, extended | 0x348A);
    EXPECT_EQ(LastHelperError().source, "Messages.cCommonDialog");
    EXPECT_EQ(dialog.PrinterName(), "");
    EXPECT_EQ(dialog.Copies, 2);
}

TEST(PrintDialogWin, ShownWithoutAPrinterTheUserCanOnlyCancel) {
    // Wine shows its print dialog even without a printer; the user can only cancel it, and the
    // properties stay as they were. Wine keeps a dialog library's extended error until the next
    // failure, so after the failures above the cancel reports the missing printer again; alone,
    // it is a plain cancel. Either way the number follows the failure rule exactly.
    BoxAnswerer answerer(IDCANCEL);
    cCommonDialog dialog("Messages");
    dialog.FromPage = 1;
    dialog.ToPage = 70000;
    dialog.Max = 70000;
    dialog.Copies = 3;
    const bool chosen = dialog.ShowPrinter();
    const DWORD extended = ::CommDlgExtendedError();
    EXPECT_GE(answerer.Stop(), 1) << "no print dialog showed";
    EXPECT_FALSE(chosen);
    if (extended == 0) {
        EXPECT_EQ(LastHelperError().number, 0);
    } else {
        EXPECT_EQ(extended, static_cast<DWORD>(PDERR_NODEFAULTPRN));
        EXPECT_EQ(LastHelperError().number, extended | 0x348A);
        EXPECT_EQ(LastHelperError().source, "Messages.cCommonDialog");
    }
    EXPECT_EQ(dialog.Copies, 3);
    EXPECT_EQ(dialog.ToPage, 70000);
    EXPECT_EQ(dialog.PrinterName(), "");
}

TEST(PageSetupDialogWin, WithoutAPrinterFailsWithTheExtendedError) {
    GCommonDialog worker;
    GCommonDialog::PageSetupRequest request;
    request.flags = kReturnDefault;
    BoxAnswerer answerer(IDOK);
    const bool chosen = worker.VBPageSetupDlg(request, nullptr, false, nullptr);
    // Wine tells the user in a box of its own before it fails.
    std::printf("boxes answered while the page-setup dialog ran: %d\n", answerer.Stop());
    EXPECT_FALSE(chosen);
    EXPECT_EQ(worker.APIReturn(), 0);
    EXPECT_NE(worker.ExtendedError(), 0);
}

TEST(FileTitleWin, TheNameWithoutItsFolders) {
    GCommonDialog worker;
    EXPECT_EQ(worker.VBGetFileTitle("C:\\Mes Listes\\Caf\xE9 \xC9t\xE9.LST"),
              "Caf\xE9 \xC9t\xE9.LST");
    EXPECT_EQ(worker.APIReturn(), 0);
    EXPECT_EQ(worker.VBGetFileTitle("Plain Name.lst"), "Plain Name.lst");
    // Wild cards are no file's title.
    EXPECT_EQ(worker.VBGetFileTitle("C:\\Lists\\*.lst"), "");
    EXPECT_NE(worker.APIReturn(), 0);
}

// Records the dialog the hook sees (the template's own dialog) and presses Cancel on the frame.
class TemplateOwner : public DialogNotifications {
  public:
    bool templateTextFound = false;
    std::intptr_t InitDialog(std::uintptr_t dialog) override {
        const HWND child = reinterpret_cast<HWND>(dialog);
        char text[64] = {};
        ::GetDlgItemTextA(child, 1234, text, sizeof text);
        templateTextFound = std::strcmp(text, "Phrases of the chosen list") == 0;
        ::PostMessageA(::GetParent(child), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    std::intptr_t FileChange(std::uintptr_t) override { return 0; }
    std::intptr_t FolderChange(std::uintptr_t) override { return 0; }
    std::intptr_t TypeChange(std::uintptr_t) override { return 0; }
    bool ConfirmOK() override { return true; }
    void DialogClose() override {}
    void WMCommand(std::uintptr_t, std::uintptr_t, std::intptr_t) override {}
};

TEST(DialogTemplatesWin, ALoadedModulesTemplateJoinsTheOpenDialog) {
    char self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    std::string name = std::strrchr(self, '\\') ? std::strrchr(self, '\\') + 1 : self;
    for (char& c : name) {
        c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));  // the loader ignores case
    }
    TemplateOwner owner;
    cCommonDialog dialog("Messages", &owner);
    ASSERT_TRUE(dialog.cdLoadLibrary(name));
    EXPECT_EQ(dialog.hInstance, ::GetModuleHandleA(nullptr));
    dialog.HookDialog = true;
    dialog.TemplateName = 101;
    dialog.flags = 0x40;
    EXPECT_FALSE(dialog.ShowOpen());
    EXPECT_EQ(LastHelperError().number, 0);
    EXPECT_TRUE(owner.templateTextFound) << "the template's text was not in the dialog";

    dialog.cdFreeLibrary();
    EXPECT_EQ(dialog.hInstance, nullptr);
    EXPECT_FALSE(dialog.cdLoadLibrary("no such module here.dll"));
    EXPECT_EQ(dialog.hInstance, nullptr);
}

TEST(DialogTemplatesWin, WithoutAnInstanceTheTemplateFlagGoesAndTheDialogStillOpens) {
    TemplateOwner owner;
    cCommonDialog dialog("Messages", &owner);
    dialog.HookDialog = true;
    dialog.TemplateName = 101;
    dialog.flags = 0x40;
    EXPECT_FALSE(dialog.ShowSave());  // cancelled by the owner, not refused by the platform
    EXPECT_EQ(LastHelperError().number, 0);
    EXPECT_FALSE(owner.templateTextFound);
    EXPECT_EQ(dialog.flags & 0x40, 0);
}

}  // namespace
}  // namespace murmurex::dialogs
