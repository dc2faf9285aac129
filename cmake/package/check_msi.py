#!/usr/bin/env python3
"""Static checks of the per-user MSI's tables, read back with msiinfo.

check_msi.py MSI VERSION UPGRADE_CODE SAMPLE_DIR

The tables must say: per-user (ALLUSERS=2, MSIINSTALLPERUSER=1), the product version and
upgrade code, the Run value only when AUTOSTART is 1, the Start-menu shortcut, the major
upgrade with its refusal of an older version, the program started at the end of an
interactive install only, and no file of the user's library among the package's files (it
installs only the sample copy of SAMPLE_DIR).
"""
import os
import pathlib
import subprocess
import sys
import tempfile

RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
DOWNGRADE_MESSAGE = "A newer version of Murmurex is already installed."
ONLY_DETECT = 2
MIN_INCLUSIVE = 256

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def table(msi, name):
    """The rows of one table as dictionaries (msiinfo export: names, types, keys, rows)."""
    # The export also writes a table's binary streams (icons) as files where it stands.
    with tempfile.TemporaryDirectory() as scratch:
        text = subprocess.run(["msiinfo", "export", os.path.abspath(msi), name], check=True,
                              capture_output=True, text=True, cwd=scratch).stdout
    lines = text.splitlines()
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


def long_name(default_dir):
    """The long half of a "short|long" name."""
    return default_dir.split("|")[-1]


def installed_paths(msi):
    """Each file's path below the program folder (INSTALLDIR's parent), walked from the tables."""
    directories = {row["Directory"]: row for row in table(msi, "Directory")}
    components = {row["Component"]: row for row in table(msi, "Component")}

    outside = directories["INSTALLDIR"]["Directory_Parent"]

    def folder(key):
        parts = []
        while key and key != outside:
            parts.append(long_name(directories[key]["DefaultDir"]))
            key = directories[key]["Directory_Parent"]
        return "/".join(reversed(parts))

    return {row["File"]: folder(components[row["Component_"]]["Directory_"]) + "/" +
            long_name(row["FileName"]) for row in table(msi, "File")}


def check_properties(msi, version, upgrade_code):
    properties = {row["Property"]: row["Value"] for row in table(msi, "Property")}
    for name, wanted in (("ALLUSERS", "2"), ("MSIINSTALLPERUSER", "1"), ("AUTOSTART", "1"),
                         ("ProductName", "Murmurex"), ("ProductVersion", version),
                         ("UpgradeCode", upgrade_code)):
        check(properties.get(name) == wanted, f"property {name} is {properties.get(name)!r}")
    # Word count bit 8: the package needs no elevation, so Windows asks for no administrator.
    summary = subprocess.run(["msiinfo", "suminfo", msi], check=True, capture_output=True,
                             text=True).stdout
    source = [line.split()[1] for line in summary.splitlines() if line.startswith("Source:")]
    check(source and int(source[0]) & 8, f"the package asks for elevation: {source}")
    icons = {row["Name"] for row in table(msi, "Icon")}
    check(properties.get("ARPPRODUCTICON") in icons, "the uninstall entry has no icon")
    directories = {row["Directory"]: row for row in table(msi, "Directory")}
    programs = directories[directories["INSTALLDIR"]["Directory_Parent"]]
    check(long_name(programs["DefaultDir"]) == "Programs" and
          programs["Directory_Parent"] == "LocalAppDataFolder",
          "INSTALLDIR is not in the user's %LOCALAPPDATA%\\Programs")
    return properties


