"""Shared helpers of the end-to-end tests.

Every test runs the real quorvane binary, either natively or, for the Windows
build, under Wine: most with standard input and output redirected, the
interactive ones in a terminal, a tmux pane of 80 x 25 cells. A test module
is started as

    python3 test_x.py --tool <binary> [--wine <wine> --wine-prefix <folder>]

and passes any further arguments on to unittest.
"""

import argparse
import atexit
import fcntl
import itertools
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time
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
PROMPT = "Enter new value: "  # shown only when standard input is a console


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
    """Starts the binary natively, under a wrapper such as valgrind if given."""

    def __init__(self, tool, wrapper=()):
        self.tool = tool
        self.wrapper = list(wrapper)

    def path(self, unix_path):
        """The path as the tool's command line must carry it."""
        return unix_path

    def command(self, args):
        return [*self.wrapper, self.tool, *args]

    def shell_command(self, args):
        """The command as a shell must be given it."""
        return " ".join(_quote(a) for a in self.command(args))

    # How tmux sends each key that the tests press (`tmux send-keys` arguments).
    keys = {"Enter": ["Enter"], "Escape": ["Escape"], "Left": ["Left"], "Home": ["Home"],
            "End": ["End"], "Delete": ["DC"], "Backspace": ["BSpace"], "Ctrl+C": ["C-c"]}

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

    # Wine's console takes tmux's own Home and End keys for no key at all.
    keys = dict(Runner.keys, Home=["-H", "1b", "5b", "48"], End=["-H", "1b", "5b", "46"])

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


# --- Runs in a terminal -------------------------------------------------------
#
# The tool runs in a detached tmux session of one pane, 80 x 25 cells, on a
# tmux server of the tests' own (a private socket, no configuration file).
# A test presses keys one `send-keys` call each and awaits every expected
# picture by looking at the pane every 50 ms, up to a bound.

PANE_COLUMNS, PANE_ROWS = 80, 25
POLL_INTERVAL = 0.05  # seconds between two looks at a pane
WAIT_TIMEOUT = 30  # seconds for an awaited picture to appear
END_TIMEOUT = 10  # seconds for the processes of a closed pane to end
ESCAPE_PAUSE = 0.1  # seconds after Escape, lest the next key read as Alt+key
ATTRIBUTION_ROW = "<attribution>"  # the attribution line in an expected picture

_tmux_socket = None


def tmux(*args, check=True):
    """Runs one tmux command (or several, separated by ";") on the tests'
    server, which starts with the tests' environment; returns its output."""
    global _tmux_socket
    if _tmux_socket is None:
        folder = tempfile.mkdtemp(prefix="quorvane-tmux-")
        _tmux_socket = os.path.join(folder, "socket")
        atexit.register(_stop_tmux, folder)
    env = dict(os.environ, LANG="C.UTF-8")
    for name in ("TMUX", "TMUX_PANE", "LC_ALL"):
        env.pop(name, None)
    result = subprocess.run(["tmux", "-S", _tmux_socket, "-f", "/dev/null", *args],
                            env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True, timeout=20)
    if check and result.returncode != 0:
        raise RuntimeError(f"tmux {' '.join(args)}: {result.stderr.strip()}")
    return result.stdout


