#!/usr/bin/env python3
"""Makes the update tests' fixtures beside the test program: two test publishers' certificates,
the installer stand-in signed by each (and an altered copy), and Cabinet files made with gcab
whose stored dates, attributes and names are then set to the cases the tests need."""
import os
import shutil
import subprocess
import sys
import time

out, stub = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)
work = os.path.join(out, "work")
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def certificate(name, subject):
    key, crt = os.path.join(work, name + ".key"), os.path.join(work, name + ".crt")
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", crt,
        "-days", "3650", "-subj", subject)
    return key, crt


def sign(key, crt, source, target):
    if os.path.exists(target):
        os.remove(target)
    run("osslsigncode", "sign", "-certs", crt, "-key", key, "-n", "Chronel", "-in", source, "-out", target)


publisher = certificate("publisher", "/O=Orvel Software Test/CN=Orvel Software Test Publisher")
other = certificate("other", "/O=Other Maker Test/CN=Other Maker Test Publisher")
signed = os.path.join(out, "installer-publisher.exe")
sign(*publisher, stub, signed)
sign(*other, stub, os.path.join(out, "installer-other.exe"))
shutil.copyfile(stub, os.path.join(out, "installer-unsigned.exe"))
# One byte of the code changed after signing: the signature no longer matches the file.
data = bytearray(open(signed, "rb").read())
pe = int.from_bytes(data[0x3C:0x40], "little")
sections = pe + 24 + int.from_bytes(data[pe + 20:pe + 22], "little")
code = int.from_bytes(data[sections + 20:sections + 24], "little")
data[code + 64] ^= 0xFF
open(os.path.join(out, "installer-altered.exe"), "wb").write(bytes(data))

# Stored dates are local times with two-second steps.
STAMP = time.mktime((2021, 3, 4, 5, 6, 8, 0, 0, -1))


def cabinet(name, files, attributes=None, renames=None):
    folder = os.path.join(work, name)
    os.makedirs(folder)
    for entry, content in files.items():
        path = os.path.join(folder, entry)
        with open(path, "wb") as f:
            f.write(content)
        os.utime(path, (STAMP, STAMP))
    target = os.path.join(out, name + ".cab")
    if os.path.exists(target):
        os.remove(target)
    run("gcab", "-c", "-z", "-n", target, *[os.path.join(folder, e) for e in files])
    data = bytearray(open(target, "rb").read())
    # In a CFFILE entry the attribute word sits just before the name.
    for entry, value in (attributes or {}).items():
        at = data.find(entry.encode() + b"\0")
        data[at - 2:at] = value.to_bytes(2, "little")
    for entry, stored in (renames or {}).items():
        assert len(entry) == len(stored)
        at = data.find(entry.encode() + b"\0")
        data[at:at + len(entry)] = stored.encode()
    open(target, "wb").write(bytes(data))


bitmap = b"BM" + bytes(range(256)) * 40
cabinet("splash", {"Splash.bmp": bitmap}, attributes={"Splash.bmp": 0x21})
# 0x67: read-only, hidden, system, archive and the executable bit, which is not kept.
cabinet("update", {"ChronelInstaller.exe": open(signed, "rb").read(), "readme.txt": b"new version\r\n"},
        attributes={"readme.txt": 0x67})
cabinet("traversal",
        {"good.txt": b"good", "xxxevil1.txt": b"evil", "yyyevil2.txt": b"evil", "zevil3.txt": b"evil"},
        renames={"xxxevil1.txt": "..\\evil1.txt", "yyyevil2.txt": "C:\\evil2.txt", "zevil3.txt": "\\evil3.txt"})
shutil.rmtree(work)
