"""Checks a Windows build of the tool as a download: a console program that
imports only system DLLs and carries its manifest and version resource.

    python3 check_windows_binary.py <objdump> <quorvane.exe> <version>
"""

import re, subprocess, sys

objdump, exe, version = sys.argv[1:4]
headers = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
image = open(exe, "rb").read()
imports = re.findall(r"DLL Name: (\S+)", headers)
resources = {int(t, 16) for t in re.findall(r"^0[0-9a-f]{2}   Entry: ID: 0x([0-9a-f]+)", headers,
                                            re.MULTILINE)}
failures = ["no imports"] * (not imports) + ["not a CUI program"] * ("(Windows CUI)" not in headers)
failures += [f"imports {name}, not a system DLL" for name in imports
             if not re.fullmatch(r"(kernel32|user32|msvcrt)\.dll", name, re.IGNORECASE)]
failures += [f"no {name} resource" for kind, name in ((0x10, "version"), (0x18, "manifest"))
             if kind not in resources]
needles = [b'level="asInvoker"', b"<longPathAware", b"supportedOS Id="] + [
    text.encode("utf-16-le") for text in ("OriginalFilename", "quorvane.exe", "FileVersion",
                                          "ProductVersion", version, "ProductName", "Quorvane")]
failures += [f"no {needle} in the manifest or version" for needle in needles if needle not in image]
print(f"{exe}: imports {', '.join(imports)}", *[f"FAIL: {failure}" for failure in failures],
      sep="\n")
sys.exit(1 if failures else 0)
