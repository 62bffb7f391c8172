"""The dialogue on an accepted runtime file: the current value, the answers
read from redirected standard input, and the bytes written."""

import os
import subprocess

import harness
from harness import (ANY_KEY, DONE, EDITIONS, INVALID, NO_VALUE, READ_ONLY, current,
                     patched_bytes, signed)

# (standard input, how many answers are refused, the accepted value, or None
#  when the input ends first)
ANSWERS = [
    (b"50\n", 0, 50),
    (b"1\n", 0, 1),
    (b"99\n", 0, 99),
    (b"99", 0, 99),
    (b"0\n100\n-1\n\n7\n", 4, 7),
    (b"300\n257\n&H101\n42\n", 3, 42),
    (b"&H63\n", 0, 99),
    (b"&h1e\n", 0, 30),
    (b"&O143\n", 0, 99),
    (b"&B1100011\n", 0, 99),
    (b"&H100000063\n", 0, 99),
    (b"1.5\n", 0, 2),
    (b"2.5\n", 0, 2),
    (b"98.5\n", 0, 98),
    (b"99.5\n10\n", 1, 10),
    (b"0.5\n0.6\n", 1, 1),
    (b"1e2\n9.9e1\n", 1, 99),
    (b"1d1\n", 0, 10),
    (b"0 50\n", 1, 50),
    (b"50,7\n", 0, 50),
    (b" \t 50  \n", 0, 50),
    (b'"5"0\n', 0, 50),
    (b"12abc\n", 0, 12),
    (b"abc\r\n42\r\n", 1, 42),
    (b"\r\n\r5\n", 2, 5),
    (b"0x10\n5\n", 1, 5),
    (b"0" * 67 + b"42\n", 1, 42),
    (b"0" * 66 + b"99\n", 0, 9),
    (b"4294967296\n2147483648\n&HFFFFFFFF\n63\n", 3, 63),
    (b"-4294967295\n", 0, 1),
    (b"32767.5\n1e400\n8\n", 2, 8),
    (b"", 0, None),
    (b"\n", 1, None),
    (b"0\n", 1, None),
    (b"abc\n100\n", 2, None),
]


class AnswerTest(harness.ToolTestCase):
    def check(self, edition, fill, stdin, refused, accepted, seed=1, first=None, **run):
        path, data = self.sample(edition, fill=fill, first=first, seed=seed)
        result = self.run_tool([harness.RUNNER.path(path)], stdin=stdin, **run)
        shown = current(signed(data[EDITIONS[edition].offsets[0]]))
        if accepted is None:
            self.assertDialogue(result, shown, *[INVALID] * refused, NO_VALUE, ANY_KEY)
            self.assertFileBytes(path, data)
        else:
            self.assertDialogue(result, shown, *[INVALID] * refused, DONE, ANY_KEY)
            self.assertFileBytes(path, patched_bytes(data, edition, accepted))

    def test_answers_decide_the_written_value(self):
        for index, (stdin, refused, accepted) in enumerate(ANSWERS):
            with self.subTest(stdin=stdin):
                self.check(index % 2, "random", stdin, refused, accepted, seed=index)

    def test_both_editions_patch_exactly_their_six_bytes(self):
        for edition in (0, 1):
            for fill in ("zero", "random"):
                for stdin, value in ((b"1\n", 1), (b"64\n", 64), (b"99\n", 99)):
                    with self.subTest(edition=edition, fill=fill, value=value):
                        self.check(edition, fill, stdin, 0, value, seed=value)

    def test_stored_value_is_rewritten_everywhere(self):
        # Only the first place holds 99 already; the other five must follow.
        for edition in (0, 1):
            with self.subTest(edition=edition):
                self.check(edition, "random", b"99\n", 0, 99, seed=5, first=0x63)

    def test_current_value_is_the_first_byte_signed(self):
        for index, byte in enumerate((0x63, 0xC8, 0x00, 0x01, 0x7F, 0x80, 0xFF)):
            with self.subTest(byte=hex(byte)):
                self.check(index % 2, "random", b"", 0, None, seed=index, first=byte)

    def test_input_and_output_redirected_to_files(self):
        for edition, stdin, refused, accepted in ((0, b"0\n77\n", 1, 77), (1, b"", 0, None)):
            with self.subTest(stdin=stdin):
                self.check(edition, "random", stdin, refused, accepted, via_files=True)

    def test_output_to_a_reader_that_went_away_is_dropped(self):
        # Every write to standard output fails: the dialogue goes on all the same.
        path, data = self.sample(1, fill="random")
        reader, writer = os.pipe()
        os.close(reader)
        try:
            result = subprocess.run(harness.RUNNER.command([harness.RUNNER.path(path)]),
                                    input=b"50\n", stdout=writer, stderr=subprocess.DEVNULL,
                                    cwd=self.folder, timeout=harness.RUN_TIMEOUT)
        finally:
            os.close(writer)
        self.assertEqual(result.returncode, 0)
        self.assertFileBytes(path, patched_bytes(data, 1, 50))

    def test_read_only_file_is_reported_and_left_unchanged(self):
        for edition, fill in ((0, "random"), (1, "zero")):
            with self.subTest(edition=edition):
                path, data = self.sample(edition, fill=fill, names=(f"e{edition}", "RPG_RT.exe"))
                result = self.run_tool([harness.RUNNER.path(path)], stdin=b"42\n",
                                       readonly=True)
                self.assertDialogue(result, current(signed(data[EDITIONS[edition].offsets[0]])),
                                    READ_ONLY, ANY_KEY)
                self.assertFileBytes(path, data)


if __name__ == "__main__":
    harness.main()
