#!/usr/bin/env bash
# The component as scripts use it, under Wine: regsvr32 registers the library, a JScript and
# a VBScript client edit a real executable, the written programs find their new entries
# through the loader, and regsvr32 /u leaves nothing of the component behind.
#   run_clients.sh WINE_RUN PREFIX LIBRARY PROBE_EXE CLIENTS_DIR WORK_DIR
set -uo pipefail
source "$(dirname "$0")/client_lib.sh" "$@"

rm -rf "$work" && mkdir -p "$work" || exit 1
cp "$probe" "$work/source.exe"
printf 'file payload\r\nsecond line' >"$work/payload.bin"
printf 'Hello from JScript' >"$work/expect_js_text.bin"
printf 'A\0B\0' >"$work/expect_js_binary.bin"
printf 'Hello from VBScript' >"$work/expect_vbs_text.bin"
printf 'AB' >"$work/expect_ab.bin"
printf 'Hello greeting' >"$work/expect_greeting.bin"
printf 'menu text' >"$work/expect_menu.bin"

unregister() { run regsvr32 /s /u "$(win "$library")" >/dev/null 2>&1; }
trap unregister EXIT

run regsvr32 /s "$(win "$library")" || fail "regsvr32 registration"

out="$(run cscript //nologo "$(win "$clients/client.js")" "$(win "$work/source.exe")" "$(win "$work")")"
code=$?
echo "$out"
[[ $code -eq 0 && "$out" == *"JScript client: all checks passed"* ]] || fail "JScript client ($code)"

out="$(run cscript //nologo "$(win "$clients/client.vbs")" "$(win "$work/source.exe")" "$(win "$work")")"
code=$?
echo "$out"
[[ $code -eq 0 && "$out" == *"VBScript client: all checks passed"* ]] || fail "VBScript client ($code)"

# The written programs run and find every new entry, and their own version resource.
w="$(win "$work")"
run "$work/js_out.exe" JS_TEXT "$w\\expect_js_text.bin" JS_BINARY "$w\\expect_js_binary.bin" \
    JS_FILE "$w\\payload.bin" || fail "js_out.exe did not find its entries"
run "$work/vbs_out.exe" VBS_TEXT "$w\\expect_vbs_text.bin" VBS_BYTES "$w\\expect_vbs_text.bin" \
    VBS_INTEGER "$w\\expect_ab.bin" || fail "vbs_out.exe did not find its entries"

# The names as typed, in any case, through FindResourceA and FindResourceW. The list file
# (UTF-8) keeps the accented names away from command-line conversions.
names="$work/names.txt"
: >"$names"
for name in Greeting greeting GREETING 'café menu' 'CAFÉ MENU' 'Café Menu'; do
  case "$name" in
    [Gg]*) expect="expect_greeting.bin" ;;
    *) expect="expect_menu.bin" ;;
  esac
  printf '%s\t%s\n' "$name" "$w\\$expect" >>"$names"
done
run "$work/js_out.exe" --list "$w\\names.txt" || fail "js_out.exe did not find the typed names"
run "$work/vbs_out.exe" --list "$w\\names.txt" || fail "vbs_out.exe did not find the typed names"

run regsvr32 /s /u "$(win "$library")" || fail "regsvr32 /u"
trap - EXIT
for key in 'HKCR\ResBundle.ResBundle' 'HKCR\ResBundle.ResBundle.1' "HKCR\\CLSID\\$clsid" \
           "HKCR\\TypeLib\\$typelib" "HKCR\\Interface\\$interface"; do
    if run reg query "$key" >/dev/null 2>&1; then
        fail "left behind after regsvr32 /u: $key"
    fi
done
run reg query 'HKCR\CLSID' >/dev/null 2>&1 || fail "the shared CLSID key went too"

finish "script clients"