def check_run_value_and_shortcut(msi, files):
    components = {row["Component"]: row for row in table(msi, "Component")}
    runs = [row for row in table(msi, "Registry") if row["Key"] == RUN_KEY]
    check(len(runs) == 1, f"{len(runs)} Run values")
    for row in runs:
        check(row["Root"] == "1" and row["Name"] == "Murmurex", f"Run value {row}")
        check(row["Value"] == '"[#MessagesExe]"', f"Run value starts {row['Value']}")
        check(components[row["Component_"]]["Condition"] == 'AUTOSTART = "1"',
              "the Run value does not depend on AUTOSTART")
    check(files.get("MessagesExe") == "Murmurex/Messages.exe", "[#MessagesExe] is not the program")
    shortcuts = table(msi, "Shortcut")
    check(len(shortcuts) == 1, f"{len(shortcuts)} shortcuts")
    for row in shortcuts:
        check(long_name(row["Name"]) == "Murmurex" and row["Directory_"] == "ProgramMenuFolder",
              f"shortcut {row}")
        check(row["Target"] == "[#MessagesExe]" and row["WkDir"] == "INSTALLDIR",
              f"shortcut starts {row['Target']} in {row['WkDir']}")


def check_upgrades(msi, version, upgrade_code, properties):
    rows = [row for row in table(msi, "Upgrade") if row["UpgradeCode"] == upgrade_code]
    newer = [row for row in rows if row["VersionMin"] == version and not row["VersionMax"]
             and int(row["Attributes"]) & (ONLY_DETECT | MIN_INCLUSIVE) == ONLY_DETECT]
    older = [row for row in rows if row["VersionMax"] == version and not row["VersionMin"]
             and not int(row["Attributes"]) & ONLY_DETECT]
    check(len(newer) == 1 and len(older) == 1, f"upgrade rows {rows}")
    conditions = {row["Condition"]: row["Description"] for row in table(msi, "LaunchCondition")}
    for row in newer:
        check(conditions.get("NOT " + row["ActionProperty"]) == DOWNGRADE_MESSAGE,
              f"no refusal of an older version: {conditions}")
    secure = properties.get("SecureCustomProperties", "").split(";")
    check(all(row["ActionProperty"] in secure for row in rows), "upgrade properties not secure")
    sequence = {row["Action"]: row for row in table(msi, "InstallExecuteSequence")}

    def step(action):
        return int(sequence[action]["Sequence"]) if action in sequence else -1

    check(0 < step("RemoveExistingProducts") < step("InstallInitialize"),
          "the older product is not removed before the newer one is installed")
    return sequence


def check_start_after_interactive_install(msi, sequence):
    actions = {row["Action"]: row for row in table(msi, "CustomAction")}
    start = actions.get("StartMurmurex", {})
    check(start.get("Source") == "MessagesExe" and int(start.get("Type", 0)) & 0x3F == 18,
          f"the end of an install does not start the program: {start}")
    row = sequence.get("StartMurmurex", {})
    check(int(row.get("Sequence", 0)) > int(sequence["InstallFinalize"]["Sequence"]) and
          row.get("Condition") == "UILevel >= 5 AND NOT Installed AND NOT REMOVE",
          f"the program is started on a silent install or an uninstall: {row}")


def check_files(files, sample_dir):
    lists = sorted(p.name for p in (sample_dir / "Lists").iterdir())
    wanted = {"Murmurex/Messages.exe", "Murmurex/Help.rtf", "Murmurex/About.rtf",
              "Murmurex/Sample library/_._", "Murmurex/Sample library/__.__"}
    wanted |= {"Murmurex/Sample library/Lists/" + name for name in lists}
    paths = set(files.values())
    check(paths == wanted, f"the package installs {sorted(paths ^ wanted)} unexpectedly")
    for path in paths:
        check(not path.startswith("Murmurex/Lists/") and path not in
              ("Murmurex/_._", "Murmurex/__.__"), f"{path} is the user's, not the package's")


def main():
    msi, version, upgrade_code, sample_dir = sys.argv[1:5]
    properties = check_properties(msi, version, upgrade_code)
    files = installed_paths(msi)
    check_run_value_and_shortcut(msi, files)
    sequence = check_upgrades(msi, version, upgrade_code, properties)
    check_start_after_interactive_install(msi, sequence)
    check_files(files, pathlib.Path(sample_dir))
    for failure in failures:
        print("check_msi:", failure)
    print(f"check_msi: {msi}: {'FAILED' if failures else 'all tables as expected'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
