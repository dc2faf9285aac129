#include "tool/tool_help.h"

#include <iomanip>

#include "image/resource_key.h"

namespace resmelder {
namespace help {

const CommandHelp kList = {
    "resmelder list FILE [--strings | --json]\n"
    "resmelder list --types",
    "Prints every resource of FILE, one a line: type, name, language and size, separated by\n"
    "tabs. Names and languages are printed as --name and --lang accept them (a numbered name\n"
    "as #N), types as their number or their own name (name:TEXT where the name alone would\n"
    "read as a number or a usual type). With --strings, prints the string table instead: ID,\n"
    "language and text, with line breaks, tabs and backslashes as \\n, \\r, \\t and \\\\.\n"
    "With --json, prints one JSON document: machine, sections, and every resource with its\n"
    "type, name, language, size and code page. With --types, prints the values --type,\n"
    "--name and --lang accept.",
    "resmelder list app.exe"};

const CommandHelp kGet = {
    "resmelder get FILE NAME [--type T] [--lang L]",
    "Writes the bytes of resource NAME to standard output. Without --type, every type is\n"
    "searched (numbered types first); without --lang, the lowest language is taken.\n"
    "--name N may stand for NAME.",
    "resmelder get app.exe #1 --type MANIFEST > app.manifest"};

const CommandHelp kExtract = {
    "resmelder extract FILE NAME OUTFILE [--type T] [--lang L]",
    "Writes the bytes of resource NAME to OUTFILE, found as by get. OUTFILE is replaced only\n"
    "when it is complete, and may not be FILE. --name N may stand for NAME.",
    "resmelder extract app.exe #1 version.bin --type VERSION"};

const CommandHelp kAddString = {
    "resmelder add-string IN NAME TEXT [--type T] [--lang L] [--encoding E] -o OUT",
    "Adds TEXT as resource NAME (type RCDATA and language 1 unless given), in the ANSI code\n"
    "page, or as UTF-8 or UTF-16 (little-endian) with --encoding utf-8 or utf-16. Text the\n"
    "ANSI code page cannot hold is refused, never stored with ? in its place. A resource of\n"
    "the same type, name and language is replaced. --name N may stand for NAME.",
    "resmelder add-string app.exe Greeting \"Hello, world\" -o app.exe"};

const CommandHelp kAddFile = {
    "resmelder add-file IN NAME DATAFILE [--type T] [--lang L] -o OUT",
    "Adds the bytes of DATAFILE as resource NAME (type RCDATA and language 1 unless given). A\n"
    "resource of the same type, name and language is replaced. --name N may stand for NAME.",
    "resmelder add-file app.exe #101 logo.bmp --type BITMAP --lang 0x409 -o app-new.exe"};

const CommandHelp kDelete = {
    "resmelder delete IN NAME [--type T] [--lang L] -o OUT",
    "Removes resource NAME: of type T or, without --type, of every type (a numbered name\n"
    "needs --type); in language L or, without --lang, in every language. Name and type\n"
    "folders left empty go too. --name N may stand for NAME.",
    "resmelder delete app.exe Greeting -o app.exe"};

const CommandHelp kEdit = {
    "resmelder edit IN [--type T] [--lang L] [--encoding E]\n"
    "               [--add-string NAME TEXT | --add-file NAME DATAFILE | --delete NAME |\n"
    "                --set-string ID TEXT]... -o OUT",
    "Makes several edits in the order given and writes OUT once. --type, --lang and\n"
    "--encoding apply to the edits after them; before the first of each, adds go to type\n"
    "RCDATA and language 1 in the ANSI code page, and deletes reach every type and every\n"
    "language. --set-string sets a string of the string table, as set-string does.",
    "resmelder edit app.exe --add-string Title \"My App\" --type MANIFEST --add-file #1 "
    "app.manifest -o app.exe"};

const CommandHelp kSetManifest = {
    "resmelder set-manifest IN FILE [--lang L] -o OUT\n"
    "resmelder set-manifest IN [FILE] --execution-level LEVEL [--ui-access] [--lang L] -o OUT",
    "Puts the manifest FILE into resource MANIFEST #1, or #2 when IN is a DLL, replacing the\n"
    "manifest there in every language. It keeps the language of the manifest it replaces;\n"
    "a first manifest takes language 0 (neutral) unless --lang is given.\n"
    "--execution-level asInvoker, highestAvailable or requireAdministrator sets the level the\n"
    "manifest asks for (requestedExecutionLevel, uiAccess \"true\" with --ui-access, else\n"
    "\"false\"), keeping every other part of it: in FILE, or without FILE in the manifest\n"
    "of IN (in language L, or in every language), or in a minimal new manifest when IN has\n"
    "none. A manifest that cannot be edited safely is refused.",
    "resmelder set-manifest app.exe --execution-level requireAdministrator -o app.exe"};

const CommandHelp kSetIcon = {
    "resmelder set-icon IN ICOFILE [--lang L] -o OUT",
    "Replaces the program's main icon, its first icon group (or group #1 when it has none),\n"
    "with all the images of the icon file ICOFILE. Each image becomes an ICON resource with a\n"
    "new id; ICON resources that no icon group refers to any more are removed. The group keeps\n"
    "its language; a first group takes language 0 (neutral) unless --lang is given.",
    "resmelder set-icon app.exe app.ico -o app.exe"};

}  // namespace help

namespace {

void PrintUsageLines(const CommandHelp& help, std::ostream& out) {
    std::string_view usage = help.usage;
    while (!usage.empty()) {
        const std::size_t end = usage.find('\n');
        out << "  " << usage.substr(0, end) << '\n';
        usage = end == std::string_view::npos ? std::string_view() : usage.substr(end + 1);
    }
}

}  // namespace

void PrintCommandHelp(const CommandHelp& help, std::ostream& out) {
    out << "usage:\n";
    PrintUsageLines(help, out);
    out << '\n' << help.description << "\n\nexample:\n  " << help.example << '\n';
}

void PrintKeyForms(std::ostream& out) {
    out << "--type T   a number (0 to 65535), #N, a name of your own, or one of these names\n"
           "           (in any case, also with RT_ in front); name:TEXT is the name TEXT of\n"
           "           your own even where it reads as a number or one of these (name:ICON):\n";
    for (const auto& type : UsualResourceTypes()) {
        out << "             " << std::left << std::setw(14) << type.name << type.number << '\n';
    }
    out << "--name N   a text, stored upper-cased and found in any case, or #N for the\n"
           "           number N (0 to 65535)\n"
           "--lang L   a number, in decimal (1033) or hexadecimal (0x409); 0 is neutral\n";
}

void PrintWriteOptions(std::ostream& out) {
    out << "--keep-overlay  keeps every byte before the end of IN where it is, so data appended\n"
           "                after the sections (an overlay, such as an installer's payload\n"
           "                found at a recorded offset) stays in place: resources that outgrow\n"
           "                their section go into a new section after it. Refused for a\n"
           "                signed file. Without it, a moved overlay is reported.\n";
}

void PrintOverview(std::span<const CommandHelp* const> commands, std::ostream& out) {
    out << "usage:\n";
    for (const CommandHelp* help : commands) {
        PrintUsageLines(*help, out);
    }
    out << "\n";
    PrintKeyForms(out);
    PrintWriteOptions(out);
    out << "\nThe TEXT of add-string is stored in the ANSI code page unless --encoding says\n"
           "otherwise; text the code page cannot hold is refused. OUT may be IN itself: it is\n"
           "replaced only when the new file is complete, and an edit in place waits for another\n"
           "edit of the same file to finish. A failure prints one line saying what failed and\n"
           "why; --verbose adds the full log. After --, arguments that begin with - are names,\n"
           "texts or files. resmelder COMMAND --help describes one command.\n";
}

}  // namespace resmelder
