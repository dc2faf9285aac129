// A JScript client as people use the component: cscript //nologo client.js SOURCE_EXE WORK_DIR
// Edits SOURCE_EXE into WORK_DIR\js_out.exe and checks every step; exit status 0 when all
// checks pass.
var E_FAIL = -2147467259;
var failures = 0;

function check(condition, what) {
    if (!condition) {
        WScript.Echo("FAIL: " + what);
        failures++;
    }
}

// Runs f, which must fail with E_FAIL and the given description (null: any description).
function expectFailure(f, description, what) {
    try {
        f();
        check(false, what + ": no error");
    } catch (e) {
        check(e.number == E_FAIL, what + ": number " + e.number);
        if (description !== null) {
            check(e.description == description, what + ": description '" + e.description + "'");
        }
    }
}

// The character codes of a string, to compare binary entries read back through GetString.
// (GetBinary's byte array is for typed hosts and VBScript; Wine's JScript cannot take one.)
function codesOf(text) {
    var codes = [];
    for (var i = 0; i < text.length; i++) {
        codes.push(text.charCodeAt(i));
    }
    return codes.join(",");
}

var source = WScript.Arguments.Item(0);
var work = WScript.Arguments.Item(1);
var fso = new ActiveXObject("Scripting.FileSystemObject");
var rb = new ActiveXObject("ResBundle.ResBundle");

expectFailure(function () { rb.InsertString("X", "y"); }, "No EXE has been opened yet.",
              "insert before open");
expectFailure(function () { rb.OpenExe(work + "\\missing.exe"); }, null, "open a missing file");

rb.OpenExe(source);
rb.InsertString("JS_TEXT", "Hello from JScript");
rb.InsertBinary("JS_BINARY", "AB");        // a string: its UTF-16 bytes
rb.InsertBinary("JS_NUMBER", 0x44434241);  // a 32-bit integer: "ABCD"
rb.InsertFile("JS_FILE", work + "\\payload.bin");
// Names as people type them: stored upper-cased, found in any case, here and by the loader.
rb.InsertString("Greeting", "Hello greeting");
rb.InsertString("caf\u00e9 menu", "menu text");

check(rb.GetString("JS_TEXT") == "Hello from JScript", "GetString JS_TEXT");
check(codesOf(rb.GetString("JS_BINARY")) == "65,0,66,0", "JS_BINARY holds UTF-16 bytes");
check(rb.GetString("JS_NUMBER") == "ABCD", "GetString JS_NUMBER");
check(rb.GetBinary("JS_FILE") === null, "a file entry has no bytes before the write");
check(rb.GetString("missing") == "", "GetString of a missing name");
check(rb.GetString("GREETING") == "Hello greeting", "GetString in another case");
check(rb.GetString("Caf\u00c9 Menu") == "menu text", "GetString with an accent in another case");
expectFailure(function () { rb.GetBinary("missing"); },
              "Failed to get resource data: ResourceName = missing", "GetBinary missing");
expectFailure(function () { rb.Extract("missing", work + "\\x.bin"); },
              "Failed to get resource data: ResourceName = missing", "Extract missing");

rb.Delete("JS_NUMBER");
check(rb.GetString("JS_NUMBER") == "", "deleted entry");

rb.Extract("JS_TEXT", work + "\\js_text.bin");
check(fso.OpenTextFile(work + "\\js_text.bin").ReadAll() == "Hello from JScript",
      "extracted file");

// The open source cannot be overwritten; the description is the instance's log.
try {
    rb.WriteExe(source);
    check(false, "writing over the open source");
} catch (e) {
    check(e.number == E_FAIL, "write over source: number");
    check(e.description.indexOf("VantrixLog:") == 0, "write over source: log text");
    check(e.description.indexOf("missing.exe") > 0, "the log keeps the earlier failure");
}

rb.WriteExe(work + "\\js_out.exe");

var again = new ActiveXObject("ResBundle.ResBundle");
again.OpenExe(work + "\\js_out.exe");
check(again.GetString("JS_TEXT") == "Hello from JScript", "reopened JS_TEXT");
check(again.GetString("JS_FILE") == fso.OpenTextFile(work + "\\payload.bin").ReadAll(),
      "reopened JS_FILE");
check(again.GetString("JS_NUMBER") == "", "reopened: the deleted entry stays deleted");

// OpenMyExe opens the host: here cscript.exe, a real 64-bit program.
var host = new ActiveXObject("ResBundle.ResBundle");
host.OpenMyExe();
host.InsertString("JS_HOST", "inside the host");
check(host.GetString("JS_HOST") == "inside the host", "OpenMyExe: the host's image is editable");
host.WriteExe(work + "\\host_copy.exe");
again.OpenExe(work + "\\host_copy.exe");
check(again.GetString("JS_HOST") == "inside the host", "reopened copy of the host");

WScript.Echo(failures == 0 ? "JScript client: all checks passed" : failures + " checks failed");
WScript.Quit(failures == 0 ? 0 : 1);
