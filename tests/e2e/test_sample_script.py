"""scripts/make-sample.sh: the synthetic runtime-shaped samples."""

import subprocess

import harness
from harness import EDITIONS, SAMPLE_SCRIPT, read


class SampleScriptTest(harness.ToolTestCase):
    def make(self, *args):
        return subprocess.run(["sh", SAMPLE_SCRIPT, *args], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=60).returncode

    def test_samples_have_the_length_and_the_six_bytes_of_their_edition(self):
        for args, edition in (((), 0), (("0",), 0), (("1",), 1)):
            with self.subTest(args=args):
                path = self.path("sample.exe")
                # A folder that is not there yet is made.
                self.assertEqual(self.make(self.path("new", "folder", "RPG_RT.exe"), *args), 0)
                self.assertEqual(len(read(self.path("new", "folder", "RPG_RT.exe"))),
                                 EDITIONS[edition].length)
                # A longer file there before must not leave anything behind.
                self.write_file(b"\xff" * 1_000_000, "sample.exe")
                self.assertEqual(self.make(path, *args), 0)
                expected = bytearray(EDITIONS[edition].length)
                for offset in EDITIONS[edition].offsets:
                    expected[offset] = 0x63
                self.assertFileBytes(path, bytes(expected))

    def test_bad_usage_fails_and_writes_nothing(self):
        for args in ((), (self.path("a"), "2"), (self.path("a"), "0", "x")):
            with self.subTest(args=args):
                self.assertNotEqual(self.make(*args), 0)
                self.assertEqual(self.listing(), [])


if __name__ == "__main__":
    harness.main()
