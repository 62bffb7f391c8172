"""Shared helpers of the end-to-end tests.

Every test runs the real quorvane binary with standard input and output
redirected, either natively or, for the Windows build, under Wine. A test
module is started as

    python3 test_x.py --tool <binary> [--wine <wine> --wine-prefix <folder>]

and passes any further arguments on to unittest.
"""

import argparse
import fcntl
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest
from dataclasses import dataclass

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLE_SCRIPT = os.path.join(HERE, "..", "..", "scripts", "make-sample.sh")
RUN_TIMEOUT = 20  # seconds for one run of the tool


@dataclass(frozen=True)
class Edition:
    length: int
    offsets: tuple


EDITIONS = (
    Edition(727552, (457985, 462711, 462738, 464015, 509085, 509229)),
    Edition(955568, (598937, 603746, 603773, 605059, 677457, 677601)),
)

# The lines of the dialogue, without their CR LF.
BANNER = "=== RM2k(3) Quorvane ==="
ATTRIBUTION = re.compile(
    r"Quorvane \d+\.\d+\.\d+ - sets the item limit \(1 to 99\) of RPG_RT\.exe")
NO_FILE = "Error! Please drag the RPG_RT.exe file onto quorvane.exe!"
ANY_KEY = "Press any key to exit..."
WRONG_BUILD = "Error! Wrong RPG_RT.exe! Use v1.07 english default."
INVALID = "Invalid value! Please enter value between 1 and 99."
DONE = "Successfully patched!"
NO_VALUE = "Error! No value entered. Nothing was changed."
READ_ONLY = "Error! RPG_RT.exe is read-only or in use! Nothing was changed."


def current(value):
    return f"Current value: {value}"


def signed(byte):
    """A stored byte as the signed 8-bit value it stands for."""
    return byte - 256 if byte > 127 else byte


def patched_bytes(original, edition, value):
    """The file as it must be after `value` was written to `edition`."""
    data = bytearray(original)
    for offset in EDITIONS[edition].offsets:
        data[offset] = value & 0xFF
    return bytes(data)


# --- How the tool is started --------------------------------------------------

class Runner:
    """Starts the binary natively."""

    def __init__(self, tool):
        self.tool = tool

    def path(self, unix_path):
        """The path as the tool's command line must carry it."""
        return unix_path

    def command(self, args):
        return [self.tool, *args]

    def readonly_command(self, folder, args):
        """A command that runs the tool while `folder` is read-only, or None."""
        if _probe_readonly_mount():
            return _readonly_mount_command(folder, "", self.command(args))
        if _probe_unprivileged():
            # An unprivileged user cannot write a 0444 file.
            for path in _walk(folder):
                os.chmod(path, 0o555 if os.path.isdir(path) else 0o444)
            os.chmod(folder, 0o755)
            return ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                    *self.command(args)]
        return None

    readonly_skip_reason = ("neither a read-only bind mount in a private mount "
                            "namespace (unshare -m) nor running as the user "
                            "nobody (setpriv) is possible on this machine")


