// add-res and export-res: compiled resource files (.res), as rc and windres make them.

#include <array>

#include "image/image_texts.h"
#include "image/pending_output.h"
#include "image/res_file.h"
#include "tool/tool_args.h"
#include "tool/tool_commands.h"
#include "tool/tool_failure.h"
#include "tool/tool_session.h"

namespace resmelder {

namespace help {
const CommandHelp kAddRes = {
    "resmelder add-res IN RESFILE -o OUT",
    "Adds every resource of the compiled resource file RESFILE (from rc or windres), replacing\n"
    "resources of the same type, name and language. Names are stored upper-cased, as the\n"
    "resource compiler stores them; memory flags, versions and characteristics are not kept\n"
    "(an executable has no place for them).",
    "resmelder add-res app.exe build/app.res -o app.exe"};

const CommandHelp kExportRes = {
    "resmelder export-res IN RESFILE",
    "Writes every resource of IN to RESFILE as a compiled resource file, which rc, windres and\n"
    "add-res read back. RESFILE is replaced only when it is complete, and may not be IN.",
    "resmelder export-res app.exe app.res"};
}  // namespace help

namespace {

constexpr std::array<std::string_view, 1> kAddOptions = {"-o"};
// Far beyond any resource compiler's output; the whole file is read to check it.
constexpr std::size_t kMaxResFileBytes = std::size_t{256} << 20;

// The operands of a command that takes IN and one file, with or without -o.
bool ReadTwoOperands(CommandArguments given, std::span<const std::string_view> options,
                     CommandArgs& args, std::string& problem) {
    return SplitArgs(given, options, args, problem) && CountOperands(args, 2, 2, problem);
}

}  // namespace

int RunAddRes(CommandArguments given, ToolSession& session) {
    CommandArgs args;
    std::string problem;
    if (!ReadTwoOperands(given, kAddOptions, args, problem)) {
        return session.Usage(problem, help::kAddRes);
    }
    const std::string* out = args.Option("-o");
    if (out == nullptr) {
        return session.Usage(kMissingOutput, help::kAddRes);
    }
    const std::string& in = args.operands[0];
    const std::string& resFile = args.operands[1];
    std::vector<std::uint8_t> bytes;
    if (!session.ReadSmallFile(resFile, kMaxResFileBytes, bytes)) {
        return session.Fail("cannot read the resource file " + resFile, in);
    }
    const auto entries = ParseResFile(bytes, problem);
    if (!entries) {
        session.Log().LogError((std::string(tool_texts::kNotAResFile) + ": " + problem).c_str());
        session.Log().LogData("filename", resFile.c_str());
        return session.Fail("cannot use " + resFile + " as a .res file", in);
    }
    return session.EditAndWrite(in, *out, [&](ExeImage& image, std::string& doing) {
        doing = "cannot add the resources of " + resFile + " to " + in;
        ExeResource* tree = image.Resources();
        if (tree == nullptr) {
            session.Log().LogError(image_texts::kNoTreeForBytes);
            return false;
        }
        for (const ResFileEntry& entry : *entries) {
            if (!tree->PutBytes(entry.key, entry.data, &session.Log())) {
                doing = "cannot add " + Describe(entry.key) + " of " + resFile + " to " + in;
                return false;
            }
        }
        return true;
    });
}

int RunExportRes(CommandArguments given, ToolSession& session) {
    CommandArgs args;
    std::string problem;
    if (!ReadTwoOperands(given, {}, args, problem)) {
        return session.Usage(problem, help::kExportRes);
    }
    const std::string& in = args.operands[0];
    const std::string& resFile = args.operands[1];
    auto image = session.Open(in);
    if (!image) {
        return session.Fail("cannot load " + in, in);
    }
    const auto none = ExeResource::EmptyRoot(*image);
    const std::vector<std::uint8_t> bytes =
        BuildResFile(image->Resources() != nullptr ? *image->Resources() : *none);
    // Written like an extracted entry: never over the input, never through a link.
    const XString target = XString::FromUtf8(resFile);
    if (IsInputFile(image->SourceIdentity(), target, &session.Log()) ||
        !ReplaceWholeFile(target, bytes, &session.Log())) {
        session.Log().LogError(tool_texts::kWriteFailed);
        return session.Fail("cannot write " + resFile, in);
    }
    return session.Succeed();
}

}  // namespace resmelder
