"""Renders a .glb as Blender imports it, for the README: blender -b --python
scripts/engine-routes/blender_render.py -- IN.glb OUT.png"""

import math
import sys

import bpy
import numpy
from mathutils import Vector

# Debian 12's Blender 3.4 glTF importer still calls numpy.bool, which its
# numpy 1.24 has dropped: without this alias no .glb imports there.
if not hasattr(numpy, "bool") or numpy.bool is not bool:
    numpy.bool = bool

source, target = sys.argv[sys.argv.index("--") + 1:][:2]
bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=source)
meshes = [o for o in bpy.context.scene.objects if o.type == "MESH"]
corners = [o.matrix_world @ Vector(c) for o in meshes for c in o.bound_box]
low = Vector([min(c[i] for c in corners) for i in range(3)])
high = Vector([max(c[i] for c in corners) for i in range(3)])
centre, extent = (low + high) / 2, max(high - low)

camera = bpy.data.objects.new("camera", bpy.data.cameras.new("camera"))
bpy.context.scene.collection.objects.link(camera)
camera.location = centre + Vector((0.0, -0.95 * extent, 0.75 * extent))
camera.rotation_euler = (math.radians(52), 0, 0)
camera.data.clip_end = 10 * extent
bpy.context.scene.camera = camera
sun = bpy.data.objects.new("sun", bpy.data.lights.new("sun", "SUN"))
sun.data.energy = 4
sun.rotation_euler = (math.radians(40), math.radians(-30), math.radians(-45))
bpy.context.scene.collection.objects.link(sun)
world = bpy.data.worlds.new("sky")
world.color = (0.55, 0.65, 0.8)
bpy.context.scene.world = world

scene = bpy.context.scene
scene.render.engine = "CYCLES"
scene.cycles.device = "CPU"
scene.cycles.samples = 16
scene.cycles.use_denoising = False
scene.render.resolution_x, scene.render.resolution_y = 960, 540
scene.render.filepath = target
bpy.ops.render.render(write_still=True)
