#!/usr/bin/env python3
"""What welcora.exe must carry: a GUI program in one file (no Qt, compiler or
thread library beside it), the version record 1.0.0.0 shown as "1.00", and
the window icon, the same image as the .ico the build made it from.
    deliverable_check.py WELCORA_EXE ICO VERSION DISPLAY_VERSION
"""
import struct
import sys

exe_path, ico_path, version, shown = sys.argv[1:5]
exe = open(exe_path, "rb").read()
failures = []

pe = struct.unpack_from("<I", exe, 0x3C)[0]
assert exe[pe:pe + 4] == b"PE\0\0", "not a PE file"
sections_count = struct.unpack_from("<H", exe, pe + 6)[0]
optional_size = struct.unpack_from("<H", exe, pe + 20)[0]
optional = pe + 24
magic = struct.unpack_from("<H", exe, optional)[0]
assert magic == 0x20B, "not a 64-bit program"
if struct.unpack_from("<H", exe, optional + 68)[0] != 2:
    failures.append("not a GUI program (subsystem is not WINDOWS_GUI)")
directories = optional + 112
sections = []
for i in range(sections_count):
    at = optional + optional_size + 40 * i
    name = exe[at:at + 8].rstrip(b"\0").decode()
    vsize, vaddr, rsize, raddr = struct.unpack_from("<IIII", exe, at + 8)
    sections.append((name, vaddr, max(vsize, rsize), raddr))


def offset(rva):
    for _, vaddr, size, raddr in sections:
        if vaddr <= rva < vaddr + size:
            return rva - vaddr + raddr
    raise ValueError("RVA %#x is in no section" % rva)


def cstring(at):
    return exe[at:exe.index(b"\0", at)].decode()


# Imports: Windows' own DLLs only.
import_rva = struct.unpack_from("<I", exe, directories + 8)[0]
dlls = []
at = offset(import_rva)
while True:
    name_rva = struct.unpack_from("<I", exe, at + 12)[0]
    if name_rva == 0:
        break
    dlls.append(cstring(offset(name_rva)).lower())
    at += 20
foreign = [d for d in dlls if d.startswith(("qt", "libstdc", "libgcc", "libwinpthread"))]
if foreign:
    failures.append("needs DLLs beside it: " + ", ".join(foreign))

# Resources: type -> first data blob.
resource_rva = struct.unpack_from("<I", exe, directories + 16)[0]
base = offset(resource_rva)


def entries(directory):
    named, ids = struct.unpack_from("<HH", exe, base + directory + 12)
    for i in range(named + ids):
        ident, target = struct.unpack_from("<II", exe, base + directory + 16 + 8 * i)
        yield ident, target


def first_data(target):
    while target & 0x80000000:
        target = next(entries(target & 0x7FFFFFFF))[1]
    rva, size = struct.unpack_from("<II", exe, base + target)
    return exe[offset(rva):offset(rva) + size]


resources = {ident: first_data(target) for ident, target in entries(0)}
RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
for kind, name in ((RT_ICON, "icon"), (RT_GROUP_ICON, "icon group"), (RT_VERSION, "version record")):
    if kind not in resources:
        failures.append("no %s" % name)

if RT_VERSION in resources:
    record = resources[RT_VERSION]
    fixed = record.index(struct.pack("<I", 0xFEEF04BD))
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", record, fixed + 8)
    def dotted(ms, ls):
        return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    for what, got in (("file", dotted(file_ms, file_ls)), ("product", dotted(product_ms, product_ls))):
        if got != version:
            failures.append("%s version is %s, expected %s" % (what, got, version))
    for text in ("FileVersion", version, "ProductVersion", "Welcora " + shown):
        if text.encode("utf-16-le") not in record:
            failures.append("the version record lacks %r" % text)

if RT_ICON in resources:
    ico = open(ico_path, "rb").read()
    count = struct.unpack_from("<H", ico, 4)[0]
    width, height, colours = ico[6], ico[7], ico[8]
    size, start = struct.unpack_from("<II", ico, 6 + 8)
    if count != 1 or (width, height, colours) != (32, 32, 16):
        failures.append("the .ico is not one 32x32 image in 16 colours")
    if resources[RT_ICON] != ico[start:start + size]:
        failures.append("the icon in the program is not the image of %s" % ico_path)

if failures:
    sys.exit("FAIL: " + "; ".join(failures))
print("PASS: one GUI executable importing only %s; version %s (\"%s\"); icon as in the .ico"
      % (", ".join(sorted(dlls)), version, shown))
