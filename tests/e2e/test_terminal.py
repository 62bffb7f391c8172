"""The tool in a tmux pane, natively and in Wine's console: where the lines land, wrap and
scroll, the line editor's keys, the ends of a run and the terminal the shell gets back."""

import fcntl, os, re, select, signal, struct, subprocess, termios

import e2e
from e2e import ANY_KEY, DONE, HEAD, INVALID, NO_FILE, PROMPT

ASCII, UPPER = bytes(range(0x20, 0x7F)).decode(), bytes(range(0x80, 0x100)).decode("cp437")
LAST = "8" + " " * 61 + "9"  # with the prompt, to the last column of 80
WRAPPED, FIELD = ("0" * 66 + "9" + "abcdefghij" * 3)[:90], " " * 61 + "9"
# Edits at the prompt: the entries refused first; the steps (keys pressed or a string typed; the
# text the prompt's row then shows; the cursor's place in it); the value patched. Delete at the
# entry's end is refused with the bell; keys that have a code of their own, and Up on the entry's
# first row, move nothing and type nothing; Tab types blanks to the next multiple of 8.
EDITS = [
    ([], [("123", "123", 3), (["Left"], "123", 2), ("4", "1243", 3), (["Home"], "1243", 0),
      (["Delete"], "243", 0), (["End"], "243", 3), (["Delete"], "243", 3), (["Backspace"], "24", 2),
      (["Up", "Shift+Tab", "Alt+5", "Alt+A", "PageUp", "F1", "Ctrl+Left", "Ctrl+A"], "24", 2),
      (["Tab"], "24      ", 8)], 24),
    ([], [(ASCII, ASCII, 95), (["Escape"], "", 0), (UPPER[:60], UPPER[:60], 60),
      (["Escape"], "", 0), (UPPER[60:120], UPPER[60:120], 60), (["Escape"], "", 0),
      ("7" + UPPER[120:], "7" + UPPER[120:], 9)], 7),
    # An entry to the row's last cell, the cursor moved across its end, with Shift or not;
    # its first field counts. The row after it stays empty; the pane is closed at the key wait.
    ([], [(LAST[:62], LAST[:62], 62), ("9", LAST, 63), (["Left"], LAST, 62),
      (["Shift+Left"], LAST, 61), (["Right"], LAST, 62), (["Shift+Right"], LAST, 63),
      (["Shift+Home"], LAST, 0), (["Shift+End"], LAST, 63)], 8),
    # Refusals of every form, which scroll the lines above into the history; an entry
    # typed into the bottom row's last cell, which scrolls a row at once, then wrapped,
    # and Up and Down across its rows. Its first 67 bytes count, as 9.
    (["", "0 50", "100", "&H64", "99.5", "1e2", "-1", "0x5", *"0000"],
     [(WRAPPED[:63], WRAPPED[:63], 63), (WRAPPED[63:], WRAPPED, 90), (["Up"], WRAPPED, 10),
      (["Down"], WRAPPED, 90)], 9),
    # On the bottom row, inserts at the entry's start: one whose tail ends in the last cell
    # scrolls nothing, one that runs past it a row. Its first field counts.
    (["0"] * 12, [(FIELD, FIELD, 62), (["Home"], FIELD, 0), ("4", "4" + FIELD, 1),
                  ("2", "42" + FIELD, 2)], 42),
]


