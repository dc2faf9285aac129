#include "tool/tool.h"

#include <memory>
#include <optional>
#include <span>

#include "image/exe_image.h"
#include "image/pending_output.h"
#include "support/encoding.h"
#include "support/file_sys.h"
#include "support/log.h"

namespace resmelder {
namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  resmelder list FILE\n"
    "  resmelder get FILE NAME                      (the entry's bytes on standard output)\n"
    "  resmelder extract FILE NAME OUTFILE\n"
    "  resmelder add-string IN NAME TEXT -o OUT\n"
    "  resmelder add-file IN NAME DATAFILE -o OUT\n"
    "  resmelder delete IN NAME -o OUT\n"
    "  resmelder edit IN [--add-string NAME TEXT | --add-file NAME DATAFILE | --delete NAME]...\n"
    "                -o OUT\n"
    "Entries are added as RCDATA (type 10), language 1. Names and text are converted to the\n"
    "ANSI code page. Names are stored in upper case, as the Windows loader looks them up, and\n"
    "NAME finds an entry in any case. OUT may be IN itself: it is replaced only when the new\n"
    "file is complete, and an edit in place waits for another edit of the same file to finish.\n"
    "OUTFILE of extract is replaced the same way, and may not be FILE.\n";

// How long an edit in place waits for another edit of the same file to finish.
constexpr std::uint32_t kEditLockTimeoutMs = 60000;

enum class EditKind { kAddString, kAddFile, kDelete };

struct Edit {
    EditKind kind;
    std::string name;  // ANSI
    std::string text;  // ANSI (strings) or UTF-8 file name
};

std::string Ansi(const std::string& utf8) {
    return XString::FromUtf8(utf8).Ansi();
}

// Whether the log holds anything besides contexts: a warning a successful command still shows.
bool HasMessages(const LogEntry2& entry) {
    if (entry.Kind() != LogEntry2::kContext) {
        return true;
    }
    for (std::uint32_t i = 0; i < entry.Children().Count(); ++i) {
        if (HasMessages(*entry.Children().Get(i))) {
            return true;
        }
    }
    return false;
}

std::string Display(const ExeResource& node) {
    if (!node.IsNamed()) {
        return std::to_string(node.Id());
    }
    std::string utf8;
    EncodingConvert::Utf16ToUtf8(node.Name16(), utf8);
    return utf8;
}

void ListLeaves(const ExeResource& node, std::vector<std::string>& path, std::ostream& out) {
    if (!node.IsDirectory()) {
        std::vector<std::string> columns = path;
        columns.resize(std::max<std::size_t>(columns.size(), 3), "-");
        for (const auto& c : columns) {
            out << c << '\t';
        }
        out << node.Size() << '\n';
        return;
    }
    for (const auto* list : {&node.NamedChildren(), &node.NumericChildren()}) {
        for (std::uint32_t i = 0; i < list->Count(); ++i) {
            const ExeResource& child = *list->Get(i);
            path.push_back(Display(child));
            ListLeaves(child, path, out);
            path.pop_back();
        }
    }
}

class Tool {
  public:
    Tool(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int Fail() {
        StringBuffer text;
        log_.GetLogText(text);
        err_ << text.View();
        return 1;
    }

    // Success; warnings the log took on the way (a signature that no longer matches, parts of
    // the source that were skipped) go to standard error.
    int Succeed() {
        if (HasMessages(log_.Tree().Root())) {
            StringBuffer text;
            log_.GetLogText(text);
            err_ << text.View();
        }
        return 0;
    }

    std::unique_ptr<ExeImage> Open(const std::string& file) {
        const XString name = XString::FromUtf8(file);
        if (!FileSys::FileCanOpen(name, &log_)) {
            return nullptr;
        }
        auto image = ExeImage::Load(name, &log_);
        if (!image) {
            log_.LogError("Failed to load EXE - unspecified error");
        }
        return image;
    }

    int List(const std::string& file) {
        auto image = Open(file);
        if (!image) {
            return Fail();
        }
        if (image->Resources() != nullptr) {
            std::vector<std::string> path;
            ListLeaves(*image->Resources(), path, out_);
        }
        return 0;
    }

    std::optional<FoundResource> Find(ExeImage& image, const std::string& name) {
        const std::string ansi = Ansi(name);
        auto found = image.FindNamed(ansi, nullptr);
        if (!found) {
            log_.LogError(("Failed to get resource data: ResourceName = " + ansi).c_str());
        }
        return found;
    }

    int Get(const std::string& file, const std::string& name, const std::string* outFile) {
        auto image = Open(file);
        if (!image) {
            return Fail();
        }
        const auto found = Find(*image, name);
        if (!found) {
            return Fail();
        }
        const std::span<const std::uint8_t> bytes(found->data, found->data ? found->size : 0);
        if (outFile == nullptr) {
            out_.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            return out_ ? 0 : 1;
        }
        // Written like an executable: the old file stays whole until the new one is, and a
        // link named as the output is replaced, never written through. Over the input itself
        // it would destroy the input.
        const XString target = XString::FromUtf8(*outFile);
        if (IsInputFile(image->SourceIdentity(), target, &log_) ||
            !ReplaceWholeFile(target, bytes, &log_)) {
            log_.LogError("Failed to write file");
            return Fail();
        }
        return 0;
    }

    int Apply(const std::string& in, const std::vector<Edit>& edits, const std::string& out) {
        // An edit in place holds the file locked from before it is read until it is replaced,
        // so a second edit at the same time waits and then applies to this one's result.
        const auto inIdentity = FileSys::IdentityOf(XString::FromUtf8(in));
        File lock;
        if (inIdentity && inIdentity == FileSys::IdentityOf(XString::FromUtf8(out)) &&
            !FileSys::LockForEdit(XString::FromUtf8(in), kEditLockTimeoutMs, lock, &log_)) {
            return Fail();
        }
        auto image = Open(in);
        if (!image) {
            return Fail();
        }
        for (const Edit& e : edits) {
            bool ok = true;
            switch (e.kind) {
                case EditKind::kAddString:
                    ok = image->AddBytes(
                        e.name,
                        {reinterpret_cast<const std::uint8_t*>(e.text.data()), e.text.size()},
                        &log_);
                    break;
                case EditKind::kAddFile: {
                    // The entry is read when written; a file that cannot be read now is an
                    // error here rather than an empty entry.
                    const XString data = XString::FromUtf8(e.text);
                    ok = FileSys::CheckRegularOrMissing(data, &log_) &&
                         FileSys::FileCanOpen(data, &log_) && image->AddFile(e.name, data, &log_);
                    break;
                }
                case EditKind::kDelete:
                    image->DeleteNamed(e.name);
                    break;
            }
            if (!ok) {
                return Fail();
            }
        }
        LogContext context(&log_, "WriteExe");
        const XString target = XString::FromUtf8(out);
        auto pending = image->WriteBeside(target, &log_);
        // The source is released before the target is replaced, so OUT may be IN.
        image.reset();
        if (!pending || !pending->Commit(&log_)) {
            return Fail();
        }
        return Succeed();
    }

  private:
    std::ostream& out_;
    std::ostream& err_;
    Logger log_;
};

int Usage(std::ostream& err, const char* problem) {
    err << "resmelder: " << problem << "\n" << kUsage;
    return 2;
}

// Parses "IN edits... -o OUT" for the edit commands.
int RunEdit(const std::string& command, const std::vector<std::string>& a, Tool& tool,
            std::ostream& err) {
    std::vector<Edit> edits;
    std::optional<std::string> out;
    std::size_t i = 2;
    auto need = [&](std::size_t n) { return i + n <= a.size(); };
    if (command == "add-string" || command == "add-file") {
        if (!need(2)) {
            return Usage(err, "missing arguments");
        }
        edits.push_back({command == "add-string" ? EditKind::kAddString : EditKind::kAddFile,
                         Ansi(a[2]), command == "add-string" ? Ansi(a[3]) : a[3]});
        i = 4;
    } else if (command == "delete") {
        if (!need(1)) {
            return Usage(err, "missing arguments");
        }
        edits.push_back({EditKind::kDelete, Ansi(a[2]), {}});
        i = 3;
    }
    while (i < a.size()) {
        const std::string& opt = a[i];
        if (opt == "-o" && need(2)) {
            out = a[i + 1];
            i += 2;
        } else if (command == "edit" && opt == "--add-string" && need(3)) {
            edits.push_back({EditKind::kAddString, Ansi(a[i + 1]), Ansi(a[i + 2])});
            i += 3;
        } else if (command == "edit" && opt == "--add-file" && need(3)) {
            edits.push_back({EditKind::kAddFile, Ansi(a[i + 1]), a[i + 2]});
            i += 3;
        } else if (command == "edit" && opt == "--delete" && need(2)) {
            edits.push_back({EditKind::kDelete, Ansi(a[i + 1]), {}});
            i += 2;
        } else {
            return Usage(err, ("unexpected argument: " + opt).c_str());
        }
    }
    if (!out) {
        return Usage(err, "missing -o OUT");
    }
    return tool.Apply(a[1], edits, *out);
}

}  // namespace

int RunTool(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
    if (a.empty()) {
        return Usage(err, "no command");
    }
    const std::string& command = a[0];
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return 0;
    }
    Tool tool(out, err);
    if (command == "list" && a.size() == 2) {
        return tool.List(a[1]);
    }
    if (command == "get" && a.size() == 3) {
        return tool.Get(a[1], a[2], nullptr);
    }
    if (command == "extract" && a.size() == 4) {
        return tool.Get(a[1], a[2], &a[3]);
    }
    if ((command == "add-string" || command == "add-file" || command == "delete" ||
         command == "edit") &&
        a.size() >= 2) {
        return RunEdit(command, a, tool, err);
    }
    return Usage(err, ("unknown command or wrong arguments: " + command).c_str());
}

}  // namespace resmelder
