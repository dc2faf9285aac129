// Hostile resource sections made from Wine's own libraries, one per kind of mutation, run
// through the tool as a user would: list the file, add one string and write. Each case runs
// in a child process bounded in time, memory and output size, and the outcome must be sound:
// the write succeeds and the new file holds the added entry, or it is refused with a log and
// leaves nothing behind. A success whose output lacks the entry is the worst answer of all.
//
// The mutants are made here from the installed libraries rather than stored, since each is
// megabytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "fuzz/bounded_run.h"
#include "fuzz/pe_mutator.h"
#include "fuzz/small_seed.h"
#include "image/exe_image.h"
#include "image/test_pe.h"
#include "support/log.h"
#include "testing/stopwatch.h"
#include "testing/test_folder.h"
#include "tool/tool.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using fuzz::Mutation;

const fs::path kWineLibraries = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
constexpr const char* kBuiltImage = "built";  // the small image of small_seed.h
constexpr const char* kEntryName = "HOSTILE_PROBE";
constexpr const char* kEntryText = "probe text";

// Where the tree must leave its section (code follows it), the entry is larger than a page,
// so that the tree cannot stay where it is and goes into a new section at the end.
bool NeedsNewSection(const std::optional<Mutation>& kind) {
    return kind == Mutation::kCodeAfterResources || kind == Mutation::kNoHeaderRoom;
}

std::string EntryText(const std::optional<Mutation>& kind) {
    return NeedsNewSection(kind) ? std::string(kEntryText) + std::string(0x2400, '+')
                                 : std::string(kEntryText);
}

// A debug build lists and rewrites the largest of these libraries (15 MB) in well under a
// second; two seconds leaves room for a busy machine, and the sanitizers get their factor.
fuzz::RunLimits Limits(std::uintmax_t inputSize) {
    fuzz::RunLimits limits;
    const int slowdown = fuzz::SanitizerSlowdown();
    limits.time = std::chrono::milliseconds(2000 * slowdown);
    limits.residentBytes = (slowdown > 1 ? 2ull : 1ull) << 30;
    // The output is the input with a regenerated resource section and one small entry: twice
    // the input is already far more than a sound write needs.
    limits.fileBytes = 2 * inputSize + (16u << 20);
    return limits;
}

// Counts the listed lines and keeps none of them: a hostile tree may list millions.
class LineCounter : public std::streambuf {
  public:
    std::uint64_t lines = 0;

  protected:
    int_type overflow(int_type c) override {
        lines += c == '\n' ? 1 : 0;
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        lines += static_cast<std::uint64_t>(std::count(s, s + n, '\n'));
        return n;
    }
};

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', '|');
    return text.substr(0, 400);
}

const ExeResource* FindLeaf(const ExeResource* node, const std::vector<std::uint16_t>& path) {
    for (const std::uint16_t id : path) {
        const ExeResource* next = nullptr;
        for (std::uint32_t i = 0; node != nullptr && i < node->NumericChildren().Count(); ++i) {
            if (node->NumericChildren().Get(i)->Id() == id) {
                next = node->NumericChildren().Get(i);
                break;
            }
        }
        node = next;
    }
    return node != nullptr && !node->IsDirectory() ? node : nullptr;
}

// What the loader needs of a written file: section ranges in ascending order without
// overlap, and raw data inside the file.
std::string LayoutProblem(const ExeImage& image, std::uintmax_t fileSize) {
    const auto& sections = image.Sections();
    std::uint64_t virtualEnd = 0;
    for (std::uint32_t i = 0; i < sections.Count(); ++i) {
        const ExeSection& s = *sections.Get(i);
        if (s.VirtualAddress() < virtualEnd) {
            return "section " + std::to_string(i) + " overlaps the one before";
        }
        virtualEnd = std::uint64_t{s.VirtualAddress()} + s.Extent();
        if (s.SizeOfRawData() != 0 &&
            std::uint64_t{s.PointerToRawData()} + s.SizeOfRawData() > fileSize) {
            return "section " + std::to_string(i) + " runs past the file's end";
        }
    }
    return "ok";
}