class WineRunner(Runner):
    """Starts the Windows build under Wine, with paths on Wine's drive Z:."""

    def __init__(self, tool, wine):
        super().__init__(tool)
        self.wine = wine
        self.wineserver = shutil.which("wineserver", path=os.path.dirname(wine)) \
            or shutil.which("wineserver")

    def path(self, unix_path):
        return "Z:" + unix_path.replace("/", "\\")

    def command(self, args):
        return [self.wine, self.tool, *args]

    def start_session(self, default_prefix):
        os.environ.setdefault("WINEPREFIX", default_prefix)
        os.environ.setdefault("WINEDEBUG", "-all")
        prefix = os.environ["WINEPREFIX"]
        os.makedirs(os.path.dirname(prefix), exist_ok=True)
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL)
        with open(prefix + ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)  # parallel test processes share the prefix
            if not os.path.exists(os.path.join(prefix, "system.reg")):
                subprocess.run([self.wine, "cmd", "/c", "exit"], timeout=600, **quiet)
            # A persistent server, and Wine's own processes started with
            # nothing attached, so that no process outlives a run holding its pipes.
            subprocess.run([self.wineserver, "-p"], timeout=60, **quiet)
            subprocess.run([self.wine, "cmd", "/c", "exit"], timeout=120, **quiet)

    def readonly_command(self, folder, args):
        # The wineserver opens the files on behalf of its clients, so a
        # read-only mount must be visible to the server: the command hides the
        # shared server's folder behind an empty one, starts a private server
        # inside the mount namespace, runs the tool and stops that server
        # (which ends by itself 10 s after its last client, should the run be
        # killed). Wine running as root writes to 0444 files, so their mode
        # cannot serve here.
        if not _probe_readonly_mount():
            return None
        server_dir = self._server_dir()
        if server_dir is None:
            return None
        quiet = "</dev/null >/dev/null 2>&1"
        tool = " ".join(_quote(a) for a in self.command(args))
        script = (f'mount -t tmpfs -o mode=0700 tmpfs {_quote(server_dir)} || exit 125\n'
                  f'{_quote(self.wineserver)} -p10 {quiet}\n'
                  f'{_quote(self.wine)} cmd /c exit {quiet}\n'
                  f'{tool}\nstatus=$?\n'
                  f'{_quote(self.wineserver)} -k {quiet}\n'
                  f'exit $status\n')
        return _readonly_mount_command(folder, script, None)

    readonly_skip_reason = ("a read-only bind mount in a private mount namespace "
                            "(unshare -m) is not possible on this machine")

    @staticmethod
    def _server_dir():
        """The folder that holds the socket of the prefix's wineserver."""
        prefix = os.environ["WINEPREFIX"]
        pointer = os.path.join(prefix, "wineserver")
        if os.path.exists(pointer):  # Wine 8 names a folder under /tmp there
            with open(pointer) as f:
                folder = os.path.join("/tmp", f.read().strip())
        else:
            folder = f"/tmp/.wine-{os.getuid()}"
        return folder if os.path.isdir(folder) else None


def _quote(text):
    return "'" + text.replace("'", "'\\''") + "'"


def _walk(folder):
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            yield os.path.join(root, name)


def _readonly_mount_command(folder, script, command):
    """Runs `script` (or `command`) in a private mount namespace where
    `folder` is a read-only bind mount of itself."""
    body = (f"set -e\nmount --bind {_quote(folder)} {_quote(folder)}\n"
            f"mount -o remount,ro,bind {_quote(folder)}\nset +e\n")
    if command is not None:
        body += "exec " + " ".join(_quote(a) for a in command) + "\n"
    return ["unshare", "-m", "sh", "-c", body + script]


_probes = {}


def _probe(name, check):
    if name not in _probes:
        try:
            _probes[name] = check()
        except (OSError, subprocess.SubprocessError):
            _probes[name] = False
    return _probes[name]


def _probe_readonly_mount():
    def check():
        with tempfile.TemporaryDirectory() as folder:
            command = _readonly_mount_command(
                folder, f"! touch {_quote(os.path.join(folder, 'x'))} 2>/dev/null", None)
            return subprocess.run(command, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, timeout=20).returncode == 0
    return _probe("mount", check)


def _probe_unprivileged():
    def check():
        with tempfile.TemporaryDirectory() as folder:
            os.chmod(folder, 0o755)
            path = os.path.join(folder, "x")
            open(path, "wb").close()
            os.chmod(path, 0o444)
            result = subprocess.run(
                ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                 "sh", "-c",
                 f"(: >>{_quote(path)}) 2>/dev/null && exit 1; test -r {_quote(path)}"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)
            return result.returncode == 0
    return _probe("setpriv", check)


RUNNER = None  # set by main()


# --- The test case base -------------------------------------------------------

@dataclass
class Run:
    exit_code: int
    output: bytes


def _execute(command, stdin, via_files, cwd):
    """Runs `command` with `stdin` as its standard input, through pipes or
    through files; None when it does not end in time, after the processes
    it started have been killed."""
    with tempfile.TemporaryFile() as source, tempfile.TemporaryFile() as sink:
        if via_files:
            source.write(stdin)
            source.seek(0)
        process = subprocess.Popen(command, cwd=cwd, stderr=subprocess.DEVNULL,
                                   stdin=source if via_files else subprocess.PIPE,
                                   stdout=sink if via_files else subprocess.PIPE,
                                   start_new_session=True)
        try:
            output, _ = process.communicate(None if via_files else stdin,
                                            timeout=RUN_TIMEOUT)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.communicate()
            return None
        if via_files:
            sink.seek(0)
            output = sink.read()
        return Run(process.returncode, output)


