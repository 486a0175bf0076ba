// The page's message box: it stays until answered, then gives the focus back
// to the field to correct; a message that comes while another is open waits its turn.

const queue = [];

function showFirst() {
  const { content, field } = queue[0];
  const box = document.getElementById("message");
  document.getElementById("message-text").textContent = content;
  box.showModal();
  box.addEventListener("close", () => {
    queue.shift();
    if (field) {
      field.focus();
      field.select();
    }
    if (queue.length) showFirst();
  }, { once: true });
}

export function message(content, field) {
  queue.push({ content, field });
  if (queue.length === 1) showFirst();
}
