"""The tool in a terminal: a tmux pane of 80 x 25 cells, natively through the
terminal backend and as the Windows build in Wine's console. Where the lines
land, how they wrap and scroll, the keys of the line editor, Ctrl+C, closing
the pane, and the terminal the shell gets back."""

import os
import time

import harness
from harness import (ANY_KEY, ATTRIBUTION_ROW, BANNER, DONE, EDITIONS, INVALID, NO_FILE, PROMPT,
                     WRONG_BUILD, current, patched_bytes, signed)

HEAD = [BANNER, ATTRIBUTION_ROW, ""]
EXIT_KEY = "x"  # the key that ends the final key wait
CHECK_COMMAND = "stty -a >after.txt; echo ok"  # typed at the shell's prompt after the tool

# Edits at the prompt: the steps (keys pressed, a string being typed one
# character at a time; the text the prompt row then shows; the cursor's
# place in that text) and the value patched after Enter.
EDITS = {
    "Left": ([("5", "5", 1), (["Left"], "5", 0), ("1", "15", 1)], 15),
    "Home, Delete": ([("123", "123", 3), (["Home"], "123", 0), (["Delete"], "23", 0)], 23),
    "Backspace": ([("456", "456", 3), (["Backspace"], "45", 2)], 45),
    "Escape": ([("789", "789", 3), (["Escape"], "", 0), ("7", "7", 1)], 7),
    "End": ([("2", "2", 1), (["Home"], "2", 0), ("1", "12", 1), (["End"], "12", 2),
             (["Backspace"], "1", 1), ("8", "18", 2)], 18),
}

# A long entry: it is accepted as 5 (its first field's first 67 bytes,
# read as a decimal number, are 5 followed by letters).
LONG_ENTRY = "5" + "abcdefghij" * 10
FILLED = harness.PANE_COLUMNS - len(PROMPT)  # the length of an entry that fills its row


