# Thin wrapper around CMake. `make run` and `make test` are the two commands a
# new user needs; each target first installs the packages it needs
# (tools/install-deps GROUP...), and only those.

BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
MATRIX_BUILD ?= build-matrix
WIN_BUILD ?= build-windows
JOBS ?= $(shell nproc)

# Our own builds: warnings are errors.
CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_WERROR=ON
# Options for $(BUILD)'s first configuration only; later ones keep what the
# folder holds, so that `make run` after `make test` does not drop the tests.
first = $(if $(wildcard $(BUILD)/CMakeCache.txt),,$(1))

.PHONY: run test build build-matrix sanitize fuzz bench classic-flows format clean
.PHONY: package package-test minimal-test screenshots windows windows-test deps
.PHONY: docs abi-lib abi-check abi-baseline

# The programs alone: no test or benchmark tools are needed to see the setup.
run:
	tools/install-deps run
	$(CONFIGURE) $(call first,-DVANTOR_TESTS=OFF)
	cmake --build $(BUILD) -j $(JOBS) --target vantor-setup vantor-display-test
	cd $(BUILD) && ./vantor-setup

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Everything the tests need; the benchmarks too when `make bench` turned them on.
build:
	tools/install-deps run test
	$(CONFIGURE) -DVANTOR_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)

# The build as users and packagers make it, warnings not errors: Release with
# g++, Debian's default flags (dpkg-buildflags, build type None), Release
# with clang++ and a g++ debugging build with ASan and UBSan, each in a fresh
# folder under $(MATRIX_BUILD) and each without a single warning.
build-matrix:
	tools/install-deps run test bench sanitize
	MATRIX_BUILD=$(MATRIX_BUILD) JOBS=$(JOBS) tools/build-matrix

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
# Built with clang++, so that its warnings are errors too. The sanitizers of
# clang 14 and g++ 12 mistake some of glibc's dynamic thread-local blocks for
# an older layout, and the leak check at exit then crashes now and then in
# programs that loaded and let go of the OpenGL driver; intercept_tls_get_addr=0
# turns that guess off (the static thread-local blocks are still searched).
SANITIZER_ENV = ASAN_OPTIONS=intercept_tls_get_addr=0 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0
export SANITIZER_ENV
sanitize:
	tools/install-deps run test sanitize
	CXX=clang++ cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVANTOR_WERROR=ON \
	  -DVANTOR_SANITIZE=ON -DVANTOR_BENCHMARKS=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	env $(SANITIZER_ENV) ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The fuzz targets (fuzz/), built with clang++ and both sanitizers, each run
