// Calls into the worker that holds the map, one promise per call. A worker
// that cannot start or has died fails every call, waiting or still to come,
// with a WorkerFailure.

export class WorkerFailure extends Error {}

export function connectWorker(script, onProgress) {
  const worker = new Worker(script);
  const pending = new Map();
  let nextId = 1;
  let failure = null;

  const fail = (error) => {
    failure = new WorkerFailure(error);
    for (const { reject } of pending.values()) reject(failure);
    pending.clear();
  };
  worker.onerror = (e) => {
    e.preventDefault();
    fail(e.message || "worker failed");
  };
  worker.onmessage = ({ data }) => {
    if (data.progress) return onProgress(data.progress);
    const { resolve, reject } = pending.get(data.id);
    pending.delete(data.id);
    if (data.startFailed) {
      reject(new WorkerFailure(data.error));
      fail(data.error);
    } else if (data.error !== undefined) reject(new Error(data.error));
    else resolve(data.result);
  };

  return function call(op, ...args) {
    if (failure) return Promise.reject(failure);
    const id = nextId++;
    return new Promise((resolve, reject) => {
      pending.set(id, { resolve, reject });
      // Bytes handed over (a file read) move instead of being copied.
      worker.postMessage({ id, op, args }, args.filter(ArrayBuffer.isView).map((a) => a.buffer));
    });
  };
}
