# make run       - install what is missing, build, and start the program:
#                  the window with a display, else a tour of snpln-cli on
#                  the bundled samples (HEADLESS_WINDOW=1: the window under
#                  Xvfb); ARGS="..." passes names and options to either
# make test      - install what is missing, build, and run every test (also
#                  under AddressSanitizer and UndefinedBehaviorSanitizer,
#                  where the benchmark programs are compiled too)
# make install   - build and install under PREFIX (/usr/local); DESTDIR works
# make uninstall - remove every file the last install wrote (its manifest)
# make deb       - build the Debian packages snpln and snpln-cli into
#                  build/deb/packages (what make install installs, under /usr)
# make test-packages - make deb, check the packages with lintian, install
#                  both, run them, purge them and check nothing is left
# make test-windows - cross-build the core, snpln-cli and their tests for
#                  64-bit Windows (mingw-w64) and run them under wine, then
#                  make dist-windows and run the zip's program under wine
# make dist-windows - build/dist/snpln-cli-VERSION-win64.zip: the static
#                  snpln-cli.exe, README, LICENSE and a Windows usage note
# make web       - build the page (build/web: index.html, its scripts, the
#                  core as WebAssembly inside) with Debian's emscripten
# make run-web   - make web, then serve build/web on 127.0.0.1 (WEB_PORT,
#                  8032) and print its address; Ctrl-C stops it
# make test-web  - make web and snpln-cli, then drive the page in headless
#                  Chromium through WebDriver against snpln-cli's results
# make test-stress - the window and process tests STRESS_ROUNDS (50) times
#                  on the machine as it is and as many times with every core
#                  kept busy (stress-ng); every round must pass (not part of
#                  make test)

SHELL := /bin/bash
BUILD ?= build/release
ASAN_BUILD ?= build/asan
JOBS ?= $(shell nproc)
ARGS ?=
HEADLESS_WINDOW ?=
PREFIX ?= /usr/local
MANIFEST ?= $(BUILD)/install_manifest.txt
# SKIP_DEPS=1 leaves the packages alone (the tests that call make use it).
SKIP_DEPS ?=
STRESS_ROUNDS ?= 50
DEB_BUILD ?= build/deb
# The Debian revision of the packages: their version is VERSION-DEB_REVISION.
DEB_REVISION ?= 1

PACKAGES := cmake ninja-build g++ libgtest-dev qt6-base-dev \
            qt6-tools-dev qt6-l10n-tools qt6-tools-dev-tools \
            fonts-liberation fonts-dejavu-core xvfb xauth clang libclang-rt-14-dev \
            clang-format \
            help2man ccache hunspell-ru python3 dos2unix unzip
# What make deb and make test-packages need besides: dpkg-shlibdeps and
# dpkg-buildflags, file (for cpack), and the checkers.
DEB_PACKAGES := dpkg-dev file lintian desktop-file-utils appstream
# What the Windows build needs besides: the cross compiler with the posix
# thread model (std::mutex), wine (the /usr/bin/wine wrapper) and wine64,
# zip and unzip.
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix wine wine64 zip unzip
WIN_BUILD ?= build/windows
# googletest cross-built from Debian's sources.
WIN_DEPS ?= build/windows-deps
DIST ?= build/dist
# What make test-stress needs besides.
STRESS_PACKAGES := stress-ng
# What the page needs besides: the compiler to WebAssembly, and the browser
# and its WebDriver for make test-web.
WEB_PACKAGES := emscripten chromium chromium-driver
WEB_BUILD ?= build/web
WEB_PORT ?= 8032
# Debian's emscripten finds its node modules there.
WEB_ENV = NODE_PATH=/usr/share/nodejs

.PHONY: deps-windows build-windows test-windows dist-windows
.PHONY: deps-web web run-web test-web
.PHONY: deps deps-deb stress-deps configure build run install uninstall test test-release test-asan test-stress format-check bench format clean deb test-packages

deps: WANTED = $(PACKAGES)
deps-deb: deps
deps-deb: WANTED = $(DEB_PACKAGES)
stress-deps: WANTED = $(STRESS_PACKAGES)
deps-windows: WANTED = $(WINDOWS_PACKAGES)
deps-web: deps
deps-web: WANTED = $(WEB_PACKAGES)
deps deps-deb stress-deps deps-windows deps-web:
	@[ -n "$(SKIP_DEPS)" ] && exit 0; missing=""; for p in $(WANTED); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" -eq 0 ]; then SUDO=""; else SUDO=sudo; fi; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends \
	    -o DPkg::Lock::Timeout=600 $$missing; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSNPLN_WERROR=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@HEADLESS_WINDOW='$(HEADLESS_WINDOW)' bash tools/run.sh $(BUILD) $(ARGS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