def _stop_tmux(folder):
    # Only this server: every session of it is closed by then.
    subprocess.run(["tmux", "-S", _tmux_socket, "kill-server"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)
    shutil.rmtree(folder, ignore_errors=True)


def _process_fields(pid):
    """The fields of /proc/<pid>/stat after the command name (state first),
    or None when there is no such process."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()
    except (OSError, IndexError):
        return None


def process_identity(pid):
    """What tells process `pid` from a later one of the same number: its
    start time; None when it has ended (a zombie has ended too)."""
    fields = _process_fields(pid)
    return None if fields is None or fields[0] in "ZX" else fields[19]


def _processes_of_session(session):
    """The live processes of the session that `session` leads."""
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            fields = _process_fields(entry)
            if fields is not None and fields[0] not in "ZX" and int(fields[3]) == session:
                found.append(int(entry))
    return found


def layout(lines, columns=PANE_COLUMNS, rows=PANE_ROWS):
    """The picture that `lines` leave on a blank screen, the last of them the
    one the cursor stands in, after its end: (the rows without trailing
    blanks, the cursor as (column, row), both 0-based). Each line wraps cell
    by cell at the right edge; a line that ends in the last column moves the
    cursor on to the next row at once, so that its line end leaves that row
    empty; once the bottom row is passed, the rows scroll up and the oldest
    are lost."""
    cells = []
    for line in lines:
        cells += [line[i:i + columns] for i in range(0, len(line), columns)]
        if len(line) % columns == 0:
            cells.append("")
    shown = cells[-rows:]
    cursor = (len(lines[-1]) % columns, len(shown) - 1)
    shown = [row.rstrip(" ") for row in shown] + [""] * (rows - len(shown))
    return shown, cursor


class Pane:
    """A detached tmux session of one pane that runs `argv` in `cwd`."""

    _numbers = itertools.count()

    def __init__(self, argv, cwd):
        self.name = f"quorvane-{os.getpid()}-{next(Pane._numbers)}"
        info = tmux("new-session", "-d", "-s", self.name, "-x", str(PANE_COLUMNS),
                    "-y", str(PANE_ROWS), "-c", cwd, "-P", "-F",
                    "#{pane_id} #{pane_pid} #{pane_tty} #{pane_width} #{pane_height}",
                    "--", *argv)
        self.id, pid, self.tty, width, height = info.split()
        # The pane's first process leads a session of its own, and every
        # process started in the pane belongs to it.
        self.session = int(pid)
        self.closed = False
        if (int(width), int(height)) != (PANE_COLUMNS, PANE_ROWS):
            self.close()
            raise RuntimeError(f"tmux made a pane of {width} x {height} cells")

    def picture(self):
        """(the rows the pane shows, without trailing blanks; the cursor as
        (column, row)), taken together."""
        output = tmux("capture-pane", "-p", "-t", self.id, ";",
                      "display-message", "-p", "-t", self.id, "#{cursor_x} #{cursor_y}")
        *rows, cursor, _ = output.split("\n")
        rows = [row.rstrip(" ") for row in rows]
        return rows + [""] * (PANE_ROWS - len(rows)), tuple(int(n) for n in cursor.split())

    def echoes(self):
        """Whether the pane's terminal echoes what is typed (it does until a
        program takes the keys itself)."""
        fd = os.open(self.tty, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
        try:
            return bool(termios.tcgetattr(fd)[3] & termios.ECHO)
        finally:
            os.close(fd)

    def send(self, *args):
        """One `tmux send-keys` call."""
        tmux("send-keys", "-t", self.id, *args)

    def kill(self):
        """Closes the pane, as closing its window would."""
        tmux("kill-pane", "-t", self.id, check=False)

    def close(self):
        """Closes the session and waits for the processes started in it to
        end; kills (by their own number) and returns those that do not."""
        if self.closed:
            return []
        self.closed = True
        tmux("kill-session", "-t", "=" + self.name, check=False)
        deadline = time.monotonic() + END_TIMEOUT
        while (left := _processes_of_session(self.session)) and time.monotonic() < deadline:
            time.sleep(POLL_INTERVAL)
        for pid in left:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        return left

    def __enter__(self):
        return self

    def __exit__(self, kind, *_):
        left = self.close()
        if left and kind is None:
            raise AssertionError(f"processes {left} of the closed pane did not end "
                                 f"within {END_TIMEOUT} s (killed)")


class TerminalTestCase(ToolTestCase):
    """Runs the tool in a tmux pane."""

    def open_pane(self, argv):
        """A pane running `argv` in the test's folder; use it in a with
        block. It is closed at the end of the test in any case."""
        pane = Pane(argv, self.folder)
        self.addCleanup(pane.close)
        return pane

    def start(self, args, before="", after="; echo EXIT=$?; exec sleep 600"):
        """A pane whose command runs the tool with `args` (in the tool's path
        form) between the shell commands `before` and `after`."""
        return self.open_pane(["sh", "-c", before + RUNNER.shell_command(args) + after])

    def press(self, pane, keys):
        """Presses keys: each character of a string, or each named key of a
        list, one `send-keys` call each."""
        if isinstance(keys, str):
            for character in keys:
                pane.send("-l", character)
            return
        for name in keys:
            pane.send(*RUNNER.keys[name])
            if name == "Escape":
                time.sleep(ESCAPE_PAUSE)

    def expect(self, pane, lines, column=None, reading=False, timeout=WAIT_TIMEOUT):
        """Waits until the pane shows the picture that `lines` leave on a blank
        screen (see `layout`; ATTRIBUTION_ROW stands for any attribution
        line), with the cursor in column `column` of the last line's row when
        given, and, when `reading`, the terminal no longer echoing keys (a
        program takes them itself); fails with the last picture otherwise."""
        rows, cursor = layout(lines)
        if column is not None:
            cursor = (column, cursor[1])
        deadline = time.monotonic() + timeout
        while True:
            shown, at = pane.picture()
            shown = [ATTRIBUTION_ROW if ATTRIBUTION.fullmatch(row) else row for row in shown]
            echoes = reading and pane.echoes()
            if (shown, at, echoes) == (rows, cursor, False) or time.monotonic() > deadline:
                break
            time.sleep(POLL_INTERVAL)
        self.assertEqual(shown, rows, f"the pane's rows (waited up to {timeout} s)")
        self.assertEqual(at, cursor, f"the cursor (column, row); the rows: {shown}")
        self.assertFalse(echoes, "the terminal still echoes typed keys while the tool "
                                 "waits for them")

    def expect_row(self, pane, pattern, timeout=WAIT_TIMEOUT):
        """Waits until a row of the pane matches the regular expression
        `pattern` in full; returns (the rows, the row's index)."""
        deadline = time.monotonic() + timeout
        while True:
            shown, _ = pane.picture()
            found = [i for i, row in enumerate(shown) if re.fullmatch(pattern, row)]
            if found:
                return shown, found[-1]
            if time.monotonic() > deadline:
                self.fail(f"no row matches {pattern!r} after {timeout} s; the rows: {shown}")
            time.sleep(POLL_INTERVAL)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def main():
    global RUNNER
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", help="the quorvane binary")
    parser.add_argument("--wine", help="run the (Windows) binary under this wine")
    parser.add_argument("--wine-prefix", help="WINEPREFIX when the environment sets none")
    parser.add_argument("--wrap", default="", help="a command the native binary runs under")
    options, rest = parser.parse_known_args()
    tool = os.path.abspath(options.tool) if options.tool else None
    if tool is None:
        RUNNER = None  # the module does not run the tool
    elif options.wine:
        RUNNER = WineRunner(tool, options.wine)
        RUNNER.start_session(options.wine_prefix or os.path.expanduser("~/.wine"))
    else:
        RUNNER = Runner(tool, options.wrap.split())
    unittest.main(module="__main__", argv=[sys.argv[0], *rest])
