# Reads a glenvar-cli .r16 heightmap exactly in Godot 3 (and 4): the raw
# little-endian 16-bit samples, rows from the top, width x height from the
# sidecar NAME.r16.json. Godot's own importers lose precision here: EXR
# floats arrive as halves, 16-bit PNG at 8 bits.
#
#   var heights = GlenvarR16.load_heights("res://w.r16", 2049, 2049, 1000.0)
#   # heights[y * width + x] is the height in metres (sample / 65535 * range)
extends Reference
class_name GlenvarR16

static func load_heights(path: String, width: int, height: int, range_m: float) -> PoolRealArray:
	var file := File.new()
	if file.open(path, File.READ) != OK:
		push_error("cannot open " + path)
		return PoolRealArray()
	if file.get_len() != width * height * 2:
		push_error(path + ": expected %d bytes" % (width * height * 2))
		file.close()
		return PoolRealArray()
	file.endian_swap = false  # little-endian words
	var heights := PoolRealArray()
	heights.resize(width * height)
	for i in range(width * height):
		heights[i] = float(file.get_16()) / 65535.0 * range_m
	file.close()
	return heights

# The same samples as a single-channel 32-bit float Image (FORMAT_RF) of the
# altitudes 0..1, for a HeightMapShape or a shader: RF holds 16-bit steps exactly.
static func load_image(path: String, width: int, height: int) -> Image:
	var heights := load_heights(path, width, height, 1.0)
	var bytes := StreamPeerBuffer.new()
	for value in heights:
		bytes.put_float(value)
	var image := Image.new()
	image.create_from_data(width, height, false, Image.FORMAT_RF, bytes.data_array)
	return image
