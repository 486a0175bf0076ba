# Run by scripts/engine-routes.sh under Godot 3 headless: how far each
# heightmap form arrives from the exact 16-bit samples, in 16-bit steps.
extends SceneTree

func _init():
	var dir: String = OS.get_environment("ROUTES_DIR")
	var size: int = int(OS.get_environment("ROUTES_SIZE"))
	var truth := PoolRealArray()
	var raw := File.new()
	raw.open(dir + "/h.r16", File.READ)
	for i in range(size * size):
		truth.append(float(raw.get_16()))
	raw.close()
	# The loader offered in docs/: the raw words, read as words.
	var loader = load(OS.get_environment("ROUTES_LOADER"))
	var exact: PoolRealArray = loader.load_heights(dir + "/h.r16", size, size, 65535.0)
	var worst := 0.0
	for i in range(size * size):
		worst = max(worst, abs(exact[i] - truth[i]))
	print("godot3 r16-loader steps=%f" % worst)
	for name in ["h.png", "h.exr", "h.tif"]:
		var image := Image.new()
		if image.load(dir + "/" + name) != OK:
			print("godot3 %s unreadable" % name)
			continue
		image.lock()
		worst = 0.0
		for y in range(size):
			for x in range(size):
				worst = max(worst, abs(image.get_pixel(x, y).r * 65535.0 - truth[y * size + x]))
		image.unlock()
		print("godot3 %s format=%d steps=%f" % [name, image.get_format(), worst])
	quit()
