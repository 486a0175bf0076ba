// What assistive technology needs beyond the markup: sliders announce the
// label they show next to them (20.00%, not the position 20000).

function follow(slider, shown) {
  const copy = () => {
    if (shown.textContent) slider.setAttribute("aria-valuetext", shown.textContent);
    else slider.removeAttribute("aria-valuetext");
  };
  copy();
  new MutationObserver(copy).observe(shown, { childList: true, characterData: true, subtree: true });
}

// Every range input with an <output> in its row speaks that output's text.
export function describeSliders(root) {
  for (const slider of root.querySelectorAll("input[type=range]")) {
    const shown = slider.closest(".row")?.querySelector("output");
    if (shown) follow(slider, shown);
  }
}
