// The request gate on its own (no browser): a cancel frees the page at once,
// whatever the job waits for, and nothing of the cancelled job comes back.
import { test } from "node:test";
import assert from "node:assert/strict";
import { RequestGate } from "../src/busy.js";

function gate() {
  const log = [];
  const g = new RequestGate({
    onBusy: (on) => log.push(on ? "busy" : "idle"),
    onError: (e) => log.push(`error ${e.message}`),
  });
  return { g, log };
}
const never = () => new Promise(() => {});
const settle = () => new Promise((resolve) => setImmediate(resolve));

test("a cancel ends a job that never settles, and drops the one waiting", { timeout: 5000 }, async () => {
  const { g, log } = gate();
  let signal = null;
  const done = g.run((s) => {
    signal = s;
    return never();
  });
  let waitingRan = false;
  g.latest(async () => {
    waitingRan = true;
  });
  assert.equal(await g.run(async () => {}), false, "a second request while busy is refused");
  assert.equal(g.cancel(new Error("stop")), true);
  assert.equal(await done, true);
  assert.equal(g.busy, false);
  assert.equal(signal.aborted, true);
  assert.equal(waitingRan, false);
  assert.deepEqual(log, ["busy", "idle"]);
  assert.equal(g.cancel(new Error("stop")), false, "nothing to cancel when idle");
});

test("a cancelled job's later failure is not reported; the next job runs and reports", async () => {
  const { g, log } = gate();
  let fail;
  const first = g.run(() => new Promise((_, reject) => { fail = reject; }));
  g.cancel(new Error("stop"));
  await first;
  fail(new Error("late"));
  await settle();
  await g.run(async () => {
    throw new Error("second");
  });
  assert.deepEqual(log, ["busy", "idle", "busy", "error second", "idle"]);
});
