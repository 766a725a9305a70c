# make run   - install what is missing, build, and start the program
# make test  - install what is missing, build, and run every test (also
#              under AddressSanitizer and UndefinedBehaviorSanitizer)
# ARGS="..." passes names and options to `make run`.

SHELL := /bin/bash
BUILD ?= build/release
ASAN_BUILD ?= build/asan
JOBS ?= $(shell nproc)
ARGS ?=

PACKAGES := cmake ninja-build g++ libgtest-dev libcli11-dev qt6-base-dev \
            qt6-tools-dev qt6-l10n-tools qt6-tools-dev-tools \
            fonts-liberation xvfb xauth clang libclang-rt-14-dev clang-format

.PHONY: deps configure build run test test-release test-asan format-check bench format clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" -eq 0 ]; then SUDO=""; else SUDO=sudo; fi; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSNPLN_WERROR=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/ui/snpln ] && { [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ] || [ -n "$$QT_QPA_PLATFORM" ]; }; then \
	  $(BUILD)/ui/snpln $(ARGS); \
	elif [ -x $(BUILD)/ui/snpln ]; then \
	  echo "No display: starting the window under Xvfb."; \
	  xvfb-run -a $(BUILD)/ui/snpln $(ARGS); \
	else \
	  bash samples/demo.sh $(BUILD)/cli/snpln-cli $(ARGS); \
	fi

test: format-check test-release test-asan

format-check: deps
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

test-release: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DSNPLN_SANITIZE=ON -DSNPLN_WERROR=ON -DSNPLN_FUZZ=ON \
	  -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

bench: deps
	bash bench/run.sh

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
