"""Run by scripts/engine-routes.sh in Blender's background mode: how far each
heightmap form arrives from the exact 16-bit samples, in 16-bit steps, as
Blender opens it and with its colour space set to Non-Color."""

import os
import struct

import bpy

directory, size = os.environ["ROUTES_DIR"], int(os.environ["ROUTES_SIZE"])
with open(os.path.join(directory, "h.r16"), "rb") as raw:
    truth = struct.unpack(f"<{size * size}H", raw.read())
for name in ("h.png", "h.tif", "h.exr"):
    image = bpy.data.images.load(os.path.join(directory, name))
    for space in (image.colorspace_settings.name, "Non-Color"):
        image.colorspace_settings.name = space
        image.reload()
        pixels = image.pixels[:]
        channels = image.channels
        worst = 0.0
        for y in range(size):
            # Blender's rows run from the bottom.
            row = (size - 1 - y) * size
            for x in range(size):
                value = pixels[(row + x) * channels] * 65535
                worst = max(worst, abs(value - truth[y * size + x]))
        print(f"blender {name} colourspace={space} float={image.is_float} steps={worst:.3f}")
