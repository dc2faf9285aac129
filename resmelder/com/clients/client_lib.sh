# What the client scripts share; each sources it with its own arguments:
#   WINE_RUN PREFIX LIBRARY PROBE_EXE CLIENTS_DIR WORK_DIR
# Windows paths for Wine, programs run in the test prefix, failures counted to the end, and
# the component's class, type library and interface.
wine_run="$1" prefix="$2" library="$3" probe="$4" clients="$5" work="$6"

win() { local p="$1"; echo "Z:${p//\//\\}"; }
run() { "$wine_run" --prefix "$prefix" "$@"; }
fail() { echo "FAILED: $*"; status=1; }
status=0

# Says "WHAT: all passed" when nothing failed, and ends with the status.
finish() {
  [[ $status -eq 0 ]] && echo "$1: all passed"
  exit $status
}

clsid='{83A6D900-7CC7-4A9A-9B1A-5E3BADC0B9E1}'
typelib='{0F62E527-C92F-4A6F-8B61-555C07F065C7}'
interface='{F360290F-C146-40A6-B598-A254E424C022}'
