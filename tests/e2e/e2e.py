"""The end-to-end tests' ground: the real binary, native (maybe under a wrapper such as
Valgrind) or under Wine, redirected or in a tmux pane. Run as python3 test_x.py --tool
<binary> [--wine <wine> --wine-prefix <folder>] [--wrap <command>]."""

import argparse, fcntl, itertools, os, pathlib, pwd, random, re, shlex, shutil, subprocess
import sys, tempfile, termios, time, unittest

EDITIONS = ((727552, (457985, 462711, 462738, 464015, 509085, 509229)),
            (955568, (598937, 603746, 603773, 605059, 677457, 677601)))
ATTRIBUTION = r"Quorvane \d+\.\d+\.\d+ - sets the item limit \(1 to 99\) of RPG_RT\.exe"
HEAD = ["=== RM2k(3) Quorvane ===", "<attribution>", ""]
NO_FILE = "Error! Please drag the RPG_RT.exe file onto quorvane.exe!"
ANY_KEY = "Press any key to exit..."
WRONG_BUILD = "Error! Wrong RPG_RT.exe! Use v1.07 english default."
INVALID = "Invalid value! Please enter value between 1 and 99."
DONE = "Successfully patched!"
NO_VALUE = "Error! No value entered. Nothing was changed."
READ_ONLY = "Error! RPG_RT.exe is read-only or in use! Nothing was changed."
WRITE_FAILED = "Error! Could not write RPG_RT.exe! It may be damaged; restore it from a copy."
PROMPT = "Enter new value: "
TIMEOUT = 60  # seconds for a run, and for an awaited picture: a bound, never a wait
TOOL, WINE, WRAP = "", "", []  # the binary, Wine if it runs there, a wrapper; set by main()
KEYS = {"Delete": ["DC"], "Backspace": ["BSpace"], "Shift+Tab": ["BTab"], "PageUp": ["PPage"],
        **{f"Ctrl+{key}": [f"C-{key.lower()}"] for key in ("A", "C", "S", "Z", "\\")},
        **{f"Alt+{key}": [f"M-{key.lower()}"] for key in ("A", "5")}, "Ctrl+Left": ["C-Left"],
        **{f"Shift+{key}": [f"S-{key}"] for key in ("Left", "Right", "Home", "End")}}  # tmux's names


def current(data, edition):
    byte = data[EDITIONS[edition][1][0]]
    return f"Current value: {byte - 256 if byte > 127 else byte}"


def patched(data, edition, value, places=6):  # the first `places` of the six
    data = bytearray(data)
    for offset in EDITIONS[edition][1][:places]:
        data[offset] = value
    return bytes(data)


def head(lines):
    return [re.sub(f"^{ATTRIBUTION}$", "<attribution>", line) for line in lines]


def tool_path(path):
    return "Z:" + path.replace("/", "\\") if WINE and path else path


def argv(*paths):  # the command that runs the tool on the paths
    return [*WRAP, *[WINE] * bool(WINE), TOOL, *map(tool_path, paths)]


def shell(*paths):
    return shlex.join(argv(*paths))


def limited(size):
    """What runs a command whose files may grow to `size` bytes: a write beyond fails."""
    return [sys.executable, "-c", "import os, resource, signal, sys; "
            "signal.signal(signal.SIGXFSZ, signal.SIG_IGN); "  # EFBIG, not death by signal
            "resource.setrlimit(resource.RLIMIT_FSIZE, (int(sys.argv[1]),) * 2); "
            "os.execvp(sys.argv[2], sys.argv[2:])", str(size)]


def start_wine(*become):
    """Makes the prefix and starts its server and services detached, lest they hold pipes."""
    for command in ([os.path.join(os.path.dirname(WINE), "wineserver"), "-p"],
                    [WINE, "cmd", "/c", "exit"]):
        subprocess.run([*become, *command], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=600)


def read_only(test, path):
    """Marks the file read-only; the command that runs the tool on it. Root may write it all the same: the tool then runs
    as nobody, from a home (and Wine prefix) of nobody's."""
    command = argv(path)
    if os.geteuid() == 0:
        user, home = pwd.getpwnam("nobody"), test.path("home")
        os.makedirs(home)
        for owned in (home, path):
            os.chown(owned, user.pw_uid, user.pw_gid)
        os.chmod(test.folder, 0o755)
        become = ["env", f"HOME={home}", f"WINEPREFIX={home}/prefix", "setpriv",
                  f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}", "--clear-groups"]
        tool = shutil.copy(TOOL, home)
        command = [*become, *[tool if part == TOOL else part for part in command]]
        if WINE:
            start_wine(*become)
            test.addCleanup(subprocess.run, [*become, f"{os.path.dirname(WINE)}/wineserver", "-k"])
    os.chmod(path, 0o444)  # Wine's read-only attribute is this too
    return command


