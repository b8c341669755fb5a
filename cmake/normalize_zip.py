#!/usr/bin/env python3
"""Rewrites a zip so that only its contents decide its bytes: entries sorted by
name, every time SOURCE_DATE_EPOCH, no owner ids, fixed permissions.
CPack adds files in readdir() order and records the builder's uid and gid."""
import os
import sys
import time
import zipfile


def normalize(path, epoch):
    stamp = time.gmtime(epoch)[:6]
    with zipfile.ZipFile(path) as z:
        entries = [(info.filename, info.external_attr >> 16, z.read(info)) for info in z.infolist()]
    entries.sort(key=lambda e: e[0].encode("utf-8"))
    with zipfile.ZipFile(path + ".tmp", "w") as z:
        for name, mode, data in entries:
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 3  # Unix, so the permission bits below are read
            executable = name.endswith("/") or mode & 0o111
            info.external_attr = (0o100755 if executable else 0o100644) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data, compresslevel=9)
    os.replace(path + ".tmp", path)


if __name__ == "__main__":
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))  # 1980-01-01: the zip epoch
    for archive in sys.argv[1:]:
        normalize(archive, epoch)
