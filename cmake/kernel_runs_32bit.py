"""Tells whether this machine's kernel runs 32-bit x86 programs, as Wine's 32-bit
loader needs, by running one: ELF headers and three instructions that exit.

    python3 kernel_runs_32bit.py <folder to write it in>

Exit code 0: it ran. 1: the kernel refused it, and the system's words say so.
2: it could not be tried."""

import errno, os, struct, subprocess, sys

base = 0x08048000
code = bytes.fromhex("b801000000" "31db" "cd80")  # mov eax, 1 (exit); xor ebx, ebx; int 0x80
size = 52 + 32 + len(code)
header = struct.pack("<4sBBBB8xHHIIIIIHHHHHH", b"\x7fELF", 1, 1, 1, 0, 2, 3, 1, base + 84, 52,
                     0, 0, 52, 32, 1, 0, 0, 0)  # a 32-bit x86 executable; one segment
segment = struct.pack("<8I", 1, 0, base, base, size, size, 5, 0x1000)
program = os.path.join(sys.argv[1], "exit32")
with open(program, "wb") as f:
    f.write(header + segment + code)
os.chmod(program, 0o755)
try:
    sys.exit(0 if subprocess.run([program]).returncode == 0 else 2)
except OSError as error:
    print(error.strerror)
    sys.exit(1 if error.errno == errno.ENOEXEC else 2)
finally:
    os.remove(program)
