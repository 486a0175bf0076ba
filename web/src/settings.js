// The form's settings as a map was made with them, and their return to the
// form when a later job is cancelled: the parameters (hand-placed points
// included), the stages, the region display and the address.

export function settingsOf(form) {
  return {
    values: structuredClone(form.values),
    stages: { ...form.stages },
    regions: form.regions,
    address: form.address(),
  };
}

// keepValues leaves the parameters as they are (a placement being made).
export function restoreSettings(form, settings, { keepValues = false } = {}) {
  if (!keepValues) {
    form.values = structuredClone(settings.values);
    form.show(form.values);
  }
  form.stages = { ...settings.stages };
  form.showStages();
  form.regions = settings.regions;
  form.refusals = [];
}
