// One request at a time. From a request's start to its end (reading a file
// included) the page is busy; a request made meanwhile is refused, or, when it
// only shows the same map differently, kept to run next, a later one replacing
// it, so a flood of inputs gives one job after another and the latest wins.
// A failing job ends in the error handler, never only in the console.
// A job receives an AbortSignal: cancel() frees the gate at once, whatever the
// job is waiting for, and drops the job waiting; what the cancelled job does
// afterwards must check the signal, and its failures are not reported.
export class RequestGate {
  constructor({ onBusy, onError }) {
    this.onBusy = onBusy;
    this.onError = onError;
    this.running = false;
    this.next = null;
    this.controller = null;
  }

  get busy() {
    return this.running;
  }

  // Runs work unless another request runs; resolves to false when refused.
  async run(work) {
    if (this.running) return false;
    this.running = true;
    this.onBusy(true);
    try {
      for (let job = work; job; job = this.takeNext()) {
        const controller = new AbortController();
        this.controller = controller;
        const { signal } = controller;
        const stopped = new Promise((resolve) => signal.addEventListener("abort", resolve));
        try {
          await Promise.race([job(signal), stopped]);
        } catch (e) {
          if (!signal.aborted) this.onError(e);
        }
      }
    } finally {
      this.controller = null;
      this.running = false;
      this.onBusy(false);
    }
    return true;
  }

  // Runs work now, or after the running request in place of any job waiting.
  latest(work) {
    if (this.running) this.next = work;
    else this.run(work);
  }

  takeNext() {
    const job = this.next;
    this.next = null;
    return job;
  }

  // Stops the running request and forgets the waiting one; false when idle.
  cancel(reason) {
    if (!this.running) return false;
    this.next = null;
    this.controller.abort(reason);
    return true;
  }
}
