# The two commands of the README: `make run` and `make test`. Both set up the machine first.
JOBS ?= $(shell nproc)
NATIVE := build/native
ASAN := build/asan
FUZZ := build/fuzz
WIN := build/win
FUZZ_SECONDS ?= 60
# The builds that `make test` uses treat a warning as an error.
WERROR := -DQH_WERROR=ON
# A sanitizer finding ends the test with its own status, never mistaken for a tool's 1.
SANITIZER_ENV := ASAN_OPTIONS=exitcode=86:detect_leaks=1 \
                 UBSAN_OPTIONS=exitcode=86:print_stacktrace=1

.PHONY: setup native asan fuzz-build fuzz win test test-native test-asan test-fuzz test-win lint mutants run bench bench-big dist deb clean

setup:
	@bash scripts/setup.sh

native: setup
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR) >/dev/null
	cmake --build $(NATIVE) -j $(JOBS)

# The same native build under AddressSanitizer and UndefinedBehaviorSanitizer, unoptimised:
# it builds sooner and its reports point at exact lines.
asan: setup
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DQH_SANITIZE=ON $(WERROR) >/dev/null
	cmake --build $(ASAN) -j $(JOBS)

# The parsers under libFuzzer (clang).
fuzz-build: setup
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQH_SANITIZE=ON -DQH_FUZZ=ON >/dev/null
	cmake --build $(FUZZ) --target fuzz_harnesses -j $(JOBS)

# A search of FUZZ_SECONDS each, going on from what earlier searches found.
fuzz: fuzz-build
	scripts/fuzz.sh $(FUZZ) $(FUZZ_SECONDS)

# Each harness for a fixed number of runs from a fixed seed: the same few seconds of
# search on every test run.
test-fuzz: fuzz-build
	scripts/fuzz.sh $(FUZZ) --fixed

win: setup
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release $(WERROR) >/dev/null
	cmake --build $(WIN) -j $(JOBS)

test-native: native
	ctest --test-dir $(NATIVE) --output-on-failure -j $(JOBS)

# Every native test again under the sanitizers, the corpus replays included.
test-asan: asan
	$(SANITIZER_ENV) ctest --test-dir $(ASAN) --output-on-failure -j $(JOBS)

# Windows tests share one Wine prefix and one display: those that show windows take the
# display one at a time (a lock of their own), the console tools' tests run beside them.
test-win: win
	scripts/with-display.sh scripts/with-wineserver.sh ctest --test-dir $(WIN) --output-on-failure -j $(JOBS)

# The checks of .clang-tidy over the production sources both builds compile.
lint: native win
	scripts/lint.sh $(NATIVE) $(JOBS) $(WIN)

test: test-native test-asan test-fuzz test-win lint

run: native win
	scripts/run.sh

bench: native win
	scripts/bench.sh

# Fixed one-line faults planted one at a time in a copy of the tree: each must fail a
# test. Not part of `make test` (it builds the copy once and each fault again).
mutants: setup
	scripts/mutants.sh build/mutants

# Peak memory at 1, 10 and 50 million pins (inputs kept in build/bench-big/); not part
# of `make test`.
bench-big: native
	scripts/bench_big.sh

# Packages: the Windows zip (build/win/Quillhaven-<version>-win32.zip) and the Debian
# package of the command-line tools (build/packages/).
dist: win
	cmake --build $(WIN) --target dist

deb: native
	cd $(NATIVE) && cpack -G DEB -B $(CURDIR)/build/packages

clean:
	rm -rf build
