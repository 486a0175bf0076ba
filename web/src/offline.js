// Installed and offline: the service worker keeps the page's files once loaded.
// Without one (an insecure origin, a browser without them) the page works as
// before, online only, so a failed registration is not the user's concern.
export function registerOffline() {
  if (!("serviceWorker" in navigator)) return;
  navigator.serviceWorker.register("sw.js").catch(() => {});
}
