"""The target file: which paths open, which lengths are accepted, and how the
command-line arguments form the path."""

import os
import random
import re

import harness
from harness import (ANY_KEY, DONE, EDITIONS, NO_FILE, WRONG_BUILD, current,
                     patched_bytes, signed)


class TargetTest(harness.ToolTestCase):
    def test_unusable_paths_are_refused_and_nothing_is_created(self):
        os.mkdir(self.path("game"))
        cases = {
            "no argument": [],
            "missing file": [self.path("RPG_RT.exe")],
            "file in a missing folder": [self.path("missing", "RPG_RT.exe")],
            "folder": [self.path("game")],
        }
        for name, paths in cases.items():
            with self.subTest(name):
                run = self.run_tool([harness.RUNNER.path(p) for p in paths], stdin=b"50\n")
                self.assertDialogue(run, NO_FILE, ANY_KEY)
                self.assertEqual(self.listing(), ["game"])

    def test_files_of_other_lengths_are_refused_and_left_unchanged(self):
        for length in (727551, 727553, 0, 955569):
            with self.subTest(length=length):
                data = random.Random(length).randbytes(length)
                path = self.write_file(data, f"{length}.exe")
                run = self.run_tool([harness.RUNNER.path(path)], stdin=b"50\n")
                self.assertDialogue(run, WRONG_BUILD, ANY_KEY)
                self.assertFileBytes(path, data)

    def test_length_is_compared_in_full_beyond_4_gib(self):
        # A sparse file whose length agrees with edition 0 in its low 32 bits.
        path = self.path("RPG_RT.exe")
        with open(path, "wb") as f:
            f.truncate(2**32 + EDITIONS[0].length)
        blocks = os.stat(path).st_blocks
        if blocks > 64:
            self.skipTest("the file system does not keep sparse files")
        run = self.run_tool([harness.RUNNER.path(path)], stdin=b"50\n")
        self.assertDialogue(run, WRONG_BUILD, ANY_KEY)
        status = os.stat(path)
        self.assertEqual((status.st_size, status.st_blocks), (2**32 + EDITIONS[0].length, blocks))

    def test_arguments_are_joined_with_single_blanks(self):
        # (folders holding a sample, the folder named on the command line,
        #  whether its path is split into arguments at its blanks, the folder
        #  whose sample must be patched or None when nothing opens)
        cases = [
            (["my game"], "my game", False, "my game"),
            (["my game"], "my game", True, "my game"),
            (["my  game"], "my  game", False, "my  game"),
            (["my  game"], "my  game", True, None),
            (["my  game", "my game"], "my  game", True, "my game"),
        ]
        for index, (folders, named, split, patched) in enumerate(cases):
            with self.subTest(folders=folders, named=named, split=split):
                root = f"case{index}"
                samples = {f: self.sample(index % 2, names=(root, f, "RPG_RT.exe"))
                           for f in folders}
                path = harness.RUNNER.path(self.path(root, named, "RPG_RT.exe"))
                args = re.split(" +", path) if split else [path]
                self.assertEqual(len(args), 2 if split else 1)
                run = self.run_tool(args, stdin=b"42\n")
                if patched is None:
                    self.assertDialogue(run, NO_FILE, ANY_KEY)
                else:
                    self.assertDialogue(run, current(99), DONE, ANY_KEY)
                for folder, (sample_path, data) in samples.items():
                    expected = patched_bytes(data, index % 2, 42) if folder == patched else data
                    self.assertFileBytes(sample_path, expected)

    def test_folders_named_in_any_script_open(self):
        # Names that a Western or Japanese ANSI code page cannot both spell.
        for index, folder in enumerate(("ゲーム", "Café Crème", "Ελληνικά 🎮")):
            with self.subTest(folder=folder):
                path, data = self.sample(index % 2, fill="random", names=(folder, "RPG_RT.exe"),
                                         seed=index)
                run = self.run_tool([harness.RUNNER.path(path)], stdin=b"61\n")
                self.assertDialogue(run, current(signed(data[EDITIONS[index % 2].offsets[0]])),
                                    DONE, ANY_KEY)
                self.assertFileBytes(path, patched_bytes(data, index % 2, 61))

    def test_windows_build_expands_wildcards(self):
        if not isinstance(harness.RUNNER, harness.WineRunner):
            self.skipTest("only the Windows start-up expands wildcards")
        path, data = self.sample(1, fill="random")
        run = self.run_tool([harness.RUNNER.path(self.path("RPG_*.exe"))], stdin=b"7\n")
        self.assertDialogue(run, current(signed(data[EDITIONS[1].offsets[0]])), DONE, ANY_KEY)
        self.assertFileBytes(path, patched_bytes(data, 1, 7))


if __name__ == "__main__":
    harness.main()
