#!/usr/bin/env python3
"""Checks a release zip before it is published: its entries, the exe's size,
PE timestamp, hardening flags, DLL imports and version resource, and the
guide's encoding. Usage: check_release.py ZIP VERSION OBJDUMP. Prints one line
per fault."""
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

EXE, GUIDE = "Calderwynfell.exe", "使用说明.txt"
MAX_EXE_BYTES = 256 * 1024
# Windows 10's KnownDLLs: always mapped from System32, never looked for beside
# the exe. Any other import would be, so a DLL planted there would run; the
# program loads such DLLs from System32 on demand instead. comctl32 is the one
# exception: the manifest binds it to the side-by-side version 6.
KNOWN_DLLS = ("advapi32", "clbcatq", "combase", "comdlg32", "coml2", "difxapi", "gdi32", "gdiplus",
              "imagehlp", "imm32", "kernel32", "msctf", "msvcrt", "normaliz", "nsi", "ole32", "oleaut32",
              "psapi", "rpcrt4", "sechost", "setupapi", "shcore", "shell32", "shlwapi", "user32", "wldap32",
              "ws2_32")
IMPORTABLE = set(KNOWN_DLLS) | {"comctl32"}
# Each brings more DLLs that every start would pay for; the program loads the
# one command that needs them on demand instead.
NOT_AT_START = {"comdlg32", "shell32", "ws2_32"}
# IMAGE_DLLCHARACTERISTICS_: high-entropy ASLR, ASLR, DEP, and no compatibility
# shims on Remote Desktop hosts.
HARDENING = {0x20: "HIGH_ENTROPY_VA", 0x40: "DYNAMIC_BASE", 0x100: "NX_COMPAT", 0x8000: "TERMINAL_SERVER_AWARE"}
# A build with stack canaries checks them in dozens of functions, each calling
# the one failure function; without them there are none.
MIN_CANARY_CHECKS = 20
# Nothing is remembered between runs: no import that writes the registry or a profile (.ini) file.
PERSISTENCE = re.compile(r"(Reg(Create|Set|Save|Delete)\w*|Write(Private)?Profile\w*|SHSetValue\w*|SHRegSet\w*)")
# The README states the exe's size; it must be the size of the exe it describes.
README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")
README_SIZE = re.compile(r"`Calderwynfell\.exe` is ([\d,]+) bytes")
# Functions newer than the oldest supported Windows, by DLL, from the list beside this script.
NEWER_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "newer_than_windows_10_1507.txt")


def newer_functions():
    with open(NEWER_LIST, encoding="utf-8") as f:
        return {tuple(line.split()) for line in f if line.strip() and not line.startswith("#")}


def imported_functions(dump):
    """(dll, function) for every import by name in objdump -p output."""
    imports, dll = set(), None
    for line in dump.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).lower().removesuffix(".dll")
            continue
        entry = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\w+)$", line)
        if dll and entry:
            imports.add((dll, entry.group(1)))
    return imports


def utf16(text):
    return text.encode("utf-16-le")


def hardening_faults(exe, pe):
    optional = pe + 24
    if struct.unpack_from("<H", exe, optional)[0] != 0x20B:
        return [f"{EXE} is not a 64-bit PE"]
    characteristics = struct.unpack_from("<H", exe, optional + 70)[0]
    faults = [f"{EXE} lacks {name}" for bit, name in HARDENING.items() if not characteristics & bit]
    subsystem = struct.unpack_from("<HH", exe, optional + 48)
    if subsystem < (6, 0):
        faults.append(f"{EXE} declares subsystem version {subsystem[0]}.{subsystem[1]}, older than 6.0")
    # ASLR needs the base relocations: a stripped relocation table pins the exe to its base.
    relocations = struct.unpack_from("<II", exe, optional + 112 + 5 * 8)
    if struct.unpack_from("<H", exe, pe + 22)[0] & 0x0001 or relocations[1] == 0:
        faults.append(f"{EXE} has no base relocations")
    return faults


def stack_canary_checks(disassembly):
    """The epilogues that compare the saved canary with the guard and call the
    failure function when they differ, counted for the most called such function."""
    code = [line.split("\t")[-1].strip() for line in disassembly.splitlines() if re.match(r"\s+[0-9a-f]+:\t", line)]
    calls = {}
    for compare, skip, call in zip(code, code[1:], code[2:]):
        if re.match(r"sub\s+r\w+,QWORD PTR \[r\w+\]$", compare) and skip.startswith("je "):
            target = re.match(r"call\s+(0x[0-9a-f]+)$", call)
            if target:
                calls[target.group(1)] = calls.get(target.group(1), 0) + 1
    return max(calls.values(), default=0)


def readme_faults(size):
    with open(README, encoding="utf-8") as f:
        stated = README_SIZE.search(f.read())
    if not stated:
        return ["README.md does not state the size of Calderwynfell.exe"]
    if int(stated.group(1).replace(",", "")) != size:
        return [f"README.md says {EXE} is {stated.group(1)} bytes; it is {size:,}"]
    return []


def exe_faults(exe, version, objdump):
    faults = []
    if len(exe) > MAX_EXE_BYTES:
        faults.append(f"{EXE} is {len(exe)} bytes, more than {MAX_EXE_BYTES}")
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    if exe[pe:pe + 4] != b"PE\0\0":
        return faults + [f"{EXE} is not a PE file"]
    if struct.unpack_from("<I", exe, pe + 8)[0] != 0:
        faults.append(f"{EXE} has a link timestamp in its PE header")
    faults += hardening_faults(exe, pe)
    with tempfile.NamedTemporaryFile(suffix=".exe") as f:
        f.write(exe)
        f.flush()
        dump = subprocess.run([objdump, "-p", f.name], capture_output=True, text=True, check=True).stdout
        code = subprocess.run([objdump, "-d", "-M", "intel", f.name], capture_output=True, text=True,
                              check=True).stdout
    canary_checks = stack_canary_checks(code)
    if canary_checks < MIN_CANARY_CHECKS:
        faults.append(f"{EXE} checks a stack canary in {canary_checks} places: built without -fstack-protector")
    dlls = re.findall(r"DLL Name: (\S+)", dump)
    if not dlls:
        faults.append(f"{EXE} shows no DLL imports")
    for dll in dlls:
        name = dll.lower().removesuffix(".dll")
        if name not in IMPORTABLE:
            faults.append(f"{EXE} imports {dll}, which is not a KnownDLL: Windows looks for it beside the exe first")
        if name in NOT_AT_START:
            faults.append(f"{EXE} imports {dll}, which would load at every start")
    imports = imported_functions(dump)
    for dll, function in sorted(imports & newer_functions()):
        faults.append(f"{EXE} imports {function} from {dll}, which Windows 10 1507 lacks: the exe would not start")
    for dll, function in sorted(i for i in imports if PERSISTENCE.fullmatch(i[1])):
        faults.append(f"{EXE} imports {function} from {dll}: it would remember something between runs")
    faults += readme_faults(len(exe))
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
    if b"<dpiAwareness" not in exe or b">PerMonitorV2, PerMonitor</dpiAwareness>" not in exe:
        faults.append(f"{EXE}: the manifest does not declare PerMonitorV2 with PerMonitor as its fallback")
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