class ToolTestCase(unittest.TestCase):
    maxDiff = 4000

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="quorvane-e2e-")
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)

    # Files

    def path(self, *names):
        return os.path.join(self.folder, *names)

    def write_file(self, data, *names):
        path = self.path(*names)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def sample(self, edition, fill="zero", first=None, names=("RPG_RT.exe",), seed=1):
        """Writes a runtime-shaped sample; returns (path, its bytes).

        A zero sample is made by scripts/make-sample.sh (0x63 at the six
        places); a random one is random bytes throughout. `first` sets the
        byte at the first of the six places.
        """
        path = self.path(*names)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if fill == "zero":
            subprocess.run(["sh", SAMPLE_SCRIPT, path, str(edition)], check=True,
                           timeout=60)
            data = read(path)
        else:
            data = random.Random(seed).randbytes(EDITIONS[edition].length)
        if first is not None:
            data = bytearray(data)
            data[EDITIONS[edition].offsets[0]] = first
            data = bytes(data)
        if fill != "zero" or first is not None:
            self.write_file(data, *names)
        return path, data

    def assertFileBytes(self, path, expected):
        actual = read(path)
        if actual != expected:
            differing = [i for i in range(min(len(actual), len(expected)))
                         if actual[i] != expected[i]]
            self.fail(f"{path}: length {len(actual)} (expected {len(expected)}); "
                      f"{len(differing)} bytes differ from the expected ones, first at "
                      + ", ".join(f"{i} ({actual[i]:#04x} instead of {expected[i]:#04x})"
                                  for i in differing[:8]))

    def listing(self):
        return sorted(os.path.relpath(p, self.folder) for p in _walk(self.folder))

    # Runs

    def run_tool(self, args=(), stdin=b"", via_files=False, readonly=False):
        """Runs the tool in the test's folder, with `args` in the tool's path
        form, and checks that it ends with exit code 0 and makes no file."""
        before = self.listing()
        if readonly:
            command = RUNNER.readonly_command(self.folder, list(args))
            if command is None:
                self.skipTest(RUNNER.readonly_skip_reason)
        else:
            command = RUNNER.command(list(args))
        result = _execute(command, stdin, via_files, self.folder)
        if result is None:
            self.fail(f"{command} did not end within {RUN_TIMEOUT} s "
                      f"(standard input: {stdin!r})")
        self.assertEqual(result.exit_code, 0, f"exit code; output: {result.output!r}")
        self.assertEqual(self.listing(), before, "the run changed the folder's listing")
        return result

    def assertDialogue(self, run, *lines):
        """The output is the banner block followed by exactly `lines`, each
        ending in CR LF."""
        output = run.output
        self.assertTrue(output.endswith(b"\r\n"), f"output does not end in CR LF: {output!r}")
        received = output[:-2].split(b"\r\n")
        for line in received:
            self.assertNotIn(b"\n", line, f"a line end other than CR LF: {output!r}")
            self.assertNotIn(b"\r", line, f"a line end other than CR LF: {output!r}")
        received = [line.decode("latin-1") for line in received]
        self.assertGreaterEqual(len(received), 3, output)
        if ATTRIBUTION.fullmatch(received[1]):
            received[1] = "<attribution>"
        self.assertEqual(received, [BANNER, "<attribution>", "", *lines])


def read(path):
    with open(path, "rb") as f:
        return f.read()


def main():
    global RUNNER
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", help="the quorvane binary")
    parser.add_argument("--wine", help="run the (Windows) binary under this wine")
    parser.add_argument("--wine-prefix", help="WINEPREFIX when the environment sets none")
    options, rest = parser.parse_known_args()
    tool = os.path.abspath(options.tool) if options.tool else None
    if tool is None:
        RUNNER = None  # the module does not run the tool
    elif options.wine:
        RUNNER = WineRunner(tool, options.wine)
        RUNNER.start_session(options.wine_prefix or os.path.expanduser("~/.wine"))
    else:
        RUNNER = Runner(tool)
    unittest.main(module="__main__", argv=[sys.argv[0], *rest])
