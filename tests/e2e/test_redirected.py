"""The dialogue redirected: the answers, the six bytes written, every kind of target, a disk
that refuses the writes. The file is untouched unless an answer is accepted; then it holds all six
bytes, and no other byte changes."""

import os, random, subprocess

import e2e
from e2e import ANY_KEY, DONE, EDITIONS, INVALID, NO_FILE, NO_VALUE, WRITE_FAILED, WRONG_BUILD

# (standard input, how many answers are refused, the value accepted or None
#  when the input ends first, the byte stored at the first place or None)
ANSWERS = [
    (b"50\n", 0, 50, None), (b"1\n", 0, 1, None), (b"99", 0, 99, 0x63),
    (b"&H100000063\n", 0, 99, None), (b"98.49999999999999\n", 0, 98, None),
    (b"98.50000000000001e0\n", 0, 99, None), (b"0x62.8000000000021\n", 0, 99, None),
    (b"0\n100\n-1\n\n7\n", 4, 7, None), (b"300\n257\n&H101\n42\n", 3, 42, None),
    (b"1.5\n", 0, 2, None), (b"99.5\n10\n", 1, 10, None), (b"0.5\n0.6\n", 1, 1, None),
    (b"1e2\n9.9e1\n", 1, 99, None), (b"1d1\n", 0, 10, None), (b"0 50\n", 1, 50, None),
    (b"&O62\n", 0, 50, None), (b"&b110010\n", 0, 50, None), (b"&77\n", 0, 63, None),
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
        marked, data = self.sample(0, names=("marked", "RPG_RT.exe"))
        self.assertDialogue(self.run_tool(command=e2e.read_only(self, marked), stdin=b"50\n"),
                            e2e.current(data, 0), e2e.READ_ONLY, ANY_KEY)
        for paths, message in [([], NO_FILE), ([self.path("RPG_RT.exe")], NO_FILE),
                               ([marked, marked], NO_FILE),  # two files dropped at once
                               ([self.path("game")], NO_FILE), (["", marked], NO_FILE),
                               ([self.path("missing", "RPG_RT.exe")], NO_FILE),
                               *[([path], WRONG_BUILD) for path in (beyond, *others)]]:
            with self.subTest(paths=paths):
                self.assertDialogue(self.run_tool(paths, b"50\n"), message, ANY_KEY)
        for path in others:
            n = os.path.getsize(path)
            self.assertBytes(path, random.Random(n).randbytes(n))
        self.assertBytes(marked, data)

    def test_the_arguments_make_one_path(self):
        # Split at its blanks, it is joined with single ones; one argument keeps its
        # own (leading, doubled, and where the system allows, trailing); under Windows
        # its wildcards are expanded, and / parts a path as \\ does.
        samples = [self.sample(1, names=names) for names in  # the last longer than 260 bytes
                   ((FOLDERS[2], "RPG_RT.exe"), (FOLDERS[2].replace(" ", "  "), "RPG_RT.exe"),
                    (" a  b" + "x" * 150, "y" * 150, "RPG_RT.exe" + " " * (not e2e.WINE)))]
        self.run_tool(stdin=b"42\n", command=e2e.argv() + e2e.tool_path(samples[1][0]).split("  "))
        self.assertBytes(samples[0][0], e2e.patched(samples[0][1], 1, 42))
        self.assertBytes(samples[1][0], samples[1][1])
        self.run_tool(stdin=b"43\n", command=e2e.argv() + [os.path.relpath(samples[2][0], self.folder)])
        self.assertBytes(samples[2][0], e2e.patched(samples[2][1], 1, 43))
        short, data = self.sample(0, names=("r",))  # a name of one character
        self.run_tool(stdin=b"44\n", command=e2e.argv() + ["r"])
        self.assertBytes(short, e2e.patched(data, 0, 44))
        if e2e.WINE:
            self.run_tool([self.path(FOLDERS[2], "RPG_*.exe")], b"7\n")
            self.assertBytes(samples[0][0], e2e.patched(samples[0][1], 1, 7))

    def test_a_write_the_disk_refuses_is_reported(self):
        # Files may grow only so far: not to any of the six places, past the first four,
        # or past the fifth. A stream reports the refusal late, at the next repositioning
        # or, for the last byte, at the commit's own flush; the bytes before it are on the
        # disk.
        for limit, reached in ((100 << 10, 0), (480 << 10, 4), (509200, 5)):
            with self.subTest(limit=limit):
                path, data = self.sample(0, seed=limit)
                output = self.run_tool(stdin=b"50\n", command=e2e.limited(limit) + e2e.argv(path))
                self.assertDialogue(output, e2e.current(data, 0), WRITE_FAILED, ANY_KEY)
                self.assertBytes(path, e2e.patched(data, 0, 50, reached))

    def test_the_sample_script_writes_either_edition(self):  # over a longer file
        for edition in (0, 1):
            path = self.write(b"\xff" * 2**20, str(edition), "RPG_RT.exe")
            subprocess.run([os.path.join(os.path.dirname(__file__), "../../scripts/make-sample.sh"),
                            path, str(edition)], check=True, timeout=e2e.TIMEOUT)
            self.assertBytes(path, e2e.patched(bytes(EDITIONS[edition][0]), edition, 99))

    def test_output_to_a_reader_that_went_away_is_dropped(self):
        path, data = self.sample(1)
        reader, writer = os.pipe()
        os.close(reader)
        self.addCleanup(os.close, writer)
        self.run_tool([path], b"50\n", stdout=writer)
        self.assertBytes(path, e2e.patched(data, 1, 50))


if __name__ == "__main__":
    e2e.main()
