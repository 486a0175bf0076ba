"""The interpreter ending while another thread is inside glenvar: no abort,
no temporary file left behind."""

import signal
import subprocess
import sys

import pytest

WORK = {
    "generating": "while True:\n        glenvar.generate(width=300, height=200, threads=2)"
                  "\n        going.set()",
    "saving": "m = glenvar.generate(width=1600, height=1600)\n"
              "    while True:\n        m.save(out + '/m.tif')"
              "\n        going.set()",
}


def script(work):
    return f"""
import sys, threading, time
import glenvar
out = sys.argv[1]
going = threading.Event()
def work():
    {work}
threading.Thread(target=work, daemon=True).start()
going.wait()
time.sleep(0.05)
print("ready", flush=True)
if sys.argv[2] == "wait":
    time.sleep(60)
"""


def leftovers(folder):
    return sorted(p.name for p in folder.iterdir() if p.name.startswith("."))


@pytest.mark.parametrize("work", WORK.values(), ids=WORK.keys())
def test_exit_with_a_thread_inside_glenvar_is_clean(tmp_path, work):
    for _ in range(3):
        done = subprocess.run([sys.executable, "-c", script(work), str(tmp_path), "exit"],
                              capture_output=True, text=True, timeout=120)
        assert (done.returncode, done.stderr) == (0, "")
        assert leftovers(tmp_path) == []


@pytest.mark.parametrize("work", WORK.values(), ids=WORK.keys())
def test_ctrl_c_with_a_thread_inside_glenvar_is_clean(tmp_path, work):
    for _ in range(2):
        child = subprocess.Popen([sys.executable, "-c", script(work), str(tmp_path), "wait"],
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        assert child.stdout.readline() == "ready\n"
        child.send_signal(signal.SIGINT)
        _, stderr = child.communicate(timeout=120)
        assert child.returncode == -signal.SIGINT, stderr
        assert "terminate called" not in stderr and "KeyboardInterrupt" in stderr
        assert leftovers(tmp_path) == []


def test_an_atexit_function_may_still_use_glenvar():
    # Registered before the module's own wait, so it runs after it, in the
    # thread that waited: it must not be held back as a late thread is.
    done = subprocess.run([sys.executable, "-c", """
import atexit
atexit.register(lambda: print(glenvar.generate(width=100, height=100), flush=True))
import glenvar
"""], capture_output=True, text=True, timeout=60)
    assert (done.returncode, done.stdout, done.stderr) == (0, "<glenvar.Map 100 x 100, seed 0>\n",
                                                           "")


def test_the_exit_stops_a_long_stage_instead_of_waiting_for_it(tmp_path):
    # 1,000 erosion steps at 2048² take minutes; the exit stops them at the
    # next step, and the thread ends quietly.
    work = "m = glenvar.generate(width=2048, height=2048)\n    going.set()\n    m.erode(1000)"
    done = subprocess.run([sys.executable, "-c", script(work), str(tmp_path), "exit"],
                          capture_output=True, text=True, timeout=40)
    assert (done.returncode, done.stderr) == (0, "")
