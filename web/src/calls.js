// Calls into the worker that holds the map, one promise per call. A worker
// that cannot start or has died fails every call, waiting or still to come,
// with a WorkerFailure. A running call cannot be interrupted inside the
// module, so stopping means ending the worker: restart() fails every waiting
// call with Cancelled and starts a fresh worker, which holds no map yet.

export class WorkerFailure extends Error {}
export class Cancelled extends Error {}

export function connectWorker(script, onProgress) {
  const pending = new Map();
  let nextId = 1;
  let failure = null;
  let worker = null;

  const rejectAll = (error) => {
    for (const { reject } of pending.values()) reject(error);
    pending.clear();
  };
  const fail = (error) => {
    failure = new WorkerFailure(error);
    rejectAll(failure);
  };

  function start() {
    const own = new Worker(script);
    // What an ended worker had already sent is no answer any more.
    own.onerror = (e) => {
      e.preventDefault();
      if (own === worker) fail(e.message || "worker failed");
    };
    own.onmessage = ({ data }) => {
      if (own !== worker) return;
      if (data.progress) return onProgress(data.progress);
      const { resolve, reject } = pending.get(data.id);
      pending.delete(data.id);
      if (data.startFailed) {
        reject(new WorkerFailure(data.error));
        fail(data.error);
      } else if (data.error !== undefined) reject(new Error(data.error));
      else resolve(data.result);
    };
    return own;
  }
  worker = start();

  function call(op, ...args) {
    if (failure) return Promise.reject(failure);
    const id = nextId++;
    return new Promise((resolve, reject) => {
      pending.set(id, { resolve, reject });
      // Bytes handed over (a file read) move instead of being copied.
      worker.postMessage({ id, op, args }, args.filter(ArrayBuffer.isView).map((a) => a.buffer));
    });
  }

  function restart() {
    worker.terminate();
    rejectAll(new Cancelled("cancelled"));
    failure = null;
    worker = start();
  }

  return { call, restart };
}
