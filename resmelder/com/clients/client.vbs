' A VBScript client as people use the component: cscript //nologo client.vbs SOURCE_EXE WORK_DIR
' Edits SOURCE_EXE into WORK_DIR\vbs_out.exe and checks every step; exit status 0 when all
' checks pass.
Option Explicit

Const E_FAIL = &H80004005
Dim failures : failures = 0

Sub Check(condition, what)
    If Not condition Then
        WScript.Echo "FAIL: " & what
        failures = failures + 1
    End If
End Sub

' Checks that the last call failed with E_FAIL and the description ("" for any), then clears.
Sub ExpectFailure(description, what)
    Check Err.Number = E_FAIL, what & ": number " & Err.Number
    If description <> "" Then
        Check Err.Description = description, what & ": description '" & Err.Description & "'"
    End If
    Err.Clear
End Sub

Dim source : source = WScript.Arguments.Item(0)
Dim work : work = WScript.Arguments.Item(1)
Dim rb : Set rb = CreateObject("ResBundle.ResBundle")

On Error Resume Next
rb.Delete "X"
ExpectFailure "No EXE has been opened yet.", "delete before open"
rb.OpenExe work & "\missing.exe"
ExpectFailure "", "open a missing file"
On Error GoTo 0

rb.OpenExe source
rb.InsertString "VBS_TEXT", "Hello from VBScript"
' Names as people type them: stored upper-cased, found in any case, here and by the loader.
' (Chr, not ChrW: Wine's VBScript lacks ChrW; 233 and 201 are small and capital e acute in
' code page 1252.)
rb.InsertString "Greeting", "Hello greeting"
rb.InsertString "caf" & Chr(233) & " menu", "menu text"
Check rb.GetString("gREETING") = "Hello greeting", "GetString in another case"
Check rb.GetString("CAF" & Chr(201) & " MENU") = "menu text", "GetString with an accent in another case"

' A VBScript byte array: what GetBinary answers, handed back by reference. (Wine's VBScript
' cannot index or measure byte arrays; the round trip shows the bytes.)
Dim bytes : bytes = rb.GetBinary("VBS_TEXT")
Check VarType(bytes) = vbArray + vbByte, "GetBinary gives a byte array, not " & VarType(bytes)
rb.InsertBinary "VBS_BYTES", bytes
Check rb.GetString("VBS_BYTES") = "Hello from VBScript", "byte array round trip"

rb.InsertBinary "VBS_INTEGER", CInt(16961)   ' 16-bit: "AB"
Check rb.GetString("VBS_INTEGER") = "AB", "integer bytes"
Dim list(1) : list(0) = 1 : list(1) = 2
rb.InsertBinary "VBS_VARIANTS", list         ' variants hold no bytes of their own
Check IsNull(rb.GetBinary("VBS_VARIANTS")), "an array of variants gives an empty entry"
rb.InsertBinary "VBS_EMPTY", Empty
Check IsNull(rb.GetBinary("VBS_EMPTY")), "Empty gives an empty entry"

On Error Resume Next
Dim ignored : ignored = rb.GetBinary("missing")
ExpectFailure "Failed to get resource data: ResourceName = missing", "GetBinary missing"
rb.Extract "VBS_TEXT", work & "\no\such\folder\x.bin"
ExpectFailure "Failed to write file", "Extract into a missing folder"
On Error GoTo 0
Check rb.GetString("missing") = "", "GetString of a missing name"

rb.Delete "VBS_EMPTY"
rb.Extract "VBS_BYTES", work & "\vbs_bytes.bin"
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")
Check fso.OpenTextFile(work & "\vbs_bytes.bin").ReadAll() = "Hello from VBScript", "extracted"

rb.WriteExe work & "\vbs_out.exe"

Dim again : Set again = CreateObject("ResBundle.ResBundle")
again.OpenExe work & "\vbs_out.exe"
Check again.GetString("VBS_BYTES") = "Hello from VBScript", "reopened VBS_BYTES"
Check again.GetString("VBS_EMPTY") = "", "reopened: the deleted entry stays deleted"

If failures = 0 Then
    WScript.Echo "VBScript client: all checks passed"
    WScript.Quit 0
End If
WScript.Echo failures & " checks failed"
WScript.Quit 1
