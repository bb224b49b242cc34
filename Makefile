# The two commands of the README: `make run` and `make test`. Both set up the machine first.
JOBS ?= $(shell nproc)
NATIVE := build/native
WIN := build/win

.PHONY: setup native win test test-native test-win run bench clean

setup:
	@bash scripts/setup.sh

native: setup
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(NATIVE) -j $(JOBS)

win: setup
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN) -j $(JOBS)

test-native: native
	ctest --test-dir $(NATIVE) --output-on-failure -j $(JOBS)

# Windows tests share one Wine prefix and one display; run them one after another.
test-win: win
	scripts/with-display.sh ctest --test-dir $(WIN) --output-on-failure

test: test-native test-win

run: native win
	scripts/run.sh

bench: native
	scripts/bench.sh

clean:
	rm -rf build
