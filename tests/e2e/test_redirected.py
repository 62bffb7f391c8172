"""The dialogue redirected: the answers, the six bytes written, every kind of target. Then
faults: the target changed at the prompt, read-only, the tool killed at each stage, a full
disk. The file is untouched before the writes, and holds all six bytes once the success line
shows; no other byte changes."""

import os, random, select, subprocess, tempfile

import e2e
from e2e import (ANY_KEY, DONE, EDITIONS, INVALID, NO_FILE, NO_VALUE, READ_ONLY, WRITE_FAILED,
                 WRONG_BUILD)

# (standard input, how many answers are refused, the value accepted or None
#  when the input ends first, the byte stored at the first place or None)
ANSWERS = [
    (b"50\n", 0, 50, None), (b"1\n", 0, 1, None), (b"99", 0, 99, 0x63), (b"&H63\n", 0, 99, None),
    (b"0\n100\n-1\n\n7\n", 4, 7, None), (b"300\n257\n&H101\n42\n", 3, 42, None),
    (b"1.5\n", 0, 2, None), (b"99.5\n10\n", 1, 10, None), (b"0.5\n0.6\n", 1, 1, None),
    (b"1e2\n9.9e1\n", 1, 99, None), (b"1d1\n", 0, 10, None), (b"0 50\n", 1, 50, None),
    (b"50,7\n", 0, 50, None), (b" \t 50  \n", 0, 50, None), (b'"5"0\n', 0, 50, None),
    (b"12abc\n", 0, 12, None), (b"abc\r\n42\r\n", 1, 42, None), (b"\r\n\r5\n", 2, 5, None),
    (b"0x10\n5\n", 1, 5, None), (b"0" * 67 + b"42\n", 1, 42, None),
    (b"0" * 66 + b"99\n", 0, 9, None), (b"4294967296\n2147483648\n&HFFFFFFFF\n63\n", 3, 63, None),
    (b"32767.5\n1e400\n8\n", 2, 8, None), (b"", 0, None, 0xC8), (b"\n", 1, None, 0x80),
    (b"0\n", 1, None, 0xFF), (b"abc\n100\n", 2, None, 0x7F), (b"", 0, None, 0x00),
]

# Folders that a Western or a Japanese ANSI code page cannot both spell.
FOLDERS = ("ゲーム", "Café Crème", "Ελληνικά 🎮")


class RedirectedTest(e2e.Case):
    def test_answers_decide_the_value_written_at_the_six_places(self):
        for index, (stdin, refused, accepted, first) in enumerate(ANSWERS):
            with self.subTest(stdin=stdin):
                path, data = self.sample(index % 2, seed=index, first=first,
                                         names=(FOLDERS[index % 3], "RPG_RT.exe"))
                output = self.run_tool([path], stdin)
                self.assertDialogue(output, e2e.current(data, index % 2), *[INVALID] * refused,
                                    NO_VALUE if accepted is None else DONE, ANY_KEY)
                self.assertBytes(path, data if accepted is None else
                                 e2e.patched(data, index % 2, accepted))

    def test_unusable_targets_are_refused_and_left_alone(self):
        os.mkdir(self.path("game"))
        beyond = self.path("beyond 4 GiB.exe")
        with open(beyond, "wb") as f:  # sparse, its low 32 bits the first edition's length
            f.truncate(2**32 + EDITIONS[0][0])
        others = [self.write(random.Random(n).randbytes(n), f"{n}.exe")
                  for n in (727551, 727553, 0, 955569)]
        long = self.path("folder-" + "x" * 143, "RPG_RT.exe")  # no fixed buffer anywhere
        for paths, message in [([], NO_FILE), ([self.path("RPG_RT.exe")], NO_FILE), ([long], NO_FILE),
                               ([self.path("game")], NO_FILE), ([beyond], WRONG_BUILD),
                               ([self.path("missing", "RPG_RT.exe")], NO_FILE),
                               *[([path], WRONG_BUILD) for path in others]]:
            with self.subTest(paths=paths):
                self.assertDialogue(self.run_tool(paths, b"50\n"), message, ANY_KEY)
        for path in others:
            n = os.path.getsize(path)
            self.assertBytes(path, random.Random(n).randbytes(n))
        with open(beyond, "rb") as f:  # its size, and nothing at the six places, nor 4 GiB on
            places = [os.pread(f.fileno(), 1, base + at) for base in (0, 2**32)
                      for at in EDITIONS[0][1]]
        self.assertEqual((os.path.getsize(beyond), places), (2**32 + EDITIONS[0][0], [b"\0"] * 12))

    def test_the_arguments_make_one_path(self):
        # Split at its blanks, it is joined with single ones; one argument keeps its
        # own (leading, doubled, and where the system allows, trailing); under Windows
        # its wildcards are expanded.
        samples = [self.sample(1, names=names) for names in
                   ((FOLDERS[2], "RPG_RT.exe"), (FOLDERS[2].replace(" ", "  "), "RPG_RT.exe"),
                    (" a  b", "RPG_RT.exe" + " " * (not e2e.WINE)))]
        self.run_tool(stdin=b"42\n", command=e2e.argv() + e2e.tool_path(samples[1][0]).split("  "))
        self.assertBytes(samples[0][0], e2e.patched(samples[0][1], 1, 42))
        self.assertBytes(samples[1][0], samples[1][1])
        relative = os.path.relpath(samples[2][0], self.folder).replace("/", "\\" if e2e.WINE else "/")
        self.run_tool(stdin=b"43\n", command=e2e.argv() + [relative])
        self.assertBytes(samples[2][0], e2e.patched(samples[2][1], 1, 43))
        if e2e.WINE:
            self.run_tool([self.path(FOLDERS[2], "RPG_*.exe")], b"7\n")
            self.assertBytes(samples[0][0], e2e.patched(samples[0][1], 1, 7))

    def test_output_to_a_reader_that_went_away_is_dropped(self):
        path, data = self.sample(1)
        reader, writer = os.pipe()
        os.close(reader)
        self.addCleanup(os.close, writer)
        self.assertEqual(subprocess.run(e2e.argv(path), input=b"50\n", stdout=writer,
                                        timeout=e2e.TIMEOUT).returncode, 0)
        self.assertBytes(path, e2e.patched(data, 1, 50))