class TerminalTest(e2e.Case):
    def dialogue(self, index, before="", earlier=(), columns=80):
        """The tool in a pane on a sample, after `before`; at the prompt: the pane, the lines
        shown, a check of the value the sample holds (None: the one it had)."""
        path, data = self.sample(index % 2, seed=index, names=(str(index), "RPG_RT.exe"))
        pane = e2e.Pane(self, f"{before}{e2e.shell(path)}; code=$?; trap - HUP; stty -a >after; "
                              f"echo EXIT=$code; exec sleep 600", columns)
        lines = [*earlier, *HEAD, e2e.current(data, index % 2), PROMPT]
        pane.expect(lines, reading=True)
        return pane, lines, lambda value: self.assertBytes(
            path, data if value is None else e2e.patched(data, index % 2, value))

    def finish(self, pane, lines):  # a key ends the run with exit code 0, below the lines
        pane.press("x")
        pane.expect(lines[:-1] + ["EXIT=0", ""])

    def test_the_line_editors_keys(self):
        for index, (refusals, steps, value) in enumerate(EDITS):
            pane, lines, holds = self.dialogue(index)
            pane.idles() if index == 0 else None  # the prompt waits, idle
            for entry in refusals:
                pane.press(entry + "\r")
                lines[-1:] = [PROMPT + entry, INVALID, PROMPT]
                pane.expect(lines, reading=True)
            for keys, text, place in steps:
                pane.press(keys)
                pane.expect(lines[:-1] + [PROMPT + text], at=len(PROMPT) + place)
            self.assertEqual(pane.rang(), any(keys == ["Delete"] and place == len(text)
                                              for keys, text, place in steps))
            pane.press(["Enter"])
            lines = lines[:-1] + [PROMPT + text, DONE, ANY_KEY, ""]
            pane.expect(lines, reading=True)
            if refusals and not e2e.WINE:  # whose console redraws its window instead
                self.assertEqual(pane.lines(80), [line.rstrip(" ") for line in lines if line.strip()])
            pane.close() if steps == EDITS[2][1] else self.finish(pane, lines)
            holds(value)

    def test_an_error_stays_until_a_key_comes(self):  # idle
        pane = e2e.Pane(self, f"{e2e.shell()}; echo EXIT=$?; exec sleep 600")
        pane.expect(HEAD + [NO_FILE, ANY_KEY, ""], reading=True)
        pane.idles()
        self.finish(pane, HEAD + [NO_FILE, ANY_KEY, ""])

    def test_an_answer_typed_ahead_or_piped_in(self):
        # Typed before the tool starts, as an answer pasted with the command line, the keys are
        # its first. Piped in, there is no prompt and no key wait: the last lines reach the
        # terminal as the run ends.
        for before, typed, shown in (("stty -echo; sleep 1; ", "50\r", [PROMPT + "50"]),
                                     ("echo 50 | ", "", [])):
            path, data = self.sample(0, names=(str(len(typed)), "RPG_RT.exe"))
            pane = e2e.Pane(self, f"{before}{e2e.shell(path)}; echo EXIT=$?; exec sleep 600")
            pane.until(bool, lambda: pane.reads() or not typed)  # the shell has echo off
            pane.press(typed)
            end = [""] if typed else ["EXIT=0", ""]
            pane.expect(HEAD + [e2e.current(data, 0), *shown, DONE, ANY_KEY, *end], reading=bool(typed))
            self.assertBytes(path, e2e.patched(data, 0, 50))

    def test_a_terminal_that_never_answers_where_its_cursor_is(self):
        # The tool asks, waits a moment, then starts on a fresh line at the bottom; the keys
        # typed while it waits are its first. Each key is drawn with the cursor hidden, in few
        # bytes, moving from where the cursor stands (the terminal adds a CR before each LF).
        # Ctrl+C at the key wait ends it by that signal, which stops a shell's loop over games.
        if e2e.WINE:
            self.skipTest("Wine's console answers for the tool: it asks the terminal nothing")
        path, data = self.sample(1)
        master, slave = os.openpty()
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 25, 80, 0, 0))
        tool = subprocess.Popen(e2e.argv(path), stdin=slave, stdout=slave, stderr=slave,
                                preexec_fn=lambda: (os.setsid(), fcntl.ioctl(0, termios.TIOCSCTTY)))
        self.addCleanup(tool.kill)
        shown, hidden = [], lambda bytes: b"\x1b[?25l" + bytes + b"\x1b[?25h"
        for ends, typed in ((b"\x1b[6n", b"4"), (hidden(b"4"), b"\x7f"),
                            (b"\x1b[D\x1b[?25h", b"50\r"), (ANY_KEY.encode(), b"\x03")):
            shown.append(b"")
            while ends not in shown[-1] and len(shown[-1]) < 65536 and select.select(
                    [master], [], [], e2e.TIMEOUT)[0]:  # a tool that stops or runs away fails
                shown[-1] += os.read(master, 4096)
            os.write(master, typed)
        self.assertEqual((tool.wait(e2e.TIMEOUT), shown[0], shown[1][:10], shown[2]),
                         (-signal.SIGINT, b"\x1b[6n", b"\r\r\n\x1b[25;1H", hidden(b"\x1b[D \x1b[D")))
        self.assertBytes(path, e2e.patched(data, 1, 50))

    def test_output_redirected_while_the_keys_come_from_the_terminal(self):  # echo as bytes
        path, data = self.sample(0)
        pane = e2e.Pane(self, f"{e2e.shell(path)} >out; echo EXIT=$?; exec sleep 600")
        pane.until(bool, pane.reads)
        pane.press("50\r")
        out = pane.until(lambda t: ANY_KEY.encode() in t, lambda: open(self.path("out"), "rb").read())
        pane.press("x")  # typed with the answer, it would be a key typed ahead: no end of the wait
        self.assertIn("EXIT=0", pane.until(lambda picture: "EXIT=0" in picture[0])[0])
        self.assertDialogue(out, e2e.current(data, 0), PROMPT + "50", DONE, ANY_KEY)
        self.assertBytes(path, e2e.patched(data, 0, 50))

    def test_every_line_holds_its_place_when_the_terminal_is_resized(self):
        # The terminal grows, shrinks, widens or narrows at the prompt after a refusal, in
        # the middle of an entry that a narrower row wraps (edited across its end), or at
        # the key wait. Started below earlier lines, 100 columns wide, or near the top, each
        # line shows once, in order, in the screen and the history. Wine's console, on a
        # blank pane, draws 80 cells a row whatever the width: there the pane is made
        # wider only at the key wait, when nothing more is drawn, and never narrower.
        typed = "abcdefghij" * 6
        entered = [PROMPT + "abc", INVALID, PROMPT + "50" + typed, DONE, ANY_KEY]
        steps = (("abc", [PROMPT + "abc"]), (["Enter"], entered[:2] + [PROMPT]),
                 (typed, entered[:2] + [PROMPT + typed]),
                 (["Home", "5", "0", "End", "Enter"], entered), ("x", entered + ["EXIT=0"]))
        starts = [[f"earlier {i}" for i in range(n)] for n in ((0,) if e2e.WINE else (40, 2))]
        for index, (earlier, size, moment) in enumerate(
                (earlier, size, moment) for earlier in starts
                for size in (("-y", "40"), ("-y", "12"), ("-x", "120"), ("-x", "70"))
                for moment in (2, 3, 4)
                if not (e2e.WINE and size[0] == "-x" and (moment < 4 or size[1] == "70"))):
            with self.subTest(earlier=len(earlier), size=size, moment=moment):
                pane, lines, holds = self.dialogue(index, "".join(f"echo {e}; " for e in earlier),
                                                   earlier, 100 if len(earlier) > 2 else 80)
                width = pane.columns
                for step, (keys, shown) in enumerate(steps):
                    if step == moment:
                        e2e.tmux("resize-window", "-t", pane.name, *size)
                        width = int(size[1]) if size[0] == "-x" else width
                        if moment == len(steps) - 1:  # at the key wait, where a resize is no key
                            pane.until(lambda got: got == wanted, lambda: pane.lines(width))
                            pane.idles(1)
                    pane.press(keys)
                    wanted = [line.rstrip(" ") for line in lines[:-1] + shown if line.strip()]
                    self.assertEqual(pane.until(lambda got: got == wanted,
                                                lambda: pane.lines(width)), wanted)
                holds(50)
                pane.close()

    def test_a_run_ended_in_the_background_leaves_the_terminal_to_the_foreground(self):
        # Started as a background job, the tool asks no cursor and starts on a fresh line at the
        # bottom; then another program has the terminal raw, the cursor hidden, when the tool
        # is ended: both stay as that one set them.
        if e2e.WINE:
            self.skipTest("Wine's console goes with the program: it shares no terminal")
        path, data = self.sample(0)
        job = (f"printf partial; set -m; {e2e.shell(path)} & until [ -e go ]; do sleep 0.1; done;"
               " stty raw -echo; printf '\\33[?25l'; stty -a >before; kill %1; wait;"
               " stty -a >after; echo ENDED")
        pane = e2e.Pane(self, f"bash {self.write(job.encode(), 'job')}; exec sleep 600")
        pane.expect(["partial"] + [""] * 23 + HEAD + [e2e.current(data, 0), PROMPT])  # below
        self.write(b"", "go")
        pane.until(lambda picture: "ENDED" in "".join(picture[0]))
        with open(self.path("before")) as before, open(self.path("after")) as after:
            self.assertEqual((after.read(), pane.cursor_shown()), (before.read(), False))

    def test_every_end_leaves_the_shell_its_terminal(self):
        # (where, how the run ends there; the exit code the shell shows). Ctrl+C and Ctrl+\
        # end it at once; a close or shut-down is the key at the key wait, and at the prompt
        # ends the run once its grace is over. Ctrl+S and Ctrl+Z stop neither the output nor
        # the tool, nor does a hang-up the shell had it ignore, as nohup does ("nohup"); the
        # terminal's end then does, after a resize too. Killed at the key wait, the tool has the
        # six bytes on the disk; nothing gives the terminal back.
        ends = (("key wait", "x", "0"), ("key wait", ["Ctrl+C"], "130"),
                ("prompt", ["Ctrl+C"], "130"), ("key wait", ["Ctrl+\\"], "131"),
                ("prompt", ["Ctrl+\\"], "131"), ("prompt", signal.SIGTERM, "143"),
                ("key wait", signal.SIGTERM, "0"), ("prompt", signal.SIGHUP, "129"),
                ("key wait", signal.SIGHUP, "0"), ("key wait", signal.SIGKILL, "137"),
                ("prompt", "nohup", None), ("key wait", "nohup", None))
        if e2e.WINE:  # its console leaves Ctrl+C to the terminal
            ends = (("prompt", ["Ctrl+C"], r"\d+"),)
        for index, (where, end, code) in enumerate(ends):
            pane, lines, holds = self.dialogue(
                index, "trap '' HUP; " * (end == "nohup") + "trap : INT QUIT; stty -a >before; "
                "printf '\\33[31m\\33[?25l'; ")  # red, the cursor hidden, as another program left it
            tools = lambda: set(pane.processes(re.escape(e2e.TOOL))) - {pane.session}
            tool = lambda: int(tools().pop())
            if where != "prompt":
                pane.press(["Ctrl+S", "Ctrl+Z", "7", "7", "Enter"])
                pane.expect(lines[:-1] + [PROMPT + "77", DONE, ANY_KEY, ""], reading=True)
            if end == "nohup":
                os.kill(tool(), signal.SIGHUP)
                pane.idles()
                e2e.tmux("resize-window", "-t", pane.name, "-y", "20")
                e2e.tmux("kill-session", "-t", "=" + pane.name)  # the terminal's end
                self.assertFalse(pane.until(lambda pids: not pids, tools), "the tool stays")
                subprocess.run(["kill", *pane.processes()])  # the shell's sleep after it
                holds(77 if where == "key wait" else None)
                continue
            os.kill(tool(), end) if isinstance(end, signal.Signals) else pane.press(end)
            ended = lambda picture: any(re.fullmatch(f".*EXIT={code}", row) for row in picture[0])
            self.assertTrue(ended(pane.until(ended)), pane.picture())
            holds(77 if where == "key wait" else None)
            if end != signal.SIGKILL:  # the colours reset (Wine's console keeps its own), the cursor shown
                self.assertRegex(e2e.tmux("capture-pane", "-ep", "-t", pane.name),
                                 r"\x1b\[39m[^\x1b]*" * (not e2e.WINE) + r"EXIT=[^\n]*\n+$")
                self.assertTrue(pane.cursor_shown())
                with open(self.path("before")) as before, open(self.path("after")) as after:
                    self.assertEqual(after.read(), before.read())


if __name__ == "__main__":
    e2e.main()
