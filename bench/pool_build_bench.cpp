// Pool building at scale: 200 category files of 500 phrases (100,000 phrases, a third of them
// case-changed duplicates of phrases in earlier categories), all ticked. Times BuildPhrasePool
// against a reference builder that tests duplicates by a linear scan of the pool so far, and
// checks both build the same pool.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "file_access.h"
#include "phrase_format.h"
#include "phrase_library.h"
#include "phrase_pool.h"
#include "testing/stopwatch.h"
#include "testing/test_files.h"
#include "testing/test_folder.h"
#include "unicode_text.h"

namespace {

namespace fs = std::filesystem;

constexpr int kCategories = 200;
constexpr int kPhrasesPerCategory = 500;
constexpr int kRuns = 15;

const char* const kWords[] = {"I",      "am",      "calm",      "focused", "strong",
                              "every",  "day",     "breathe",   "slowly",  "trust",
                              "myself", "caf\xE9", "\xE9t\xE9", "deeply",  "rest",
                              "well",   "and",     "grow",      "light",   "now"};

// Flips the case of some letters, ASCII and the two accented ones the words use.
std::string ScrambleCase(std::string text, std::mt19937& rng) {
    std::bernoulli_distribution flip(0.5);
    for (char& c : text) {
        if (!flip(rng)) {
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || byte == 0xE9) {
            c = static_cast<char>(byte - 0x20);
        } else if ((byte >= 'A' && byte <= 'Z') || byte == 0xC9) {
            c = static_cast<char>(byte + 0x20);
        }
    }
    return text;
}

std::string NewPhrase(int serial, std::mt19937& rng) {
    std::uniform_int_distribution<int> wordCount(3, 7);
    std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
    std::string phrase;
    for (int i = wordCount(rng); i > 0; --i) {
        phrase += kWords[word(rng)];
        phrase += ' ';
    }
    phrase += std::to_string(serial);  // keeps every new phrase distinct
    return ScrambleCase(std::move(phrase), rng);
}

void GenerateLibrary(const fs::path& app) {
    std::mt19937 rng(20240611);
    std::bernoulli_distribution ticked(0.7);
    fs::create_directories(app / "Lists");
    std::vector<std::string> written;  // every phrase of the categories so far
    std::string selection;
    int serial = 0;
    for (int category = 0; category < kCategories; ++category) {
        const std::size_t earlier = written.size();  // phrases of earlier categories
        std::string bytes;
        for (int i = 0; i < kPhrasesPerCategory; ++i) {
            std::string phrase;
            const bool duplicate = i % 3 == 2;
            if (duplicate) {
                // From an earlier category when there is one, else from this one so far.
                const std::size_t range = earlier > 0 ? earlier : written.size();
                std::uniform_int_distribution<std::size_t> pick(0, range - 1);
                phrase = ScrambleCase(written[pick(rng)], rng);
            } else {
                phrase = NewPhrase(serial++, rng);
            }
            written.push_back(phrase);
            if (i > 0) {
                bytes += "\r\n";
            }
            bytes += ticked(rng) ? '1' : '0';
            bytes += phrase;
        }
        char name[16];
        std::snprintf(name, sizeof name, "Cat%03d", category);
        test_support::WriteFileBytes(app / "Lists" / (std::string(name) + ".lst"), bytes);
        if (category > 0) {
            selection += "\r\n";
        }
        selection += '1';
        selection += name;
    }
    test_support::WriteFileBytes(murmurex::SelectionFilePath(app), selection);
}

// The same pool built the plain way: scan the pool so far for each phrase, comparing every
// element without regard to case.
std::vector<std::string> BuildLinear(const fs::path& app) {
    std::vector<std::string> pool;
    const auto selection = murmurex::ReadTextFile(murmurex::SelectionFilePath(app));
    if (!selection) {
        return pool;
    }
    for (std::string_view line : murmurex::SplitCrLf(*selection)) {
        if (line.empty() || line.front() < '1' || line.front() > '9') {
            continue;
        }
        const fs::path path = murmurex::CategoryFilePath(app, line.substr(1));
        const auto text = path.empty() ? std::nullopt : murmurex::ReadTextFile(path);
        if (!text || murmurex::IsBlank(*text)) {
            continue;
        }
        for (std::string_view phraseLine : murmurex::SplitCrLf(*text)) {
            const std::string_view phrase = murmurex::PhraseTextOf(phraseLine);
            if (phrase.empty()) {
                continue;
            }
            const bool known = std::any_of(pool.begin(), pool.end(), [&](const std::string& e) {
                return murmurex::TextEqualNoCase(e, phrase);
            });
            if (!known) {
                pool.emplace_back(phrase);
            }
        }
    }
    return pool;
}

}  // namespace

int main() {
    const test_support::TestFolder folder("murmurex-pool-bench");
    const fs::path& app = folder.path();
    GenerateLibrary(app);

    // Wall time is what counts; CPU time shows how much of it a busy machine took away.
    std::vector<double> times;
    std::vector<double> cpuTimes;
    murmurex::PhrasePool pool;
    for (int run = 0; run < kRuns; ++run) {
        const std::clock_t cpuStart = std::clock();
        const test_support::Stopwatch watch;
        pool = murmurex::BuildPhrasePool(app);
        times.push_back(watch.ElapsedMs());
        cpuTimes.push_back(1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    const double hashed = times[times.size() / 2];

    const test_support::Stopwatch watch;
    const std::vector<std::string> reference = BuildLinear(app);
    const double linear = watch.ElapsedMs();

    const bool same = pool.Items() == reference;
#ifndef NDEBUG
    std::printf("note: unoptimized build; configure with -DCMAKE_BUILD_TYPE=Release for figures\n");
#endif
    const int total = kCategories * kPhrasesPerCategory;
    std::printf("input: %d categories x %d phrases = %d phrases, pool of %zu\n", kCategories,
                kPhrasesPerCategory, total, pool.Count());
    std::printf("BuildPhrasePool: %.2f ms (median of %d runs, best %.2f ms; CPU median %.2f ms)\n",
                hashed, kRuns, times.front(), cpuTimes[cpuTimes.size() / 2]);
    std::printf("linear scan:     %.2f ms\n", linear);
    std::printf("ratio:           %.0fx\n", linear / hashed);
    std::printf("same pool:       %s\n", same ? "yes" : "NO");
    std::printf("goal (<= 50 ms, >= 100x): %s\n",
                same && hashed <= 50.0 && linear / hashed >= 100.0 ? "met" : "NOT met");
    return same ? 0 : 1;
}