class NativeCase(e2e.Case):
    def setUp(self):
        if e2e.WINE:
            self.skipTest("the faults are made by the native system's means")
        super().setUp()


class FaultTest(NativeCase):
    def start(self, path):
        self.output, self.process = b"", subprocess.Popen(
            e2e.argv(path), stdin=subprocess.PIPE, stdout=subprocess.PIPE, bufsize=0)
        self.addCleanup(lambda p: (p.kill(), p.wait(), p.stdin.close(), p.stdout.close()),
                        self.process)

    def wait_for(self, text):
        while text.encode() not in self.output:
            readable = select.select([self.process.stdout], [], [], e2e.TIMEOUT)[0]
            chunk = readable and self.process.stdout.read(4096)
            self.assertTrue(chunk, f"no {text} after {self.output}")
            self.output += chunk

    def test_a_target_changed_at_the_prompt_is_not_written(self):
        for change in (lambda path: os.truncate(path, 1000), os.remove):
            path, data = self.sample(0)
            self.start(path)
            self.wait_for("Current value")
            change(path)
            self.process.stdin.write(b"50\n")
            self.wait_for(ANY_KEY)
            self.assertEqual(self.listing(), [] if change == os.remove else ["RPG_RT.exe"])
            if change != os.remove:
                self.assertIn(WRITE_FAILED.encode(), self.output)
                self.assertBytes(path, data[:1000])

    def test_killed_before_the_writes_the_target_is_untouched(self):
        # (the input, what the tool has printed when it is killed); the terminal
        # test kills it after the writes
        for index, (typed, printed) in enumerate(((b"", "=== RM2k"), (b"", "Current value"),
                                                  (b"42", "Current value"))):
            path, data = self.sample(index % 2, seed=index, names=(f"{index}.exe",))
            self.start(path)
            self.process.stdin.write(typed)
            self.wait_for(printed)
            self.process.kill()
            self.process.wait()
            self.assertBytes(path, data)



class MountTest(NativeCase):  # faults made with mounts of the test's own, where the machine allows
    def in_own_mounts(self, script, *args):
        probe = subprocess.run(["unshare", "-m", "sh", "-c", 'mount -t tmpfs -o size=1m tmpfs "$1"'
                                ' && mount --bind "$1" "$1" && mount -o remount,ro,bind "$1"', "sh",
                                self.folder], capture_output=True, text=True, timeout=e2e.TIMEOUT)
        if probe.returncode:
            self.skipTest(f"no mounts of a test's own here: {probe.stderr.strip()}")
        return subprocess.run(["unshare", "-m", "sh", "-c", script, "sh", *args],
                              input=b"42\n", capture_output=True, timeout=e2e.TIMEOUT)

    def test_a_read_only_target_is_reported_and_left_alone(self):
        path, data = self.sample(0)
        result = self.in_own_mounts('mount --bind "$1" "$1" && mount -o remount,ro,bind "$1" &&'
                                    ' shift && exec "$@"', self.folder, *e2e.argv(path))
        self.assertDialogue(result.stdout, e2e.current(data, 0), READ_ONLY, ANY_KEY)
        self.assertEqual(result.returncode, 0)
        self.assertBytes(path, data)

    def test_a_full_disk_at_the_writes_changes_nothing_and_says_so(self):
        # The six places lie in holes: writing them needs blocks a full disk lacks.
        length = EDITIONS[0][0]
        result = self.in_own_mounts(f"""
            mount -t tmpfs -o size=1m tmpfs "$1" && truncate -s {length} "$1/RPG_RT.exe"
            dd if=/dev/zero of="$1/filler" bs=4k 2>/dev/null
            "$2" "$1/RPG_RT.exe"; echo "exit $?"
            cmp -s "$1/RPG_RT.exe" /dev/zero -n {length} && stat -c "size %s" "$1/RPG_RT.exe"
            """, tempfile.mkdtemp(dir=self.folder), e2e.TOOL)
        dialogue, report = result.stdout.rsplit(b"\r\n", 1)
        self.assertDialogue(dialogue + b"\r\n", "Current value: 0", WRITE_FAILED, ANY_KEY)
        self.assertEqual(report, f"exit 0\nsize {length}\n".encode())


if __name__ == "__main__":
    e2e.main()