// The child's side: every step, reported one line each as "key value...".
void ListAddWriteReload(const fs::path& in, const fs::path& out, const std::string& text,
                        const std::optional<fuzz::LeafExpectation>& leaf, int report) {
    LineCounter counter;
    std::ostream listed(&counter);
    std::ostringstream err;
    test_support::Stopwatch watch;
    const int listed_rc = RunTool({"list", in.string()}, listed, err);
    fuzz::WriteReport(report, "list " + std::to_string(listed_rc) + " " +
                                  std::to_string(watch.ElapsedSeconds()) + " " +
                                  std::to_string(counter.lines) + "\n");
    fuzz::WriteReport(report, "listlog " + OneLine(err.str()) + "\n");

    std::ostringstream ignored;
    std::ostringstream addErr;
    watch.Restart();
    const int added =
        RunTool({"add-string", in.string(), kEntryName, text, "-o", out.string()}, ignored, addErr);
    fuzz::WriteReport(report, "add " + std::to_string(added) + " " +
                                  std::to_string(watch.ElapsedSeconds()) + "\n");
    fuzz::WriteReport(report, "addlog " + OneLine(addErr.str()) + "\n");
    if (added != 0) {
        return;
    }
    Logger log;
    auto image = ExeImage::Load(XString::FromUtf8(out.string()), &log);
    if (!image) {
        fuzz::WriteReport(report, "reload failed\n");
        return;
    }
    fuzz::WriteReport(report, "layout " + LayoutProblem(*image, fs::file_size(out)) + "\n");
    fuzz::WriteReport(report, "sections " + std::to_string(image->Sections().Count()) + "\n");
    const auto found = image->FindNamed(kEntryName, nullptr);
    const bool same = found && found->data != nullptr && found->size == text.size() &&
                      std::equal(text.begin(), text.end(), found->data);
    fuzz::WriteReport(report, std::string("found ") +
                                  (!found ? "none"
                                   : same ? "same"
                                          : "other") +
                                  "\n");
    if (leaf) {
        const ExeResource* node = FindLeaf(image->Resources(), leaf->path);
        std::string state = "missing";
        if (node != nullptr) {
            const auto data = node->Data();
            state = data.empty() ? "empty"
                    : std::equal(data.begin(), data.end(), leaf->bytes.begin(), leaf->bytes.end())
                        ? "equal"
                        : "different";
        }
        fuzz::WriteReport(report, "leaf " + state + "\n");
    }
}

std::map<std::string, std::string> Steps(const std::string& report) {
    std::map<std::string, std::string> steps;
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        const auto space = line.find(' ');
        steps[line.substr(0, space)] = space == std::string::npos ? "" : line.substr(space + 1);
    }
    return steps;
}

// One line per case for the test's output: what each step did and how long it took.
std::string Summary(const fuzz::RunOutcome& outcome, std::map<std::string, std::string> steps) {
    std::string text = outcome.Describe();
    for (const char* step : {"list", "add", "reload", "layout", "sections", "found", "leaf"}) {
        if (steps.count(step) != 0) {
            text += std::string("; ") + step + " " + steps[step];
        }
    }
    if (!steps["addlog"].empty()) {
        text += "; add log: " + steps["addlog"].substr(0, 160);
    }
    return text;
}

int FirstNumber(const std::string& text) {
    return text.empty() ? -1 : std::atoi(text.c_str());
}

struct Case {
    std::optional<Mutation> kind;  // none: the library as installed, the control case
    std::string library;
};

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name = info.param.kind ? std::string(fuzz::MutationName(*info.param.kind))
                                       : std::string("unchanged");
    name += "_" + info.param.library;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

// Shown in test names and failure messages instead of the parameter's bytes.
void PrintTo(const Case& c, std::ostream* out) {
    *out << (c.kind ? fuzz::MutationName(*c.kind) : "unchanged") << " on " << c.library;
}

// Each kind runs on one library, so that the suite stays quick; the benchmark runs the
// slowest kinds on all four. Every library takes a share of the kinds, and where the outcome
// depends on the library the one chosen is where the fault shows: a resource section moved to
// the front only writes its claimed raw size when the tree still fits in it (comctl32), and
// the shared data entry's 32,767 leaves cost seconds under the sanitizers on a large section.
// The unchanged libraries show that the bounds hold for inputs that are not hostile at all.
std::vector<Case> Cases() {
    std::vector<Case> cases;
    for (const char* library : {"comdlg32", "comctl32", "shell32", "user32"}) {
        cases.push_back({std::nullopt, library});
    }
    const std::vector<std::pair<Mutation, const char*>> kinds = {
        {Mutation::kDirectoryCount32767, "comdlg32"},
        {Mutation::kSubdirectoriesToRoot, "comctl32"},
        {Mutation::kSubdirectoriesToParent, "shell32"},
        {Mutation::kRootEntriesShareSubdirectory, "user32"},
        {Mutation::kOverlappingDirectories, "comdlg32"},
        {Mutation::kSharedLongName, "comctl32"},
        {Mutation::kSharedDataEntry, "comctl32"},
        {Mutation::kRootLeafRcdata, "user32"},
        {Mutation::kRawSizeHuge, "shell32"},
        {Mutation::kEarlyResourceSectionHuge, "comctl32"},
        {Mutation::kRawSizePastEnd, "shell32"},
        {Mutation::kVirtualSizeOverRaw, "user32"},
        {Mutation::kOverlappingVirtualRanges, "comdlg32"},
        {Mutation::kDataInHeaders, "shell32"},
        {Mutation::kCodeAfterResources, "comdlg32"},
        {Mutation::kResourceDirectoryCleared, "user32"},
        {Mutation::kNoHeaderRoom, "comctl32"},
    };
    for (const auto& [kind, library] : kinds) {
        cases.push_back({kind, library});
    }
    // Every kind again on a small built image: milliseconds each, and no Wine needed.
    for (const Mutation kind : fuzz::AllMutations()) {
        cases.push_back({kind, kBuiltImage});
    }
    return cases;
}

