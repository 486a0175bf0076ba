// One request at a time. From a request's start to its end (reading a file
// included) the page is busy; a request made meanwhile is refused, or, when it
// only shows the same map differently, kept to run next, a later one replacing
// it, so a flood of inputs gives one job after another and the latest wins.
// A failing job ends in the error handler, never only in the console.
export class RequestGate {
  constructor({ onBusy, onError }) {
    this.onBusy = onBusy;
    this.onError = onError;
    this.running = false;
    this.next = null;
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
        try {
          await job();
        } catch (e) {
          this.onError(e);
        }
      }
    } finally {
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
}
