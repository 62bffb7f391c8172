"""Checks a Windows build of the tool as a download: a console program that
starts on Windows XP (the 64-bit one on XP x64), importing only functions of
the allowlist that old Windows has, and carries its manifest and version. Its
headers are read as the Windows loader reads them, not as a tool prints them.

    python3 check_windows_binary.py <quorvane.exe> <version> <allowlist>
"""

import struct, sys

exe, version, allowlist = sys.argv[1:4]
image = open(exe, "rb").read()
u16 = lambda at: struct.unpack_from("<H", image, at)[0]
u32 = lambda at: struct.unpack_from("<I", image, at)[0]
optional = u32(0x3C) + 24  # the optional header, after the signature and the file header
wide = u16(optional) == 0x20B  # PE32+, the 64-bit form
sections = [struct.unpack_from("<8xIIII", image, optional + u16(optional - 4) + 40 * i)
            for i in range(u16(optional - 18))]  # virtual size and address, raw size and offset
at = lambda rva: next(raw + rva - va for size, va, raw_size, raw in sections
                      if va <= rva < va + max(size, raw_size))  # an address's place in the file
text = lambda rva: image[at(rva):image.index(b"\0", at(rva))].decode("ascii")
directory = lambda n: u32(optional + (112 if wide else 96) + 8 * n)

imports, descriptor, step = [], at(directory(1)), 8 if wide else 4
while u32(descriptor + 12):  # one descriptor a DLL, then a blank one
    thunk = at(u32(descriptor) or u32(descriptor + 16))
    while entry := int.from_bytes(image[thunk:thunk + step], "little"):
        imports.append((text(u32(descriptor + 12)).upper(),
                        f"#{entry & 0xFFFF}" if entry >> (step * 8 - 1) else text(entry + 2)))
        thunk += step
    descriptor += 20
root = at(directory(2)) if directory(2) else 0  # the resource types: named ones, then by id
kinds = {u32(root + 16 + 8 * (u16(root + 12) + i)) for i in range(u16(root + 14))} if root else {}

oldest = {(dll.upper(), name): tuple(map(int, windows.split("."))) for dll, name, windows in
          (line.split() for line in open(allowlist) if line.strip() and line[0] != "#")}
newest = (5, 1) if u16(optional - 20) == 0x14C else (5, 2)  # i386, else x86-64
subsystem = (u16(optional + 48), u16(optional + 50))
failures = ["no imports"] * (not imports) + ["not a CUI program"] * (u16(optional + 68) != 3)
failures += [f"subsystem version {subsystem}, newer than {newest}"] * (subsystem > newest)
failures += [f"imports {dll}!{name}, " + ("not in the allowlist" if (dll, name) not in oldest else
             "which needs Windows %d.%d" % oldest[dll, name]) for dll, name in imports
             if oldest.get((dll, name), (99,)) > newest]
failures += [f"no {name} resource" for kind, name in ((0x10, "version"), (0x18, "manifest"))
             if kind not in kinds]
needles = [b'level="asInvoker"', b"<longPathAware", b"supportedOS Id="] + [
    word.encode("utf-16-le") for word in ("OriginalFilename", "quorvane.exe", "FileVersion",
                                          "ProductVersion", version, "ProductName", "Quorvane")]
failures += [f"no {needle} in the manifest or version" for needle in needles if needle not in image]
print(f"{exe}: {len(imports)} imports from {', '.join(sorted({dll for dll, _ in imports}))}",
      *[f"FAIL: {failure}" for failure in failures], sep="\n")
sys.exit(1 if failures else 0)