class InteractiveTest(harness.TerminalTestCase):
    # --- Steps of a dialogue ----------------------------------------------------

    def sample_for(self, index):
        """A random sample of edition index % 2 in a folder of its own:
        (path, bytes, edition, the line that shows its current value)."""
        edition = index % 2
        path, data = self.sample(edition, fill="random", seed=index,
                                 names=(f"game{index}", "RPG_RT.exe"))
        return path, data, edition, current(signed(data[EDITIONS[edition].offsets[0]]))

    def start_dialogue(self, path, shown, **start):
        """Starts the tool on `path` and awaits the head lines, the current
        value `shown` and the prompt, with the tool reading keys."""
        pane = self.start([harness.RUNNER.path(path)], **start)
        lines = HEAD + [shown, PROMPT]
        self.expect(pane, lines, reading=True)
        return pane, lines

    def enter(self, pane, lines, keys, refused):
        """Types `keys` at the last prompt of `lines` and Enter; awaits the
        next prompt when refused, else the final key wait. Returns the lines."""
        self.press(pane, keys)
        lines = lines[:-1] + [PROMPT + keys]
        self.expect(pane, lines)
        self.press(pane, ["Enter"])
        lines = lines + ([INVALID, PROMPT] if refused else [DONE, ANY_KEY, ""])
        self.expect(pane, lines, reading=True)
        return lines

    def end(self, pane, lines):
        """Presses a key at the final key wait and awaits the exit code 0
        below the lines, which stay where they were."""
        self.press(pane, EXIT_KEY)
        self.expect(pane, lines[:-1] + ["EXIT=0", ""])

    # --- Output and typing --------------------------------------------------------

    def test_typed_value_is_patched_below_the_dialogue_lines(self):
        # The banner block, the current value and the prompt on rows 0 to 4
        # of a blank pane, the answer echoed after the prompt, the result
        # below, and all of it still there after the run.
        for index in range(2):
            with self.subTest(edition=index % 2):
                path, data, edition, shown = self.sample_for(index)
                pane, lines = self.start_dialogue(path, shown)
                with pane:
                    lines = self.enter(pane, lines, "50", refused=False)
                    self.end(pane, lines)
                self.assertFileBytes(path, patched_bytes(data, edition, 50))

    def test_editing_keys_at_the_prompt(self):
        for index, (name, (steps, value)) in enumerate(EDITS.items()):
            with self.subTest(name):
                path, data, edition, shown = self.sample_for(index)
                pane, lines = self.start_dialogue(path, shown)
                with pane:
                    previous = ("", 0)
                    for keys, text, place in steps:
                        # Each step must change the picture, or its wait would prove nothing.
                        self.assertNotEqual((text, place), previous)
                        previous = (text, place)
                        self.press(pane, keys)
                        self.expect(pane, lines[:-1] + [PROMPT + text],
                                    column=len(PROMPT) + place)
                    self.press(pane, ["Enter"])
                    lines = lines[:-1] + [PROMPT + previous[0], DONE, ANY_KEY, ""]
                    self.expect(pane, lines, reading=True)
                    self.end(pane, lines)
                self.assertFileBytes(path, patched_bytes(data, edition, value))

    def test_refused_entries_are_asked_again(self):
        path, data, edition, shown = self.sample_for(0)
        pane, lines = self.start_dialogue(path, shown)
        with pane:
            for entry in ("0", "abc", ""):
                lines = self.enter(pane, lines, entry, refused=True)
            lines = self.enter(pane, lines, "42", refused=False)
            self.end(pane, lines)
        self.assertFileBytes(path, patched_bytes(data, edition, 42))

    def test_long_entry_wraps_onto_the_next_row(self):
        # Typed up to the row's last cell, up to the next row's first, and on:
        # the entry continues cell by cell on the next row. An entry that ends
        # in the row's last cell leaves the row after it empty.
        for index, stops in enumerate(([FILLED - 1, FILLED], [FILLED, FILLED + 1, 100])):
            with self.subTest(length=stops[-1]):
                path, data, edition, shown = self.sample_for(index)
                pane, lines = self.start_dialogue(path, shown)
                with pane:
                    typed = 0
                    for stop in stops:
                        self.press(pane, LONG_ENTRY[typed:stop])
                        typed = stop
                        self.expect(pane, lines[:-1] + [PROMPT + LONG_ENTRY[:typed]])
                    self.press(pane, ["Enter"])
                    lines = lines[:-1] + [PROMPT + LONG_ENTRY[:typed], DONE, ANY_KEY, ""]
                    self.expect(pane, lines, reading=True)
                    self.end(pane, lines)
                self.assertFileBytes(path, patched_bytes(data, edition, 5))

    def test_refusals_past_the_bottom_row_scroll_the_dialogue_up(self):
        path, data, edition, shown = self.sample_for(1)
        pane, lines = self.start_dialogue(path, shown)
        with pane:
            for _ in range(12):  # 4 + 2 x 12 rows: past the bottom
                lines = self.enter(pane, lines, "0", refused=True)
            lines = self.enter(pane, lines, "9", refused=False)
            self.end(pane, lines)
        self.assertFileBytes(path, patched_bytes(data, edition, 9))

    def test_output_from_the_bottom_row_scrolls_the_earlier_lines_up(self):
        if isinstance(harness.RUNNER, harness.WineRunner):
            self.skipTest("Wine's console must start on a blank pane")
        earlier = [f"line {i}" for i in range(30)]
        path, data, edition, shown = self.sample_for(0)
        pane = self.start([harness.RUNNER.path(path)], before="i=0; while [ $i -lt 30 ]; do echo line $i; "
                                         "i=$((i+1)); done; ")
        lines = earlier + HEAD + [shown, PROMPT]
        with pane:
            self.expect(pane, lines, reading=True)
            lines = self.enter(pane, lines, "64", refused=False)
            self.end(pane, lines)
        self.assertFileBytes(path, patched_bytes(data, edition, 64))

    def test_unusable_target_in_a_long_folder_path(self):
        folder = "folder-" + "x" * 143
        cases = {"missing file": (NO_FILE, None), "wrong length": (WRONG_BUILD, b"\x63" * 1000)}
        for name, (message, data) in cases.items():
            with self.subTest(name):
                path = self.path(name.replace(" ", "-"), folder, "RPG_RT.exe")
                if data is not None:
                    self.write_file(data, name.replace(" ", "-"), folder, "RPG_RT.exe")
                before = self.listing()
                with self.start([harness.RUNNER.path(path)]) as pane:
                    lines = HEAD + [message, ANY_KEY, ""]
                    self.expect(pane, lines, reading=True)
                    self.end(pane, lines)
                self.assertEqual(self.listing(), before)
                if data is not None:
                    self.assertFileBytes(path, data)

    # --- Ending ---------------------------------------------------------------

    def test_ctrl_c_at_the_prompt_ends_the_tool_and_leaves_the_file(self):
        path, data, _, shown = self.sample_for(0)
        if isinstance(harness.RUNNER, harness.WineRunner):
            # Wine's console leaves the terminal's Ctrl+C signal on; the
            # pane's shell catches it (its child then does not) and goes on.
            pane, lines = self.start_dialogue(path, shown, before="trap : INT; ")
            with pane:
                self.press(pane, "5")
                self.expect(pane, lines[:-1] + [PROMPT + "5"])
                self.press(pane, ["Ctrl+C"])
                rows, _ = self.expect_row(pane, r".*EXIT=\d+")
                self.assertNotIn(DONE, rows)
        else:
            with self.open_shell() as pane:
                lines = self.run_in_shell(pane, "game0/RPG_RT.exe", shown)
                self.press(pane, "5")
                self.expect(pane, lines[:-1] + [PROMPT + "5"])
                self.press(pane, ["Ctrl+C"])
                self.expect_row(pane, r".*\$")
                rows = self.check_shell_terminal(pane)
                self.assertNotIn(DONE, rows)
        self.assertFileBytes(path, data)

    def test_closing_the_pane_during_the_key_wait_ends_the_tool(self):
        path, data, edition, shown = self.sample_for(1)
        pid_file = self.path("pid")
        pane, lines = self.start_dialogue(path, shown, before=f"echo $$ >'{pid_file}'; exec ",
                                          after="")
        with pane:
            pid = int(harness.read(pid_file))
            started = harness.process_identity(pid)
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                command = f.read()
            self.assertIn(os.path.basename(harness.RUNNER.tool).encode(), command)
            lines = self.enter(pane, lines, "42", refused=False)
            self.assertEqual(harness.process_identity(pid), started, "the tool ended too soon")
            pane.kill()
            self.wait_until_ended(pid, started)
        self.assertFileBytes(path, patched_bytes(data, edition, 42))

    def test_shell_gets_its_terminal_back(self):
        if isinstance(harness.RUNNER, harness.WineRunner):
            self.skipTest("Wine's console must start on a blank pane")
        path, data, edition, shown = self.sample_for(1)
        with self.open_shell() as pane:
            lines = self.run_in_shell(pane, "game1/RPG_RT.exe", shown)
            lines = self.enter(pane, lines, "77", refused=False)
            self.press(pane, EXIT_KEY)
            lines = lines[:-1] + ["EXIT=0", "$ "]
            self.expect(pane, lines)
            self.check_shell_terminal(pane)
            # Nothing else changed on the way.
            self.expect(pane, lines[:-1] + ["$ " + CHECK_COMMAND, "ok", "$ "])
        self.assertFileBytes(path, patched_bytes(data, edition, 77))

    # --- A shell in the pane (natively) ---------------------------------------------

    def open_shell(self):
        """A pane running an interactive POSIX shell with the prompt "$ ",
        where "$Q" names the tool."""
        pane = self.open_pane(["env", "-u", "ENV", "PS1=$ ", f"Q={harness.RUNNER.tool}", "sh"])
        self.expect(pane, ["$ "])
        return pane

    def run_in_shell(self, pane, target, shown):
        """Records the terminal's settings, then runs the tool on `target`
        from the shell; awaits the prompt. Returns the lines shown."""
        command = f'stty -a >before.txt; "$Q" {target}; echo EXIT=$?'
        pane.send("-l", command)
        self.press(pane, ["Enter"])
        lines = ["$ " + command] + HEAD + [shown, PROMPT]
        self.expect(pane, lines, reading=True)
        return lines

    def check_shell_terminal(self, pane):
        """At the shell's prompt after the tool: a typed command is echoed
        and runs, and the terminal's settings are those from before the tool,
        with canonical input and echo on. Returns the rows shown."""
        pane.send("-l", CHECK_COMMAND)
        self.press(pane, ["Enter"])
        rows, row = self.expect_row(pane, "ok")
        self.assertEqual(rows[row - 1:row + 2], ["$ " + CHECK_COMMAND, "ok", "$"],
                         f"the rows: {rows}")
        before, after = (harness.read(self.path(name)).decode() for name in ("before.txt",
                                                                              "after.txt"))
        self.assertEqual(after, before, "the terminal's settings after the tool")
        words = after.replace(";", " ").split()
        self.assertIn("icanon", words)
        self.assertIn("echo", words)
        return rows

    def wait_until_ended(self, pid, started):
        deadline = time.monotonic() + harness.END_TIMEOUT
        while harness.process_identity(pid) == started:
            if time.monotonic() > deadline:
                self.fail(f"process {pid} still runs {harness.END_TIMEOUT} s after its "
                          "pane was closed")
            time.sleep(harness.POLL_INTERVAL)


if __name__ == "__main__":
    harness.main()
