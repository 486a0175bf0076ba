// The benchmark's worker: the page's module, timed around the same calls the
// page's worker makes (generate, then render), after one untimed run per request.
/* global importScripts, createGlenvar */
importScripts("glenvar.js");

const module = createGlenvar();

onmessage = async ({ data: { settings, repeats } }) => {
  const m = await module;
  const quiet = () => {};
  const runs = [];
  for (let i = 0; i <= repeats; ++i) {
    const start = performance.now();
    const failure = m.generate(settings, quiet);
    const generated = performance.now();
    const bytes = m.render(false, quiet).length;
    const rendered = performance.now();
    if (failure || bytes === 0) throw new Error(failure || "nothing rendered");
    if (i > 0) runs.push([generated - start, rendered - generated]);
  }
  postMessage(runs);
};
