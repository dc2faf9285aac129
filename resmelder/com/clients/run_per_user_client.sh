#!/usr/bin/env bash
# The per-user registration as a user without administrator rights makes it, under Wine:
# regsvr32 /n /i:user writes the class, its ProgIDs and its type library for the current user
# only, a JScript client then creates the component, and regsvr32 /u /n /i:user leaves no key
# of it under HKCU\Software\Classes. Other command lines are refused.
#   run_per_user_client.sh WINE_RUN PREFIX LIBRARY PROBE_EXE CLIENTS_DIR WORK_DIR
#
# Windows reads HKCR as the user's HKCU\Software\Classes over the machine's classes; Wine
# reads the machine's only (Wine bug 14771). So, to run the client, the test stands in for
# that merge: it copies exactly the keys the per-user registration wrote into the machine's
# classes, runs the client, and removes the copies again. Wine's RegisterTypeLibForUser
# writes to the machine's classes itself, so the type library is looked for in both places.
set -uo pipefail
source "$(dirname "$0")/client_lib.sh" "$@"

class_keys=(ResBundle.ResBundle ResBundle.ResBundle.1 "CLSID\\$clsid")
typelib_keys=("TypeLib\\$typelib" "Interface\\$interface")
exists() { run reg query "$1" >/dev/null 2>&1; }

# An installed copy in a folder with a space, an accent and an apostrophe.
rm -rf "$work" && mkdir -p "$work/Zoë's Tools" || exit 1
cp "$library" "$work/Zoë's Tools/Resmelder.dll"
cp "$probe" "$work/source.exe"
dll="$(win "$work/Zoë's Tools/Resmelder.dll")"
client() { run cscript //nologo "$(win "$clients/per_user_client.js")" "$(win "$work/source.exe")"; }

drop_merge() { for k in "${class_keys[@]}"; do run reg delete "HKLM\\Software\\Classes\\$k" /f >/dev/null 2>&1; done; }
clean() {
  drop_merge
  run regsvr32 /s /u "$dll" >/dev/null 2>&1
  run regsvr32 /s /u /n /i:user "$dll" >/dev/null 2>&1
}
trap clean EXIT

# No registration of any kind to begin with: the client cannot find the class.
clean
for k in "${class_keys[@]}"; do
  exists "HKCR\\$k" && fail "machine-wide key still there before the test: $k"
done
out="$(client)"; code=$?
[[ $code -eq 3 ]] || fail "the client found the class with nothing registered ($code: $out)"

# Only the word "user" is understood.
run regsvr32 /s /n /i:machine "$dll" && fail "regsvr32 /n /i:machine was accepted"
exists "HKCU\\Software\\Classes\\ResBundle.ResBundle" && fail "a refused command line wrote keys"

run regsvr32 /s /n /i:User "$dll" || fail "regsvr32 /n /i:User"
for k in "${class_keys[@]}"; do
  exists "HKCU\\Software\\Classes\\$k" || fail "not registered for the user: $k"
  exists "HKLM\\Software\\Classes\\$k" && fail "registered for the machine: $k"
done
# reg prints through the console's code page, which loses the accent; the client below
# proves the whole path, since COM loads the copy from it.
server="$(run reg query "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" /ve)"
[[ "$server" == *"'s Tools\\Resmelder.dll"* ]] || fail "InprocServer32 is not the copy: $server"
for k in "${typelib_keys[@]}"; do
  exists "HKCU\\Software\\Classes\\$k" || exists "HKCR\\$k" || fail "type library not registered: $k"
done

# The client, with the user's classes merged in as Windows does.
for k in "${class_keys[@]}"; do
  run reg copy "HKCU\\Software\\Classes\\$k" "HKLM\\Software\\Classes\\$k" /s /f >/dev/null ||
    fail "copying $k for the merge"
done
out="$(client)"; code=$?
echo "$out"
[[ $code -eq 0 && "$out" == *"per-user client: all checks passed"* ]] || fail "JScript client ($code)"
drop_merge

run regsvr32 /s /u /n /i:USER "$dll" || fail "regsvr32 /u /n /i:USER"
for k in "${class_keys[@]}" "${typelib_keys[@]}"; do
  exists "HKCU\\Software\\Classes\\$k" && fail "left behind for the user: $k"
  exists "HKCR\\$k" && fail "left behind: $k"
done

finish "per-user registration"
