#!/usr/bin/env python3
"""Checks a release zip before it is published: its entries, the exe's size,
PE timestamp, DLL imports and version resource, and the guide's encoding.
Usage: check_release.py ZIP VERSION OBJDUMP. Prints one line per fault."""
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

EXE, GUIDE = "Calderwynfell.exe", "使用说明.txt"
MAX_EXE_BYTES = 450 * 1024
# DLLs every Windows 10 has; a MinGW runtime DLL here would make the exe fail to start.
SYSTEM_DLLS = {"advapi32", "comctl32", "comdlg32", "gdi32", "iphlpapi", "kernel32", "msvcrt",
               "ole32", "oleacc", "oleaut32", "shell32", "uiautomationcore", "user32",
               "uxtheme", "ws2_32"}
# Each brings more DLLs that every start would pay for; the program loads the
# one command that needs them on demand instead.
NOT_AT_START = {"comdlg32", "shell32", "ws2_32"}


def utf16(text):
    return text.encode("utf-16-le")


def exe_faults(exe, version, objdump):
    faults = []
    if len(exe) > MAX_EXE_BYTES:
        faults.append(f"{EXE} is {len(exe)} bytes, more than {MAX_EXE_BYTES}")
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    if exe[pe:pe + 4] != b"PE\0\0":
        return faults + [f"{EXE} is not a PE file"]
    if struct.unpack_from("<I", exe, pe + 8)[0] != 0:
        faults.append(f"{EXE} has a link timestamp in its PE header")
    with tempfile.NamedTemporaryFile(suffix=".exe") as f:
        f.write(exe)
        f.flush()
        dump = subprocess.run([objdump, "-p", f.name], capture_output=True, text=True, check=True).stdout
    dlls = re.findall(r"DLL Name: (\S+)", dump)
    if not dlls:
        faults.append(f"{EXE} shows no DLL imports")
    for dll in dlls:
        name = dll.lower().removesuffix(".dll")
        if name not in SYSTEM_DLLS and not name.startswith("api-ms-win-"):
            faults.append(f"{EXE} needs {dll}, which Windows does not have")
        if name in NOT_AT_START:
            faults.append(f"{EXE} imports {dll}, which would load at every start")
    numbers = [int(n) for n in version.split(".")]
    fixed = exe.find(struct.pack("<I", 0xFEEF04BD))
    if fixed < 0:
        faults.append(f"{EXE} has no version resource")
    else:
        ms, ls = struct.unpack_from("<II", exe, fixed + 8)
        if [ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF] != numbers:
            faults.append(f"{EXE}: numeric file version is not {version}")
    for key in ("FileVersion", "ProductVersion"):
        if not re.search(re.escape(utf16(key + "\0")) + b"(\0\0)?" + re.escape(utf16(version + "\0")), exe):
            faults.append(f"{EXE}: {key} is not {version}")
    if f'name="Calderwynfell.Cpp" version="{version}"'.encode() not in exe:
        faults.append(f"{EXE}: the manifest does not carry version {version}")
    return faults


def main(zip_path, version, objdump):
    with zipfile.ZipFile(zip_path) as z:
        names = z.namelist()
        if sorted(names) != sorted([EXE, GUIDE]):
            return [f"zip holds {names}, not {EXE} and {GUIDE}"]
        faults = exe_faults(z.read(EXE), version, objdump)
        guide = z.read(GUIDE)
        if not z.getinfo(GUIDE).flag_bits & 0x800:
            faults.append(f"{GUIDE}: its name is not marked UTF-8 in the zip")
    bom = b"\xef\xbb\xbf"
    if not guide.startswith(bom):
        faults.append(f"{GUIDE} does not start with a UTF-8 byte-order mark")
    text = guide.removeprefix(bom).decode("utf-8", errors="replace")
    if f"Calderwynfell {version}" not in text:
        faults.append(f"{GUIDE} does not name version {version}")
    if "\n" in text.replace("\r\n", ""):
        faults.append(f"{GUIDE} has bare LF line ends")
    return faults


if __name__ == "__main__":
    problems = main(*sys.argv[1:4])
    for p in problems:
        print("release check:", p)
    sys.exit(1 if problems else 0)
