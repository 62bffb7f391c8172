"""Faults around the writes: a full disk, the target shortened or removed by
another program while the tool waits for the answer, and the tool killed at
each stage. None may lose the user's file: before the writes it is
untouched, once the success line shows all six bytes are in it, and no
other byte ever changes."""

import os
import pty
import signal
import subprocess
import tempfile

import harness
from harness import ANY_KEY, DONE, EDITIONS, patched_bytes

WRITE_FAILED = "Error! Could not write RPG_RT.exe! It may be damaged; restore it from a copy."


class Staged:
    """The tool started with its answer held back, its output read as it
    comes, so that a test can act between two of its lines."""

    def __init__(self, command, cwd, terminal=False):
        if terminal:
            self.reader, child = pty.openpty()
            stdin = stdout = child
        else:
            stdin, stdout = subprocess.PIPE, subprocess.PIPE
        self.process = subprocess.Popen(command, cwd=cwd, stdin=stdin, stdout=stdout,
                                        stderr=subprocess.DEVNULL, start_new_session=True)
        if terminal:
            os.close(child)
            self.writer = self.reader
        else:
            self.reader = self.process.stdout.fileno()
            self.writer = self.process.stdin.fileno()
        self.output = b""

    def wait_for(self, text):
        """Reads until text appears (answering a terminal's cursor query)."""
        needle = text.encode()
        while needle not in self.output:
            try:
                chunk = os.read(self.reader, 4096)
            except OSError:
                chunk = b""
            if not chunk:
                raise AssertionError(f"{text!r} never came; output: {self.output!r}")
            if b"\x1b[6n" in chunk:
                os.write(self.writer, b"\x1b[1;1R")
            self.output += chunk

    def send(self, data):
        os.write(self.writer, data)

    def finish(self):
        try:
            return self.process.wait(timeout=harness.RUN_TIMEOUT)
        finally:
            if self.process.poll() is None:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
            for stream in (self.process.stdin, self.process.stdout):
                if stream is not None and not stream.closed:
                    stream.close()
            if self.process.stdin is None and self.reader >= 0:
                os.close(self.reader)
                self.reader = -1

    def kill(self):
        os.killpg(self.process.pid, signal.SIGKILL)
        self.process.wait()


class FaultTest(harness.ToolTestCase):
    def setUp(self):
        super().setUp()
        if isinstance(harness.RUNNER, harness.WineRunner):
            self.skipTest("the faults are made by the native system's means")

    def staged(self, path, terminal=False):
        staged = Staged(harness.RUNNER.command([path]), self.folder, terminal)
        self.addCleanup(staged.finish)
        return staged

    def test_a_target_shortened_at_the_prompt_is_not_extended(self):
        path, data = self.sample(0, fill="random")
        run = self.staged(path)
        run.wait_for("Current value")
        os.truncate(path, 1000)
        run.send(b"50\n")
        run.wait_for(ANY_KEY)
        self.assertEqual(run.finish(), 0)
        self.assertIn(WRITE_FAILED.encode(), run.output)
        self.assertNotIn(DONE.encode(), run.output)
        self.assertFileBytes(path, data[:1000])

    def test_a_target_removed_at_the_prompt_is_not_made_again(self):
        path, _ = self.sample(1)
        run = self.staged(path)
        run.wait_for("Current value")
        os.remove(path)
        run.send(b"50\n")
        run.wait_for(ANY_KEY)
        self.assertEqual(run.finish(), 0)
        self.assertEqual(self.listing(), [])

    def test_killed_before_the_answer_the_target_is_untouched(self):
        for stage in ("=== RM2k(3) Quorvane ===", "Current value"):
            with self.subTest(stage=stage):
                path, data = self.sample(0, fill="random")
                run = self.staged(path)
                run.wait_for(stage)
                run.kill()
                self.assertFileBytes(path, data)

    def test_killed_at_the_terminal_prompt_the_target_is_untouched(self):
        path, data = self.sample(1, fill="random")
        run = self.staged(path, terminal=True)
        run.wait_for("Enter new value")
        run.send(b"42")
        run.kill()
        self.assertFileBytes(path, data)

    def test_killed_after_the_success_line_all_six_bytes_are_in_the_file(self):
        for edition in (0, 1):
            with self.subTest(edition=edition):
                path, data = self.sample(edition, fill="random", names=(f"{edition}.exe",))
                run = self.staged(path, terminal=True)
                run.wait_for("Enter new value")
                run.send(b"77\r")
                run.wait_for("Successfully patched!")
                run.kill()
                self.assertFileBytes(path, patched_bytes(data, edition, 77))

    def test_a_full_disk_at_the_writes_changes_nothing_and_says_so(self):
        # A file whose six places lie in holes: writing them needs new
        # blocks, which a full file system cannot give.
        script = """
set -e
mount -t tmpfs -o size=1m tmpfs "$1"
truncate -s {length} "$1/RPG_RT.exe"
dd if=/dev/zero of="$1/filler" bs=4k 2>/dev/null || true
set +e
echo 50 | "$2" "$1/RPG_RT.exe" >"$3"
echo "exit $?" >>"$3"
cmp -s "$1/RPG_RT.exe" /dev/zero -n {length}; echo "zero $?" >>"$3"
stat -c "size %s" "$1/RPG_RT.exe" >>"$3"
""".format(length=EDITIONS[0].length)
        disk = tempfile.mkdtemp(dir=self.folder)
        report = os.path.join(self.folder, "report")
        result = subprocess.run(["unshare", "-m", "sh", "-c", script, "sh", disk,
                                 harness.RUNNER.tool, report],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                timeout=harness.RUN_TIMEOUT)
        if result.returncode != 0 or not os.path.exists(report):
            self.skipTest("no tmpfs in a private mount namespace on this machine")
        with open(report, "rb") as f:
            lines = f.read().split(b"\r\n")
        tail = lines[-1].decode().split("\n")
        self.assertIn(WRITE_FAILED.encode(), lines)
        self.assertNotIn(DONE.encode(), lines)
        self.assertIn("exit 0", tail)
        self.assertIn("zero 0", tail, "the file must still hold only zero bytes")
        self.assertIn(f"size {EDITIONS[0].length}", tail)


if __name__ == "__main__":
    harness.main()
