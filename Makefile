# The two commands of the README: `make run` and `make test`. Both set up the machine first.
JOBS ?= $(shell nproc)
NATIVE := build/native
WIN := build/win

.PHONY: setup native win test test-native test-win run bench dist deb clean

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

# Packages: the Windows zip (build/win/Quillhaven-<version>-win32.zip) and the Debian
# package of the command-line tools (build/packages/).
dist: win
	cmake --build $(WIN) --target dist

deb: native
	cd $(NATIVE) && cpack -G DEB -B $(CURDIR)/build/packages

clean:
	rm -rf build