class Case(unittest.TestCase):  # a test with a folder of its own
    maxDiff = None

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="quorvane-e2e-")
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)

    def path(self, *names):
        return os.path.join(self.folder, *names)

    def write(self, data, *names):
        os.makedirs(os.path.dirname(self.path(*names)), exist_ok=True)
        pathlib.Path(self.path(*names)).write_bytes(data)
        return self.path(*names)

    def sample(self, edition, seed=0, first=None, names=("RPG_RT.exe",)):  # its path and bytes
        data = bytearray(random.Random(seed).randbytes(EDITIONS[edition][0]))
        data[EDITIONS[edition][1][0]] = data[EDITIONS[edition][1][0]] if first is None else first
        return self.write(bytes(data), *names), bytes(data)

    def listing(self):  # but within nobody's home, where a Wine server saves its registry at will
        return sorted(path for root, dirs, files in os.walk(self.folder) for name in dirs + files
                      if not (path := os.path.relpath(os.path.join(root, name), self.folder)).startswith("home/"))

    def run_tool(self, paths=(), stdin=b"", command=None, stdout=subprocess.PIPE):
        """Its output; the run ends with 0 and leaves the folder's listing as it was."""
        before = self.listing()
        result = subprocess.run(command or argv(*paths), cwd=self.folder, timeout=TIMEOUT,
                                input=stdin, stdout=stdout)
        self.assertEqual((result.returncode, self.listing()), (0, before), result.stdout)
        return result.stdout

    def assertDialogue(self, output, *lines):
        """The output is the head lines and exactly `lines`, each ending in CR LF."""
        self.assertTrue(output.endswith(b"\r\n"), output)
        self.assertEqual(head(output[:-2].decode("latin-1").split("\r\n")), [*HEAD, *lines])

    def assertBytes(self, path, expected):
        actual = pathlib.Path(path).read_bytes()
        self.assertTrue(actual == expected, (path, len(actual), len(expected)))


_socket = tempfile.mkdtemp(prefix="quorvane-tmux-") + "/socket"  # a tmux server of our own
_panes = itertools.count()


def tmux(*args):
    env = {k: v for k, v in os.environ.items() if k not in ("TMUX", "TMUX_PANE", "LC_ALL")}
    return subprocess.run(["tmux", "-S", _socket, "-f", "/dev/null", *args], text=True,
                          env=dict(env, LANG="C.UTF-8"), stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=20).stdout


