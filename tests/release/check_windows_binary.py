"""Checks a Windows build of the tool as a download: a console program that starts on Windows XP
(the 64-bit one on XP x64), importing only functions of the allowlist that old Windows has, and
carries its manifest and version. objdump lists the imports with their hints in binutils 2.40 and
with an ordinal column before them from 2.44 on; a list it no longer gives fails.

    python3 check_windows_binary.py <objdump> <quorvane.exe> <version> <allowlist>"""

import re, subprocess, sys

objdump, exe, version, allowlist = sys.argv[1:5]
headers = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
image = open(exe, "rb").read()
imports = [(dll.upper(), name)
           for dll, block in re.findall(r"DLL Name: (\S+)\n(.*?)\n\n", headers, re.S)
           for name in re.findall(r"^\s+[0-9a-f]+\s+(?:<none>\s+)?[0-9a-f]+\s+(\S+)$", block, re.M)]
oldest = {(dll.upper(), name): tuple(map(int, windows.split("."))) for dll, name, windows in
          (line.split() for line in open(allowlist) if line.strip() and line[0] != "#")}
newest = (5, 1) if "file format pei-i386" in headers else (5, 2)
subsystem = tuple(map(int, re.findall(r"(?:Major|Minor)SubsystemVersion\s+(\d+)", headers)))
resources = {int(t, 16) for t in re.findall(r"^0[0-9a-f]{2}   Entry: ID: 0x([0-9a-f]+)", headers,
                                            re.MULTILINE)}
failures = ["no imports"] * (not imports) + ["not a CUI program"] * ("(Windows CUI)" not in headers)
failures += [f"subsystem version {subsystem}, newer than {newest}"] * (subsystem > newest)
failures += [f"imports {dll}!{name}, " + ("not in the allowlist" if (dll, name) not in oldest else
             "which needs Windows %d.%d" % oldest[dll, name]) for dll, name in imports
             if oldest.get((dll, name), (99,)) > newest]
failures += [f"no {name} resource" for kind, name in ((0x10, "version"), (0x18, "manifest"))
             if kind not in resources]
needles = [b'level="asInvoker"', b"<longPathAware", b"supportedOS Id="] + [
    text.encode("utf-16-le") for text in ("OriginalFilename", "quorvane.exe", "FileVersion",
                                          "ProductVersion", version, "ProductName", "Quorvane")]
failures += [f"no {needle} in the manifest or version" for needle in needles if needle not in image]
print(f"{exe}: {len(imports)} imports from {', '.join(sorted({dll for dll, _ in imports}))}",
      *[f"FAIL: {failure}" for failure in failures], sep="\n")
sys.exit(1 if failures else 0)