// Every kind has its case.
TEST(HostileInputCasesTest, CoverEveryMutationKind) {
    std::set<Mutation> covered;
    for (const Case& c : Cases()) {
        if (c.kind) {
            covered.insert(*c.kind);
        }
    }
    EXPECT_EQ(covered.size(), fuzz::AllMutations().size());
}

class HostileInputTest : public ::testing::TestWithParam<Case> {};

TEST_P(HostileInputTest, ListAddAndWriteAreBoundedAndSound) {
    const Case& c = GetParam();
    const fs::path library = kWineLibraries / (c.library + ".dll");
    if (c.library != kBuiltImage && !fs::exists(library)) {
        GTEST_SKIP() << "Wine's " << library << " is not installed (package wine64); the "
                     << "hostile inputs are made from it";
    }
    const auto seed = c.library == kBuiltImage ? fuzz::SmallSeed() : testpe::ReadFile(library);
    fuzz::Mutant mutant{seed, std::nullopt};
    if (c.kind) {
        auto made = fuzz::Mutate(seed, *c.kind, 0);
        ASSERT_TRUE(made) << "the mutation found no place in " << library;
        mutant = std::move(*made);
    }
    const test_support::TestFolder folder("resmelder_hostile_" + CaseName({c, 0}));
    const fs::path in = folder / "in.dll";
    const fs::path out = folder / "out.dll";
    testpe::WriteFile(in, mutant.bytes);

    const std::string text = EntryText(c.kind);
    const auto outcome = fuzz::RunBounded(
        [&](int report) { ListAddWriteReload(in, out, text, mutant.leaf, report); },
        Limits(mutant.bytes.size()));
    auto steps = Steps(outcome.report);
    std::cout << "[ outcome  ] " << Summary(outcome, steps) << "\n";
    EXPECT_TRUE(outcome.finished) << outcome.Describe() << "; steps done: " << outcome.report;
    if (outcome.finished) {
        EXPECT_TRUE(steps["list"].starts_with("0 ") || steps["list"].starts_with("1 "))
            << steps["list"];
        if (FirstNumber(steps["list"]) == 1) {
            EXPECT_FALSE(steps["listlog"].empty()) << "a refused listing says why";
        }
        const int added = FirstNumber(steps["add"]);
        EXPECT_TRUE(added == 0 || added == 1) << steps["add"];
        // The new-section layouts: appended when the headers have room, refused when not.
        const auto sectionsBefore =
            testpe::Get16(mutant.bytes, testpe::Get32(mutant.bytes, 60) + 6);
        if (c.kind == Mutation::kCodeAfterResources) {
            EXPECT_EQ(added, 0) << steps["addlog"];
            EXPECT_EQ(FirstNumber(steps["sections"]), sectionsBefore + 1);
        } else if (c.kind == Mutation::kNoHeaderRoom) {
            EXPECT_EQ(added, 1);
            // The tool's one plain line names the reason.
            EXPECT_NE(steps["addlog"].find("(no room in the headers for another section header"),
                      std::string::npos)
                << steps["addlog"];
        } else if (c.kind == Mutation::kResourceDirectoryCleared) {
            EXPECT_EQ(added, 0) << steps["addlog"];
        }
        if (added == 0) {
            EXPECT_EQ(steps.count("reload"), 0u) << "the written file cannot be read back";
            EXPECT_EQ(steps["layout"], "ok") << "the written file cannot be loaded";
            EXPECT_EQ(steps["found"], "same")
                << "the write reported success but its output lacks the added entry";
            if (mutant.leaf && mutant.leaf->mustEqual) {
                EXPECT_EQ(steps["leaf"], "equal") << "the leaf's data was not kept";
            } else if (mutant.leaf) {
                EXPECT_NE(steps["leaf"], "equal")
                    << "the leaf's data was read from bytes outside its section";
            }
        } else if (added == 1) {
            EXPECT_FALSE(steps["addlog"].empty()) << "a refused write says why";
            EXPECT_EQ(testpe::FileNames(folder.path()), std::vector<std::string>{"in.dll"})
                << "a refused write leaves no output";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(WineLibraries, HostileInputTest, ::testing::ValuesIn(Cases()), CaseName);

}  // namespace
}  // namespace resmelder
