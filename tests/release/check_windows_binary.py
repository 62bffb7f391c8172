"""Checks a Windows build of the tool as a download: a console program that
imports only system DLLs and carries its manifest and version resource.

    python3 check_windows_binary.py <objdump> <quorvane.exe> <version>
"""

import re
import subprocess
import sys

ALLOWED = re.compile(r"(kernel32|user32|msvcrt)\.dll|api-ms-win-crt-[a-z-]+-l1-1-0\.dll",
                     re.IGNORECASE)
RESOURCE_VERSION, RESOURCE_MANIFEST = 0x10, 0x18


def utf16(text):
    return text.encode("utf-16-le")


def main():
    objdump, exe, version = sys.argv[1:4]
    headers = subprocess.run([objdump, "-p", exe], check=True, capture_output=True,
                             text=True).stdout
    with open(exe, "rb") as f:
        image = f.read()
    failures = []

    imports = re.findall(r"DLL Name: (\S+)", headers)
    if not imports:
        failures.append("no imports found")
    failures += [f"imports {name}, which is not a system DLL"
                 for name in imports if not ALLOWED.fullmatch(name)]
    if "(Windows CUI)" not in headers:
        failures.append("not a console program")

    types = {int(t, 16) for t in re.findall(r"^0[0-9a-f]{2}   Entry: ID: 0x([0-9a-f]+)",
                                           headers, re.MULTILINE)}
    for kind, name in ((RESOURCE_VERSION, "version"), (RESOURCE_MANIFEST, "manifest")):
        if kind not in types:
            failures.append(f"no {name} resource")
    for needle in (b'level="asInvoker"', b"<longPathAware", b"supportedOS Id="):
        if needle not in image:
            failures.append(f"the manifest lacks {needle.decode()}")
    for key, value in (("OriginalFilename", "quorvane.exe"), ("FileVersion", version),
                       ("ProductVersion", version), ("ProductName", "Quorvane")):
        if utf16(key) not in image or utf16(value) not in image:
            failures.append(f"the version resource lacks {key} {value}")

    print(f"{exe}: imports {', '.join(imports)}")
    for failure in failures:
        print(f"FAIL: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
