// A JScript client of a per-user registration: cscript //nologo per_user_client.js SOURCE_EXE
// Creates the component by its ProgID, edits an open executable and reads the edit back.
// Exit status 0 when every check passes, 1 when one fails, 3 when the class is not found.
var rb;
try {
    rb = new ActiveXObject("ResBundle.ResBundle");
} catch (e) {
    WScript.Echo("per-user client: cannot create ResBundle.ResBundle (" + e.message + ")");
    WScript.Quit(3);
}
rb.OpenExe(WScript.Arguments.Item(0));
rb.InsertString("Per User Entry", "registered without administrator rights");
if (rb.GetString("PER USER ENTRY") != "registered without administrator rights") {
    WScript.Echo("FAIL: the entry does not read back");
    WScript.Quit(1);
}
WScript.Echo("per-user client: all checks passed");
WScript.Quit(0);