uninstall:
	@if [ ! -f "$(MANIFEST)" ]; then \
	  echo "Nothing to uninstall: no $(MANIFEST) (make install writes it)."; exit 1; \
	fi
	@while IFS= read -r f || [ -n "$$f" ]; do \
	  if [ -e "$$f" ] || [ -L "$$f" ]; then echo "Removing $$f"; rm -f -- "$$f"; fi; \
	done < "$(MANIFEST)"

test: format-check test-release test-asan

format-check: deps
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

test-release: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DSNPLN_SANITIZE=ON -DSNPLN_WERROR=ON -DSNPLN_FUZZ=ON -DSNPLN_BUILD_BENCH=ON \
	  -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

test-stress: build stress-deps
	bash tools/test_stress.sh $(BUILD) $(STRESS_ROUNDS) $(JOBS)

# BASE=<commit>: that commit's snpln-cli as well, built beside, in the tree
# row; ONLY="tree ...": some parts only (see bench/run.sh).
bench: deps
	BASE='$(BASE)' ONLY='$(ONLY)' bash bench/run.sh

# The packages are built with Debian's hardening flags, without the tests;
# SOURCE_DATE_EPOCH (the last commit) dates the changelog and manual pages.
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
deb: export SOURCE_DATE_EPOCH = $(or $(shell git log -1 --format=%ct 2>/dev/null),$(shell date +%s))
deb: deps deps-deb
	cmake -S . -B $(DEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_INSTALL_PREFIX=/usr -DSNPLN_BUILD_TESTS=OFF -DSNPLN_DEBIAN=ON \
	  -DSNPLN_DEB_REVISION=$(DEB_REVISION) \
	  -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)"
	cmake --build $(DEB_BUILD) -j $(JOBS)
	rm -f $(DEB_BUILD)/packages/*.deb
	cd $(DEB_BUILD) && cpack -G DEB

test-packages: deb
	bash tests/scripts/test_packages.sh $(DEB_BUILD)

# The Windows build: its own directory, its own wine prefix (tools/wine_env.sh).
WIN_ENV = SNPLN_WINDOWS_PREFIX=$(abspath $(WIN_DEPS))
WIN_TOOLCHAIN = $(abspath cmake/mingw_w64_x86_64.cmake)

$(WIN_DEPS)/lib/libgtest.a: | deps-windows
	$(WIN_ENV) cmake -S /usr/src/googletest -B $(WIN_DEPS)/googletest -G Ninja \
	  -DCMAKE_TOOLCHAIN_FILE=$(WIN_TOOLCHAIN) -DCMAKE_BUILD_TYPE=Release \
	  -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX=$(abspath $(WIN_DEPS))
	cmake --build $(WIN_DEPS)/googletest -j $(JOBS)
	cmake --install $(WIN_DEPS)/googletest

build-windows: deps-windows $(WIN_DEPS)/lib/libgtest.a
	$(WIN_ENV) cmake -S . -B $(WIN_BUILD) -G Ninja \
	  -DCMAKE_TOOLCHAIN_FILE=$(WIN_TOOLCHAIN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSNPLN_WERROR=ON -DSNPLN_BUILD_UI=OFF
	$(WIN_ENV) cmake --build $(WIN_BUILD) -j $(JOBS)

dist-windows: build-windows
	bash tools/dist_windows.sh $(WIN_BUILD) $(DIST)

test-windows: dist-windows
	bash tools/test_windows.sh $(WIN_BUILD) \
	  $(DIST)/snpln-cli-$$(sed -n 's/^project(snpln VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-win64.zip $(JOBS)

# The browser's build: its own directory (CMake's files in cmake/, the page
# beside), sized for the page.
web: deps-web
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD)/cmake -G Ninja \
	  -DCMAKE_BUILD_TYPE=MinSizeRel "-DCMAKE_CXX_FLAGS_MINSIZEREL=-Oz -DNDEBUG" \
	  -DSNPLN_WERROR=ON -DSNPLN_BUILD_UI=OFF -DSNPLN_BUILD_TESTS=OFF \
	  -DSNPLN_WEB_OUTPUT=$(abspath $(WEB_BUILD))
	$(WEB_ENV) cmake --build $(WEB_BUILD)/cmake -j $(JOBS)

run-web: web
	python3 tools/serve_web.py $(WEB_BUILD) --port $(WEB_PORT)

# snpln-cli alone of the native build: the page is compared with it.
test-web: web $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target snpln-cli
	python3 tests/web/test_web.py $(WEB_BUILD) $(BUILD)/cli/snpln-cli

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