# for a bounded time over a corpus kept in $(FUZZ_BUILD)/corpus and seeded
# with the tests' generated files; fails on a finding, whose input libFuzzer
# leaves in $(FUZZ_BUILD) (crash-*, leak-*, timeout-*).
FUZZ_PNG_SECONDS ?= 40
FUZZ_SETTINGS_SECONDS ?= 20
fuzz:
	tools/install-deps run fuzz
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVANTOR_WERROR=ON \
	  -DVANTOR_FUZZ=ON -DVANTOR_TESTS=OFF -DVANTOR_BENCHMARKS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target png-fuzz settings-fuzz png-seeds game-data
	mkdir -p $(FUZZ_BUILD)/corpus/png $(FUZZ_BUILD)/corpus/settings $(FUZZ_BUILD)/seeds/png
	$(FUZZ_BUILD)/png-seeds $(FUZZ_BUILD)/seeds/png
	cp $(FUZZ_BUILD)/logo.png fuzz/seeds/png/* $(FUZZ_BUILD)/seeds/png/
	cd $(FUZZ_BUILD) && ./png-fuzz -max_total_time=$(FUZZ_PNG_SECONDS) -close_fd_mask=2 \
	  -dict=$(CURDIR)/fuzz/png.dict corpus/png seeds/png
	cd $(FUZZ_BUILD) && ./settings-fuzz -max_total_time=$(FUZZ_SETTINGS_SECONDS) \
	  corpus/settings $(CURDIR)/fuzz/seeds/settings

# The whole-program flows with the classic SDL 1.2.15 runtime instead of sdl12-compat.
classic-flows: build
	tools/classic-sdl $(BUILD)/classic-sdl
	VANTOR_SDL_LIBRARY_PATH=$(CURDIR)/$(BUILD)/classic-sdl \
	  ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -L flow

# The benchmarks, built beside whatever $(BUILD) holds. The idle benchmark
# (bench/idle.sh) runs the setup on both SDL 1.2 runtimes, fetching the
# classic one with tools/classic-sdl.
bench:
	tools/install-deps run bench
	$(CONFIGURE) -DVANTOR_BENCHMARKS=ON $(call first,-DVANTOR_TESTS=OFF)
	cmake --build $(BUILD) -j $(JOBS) --target frame-bench resample-bench idle-anchor \
	  vantor-setup game-data
	tools/on-xvfb $(BUILD)/frame-bench
	$(BUILD)/resample-bench
	bench/idle.sh $(BUILD)

# The Debian packages in $(BUILD): vantor-setup (the programs),
# libvantor-image0 (the shared library) and libvantor-image-dev (header,
# static library, CMake and pkg-config files, the reference), each checked by
# lintian, which fails on an error and lists its warnings.
package:
	tools/install-deps run package
	$(CONFIGURE) $(call first,-DVANTOR_TESTS=OFF)
	cmake --build $(BUILD) -j $(JOBS) --target all docs
	cd $(BUILD) && cpack -G DEB
	cd $(BUILD) && for deb in vantor-setup_*.deb libvantor-image0_*.deb libvantor-image-dev_*.deb; do \
	  lintian --fail-on error $$deb || exit 1; done

# The display library's reference, from its header: $(BUILD)/docs/html.
# Fails on an undocumented public name.
docs:
	tools/install-deps run docs
	$(CONFIGURE) $(call first,-DVANTOR_TESTS=OFF)
	cmake --build $(BUILD) --target docs

# The shared library's ABI, compared with the baseline abi/libvantor-image.abi:
# any change fails. After a deliberate change, `make abi-baseline` writes the
# baseline anew, to be committed with the change; an incompatible one (a name
# removed, a type changed) also raises the SONAME's major, the project's major
# version. Both read the Makefile's build (RelWithDebInfo, with g++), whose
# debug information abidw needs.
ABI_LIB = $(BUILD)/image/libvantor-image.so.0
ABIDW_FLAGS = --no-corpus-path --no-comp-dir-path --no-show-locs \
  --no-elf-needed --drop-undefined-syms --type-id-style hash
abi-lib:
	tools/install-deps run abi
	$(CONFIGURE) $(call first,-DVANTOR_TESTS=OFF)
	cmake --build $(BUILD) -j $(JOBS) --target vantor-image
abi-check: abi-lib
	abidiff abi/libvantor-image.abi $(ABI_LIB) || \
	  { echo "The library's ABI changed: see abi-check in the Makefile" >&2; exit 1; }
abi-baseline: abi-lib
	abidw $(ABIDW_FLAGS) --out-file abi/libvantor-image.abi $(ABI_LIB)

# The packages installed into a fresh Debian 12 root (debootstrap; needs root
# and the network), where the installed programs start and the example builds.
# Debootstrap's and apt's downloads are kept in $(DEBIAN_CACHE) for the next run.
DEBIAN_CACHE ?= $(BUILD)/debian-cache
package-test: build
	tools/install-deps package
	VANTOR_BUILD=$(BUILD) VANTOR_DEBIAN_CACHE=$(DEBIAN_CACHE) tests/install/package.sh debian

# A fresh clone of this repository's HEAD in a fresh minimal Debian 12 root
# (debootstrap minbase, plus make, git and ca-certificates), where `make run`
# installs only what it needs and then ends for want of a display, and
# `make test` passes. Root and the network; about ten minutes.
minimal-test:
	tools/install-deps package
	VANTOR_DEBIAN_CACHE=$(DEBIAN_CACHE) tests/install/minimal.sh

# The README's screenshots in docs/, taken anew by the program's own F11.
screenshots: build
	VANTOR_BUILD=$(BUILD) VANTOR_DOCS=$(CURDIR)/docs VANTOR_WRITE_DOCS=1 tests/flows/flows.sh looks

# The Windows programs, cross-built with mingw-w64 into $(WIN_BUILD)/ with
# their DLL and data files, the zip $(WIN_BUILD)/vantor-setup-VERSION-win64.zip
# and the installer $(WIN_BUILD)/vantor-setup-VERSION-win64-setup.exe.
# tools/windows-deps builds their libraries once and keeps them in
# ~/.cache/vantor-win ($$VANTOR_WIN_CACHE).
WIN_TESTS ?= OFF
windows:
	@tools/install-deps windows
	deps=$$(JOBS=$(JOBS) tools/windows-deps) && \
	cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DVANTOR_WIN_DEPS="$$deps" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_WERROR=ON \
	  -DVANTOR_TESTS=$(WIN_TESTS)
	cmake --build $(WIN_BUILD) -j $(JOBS)

# The same build with its tests, run under Wine (tests/windows): the unit
# tests, headless, and the programs' whole-program flows in Xvfb, the
# installer's included. Their Wine prefixes live in $(WIN_BUILD)/wine.
windows-test: WIN_TESTS = ON
windows-test: windows
	ctest --test-dir $(WIN_BUILD) --output-on-failure -j $(JOBS)

# Every package the Linux targets need (the Windows build's: install-deps windows).
deps:
	tools/install-deps

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(MATRIX_BUILD) $(WIN_BUILD)