def layout(lines, columns, rows, at=None):
    """Rows `lines` leave on a blank screen, wrapped cell by cell, and the cursor `at` cells into
    the last (None: past it); a full row leaves the next empty, the last once the cursor is past."""
    cells, past = [], at is None or at >= len(lines[-1])  # the cursor past the last line
    for n, line in enumerate(lines):
        first = len(cells)  # the row the line starts on
        cells += [line[i:i + columns] for i in range(0, len(line), columns)]
        cells += [""] * (len(line) % columns == 0 and (n + 1 < len(lines) or past))
    shown = [row.rstrip(" ") for row in cells[-rows:]]
    at, first = len(lines[-1]) if at is None else at, first - (len(cells) - len(shown))
    return shown + [""] * (rows - len(shown)), (at % columns, first + at // columns)


class Pane:
    """A tmux pane running a shell command; closed, every process started in it must end."""

    def __init__(self, test, command, columns=80, rows=25):
        self.test, self.columns, self.rows = test, columns, rows
        self.name = f"quorvane-{os.getpid()}-{next(_panes)}"
        pid, self.tty = tmux("new-session", "-d", "-s", self.name, "-x", str(columns), "-y",
                             str(rows), "-c", test.folder, "-P", "-F", "#{pane_pid} #{pane_tty}",
                             "--", "sh", "-c", command).split()
        self.session = pid  # every process started in the pane belongs to its session
        test.addCleanup(self.close)

    def picture(self):  # the rows and the cursor
        *shown, cursor, _ = tmux("capture-pane", "-p", "-t", self.name, ";", "display-message",
                                 "-p", "-t", self.name, "#{cursor_x} #{cursor_y}").split("\n")
        shown = head(row.rstrip(" ") for row in shown)
        return shown + [""] * (self.rows - len(shown)), tuple(map(int, cursor.split()))

    def press(self, keys):  # each character of a string, or each named key of a list
        for key in keys:  # a lone ; would end tmux's command
            args = ["-l", key.replace(";", "\\;")] if isinstance(keys, str) else KEYS.get(key, [key])
            tmux("send-keys", "-t", self.name, *args)
            time.sleep(0.1 if key == "Escape" else 0)  # lest the next key read as Alt with it

    def lines(self, width):
        """The lines the terminal keeps (in Wine's console, the lines it shows), blank ones
        left out: its wrapped rows joined, and a row just `width` long to the row after it."""
        rows = tmux("capture-pane", "-p", "-J", *["-S", "-"] * (not WINE), "-t", self.name)
        lines, line = [], ""
        for row in rows.rstrip("\n").split("\n"):
            line += row
            if len(row) != width:
                lines.append(line.rstrip(" "))
                line = ""
        return [line for line in head(lines + [line]) if line]

    def reads(self):
        """Whether a program reads the keys itself: the terminal echoes none."""
        fd = os.open(self.tty, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
        echo = termios.tcgetattr(fd)[3] & termios.ECHO
        os.close(fd)
        return not echo

    def until(self, shows, of=None):
        """Waits, looking every 50 ms, until `shows(of())` holds; the last value."""
        deadline = time.monotonic() + TIMEOUT
        while not shows(value := (of or self.picture)()) and time.monotonic() < deadline:
            time.sleep(0.05)
        return value

    def expect(self, lines, at=None, reading=False):
        """Waits for the picture of `lines`, the cursor on the cell `at` cells into the last
        (after it: None), and the tool `reading`."""
        wanted = layout(lines, self.columns, self.rows, at)
        self.test.assertEqual(self.until(lambda p: p == wanted and (self.reads() or not reading)),
                              wanted)
        self.test.assertTrue(self.reads() or not reading, "the terminal echoes what the tool reads")

    def idles(self, seconds=2):
        """The tool stays, the picture as it is, and takes almost no processor time."""
        picture = self.picture()
        tool = set(self.processes("quorvane")) - {self.session}
        self.test.assertTrue(tool, f"the tool has ended: {picture}")
        ticks = lambda: sum(sum(map(int, pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(
            ")", 1)[1].split()[11:13])) for pid in tool)  # user and system time
        start = ticks()
        time.sleep(seconds)
        used = (ticks() - start) / os.sysconf("SC_CLK_TCK")
        self.test.assertEqual(self.picture(), picture)
        self.test.assertLess(used, seconds / 10, "the tool spins while it waits")

    def rang(self):  # whether a bell sounded in the pane since it started
        return tmux("display-message", "-p", "-t", self.name, "#{window_bell_flag}") == "1\n"

    def cursor_shown(self):
        return tmux("display-message", "-p", "-t", self.name, "#{cursor_flag}") == "1\n"

    def processes(self, command="."):
        """The processes of the pane whose command line matches `command`."""
        return subprocess.run(["pgrep", "-s", self.session, "-f", command], text=True,
                              capture_output=True).stdout.split()

    def close(self):
        tmux("kill-session", "-t", "=" + self.name)
        left = self.until(lambda pids: not pids, self.processes)
        subprocess.run(["kill", "-9", *left], stderr=subprocess.DEVNULL)
        self.test.assertEqual(left, [], "processes of the closed pane did not end")


def main():
    global TOOL, WINE, WRAP
    parser = argparse.ArgumentParser()
    for option in ("--tool", "--wine", "--wine-prefix", "--wrap"):
        parser.add_argument(option, default="")
    options, rest = parser.parse_known_args()
    TOOL, WINE, WRAP = os.path.abspath(options.tool), options.wine, options.wrap.split()
    if WINE:
        KEYS.update(Home=["-H", "1b", "5b", "48"], End=["-H", "1b", "5b", "46"])  # Wine's own
        # Its console makes no key of a cursor key with Shift that a terminal sends.
        KEYS.update({f"Shift+{k}": KEYS.get(k, [k]) for k in ("Left", "Right", "Home", "End")})
        os.environ.setdefault("WINEPREFIX", options.wine_prefix)
        os.environ.setdefault("WINEDEBUG", "-all")
        # Without it, Wine 10 writes an error of Wayland's into the console at the first key.
        os.environ.setdefault("XDG_RUNTIME_DIR", os.path.dirname(_socket))
        with open(os.environ["WINEPREFIX"] + ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)  # test modules run at once share the prefix
            start_wine()
    try:  # the first failure ends the run: a broken tool shows at once, not at every wait
        result = unittest.main(module="__main__", argv=[parser.prog, *rest], failfast=True,
                               exit=False).result
    finally:
        tmux("kill-server")
        shutil.rmtree(os.path.dirname(_socket), ignore_errors=True)
    sys.exit(int(not result.wasSuccessful()))
